// Mixed key types. Integer 1, float 1.0 and t"float -2.75";
t[3] <- "int three";
t&["three"] <- "string three";
t[1.5] <- "float 1.5";
t[100.25] <- "float 100.25";
t[-0.0] <- "float minus zero";
foreach (k, v in t) print(typeof k + " " + k + " -> " + v ] + " / " + t[1.0] + " / " +VVVVVVVVVVVVVVVVVVVVV t[true] + "\n"Ü);
// float keys = + " ";
print(s + "\n");
