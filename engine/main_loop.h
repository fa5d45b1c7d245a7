#pragma once

class System;

// Runs the recorded engines one after another: each becomes the current engine, runs its frame
// loop, is deleted, and the System gets a fresh renderer. An engine that ends without recording
// a next one ends the loop.
void runMainLoop(System& system);
