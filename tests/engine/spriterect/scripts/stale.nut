// Ids that name nothing: released records, records of another kind, a forged id. Each use is
// reported and gives the neutral result without writing anything. The test shares a renderer,
// an image, a second renderer `doomed`, a second image `shown` and a `forged` handle.
function init() {
    local gone = spriteCreateRect(renderer, image, {});
    spriteDestroyRect(gone);
    local kept = spriteCreateRect(renderer, image, {drawX = 5});
    local orphan = spriteCreateRect(doomed, image, {});
    spriteDestroyRenderer(doomed);
    // The image goes while a rect shows it: the rect keeps drawing it.
    local showing = spriteCreateRect(renderer, shown, {});
    spriteDestroyImage(shown);

    local result = {
        gone = gone, kept = kept, orphan = orphan, showing = showing,
        goneLevel = spriteGetRectLevel(gone),
        goneSize = spriteGetRectDrawSize(gone).width,
        orphanX = spriteGetRectDrawX(orphan),
        shownSize = spriteGetImageSize(shown).width,
        doomedSize = spriteGetRendererSize(doomed).height,
        imageAsRect = spriteGetRectDrawX(image),
        rectAsImage = spriteGetImageSize(kept).width,
        forgedX = spriteGetRectDrawX(forged),
        forgedRect = spriteCreateRect(renderer, forged, {}),
        forgedBase = spriteGetRectDrawX(spriteCreateRect(renderer, image, {base = forged})),
        text = spriteDrawImageText(image, forged, "x").height
    };
    spriteSetRectDrawX(gone, 99);
    spriteSetRectDrawX(orphan, 99);
    spriteSetRectDrawX(image, 99);
    spriteSetRectDrawX(forged, 99);
    spriteDestroyRect(forged);
    spriteDestroyFont(image);
    result.keptX <- spriteGetRectDrawX(kept);
    return result;
}
