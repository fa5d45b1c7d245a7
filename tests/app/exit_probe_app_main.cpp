#include "app/app_main.h"

int AppMain() { return 3; }
