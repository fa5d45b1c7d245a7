#pragma once
// The C interface of image plug-ins ("*.spi"): shared objects exporting the four entry points
// below with C linkage. Our own 64-bit form of the published interface: pointers travel as
// pointers, and memory handles are those of local_memory.h, allocated with the host's
// allocator (the executable exports LocalAlloc and its kin).

extern "C" {

// Writes information text number `infoNumber` into the buffer; returns its length, 0 when
// there is none. Number 0 is the interface version, "00IN" for image readers.
typedef int (*SusieGetPluginInfoFn)(int infoNumber, char* buffer, int bufferLength);
// Non-zero when the plug-in reads the file; `header` holds at least its first 4096 bytes,
// zero-padded.
typedef int (*SusieIsSupportedFn)(const char* fileName, const void* header);
// Not called by the host; its presence is required.
typedef int (*SusieGetPictureInfoFn)(const char* buffer, long length, unsigned flags, void* info);
// Progress callback: non-zero stops the decoding.
typedef int (*SusieProgressFn)(int done, int total, long data);
// Decodes the picture: with flags bit 0 set, `buffer` holds `length` bytes of the file in
// memory. On success (0) *info receives a memory handle holding a BITMAPINFO (40-byte header,
// then masks or palette) and *bits one holding the DIB rows.
typedef int (*SusieGetPictureFn)(const char* buffer, long length, unsigned flags, void** info,
                                 void** bits, SusieProgressFn progress, long data);

}  // extern "C"

inline constexpr unsigned kSusieFromMemory = 1;
