function work() { return 1; }
suspend(1);
