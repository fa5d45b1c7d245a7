// The splash, shown by the bootstrap engine through the older sprite layer: the emblem picture
// fades in, a line of text drawn with the glyph font joins it, and both fade out before the
// title menu takes over. The choose button skips ahead to the fade-out.

splash <- {
    renderer = null,
    picture = null,
    line = null,
    fadeIn = 30,
    hold = 70,
    fadeOut = 30
};

function init() {
    splash.renderer = spriteCreateRenderer(640, 480, 2);
    local image = spriteCreateImage("splash.png");
    local size = spriteGetImageSize(image);
    splash.picture = spriteCreateRect(splash.renderer, image,
        {mapWidth = size.width, mapHeight = size.height, drawWidth = 640, drawHeight = 480});

    local font = spriteCreateFont(24);
    local textImage = spriteCreateDynamicImage(512, 64);
    local text = spriteDrawImageText(textImage, font, "テッセラ・エンジンのデモ　ほしのタイル");
    splash.line = spriteCreateRect(splash.renderer, textImage,
        {level = 1, mapWidth = text.width, mapHeight = text.height,
         drawX = 320 - text.width / 2, drawY = 372});
    setBrightness(0.0);
    spriteSetRectAlpha(splash.line, 0.0);
}

// Both rects are tinted towards black: the frame is never cleared, so the picture itself
// carries the fade.
function setBrightness(level) {
    spriteSetRectColor(splash.picture, level, level, level);
    spriteSetRectColor(splash.line, level, level, level * 0.9);
}

function skipRequested() {
    return ctrlGetEvent(0, 4);
}

function work() {
    for (local frame = 0; frame < splash.fadeIn; frame++) {
        setBrightness(frame.tofloat() / splash.fadeIn);
        if (skipRequested()) break;
        suspend();
    }
    setBrightness(1.0);
    for (local frame = 0; frame < splash.hold; frame++) {
        local shown = frame < 20 ? frame.tofloat() / 20 : 1.0;
        spriteSetRectAlpha(splash.line, shown);
        if (skipRequested()) break;
        suspend();
    }
    spriteSetRectAlpha(splash.line, 1.0);
    for (local frame = splash.fadeOut; frame > 0; frame--) {
        setBrightness(frame.tofloat() / splash.fadeOut);
        suspend();
    }
    setBrightness(0.0);
    globalPrepareNextBasicEngine({dir = "menu", args = {cursor = 0, greeting = "ようこそ"}});
    engineRequestExit();
}
