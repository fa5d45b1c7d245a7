// The title menu, run by the script-only engine: the title over a night sky, a menu of three
// items moved with up and down and chosen with the choose button, music that plays its intro
// once and then loops, and a sound effect for every move and choice.
//   はじめる  a page of text that appears one character at a time
//   サウンド  the three sound effects in turn
//   おわる    fades the music and the screen out and ends the game

// Logical buttons, as "sys/config" lists them.
keys <- {up = 0, down = 1, choose = 4, back = 5};
// Sound effects of "seList", by index.
sounds <- {move = 0, choose = 1, back = 2};
// Draw levels: background, panels, texts and cursor, the page, the fade cover.
levels <- {background = 0, panel = 1, text = 2, page = 3, cover = 4};
// Sprite blends: drawn over what is below by their alpha, or added to it (for light).
blends <- {alpha = 2, add = 3};

items <- ["はじめる", "サウンド", "おわる"];
itemTop <- 262;
itemStep <- 38;

pageText <- "ようこそ。これは テッセラの デモです。\n" +
    "このページの もじは ひとつずつ\n" +
    "おくられて あらわれます。\n" +
    "\n" +
    "上と下で えらび、Z で きめます。\n" +
    "X で メニューに もどります。";

menu <- {
    renderer = null,
    frames = null,
    title = null,
    subtitle = null,
    panel = null,
    labels = [],
    cursor = 0,
    cursorSprite = null,
    sparkles = [],
    hint = null,
    page = null,
    pageRect = null,
    pageFormat = null,
    pageLabel = null,
    cover = null,
    pageOpen = false,
    leaving = 0.0,
    frame = 0
};

// A sprite showing a line of text drawn once into its own text image; its size is the drawn
// text's, so callers can centre it.
function textSprite(text, fontSize, width, height, level) {
    local image = spriteImageCreateText(width, height);
    local rect = spriteRectCreate(menu.renderer, image, null);
    local format = spriteRectTextFormatCreate(menu.renderer, {fontSize = fontSize});
    spriteRectDrawText(rect, format, text);
    spriteRectFlushText(rect);
    local size = spriteRectGetDrawedTextSize(rect);
    local sprite = spriteCreate(menu.renderer, {rect = rect, level = level, blend = blends.alpha});
    return {sprite = sprite, width = size.width, height = size.height};
}

function framePart(x, y, width, height) {
    return spriteRectCreate(menu.renderer, menu.frames, {x = x, y = y, width = width, height = height});
}

function init() {
    local args = engineGetArgsVar();
    if (args != null && "cursor" in args) menu.cursor = args.cursor;

    menu.renderer = spriteRendererCreate(640, 480, 5);
    menu.frames = spriteImageLoad("frames.png");

    local sky = spriteImageLoad("title.png");
    local skySize = spriteImageGetSize(sky);
    spriteCreate(menu.renderer, {rect = spriteRectCreate(menu.renderer, sky, null),
        level = levels.background, scaleX = 640.0 / skySize.width, scaleY = 480.0 / skySize.height});

    menu.title = textSprite("ほしのタイル", 48, 512, 64, levels.text);
    menu.subtitle = textSprite("テッセラ エンジン デモ", 20, 320, 32, levels.text);
    spriteSetColor(menu.subtitle.sprite, 0.75, 0.85, 1.0);

    local panelRect = framePart(0, 0, 256, 128);
    menu.panel = spriteCreate(menu.renderer, {rect = panelRect, level = levels.panel,
        blend = blends.alpha, posX = 192.0, posY = 246.0});
    for (local i = 0; i < items.len(); i++) {
        local label = textSprite(items[i], 26, 192, 36, levels.text);
        spriteSetPos(label.sprite, 268.0, (itemTop + i * itemStep).tofloat());
        menu.labels.append(label.sprite);
    }
    menu.cursorSprite = spriteCreate(menu.renderer, {rect = framePart(0, 128, 32, 32),
        level = levels.text, blend = blends.alpha});
    local sparkleRect = framePart(32, 128, 32, 32);
    foreach (i, place in [[176, 62], [452, 88], [214, 128]]) {
        menu.sparkles.append(spriteCreate(menu.renderer, {rect = sparkleRect, level = levels.text,
            blend = blends.add, posX = place[0].tofloat(), posY = place[1].tofloat()}));
    }
    menu.hint = textSprite("上下で えらんで　Z で けってい", 16, 320, 24, levels.text);
    spriteSetPos(menu.hint.sprite, (320 - menu.hint.width / 2).tofloat(), 440.0);
    spriteSetColor(menu.hint.sprite, 0.7, 0.75, 0.9);

    menu.page = spriteCreate(menu.renderer, {rect = panelRect, level = levels.page,
        blend = blends.alpha, posX = 64.0, posY = 96.0, scaleX = 2.0, scaleY = 2.25, show = false});
    local pageImage = spriteImageCreateText(480, 256);
    menu.pageRect = spriteRectCreate(menu.renderer, pageImage, null);
    menu.pageFormat = spriteRectTextFormatCreate(menu.renderer,
        {fontSize = 22, speed = 3, flag = 2, drawX = 8, drawY = 8, marginY = 10});
    menu.pageLabel = spriteCreate(menu.renderer, {rect = menu.pageRect, level = levels.page,
        blend = blends.alpha, posX = 88.0, posY = 118.0, show = false});

    menu.cover = spriteCreate(menu.renderer, {rect = framePart(64, 128, 16, 16),
        level = levels.cover, blend = blends.alpha, scaleX = 40.0, scaleY = 30.0, colorRed = 0.0, colorGreen = 0.0,
        colorBlue = 0.0, alpha = 1.0});

    bgmPlay("intro", "loop", true);
}

