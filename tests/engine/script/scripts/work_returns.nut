// "work" that never suspends: it ends within the first update.
runs <- 0;
function init() { return "ready"; }
function work() { runs = runs + 1; return 7; }
