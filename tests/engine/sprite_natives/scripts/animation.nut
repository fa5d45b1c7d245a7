// The "animation" option: attached with its speed, a null option after a base that copied one,
// and an id of another kind refused. The test supplies testRenderer and testAnimation.
function init() {
    local r = testRenderer;
    local played = spriteCreate(r, {animation = testAnimation, animationSpeed = 0.5});
    local nulled = spriteCreate(r, {base = played, animation = null});
    local wrongKind = spriteCreate(r, {animation = played});
    return {played = played, nulled = nulled, wrongKind = wrongKind};
}
