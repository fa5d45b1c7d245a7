// The bootstrap engine of the headless run: a dark backdrop, a picture twice (once rotated and blended in a
// higher level) and a line of text drawn into a dynamic image through the glyph font; on frame
// 3 it switches to the script-only engine "menu" with arguments and exits.
frame <- 0;

function init() {
    local renderer = spriteCreateRenderer(160, 120, 3);
    spriteCreateRect(renderer, spriteCreateImage("backdrop"), {drawWidth = 160, drawHeight = 120});
    local picture = spriteCreateImage("picture");
    spriteCreateRect(renderer, picture, {drawX = 12, drawY = 12, drawWidth = 48, drawHeight = 48,
        level = 1});
    local turned = spriteCreateRect(renderer, picture, {drawX = 96, drawY = 16, pivotX = 16,
        pivotY = 16, drawRotation = 45.0, level = 2, blend = 1});
    spriteSetRectColor(turned, 1.0, 0.5, 0.25);
    local font = spriteCreateFont(16);
    local label = spriteCreateDynamicImage(128, 32);
    spriteDrawImageText(label, font, "はじめ Start");
    spriteCreateRect(renderer, label, {drawX = 8, drawY = 80, level = 2});
}

function work() {
    while (true) {
        frame++;
        if (frame == 3) {
            globalPrepareNextBasicEngine({dir = "menu", args = {stage = 3}});
            engineRequestExit();
        }
        suspend();
    }
}
