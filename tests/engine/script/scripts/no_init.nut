function work() { return 3; }
