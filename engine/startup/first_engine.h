#pragma once

class Engine;
class System;

// The bootstrap engine over the script directory "start", bound to the System.
Engine* createFirstEngine(System& system);
