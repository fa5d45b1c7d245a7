#pragma once
#include <cstddef>
#include <cstdint>

// Helpers over NUL-terminated UTF-16 text. Sizes count units and include the terminator;
// every bounded writer writes at most size - 1 units and a terminator (nothing when the size
// is 0).

// Character classes. Digits: '0'-'9' and U+FF10-U+FF19. Blanks: tab, space, U+3000.
// Control units: 0-8, 11, 12, 14-31, 127-160, 173, U+2000-U+200F, U+2011, U+2028-U+202F,
// U+205F-U+206F (tab, LF, CR and U+2010 are not).
bool pelCharIsDigit(char16_t unit);
bool pelCharIsBlank(char16_t unit);
bool pelCharIsControl(char16_t unit);
// Folds 'A'-'Z' and the full-width U+FF21-U+FF3A to lower case; other units are unchanged.
char16_t pelCharToLower(char16_t unit);

size_t pelStrLength(const char16_t* text);
// Copies up to size - 1 units and terminates. Returns the position of the source's terminator
// when the whole source was copied, NULL when it was cut.
const char16_t* pelStrCopy(const char16_t* source, char16_t* destination, size_t size);
// Appends the source after the destination's text within the destination's whole size.
void pelStrCat(size_t size, char16_t* destination, const char16_t* source);
// A heap copy (free with std::free); out of memory is the fatal report.
char16_t* pelStrDup(const char16_t* source);
bool pelStrEqual(const char16_t* a, const char16_t* b);
// True when the first n units, or all units up to and including b's terminator when it comes
// first, are equal after folding.
bool pelStrCompareNoCase(const char16_t* a, const char16_t* b, size_t n);
void pelStrToLower(char16_t* text);

// The first or last '\' or '/', or NULL.
const char16_t* pelPathFindSeparator(const char16_t* text);
const char16_t* pelPathFindLastSeparator(const char16_t* text);
// The first "://", or NULL.
const char16_t* pelStrFindUrlScheme(const char16_t* text);

// The first unit that is neither blank nor control; never passes the terminator.
const char16_t* pelStrSkipBlank(const char16_t* position);
// Reads one token after the blanks: quotes ('"' or U+201D) toggle a quoted stretch, an
// escape ('\' or U+FFE5) takes the next unit literally. Outside quotes the token ends at a
// blank or control unit, at any unit of `terminators`, and at '=' or U+FF1D when stopAtEquals
// is set; NUL, LF and CR always end it. Stores what fits in the output (may be NULL) and
// returns the unit that ended the token.
const char16_t* pelStrReadToken(const char16_t* position, const char16_t* terminators,
                                char16_t* output, size_t outputSize, bool stopAtEquals);
// Reads a key token; when '=' or U+FF1D follows, skips it and the value token too. Returns the
// position after the key (or after its value).
const char16_t* pelStrReadKey(size_t outputSize, char16_t* output, const char16_t* position,
                              const char16_t* terminators);
// Skips one token or one key=value item, and the blanks after it.
const char16_t* pelStrSkipItem(const char16_t* position, const char16_t* terminators);

// Encodes UTF-16 as UTF-8, each unit on its own (surrogates become three bytes each). Writes
// whole encodings while they fit with room for the terminator and stops at the first that does
// not; the destination (when its size is not 0) is terminated. `unitsConverted` (may be NULL)
// receives the units written. Returns the bytes the whole source needs, without terminator.
size_t pelStrToUtf8(char* destination, size_t destinationSize, size_t* unitsConverted,
                    const char16_t* source);
// Decodes NUL-terminated UTF-8: 4-byte sequences become '?', a sequence cut by the end stops
// the decoding, bytes that start no sequence become units of the same value. `bytesConsumed`
// (may be NULL) receives the source bytes of the units written. Returns the units the whole
// source needs, without terminator.
size_t pelStrFromUtf8(char16_t* destination, size_t destinationSize, size_t* bytesConsumed,
                      const char* source);

// The 64-bit value with its byte order reversed.
uint64_t pelSwapU64(uint64_t value);
