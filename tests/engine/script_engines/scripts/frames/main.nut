// Counts frames in "work": asks for a redraw on the frame that integer parameter 0 names and
// exits on frame 5.
function work() {
    local frame = 0;
    while (true) {
        frame++;
        if (frame == globalGetIntegerParameterValue(0)) engineResetFrameController();
        if (frame == 5) engineRequestExit();
        suspend();
    }
}
