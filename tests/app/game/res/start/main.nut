// The bootstrap engine's script: one line of text in the middle of the screen until the OK
// button is pressed.
local screen = globalGetScreenSize();
local font = spriteCreateFont(24);
local image = spriteCreateDynamicImage(512, 32);
local size = spriteDrawImageText(image, font, "Tessera: press the OK button (Z)");
local renderer = spriteCreateRenderer(screen.width, screen.height, 1);
spriteCreateRect(renderer, image, {
    mapWidth = size.width, mapHeight = size.height,
    drawX = (screen.width - size.width) / 2, drawY = (screen.height - size.height) / 2
});

function work() {
    while (!ctrlGetEvent(0, 0)) suspend();
    engineRequestExit();
}
