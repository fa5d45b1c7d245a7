confSetWindowClassName("STARTUP_SUITE");
confSetGameTitleSimple("Startup");
confSetGameTitle("Start-up suite");
confSetInputType(0, "Standard");
confAddInputButton(0, "OK", 0, 0x2C);
