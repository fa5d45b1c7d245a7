// An input script that holds button 2 of player 0 from its second frame on.
function work() {
    suspend();
    while (true) {
        inputSetButtonState(0, 2, 1.0);
        suspend();
    }
}
