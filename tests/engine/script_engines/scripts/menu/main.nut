// The script-only engine of the headless run: an opaque backdrop (the frame loop clears no
// colour), alpha-blended sprites of a loaded image, text queued a few characters a frame, a
// sound effect, intro-and-loop music and a button pressed by the input script "press".
// Integer parameter 0 gets the frame on which the text was all shown, 1 and 2 the frame of the
// button's press and the count of frames it was held; the engine exits on frame 8.
frame <- 0;
textRect <- null;

function init() {
    local args = engineGetArgsVar();
    local r = spriteRendererCreate(160, 120, 2);
    local backdrop = spriteRectCreate(r, spriteImageLoad("backdrop.png"), null);
    spriteCreate(r, {rect = backdrop, scaleX = 40.0, scaleY = 30.0});
    local tiles = spriteImageLoad("tiles.png");
    local tile = spriteRectCreate(r, tiles, {originX = 16, originY = 16});
    spriteCreate(r, {rect = tile, posX = 40.0, posY = 40.0, blend = 2});
    spriteCreate(r, {rect = tile, posX = 120.0, posY = 40.0, rotationZ = 30.0,
        colorRed = 0.5, scaleX = 1.5, level = 1, blend = 2});
    local textImage = spriteImageCreateText(144, 32);
    textRect = spriteRectCreate(r, textImage, null);
    spriteCreate(r, {rect = textRect, posX = 8.0, posY = 76.0, level = 1, blend = 2});
    local format = spriteRectTextFormatCreate(r, {fontSize = 16, speed = 1, colorBlue = 0.2});
    spriteRectDrawText(textRect, format, "ステージ " + args.stage);

    bgmPlay("intro", "loop", true);
    inputCustomize("menu/press");
    globalSetIntegerParameterCount(3);
}

function work() {
    while (true) {
        frame++;
        // Not in init: the frame loop stops every sound effect before its first frame.
        if (frame == 1) enginePlaySe(0);
        if (!spriteRectIsTextExist(textRect) && globalGetIntegerParameterValue(0) == 0)
            globalSetIntegerParameterValue(0, frame);
        if (ctrlGetEvent(0, 2)) globalSetIntegerParameterValue(1, frame);
        if (ctrlGetStatus(0, 2))
            globalSetIntegerParameterValue(2, globalGetIntegerParameterValue(2) + 1);
        if (frame == 8) {
            inputCustomize("");
            engineRequestExit();
        }
        suspend();
    }
}
