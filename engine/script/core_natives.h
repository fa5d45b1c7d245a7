#pragma once
#include <cstdint>

#include "framework/core/random.h"

class ScriptObject;

// Registers sysError, sysRun, sysGetRootDir, sysGetDebugTime, strConvert and the fourteen math
// natives (angles in degrees) in the table, in that order.
void registerCoreNatives(const ScriptObject& root);

// A colour channel: 0 at or below 0, 255 at or above 1, else truncate(x * 255 + 0.5).
uint8_t unitToByte(float x);

// min(a, b) + truncate(r * (|a - b| + 1) * 2^-32) for the generator's next r: the product is
// formed exactly, rounded once to single precision (as the engines' 24-bit floating-point unit
// computed it), then scaled. The result never exceeds max(a, b).
int32_t randomRangeInt(int32_t a, int32_t b, PEL_RAND* generator);
