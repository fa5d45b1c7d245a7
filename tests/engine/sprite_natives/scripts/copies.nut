// One source sprite with every field off its default; a copy of it through each "base…" option,
// and one with a value option of the copied group beside it. The test supplies testRenderer
// (four levels) and testAnimation.
function init() {
    local r = testRenderer;
    local rect = spriteRectCreate(r, spriteImageCreateText(32, 32), null);
    local source = spriteCreate(r, {rect = rect, parentSprite = spriteCreate(r, null), level = 2,
        show = false, posX = 3.0, posY = 4.0, scaleX = 2.0, scaleY = 3.0, rotationX = 10.0,
        rotationY = 20.0, rotationZ = 30.0, blend = 2, alphatest = 1, alphatestThreshold = 0.25,
        scaling = 1, colorRed = 0.5, colorGreen = 0.25, colorBlue = 0.75, alpha = 0.5,
        reverseX = true, reverseY = true, transform = [1, 0, 0, 5, 0, 1, 0, 7, 0, 0, 1, 0],
        rectReverseX = true, rectReverseY = true, animationSpeed = 2.0,
        animation = testAnimation});
    local copies = {};
    foreach (name in ["base", "baseBase", "basePos", "baseScale", "baseRotation",
                      "baseAnimation"]) {
        local options = {};
        options[name] <- source;
        copies[name] <- spriteCreate(r, options);
    }
    local values = {base = ["posX", 20.0], baseBase = ["level", 1], basePos = ["posY", 9.0],
        baseScale = ["scaleX", 5.0], baseRotation = ["rotationZ", 90.0],
        baseAnimation = ["animationSpeed", 3.0]};
    local overridden = {};
    foreach (name, value in values) {
        local options = {};
        options[name] <- source;
        options[value[0]] <- value[1];
        overridden[name] <- spriteCreate(r, options);
    }
    return {source = source, copies = copies, overridden = overridden};
}
