function init() {
    local r = spriteRendererCreate(160, 120, 4);
    local plain = spriteCreate(r, {posX = 10.0});
    local base = spriteCreate(r, {posX = 3.0, posY = 4.0, scaleX = 2.0, rotationZ = 30.0,
        blend = 2, level = 1, colorRed = 0.5, alpha = 0.25, reverseX = true, scaling = 1});
    local copy = spriteCreate(r, {base = base, posX = 20.0});
    local layout = spriteCreate(r, {baseBase = base});
    local tiny = spriteCreate(r, {rotationZ = 30.0});
    spriteSetRotationZ(tiny, 0.0001);
    local moved = spriteCreate(r, {posX = 1.0, posY = 2.0});
    local before = spriteGetTransform(moved);
    spriteSetTransform(moved, [1, 0, 0, 5, 0, 1, 0, 7, 0, 0, 1, 0]);
    return {plain = plain, base = base, copy = copy, layout = layout, tiny = tiny,
        moved = moved, noTransform = before == null, after = spriteGetTransform(moved),
        baseDegrees = spriteGetRotationZ(base), tinyDegrees = spriteGetRotationZ(tiny),
        pos = spriteGetPos(copy), reverse = spriteIsReverse(copy)};
}
