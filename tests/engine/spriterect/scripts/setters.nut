// Every setter once, on a rect the test has brought up to date. After each step "work"
// suspends with the step's name, the rebuild flags the step should have set (0x20 positions,
// 0x40 texture coordinates) and whether the getters read back what was set.
steps <- [
    ["level", 0, function(r) { spriteSetRectLevel(r, 2); return spriteGetRectLevel(r) == 2; }],
    ["enable", 0, function(r) { spriteSetRectEnable(r, false); return true; }],
    ["pivotX", 0x20, function(r) { spriteSetRectPivotX(r, 3); return spriteGetRectPivotX(r) == 3; }],
    ["pivotY", 0x20, function(r) { spriteSetRectPivotY(r, 4); return spriteGetRectPivotY(r) == 4; }],
    ["pivotPos", 0x20, function(r) {
        spriteSetRectPivotPos(r, 5, 6);
        local p = spriteGetRectPivotPos(r);
        return p.x == 5 && p.y == 6;
    }],
    ["drawReverseX", 0x20, function(r) { spriteSetRectDrawReverseX(r, true); return true; }],
    ["drawReverseY", 0x20, function(r) { spriteSetRectDrawReverseY(r, true); return true; }],
    ["drawX", 0x20, function(r) { spriteSetRectDrawX(r, 11); return spriteGetRectDrawX(r) == 11; }],
    ["drawY", 0x20, function(r) { spriteSetRectDrawY(r, 12); return spriteGetRectDrawY(r) == 12; }],
    ["drawWidth", 0x20, function(r) {
        spriteSetRectDrawWidth(r, 13);
        return spriteGetRectDrawWidth(r) == 13;
    }],
    ["drawHeight", 0x20, function(r) {
        spriteSetRectDrawHeight(r, 14);
        return spriteGetRectDrawHeight(r) == 14;
    }],
    ["drawPos", 0x20, function(r) {
        spriteSetRectDrawPos(r, 15, 16);
        local p = spriteGetRectDrawPos(r);
        return p.x == 15 && p.y == 16;
    }],
    ["drawSize", 0x20, function(r) {
        spriteSetRectDrawSize(r, 17, 18);
        local s = spriteGetRectDrawSize(r);
        return s.width == 17 && s.height == 18;
    }],
    ["drawPosSize", 0x20, function(r) {
        spriteSetRectDrawPosSize(r, 19, 20, 21, 22);
        local d = spriteGetRectDrawPosSize(r);
        return d.x == 19 && d.y == 20 && d.width == 21 && d.height == 22;
    }],
    ["drawRotation", 0x20, function(r) {
        spriteSetRectDrawRotation(r, -45);
        local degrees = spriteGetRectDrawRotation(r);
        return degrees > -45.001 && degrees < -44.999;
    }],
    ["mapReverseX", 0x40, function(r) { spriteSetRectMapReverseX(r, true); return true; }],
    ["mapReverseY", 0x40, function(r) { spriteSetRectMapReverseY(r, true); return true; }],
    ["mapX", 0x40, function(r) { spriteSetRectMapX(r, 1); return spriteGetRectMapX(r) == 1; }],
    ["mapY", 0x40, function(r) { spriteSetRectMapY(r, 2); return spriteGetRectMapY(r) == 2; }],
    ["mapWidth", 0x40, function(r) {
        spriteSetRectMapWidth(r, 3);
        return spriteGetRectMapWidth(r) == 3;
    }],
    ["mapHeight", 0x40, function(r) {
        spriteSetRectMapHeight(r, 4);
        return spriteGetRectMapHeight(r) == 4;
    }],
    ["mapPos", 0x40, function(r) {
        spriteSetRectMapPos(r, 5, 6);
        local p = spriteGetRectMapPos(r);
        return p.x == 5 && p.y == 6;
    }],
    ["mapSize", 0x40, function(r) {
        spriteSetRectMapSize(r, 7, 8);
        local s = spriteGetRectMapSize(r);
        return s.width == 7 && s.height == 8;
    }],
    ["mapPosSize", 0x40, function(r) {
        spriteSetRectMapPosSize(r, 9, 10, 11, 12);
        local m = spriteGetRectMapPosSize(r);
        return m.x == 9 && m.y == 10 && m.width == 11 && m.height == 12;
    }],
    ["color", 0, function(r) { spriteSetRectColor(r, 1.0, 0.5, 0.0); return true; }],
    ["alpha", 0, function(r) { spriteSetRectAlpha(r, 0.25); return true; }],
    ["blend", 0, function(r) { spriteSetRectBlend(r, 2); return spriteGetRectBlend(r) == 2; }],
    // Clearing flags takes them away again.
    ["enableAgain", 0, function(r) { spriteSetRectEnable(r, true); return true; }],
    ["drawReverseXOff", 0x20, function(r) { spriteSetRectDrawReverseX(r, false); return true; }],
    ["mapReverseYOff", 0x40, function(r) { spriteSetRectMapReverseY(r, false); return true; }]
];

function init() {
    subject <- spriteCreateRect(renderer, image, {});
    return {rect = subject, count = steps.len()};
}

function work() {
    foreach (step in steps) {
        local apply = step[2];  // called with this file's table as `this`, not the step
        local ok = apply(subject);
        suspend({name = step[0], dirty = step[1], ok = ok});
    }
}
