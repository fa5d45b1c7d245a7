// Prepares a script-only engine twice: the second replaces the first, which never runs.
function init() {
    globalPrepareNextBasicEngine({dir = "discarded", args = {stage = 1}});
    globalPrepareNextBasicEngine({dir = "Args", args = {stage = 3, name = "ステージ", list = [1, 2.5, true]}});
    engineRequestExit();
}
