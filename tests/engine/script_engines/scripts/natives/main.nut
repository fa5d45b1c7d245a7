// Functions the tests call one by one; each returns what the natives gave.
function parameters() {
    globalSetIntegerParameterCount(4);
    globalSetIntegerParameterCount(2);
    globalSetIntegerParameterValue(1, 0x50);
    globalSetIntegerParameterFlag(1, 0x3);
    globalUnsetIntegerParameterFlag(1, 0x10);
    globalSetIntegerParameterValue(4, 7);
    globalSetIntegerParameterFlag(-1, 7);
    globalSetStringParameterCount(2);
    globalSetStringParameterCount(-3);
    globalSetStringParameterValue(1, "名前");
    globalSetStringParameterValue(2, "lost");
    return {
        intCount = globalGetIntegerParameterCount(),
        intValue = globalGetIntegerParameterValue(1),
        intPast = globalGetIntegerParameterValue(4),
        intNegative = globalGetIntegerParameterValue(-1),
        stringValue = globalGetStringParameterValue(1),
        stringPast = globalGetStringParameterValue(2)
    };
}

function system() {
    return {
        debug = globalIsDebugBuild(),
        screen = globalGetScreenSize(),
        netSync = globalIsNetSync(),
        netCount = globalGetNetSyncCount(),
        netId = globalGetNetSyncId(),
        netConnect = globalGetNetSyncConnect(1),
        netReady = globalIsNetSyncReady(),
        version = globalGetGameVersion()
    };
}

function controllers() {
    return {
        exist = [ctrlIsExist(-1), ctrlIsExist(0), ctrlIsExist(1), ctrlIsExist(3), ctrlIsExist(4)],
        status = [ctrlGetStatus(0, 3), ctrlGetStatus(-2, 3), ctrlGetStatus(0, 16), ctrlGetStatus(4, 3)],
        event = [ctrlGetEvent(0, 3), ctrlGetEvent(0, 4), ctrlGetEvent(0, -1)]
    };
}

function random() {
    local values = [];
    local ranges = [];
    for (local i = 0; i < 8; i++) {
        values.append(engineGetRandomValue());
        ranges.append(engineGetRandomRange(6, -2));
    }
    return {values = values, ranges = ranges};
}

function volumes() {
    engineSetAudioVolume(1, 0.5);
    engineSetAudioVolume(3, 0.25);
    engineSetAudioVolume(-1, 0.25);
}

function playEffects() {
    enginePlaySe(-1);
    enginePlaySe(0);
}

function switchGroupToOther() { engineSwitchSeGroup("other"); }
function switchGroupOff() { engineSwitchSeGroup(""); }

function music() {
    bgmPlay("intro", "loop", true);
    bgmSetVolume(0.5);
}
function musicFade() { bgmFadeout(-5); }
function musicStop() { bgmStop(); }
function jingle() { bgmPlaySound(1, "jingle"); }
