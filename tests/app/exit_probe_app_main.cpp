#include "engine/startup/app_main.h"

int AppMain() { return 3; }
