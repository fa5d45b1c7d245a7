function init() {
    local r = spriteRendererCreate(160, 120, 2);
    local image = spriteImageCreateText(128, 32);
    local rect = spriteRectCreate(r, image, null);
    local plain = spriteRectTextFormatCreate(r, {fontSize = 16});
    local linear = spriteRectTextFormatCreate(r, {fontSize = 16, fontGamma = 1.0, speed = 4});
    spriteRectDrawText(rect, linear, "こんにちは");
    local queued = spriteRectIsTextExist(rect) && spriteRendererIsAllTextExists(r);
    spriteRectFlushText(rect);
    return {plain = plain, linear = linear, queued = queued,
        pending = spriteRectIsTextExist(rect), drawn = spriteRectGetDrawedTextSize(rect)};
}
