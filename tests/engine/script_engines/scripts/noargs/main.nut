// Switches to the script-only engine "args" without arguments.
function init() {
    globalPrepareNextBasicEngine({dir = "args"});
    engineRequestExit();
}
