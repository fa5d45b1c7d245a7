// The fixture game's identity and its one input layout: a single button, Z by default
// (scan code 0x2C).
confSetWindowClassName("FIXTURE");
confSetGameTitleSimple("Fixture");
confSetGameTitle("Tessera fixture game");
confSetLogHeader("Tessera fixture game");
confSetInputType(0, "Standard");
confAddInputButton(0, "OK", 0, 0x2C);
