#pragma once
// The program body between main and the engines: start everything in a fixed order, run the
// engines from "start/main" on, tear everything down so that every report still reaches the log.
#include <cstdint>

class Config;
class System;

// The application's entry, called once by main; its result is the process exit code: the
// Config's exit code (0 after a normal end of the main loop), 1 without a Config.
int AppMain();

// Starts the framework, the packs, "sys/base", the window platform and log, the devices'
// loaders, the 3D library, the sprite font, Config (settings dialog), the resource packs, the
// single-instance lock and System, in that order. True when the main loop should run.
bool appInit();
// Stops and frees everything appInit made, in the order that keeps the log open to the end.
// Skips what does not exist; throws nothing.
void shutdown();

// The report exit hook while the game runs: a level-0 report throws LExceptGame, so a fatal
// error unwinds to AppMain and the normal shutdown.
void appReportExitHook(int32_t level);

// The objects appInit made (null before and after).
Config* appConfig();
System* appSystem();
// The pack registry's index of the unnamed default pack.
uint32_t appRootPackIndex();

// Called with the name of every start-up and shutdown step as it begins (null: none), so that
// their order can be watched.
void setAppStepObserver(void (*observer)(const char* step));
