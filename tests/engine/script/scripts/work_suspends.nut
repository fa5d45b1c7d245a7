// "work" suspends with 5; after the wake-up it records what suspend returned.
resumedWith <- "unset";
function work() {
    local value = suspend(5);
    resumedWith = value == null ? "null" : value;
    return 9;
}
