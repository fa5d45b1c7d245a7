// Player 1 reads the keyboard's button "from" (from the arguments) as its button "to".
function work() {
    while (true) {
        local args = inputGetArgsVar();
        inputSetButtonState(args.player, args.to, inputGetDeviceButtonState(0, args.from));
        suspend(0);
    }
}
