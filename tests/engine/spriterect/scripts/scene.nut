// The golden scene: a 32 x 32 loaded image `photo` shown plain, mirrored, rotated, cut out and
// added, and Japanese text drawn into the dynamic image `canvas` through `font`, on a renderer
// of 160 x 120 with 3 levels. Rects are made out of level order: the levels decide what lies
// on top.
function init() {
    // Level 2, made first, yet drawn over the plain photo of level 0 made after it.
    local over = spriteCreateRect(renderer, photo, {level = 2, drawX = 40, drawY = 36,
        drawWidth = 24, drawHeight = 24});
    spriteSetRectMapReverseY(over, true);
    spriteSetRectAlpha(over, 0.6);

    local plain = spriteCreateRect(renderer, photo, {drawX = 8, drawY = 8, drawWidth = 48,
        drawHeight = 48});
    // Placed mirrored across the renderer (draw x 8 puts it 8 pixels from the right edge) and
    // its picture mirrored by the map.
    local mirrored = spriteCreateRect(renderer, photo, {base = plain});
    spriteSetRectDrawReverseX(mirrored, true);
    spriteSetRectMapReverseX(mirrored, true);

    local rotated = spriteCreateRect(renderer, photo, {level = 1, pivotX = 16, pivotY = 16,
        drawX = 80, drawY = 32, drawRotation = 30});
    local cut = spriteCreateRect(renderer, photo, {level = 1, mapX = 4, mapY = 4, mapWidth = 16,
        mapHeight = 16, drawX = 120, drawY = 64, drawWidth = 32, drawHeight = 32, blend = 1});

    local size = spriteDrawImageText(canvas, font, "日本語の文字\nAbc");
    local text = spriteCreateRect(renderer, canvas, {level = 2, drawX = 8, drawY = 70,
        mapWidth = size.width, mapHeight = size.height});
    spriteSetRectColor(text, 1.0, 0.9, 0.3);
    return {size = size, text = text};
}
