#pragma once

// Copies the NUL-terminated Shift-JIS source into the destination with 'A'..'Z' lowered;
// both bytes of a double-byte character are copied unchanged, and a lead byte directly before
// the terminator is copied alone. The destination may be the source.
void l3dToLower(const char* source, char* destination);
