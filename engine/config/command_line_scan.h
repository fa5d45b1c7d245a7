#pragma once
#include <cstdint>

// How the program was started, from its options.
enum class StartMode {
    Normal,           // no option
    Adjuster,         // "--adjuster <in> <out>"
    SettingsOnly,     // "--config"
    Lounge,           // "--lounge <in> <out>"
    NetworkSettings,  // "--netconfig"
};

struct StartOptions {
    StartMode mode = StartMode::Normal;
    uint32_t inputPipe = 0;
    uint32_t outputPipe = 0;
};

// Reads an unsigned number in the base (2 to 36), or with base 0 by its prefix: "0x"
// hexadecimal, a leading "0" octal, otherwise decimal. An optional sign ('-' negates modulo
// 2^64). Stops at the first unit that is no digit of the base; no digits gives 0; overflow
// gives UINT64_MAX.
uint64_t readUnsigned(const char16_t* text, unsigned base);

// Scans a whole command line (the program path first). Tokens end at blanks and at either
// equals sign; a value after an equals sign is read and thrown away. A later option replaces
// the mode of an earlier one; pipe numbers stay.
StartOptions scanCommandLine(const char16_t* commandLine);

// Whether the pipes suit the mode: both non-zero for the lounge and the adjuster, both zero
// for every other mode.
bool pipesMatchMode(const StartOptions& options);
