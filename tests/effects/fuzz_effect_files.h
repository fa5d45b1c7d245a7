#pragma once
// The fuzz targets' setting: the fuzz input served as the file "fuzz.dat" of the unnamed pack
// by an override provider (every other file is missing, a fatal error), and an effect manager
// bound to a renderer over a software device made once.
#include <cstddef>
#include <cstdint>

#include "effects/L3DEffectManager.h"

namespace tessera::test {

// Serves the bytes as "fuzz.dat" until the next call; returns the unnamed pack's index.
uint32_t serveFuzzFile(const uint8_t* data, size_t size);
// A manager freshly initialised on the process's renderer.
L3DEffectManager& fuzzManager();

}  // namespace tessera::test
