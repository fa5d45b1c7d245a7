function init() {
    local r = spriteRendererCreate(160, 120, 2);
    local s = spriteCreate(r, null);
    local image = spriteImageCreateText(8, 8);
    spriteRectRelease(s);
    local forged = spriteCreate(image, null);
    spriteRectCreate(r, s, null);
    spriteRectTextFormatCreate(image, null);
    local loaded = spriteImageLoad("Missing.png");
    spriteRendererDestroy(r);
    spriteSetPosX(s, 3.0);
    return {s = s, image = image, forged = forged, loaded = loaded};
}
