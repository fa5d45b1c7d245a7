// spriteCreateRect's options in their order, and the getters' tables. The test shares a
// renderer of 640 x 480 with 4 levels and a 64 x 32 image.

// "key=value" pairs of a table, sorted and joined by commas.
function describe(t) {
    local parts = [];
    foreach (key, value in t) parts.append(key + "=" + value);
    parts.sort();
    local text = "";
    foreach (i, part in parts) text += (i ? "," : "") + part;
    return text;
}

function init() {
    local base = spriteCreateRect(renderer, image, {level = 2, mapX = 4, mapY = 2,
        mapWidth = 20, mapHeight = 10, pivotX = 3, pivotY = 5, drawX = 7, drawY = 9,
        drawWidth = 30, drawHeight = 40, drawRotation = 90, blend = 1});
    local other = spriteCreateRect(renderer, image, {level = 1, mapX = 1, mapY = 1,
        mapWidth = 2, mapHeight = 2, pivotX = 1, pivotY = 1, drawX = 1, drawY = 1,
        drawWidth = 2, drawHeight = 2, blend = 3});
    local rotated = spriteCreateRect(renderer, image, {});
    spriteSetRectDrawRotation(rotated, 90);
    return {
        base = base,
        plain = spriteCreateRect(renderer, image, {}),
        copy = spriteCreateRect(renderer, image, {base = base, drawX = 100}),
        mapOnly = spriteCreateRect(renderer, image, {mapWidth = 16}),
        // The single groups after "base"; single values after the groups.
        groups = spriteCreateRect(renderer, image, {base = base, baseMap = other,
            basePivot = other, baseBlend = other, baseLevel = other}),
        drawGroup = spriteCreateRect(renderer, image, {baseDraw = base, drawHeight = 5,
            level = 3}),
        nullBase = spriteCreateRect(renderer, image, {base = null, mapX = null}),
        below = spriteCreateRect(renderer, image, {level = -3}),
        above = spriteCreateRect(renderer, image, {level = 9}),
        rotated = rotated,
        degrees = spriteGetRectDrawRotation(rotated),
        baseDegrees = spriteGetRectDrawRotation(base),
        tables = {
            pivotPos = describe(spriteGetRectPivotPos(base)),
            drawPos = describe(spriteGetRectDrawPos(base)),
            drawSize = describe(spriteGetRectDrawSize(base)),
            drawPosSize = describe(spriteGetRectDrawPosSize(base)),
            mapPos = describe(spriteGetRectMapPos(base)),
            mapSize = describe(spriteGetRectMapSize(base)),
            mapPosSize = describe(spriteGetRectMapPosSize(base)),
            imageSize = describe(spriteGetImageSize(image)),
            rendererSize = describe(spriteGetRendererSize(renderer))
        }
    };
}
