#pragma once

// Mounts the resource pack "<name>.dat" and its continuations "<name>0.dat", "<name>1.dat", …
// up to the first that is missing. False (with a message) when "<name>.dat" itself is missing;
// a pack that exists but cannot be mounted is fatal.
bool _loadResource(const char16_t* name);
