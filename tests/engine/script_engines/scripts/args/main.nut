// Stores what arrived as arguments in the System's parameters: integer 0 the stage (-1 for no
// arguments), string 0 the name followed by the list's length and its float.
function init() {
    local args = engineGetArgsVar();
    globalSetIntegerParameterCount(1);
    globalSetStringParameterCount(1);
    if (args == null) {
        globalSetIntegerParameterValue(0, -1);
    } else {
        globalSetIntegerParameterValue(0, args.stage);
        globalSetStringParameterValue(0, args.name + args.list.len() + args.list[1]);
    }
    engineRequestExit();
}
