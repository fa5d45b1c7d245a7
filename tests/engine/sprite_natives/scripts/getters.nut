// Every getter that answers with a table, each described as its sorted "name=value" slots.
function describe(table) {
    local slots = [];
    foreach (name, value in table) slots.append(name + "=" + value);
    slots.sort();
    local text = "";
    foreach (slot in slots) text += (text == "" ? "" : " ") + slot;
    return text;
}

function init() {
    local r = spriteRendererCreate(160, 120, 2);
    local image = spriteImageCreateText(48, 16);
    local rect = spriteRectCreate(r, image, null);
    local s = spriteCreate(r, {rect = rect, posX = 3.0, posY = 4.0, scaleX = 2.0, scaleY = 0.5,
        colorRed = 0.25, colorGreen = 0.5, colorBlue = 0.75, reverseX = true,
        rectReverseY = true});
    return {
        spriteImageGetSize = describe(spriteImageGetSize(image)),
        spriteRectGetDrawedTextSize = describe(spriteRectGetDrawedTextSize(rect)),
        spriteGetPos = describe(spriteGetPos(s)),
        spriteGetScale = describe(spriteGetScale(s)),
        spriteGetColor = describe(spriteGetColor(s)),
        spriteIsReverse = describe(spriteIsReverse(s)),
        spriteIsRectReverse = describe(spriteIsRectReverse(s))
    };
}
