// A small scene on a 320 x 240 renderer: a turning parent box with two children (a mirrored,
// tinted box and an alpha-tested disc), a soft disc apart for comparison, and a line of
// Japanese text queued at one character per frame. "work" steps it once per frame.
scene <- null;

function init() {
    local r = spriteRendererCreate(320, 240, 3);
    local image = spriteImageLoad("box.png");
    local box = spriteRectCreate(r, image, {width = 32, height = 32, originX = 16, originY = 16});
    local disc = spriteRectCreate(r, image, {x = 40, width = 32, height = 32, originX = 16,
        originY = 16});
    local holder = spriteCreate(r, {rect = box, posX = 110.0, posY = 100.0, scaleX = 1.5,
        scaleY = 1.5, blend = 2, scaling = 2, level = 1});
    // Mirroring reflects the child's offset too: at x 40 it shows left of its parent.
    local mirrored = spriteCreate(r, {base = holder, parentSprite = holder, posX = 40.0,
        posY = 0.0, scaleX = 0.75, scaleY = 0.75, reverseX = true, colorRed = 0.6});
    local tested = spriteCreate(r, {rect = disc, parentSprite = holder, posX = 40.0, posY = 0.0,
        level = 2, alphatest = 2, alphatestThreshold = 0.5});
    local soft = spriteCreate(r, {rect = disc, posX = 270.0, posY = 60.0, scaleX = 1.5,
        scaleY = 1.5, blend = 2, scaling = 2});

    local textImage = spriteImageCreateText(256, 32);
    local line = spriteRectCreate(r, textImage, null);
    local format = spriteRectTextFormatCreate(r, {fontSize = 24, speed = 1, colorRed = 1.0,
        colorGreen = 0.9, colorBlue = 0.4, drawX = 2, drawY = 2});
    spriteRectDrawText(line, format, "こんにちは、世界");
    spriteCreate(r, {rect = line, posX = 20.0, posY = 180.0, blend = 2});
    scene = {holder = holder, mirrored = mirrored, tested = tested, soft = soft, line = line};
    return scene;
}

function work() {
    for (;;) {
        spriteSetRotationZ(scene.holder, spriteGetRotationZ(scene.holder) + 15.0);
        spriteSetPosX(scene.holder, spriteGetPosX(scene.holder) + 4.0);
        spriteSetRotationZ(scene.mirrored, spriteGetRotationZ(scene.mirrored) - 30.0);
        suspend(0);
    }
}
