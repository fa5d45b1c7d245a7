#pragma once

// Runs the compiled script "sys/base" in a temporary VM whose only addition is the native
// setAppDir (path): the game's own sub-directory of the application-data folders. A missing
// script is silent.
void runBaseScript();
