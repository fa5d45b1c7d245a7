function init() {
    local r = spriteRendererCreate(160, 120, 2);
    local image = spriteImageCreateText(64, 64);
    local wide = spriteRectCreate(r, image, {width = 1000});
    local whole = spriteRectCreate(r, image, null);
    local holder = spriteCreate(r, {rect = whole});
    local held = spriteCreate(r, {parentSprite = holder, rect = wide});
    spriteRelease(held);
    return {r = r, image = image, wide = wide, holder = holder, held = held,
        size = spriteImageGetSize(image), holderRect = spriteGetRect(holder) == whole,
        staleX = spriteGetPosX(held)};
}
