// The game's identity and its one input layout, read before the settings dialog opens.
confSetGameId(1);
confSetWindowClassName("TESSERA_DEMO");
confSetGameTitleSimple("ほしのタイル");
confSetGameTitle("テッセラ デモ ～ほしのタイル～");
confSetLogHeader("Tessera demo: ほしのタイル");

// Logical buttons 0 to 5, in the order the scripts read them. The first value marks the four
// directions (2), the second is the default key: the arrow keys, Z to choose and X to go back.
confSetInputType(0, "標準");
confAddInputButton(0, "上", 2, 200);
confAddInputButton(0, "下", 2, 208);
confAddInputButton(0, "左", 2, 203);
confAddInputButton(0, "右", 2, 205);
confAddInputButton(0, "決定", 0, 44);
confAddInputButton(0, "キャンセル", 0, 45);
confSetInputPadCount(1);
