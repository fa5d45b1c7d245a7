#include "engine/config/command_line_scan.h"

#include <cstring>

#include "framework/core/wide_string.h"

namespace {

constexpr size_t kTokenUnits = 129;
constexpr char16_t kFullWidthEquals = 0xFF1D;

int digitValue(char16_t unit) {
    if (unit >= u'0' && unit <= u'9') return unit - u'0';
    if (unit >= u'a' && unit <= u'z') return unit - u'a' + 10;
    if (unit >= u'A' && unit <= u'Z') return unit - u'A' + 10;
    return 99;
}

bool isEqualsSign(char16_t unit) { return unit == u'=' || unit == kFullWidthEquals; }

// Reads one token into `token` and, when an equals sign follows, reads and drops the value.
// Returns the position after both and the blanks behind them.
const char16_t* readOption(const char16_t* position, char16_t* token) {
    token[0] = 0;
    position = pelStrReadToken(pelStrSkipBlank(position), u"", token, kTokenUnits, true);
    position = pelStrSkipBlank(position);
    if (isEqualsSign(*position)) {
        char16_t discarded[kTokenUnits];
        position =
            pelStrReadToken(pelStrSkipBlank(position + 1), u"", discarded, kTokenUnits, true);
        position = pelStrSkipBlank(position);
    }
    return position;
}

bool same(const char16_t* token, const char16_t* name) {
    while (*token && *token == *name) {
        ++token;
        ++name;
    }
    return *token == *name;
}

}  // namespace

uint64_t readUnsigned(const char16_t* text, unsigned base) {
    bool negative = false;
    if (*text == u'+' || *text == u'-') negative = *text++ == u'-';
    const bool hexPrefix =
        text[0] == u'0' && (text[1] == u'x' || text[1] == u'X') && digitValue(text[2]) < 16;
    if (base == 0) base = hexPrefix ? 16 : text[0] == u'0' ? 8 : 10;
    if (base == 16 && hexPrefix) text += 2;
    uint64_t value = 0;
    bool overflow = false;
    for (; digitValue(*text) < static_cast<int>(base); ++text) {
        const uint64_t digit = static_cast<uint64_t>(digitValue(*text));
        if (value > (UINT64_MAX - digit) / base) overflow = true;
        value = value * base + digit;
    }
    if (overflow) return UINT64_MAX;
    return negative ? 0 - value : value;
}

StartOptions scanCommandLine(const char16_t* commandLine) {
    StartOptions options;
    char16_t token[kTokenUnits];
    // The program path matches nothing.
    const char16_t* position = readOption(commandLine, token);
    while (*position) {
        const char16_t* before = position;
        position = readOption(position, token);
        bool takesPipes = false;
        if (same(token, u"--adjuster")) {
            options.mode = StartMode::Adjuster;
            takesPipes = true;
        } else if (same(token, u"--config")) {
            options.mode = StartMode::SettingsOnly;
        } else if (same(token, u"--lounge")) {
            options.mode = StartMode::Lounge;
            takesPipes = true;
        } else if (same(token, u"--netconfig")) {
            options.mode = StartMode::NetworkSettings;
        }
        if (takesPipes) {
            uint32_t* pipes[2] = {&options.inputPipe, &options.outputPipe};
            for (uint32_t* pipe : pipes) {
                if (!*position) break;
                position = readOption(position, token);
                *pipe = static_cast<uint32_t>(readUnsigned(token, 0));
            }
        }
        // A unit that ends a token without being consumed (a line break) would stall the scan.
        if (position == before) ++position;
    }
    return options;
}

bool pipesMatchMode(const StartOptions& options) {
    if (options.mode == StartMode::Lounge || options.mode == StartMode::Adjuster)
        return options.inputPipe != 0 && options.outputPipe != 0;
    return options.inputPipe == 0 && options.outputPipe == 0;
}
