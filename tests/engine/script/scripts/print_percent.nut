print("100%s%d");
