#pragma once
#include <png.h>

#include <cstddef>

namespace pngread {

// Where a libpng read takes its bytes and sends libpng's messages. Plain data, so that a
// png_longjmp out of libpng skips no destructor.
struct Glue {
    void* user;
    // Fills exactly `length` bytes and returns NULL, or returns the message the read fails
    // with (raised through png_error).
    const char* (*read)(void* user, png_bytep data, size_t length);
    // Receives errors (before the jump back to the caller's setjmp) and warnings (the read
    // goes on); NULL drops them.
    void (*message)(void* user, const char* text);
};

// A read structure that reads through the glue, logs warnings and, on an error, logs it and
// jumps to png_jmpbuf. NULL when libpng cannot make one. The glue must outlive the structure.
png_structp createReadStruct(Glue* glue);

}  // namespace pngread
