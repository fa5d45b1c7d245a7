#pragma once

namespace mirel {

// Makes MPEG audio inside WAVE and AVI files (format tags 0x0050 and 0x0055) decodable
// through the ACM calls, with the system's own MPEG decoder. Calling it again is harmless.
void registerMpegAcmDecoder();

}  // namespace mirel