// 0 to 1 over `length` frames from `start`, eased at both ends.
function ramp(frame, start, length) {
    local t = (frame - start).tofloat() / length;
    if (t <= 0) return 0.0;
    if (t >= 1) return 1.0;
    return t * t * (3 - 2 * t);
}

// A triangle wave between 0 and 1 with the given period in frames.
function wave(frame, period) {
    local phase = (frame % period).tofloat() / period;
    return phase < 0.5 ? phase * 2 : 2 - phase * 2;
}

// Places every sprite of the title screen for the current frame: the screen fades in from
// black, the title drops in, the menu fades in after it, the cursor bobs and the sparkles
// twinkle; when leaving, the screen fades out again.
function layout() {
    local frame = menu.frame;
    local cover = 1.0 - ramp(frame, 0, 24);
    spriteSetAlpha(menu.cover, cover > menu.leaving ? cover : menu.leaving);

    local drop = ramp(frame, 0, 45);
    spriteSetPos(menu.title.sprite, (320 - menu.title.width / 2).tofloat(), 40.0 + 36.0 * drop);
    spriteSetAlpha(menu.title.sprite, drop);
    spriteSetPos(menu.subtitle.sprite, (320 - menu.subtitle.width / 2).tofloat(), 142.0);
    spriteSetAlpha(menu.subtitle.sprite, ramp(frame, 20, 30));

    local shown = ramp(frame, 35, 30);
    spriteSetAlpha(menu.hint.sprite, shown);
    // The page covers the menu while it is open.
    if (menu.pageOpen) shown = 0.0;
    spriteSetAlpha(menu.panel, shown);
    for (local i = 0; i < menu.labels.len(); i++) {
        local label = menu.labels[i];
        spriteSetAlpha(label, shown);
        if (i == menu.cursor) spriteSetColor(label, 1.0, 0.88, 0.45);
        else spriteSetColor(label, 0.85, 0.88, 1.0);
    }
    spriteSetAlpha(menu.cursorSprite, shown);
    spriteSetPos(menu.cursorSprite, 226.0 + 5.0 * wave(frame, 40),
        (itemTop + menu.cursor * itemStep + 2).tofloat());
    for (local i = 0; i < menu.sparkles.len(); i++)
        spriteSetAlpha(menu.sparkles[i], shown * wave(frame + i * 23, 70));
}

// Lets `count` frames pass with the screen animating.
function pass(count) {
    for (local i = 0; i < count; i++) {
        menu.frame++;
        layout();
        suspend();
    }
}

function showPage() {
    menu.pageOpen = true;
    spriteSetShow(menu.page, true);
    spriteSetShow(menu.pageLabel, true);
    spriteRectDrawText(menu.pageRect, menu.pageFormat, pageText);
    pass(1);
    while (true) {
        if (ctrlGetEvent(0, keys.back)) break;
        if (ctrlGetEvent(0, keys.choose)) {
            if (!spriteRectIsTextExist(menu.pageRect)) break;
            spriteRectFlushText(menu.pageRect);
        }
        pass(1);
    }
    enginePlaySe(sounds.back);
    spriteRectCancelText(menu.pageRect);
    spriteSetShow(menu.page, false);
    spriteSetShow(menu.pageLabel, false);
    menu.pageOpen = false;
}

function playSounds() {
    foreach (effect in [sounds.move, sounds.choose, sounds.back]) {
        pass(30);
        enginePlaySe(effect);
    }
    pass(30);
}

function quit() {
    bgmFadeout(1000);
    for (local i = 1; i <= 60; i++) {
        menu.leaving = i / 60.0;
        pass(1);
    }
    engineRequestExit();
}

function work() {
    layout();
    suspend();
    while (true) {
        if (ctrlGetEvent(0, keys.up) || ctrlGetEvent(0, keys.down)) {
            local step = ctrlGetEvent(0, keys.up) ? items.len() - 1 : 1;
            menu.cursor = (menu.cursor + step) % items.len();
            enginePlaySe(sounds.move);
        } else if (ctrlGetEvent(0, keys.back) && menu.cursor != items.len() - 1) {
            menu.cursor = items.len() - 1;
            enginePlaySe(sounds.back);
        } else if (ctrlGetEvent(0, keys.choose)) {
            enginePlaySe(sounds.choose);
            if (menu.cursor == 0) showPage();
            else if (menu.cursor == 1) playSounds();
            else {
                quit();
                return;
            }
        }
        pass(1);
    }
}
