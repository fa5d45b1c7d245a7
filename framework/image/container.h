#pragma once
#include <cstdint>

#include "framework/image/image.h"

// Raw "CPIB" containers: a PNG base image and pre-compressed block data of kinds 5 to 9.

namespace pelimage {

// Reads the header and the stored-format table from the file's start. False, with no table
// left allocated, when the file is not a valid container.
bool readContainerHeader(PEL_IMAGE_INFO* info, PEL_FILE* file);
PEL_STATUS loadContainer(const PEL_IMAGE_INFO* info, PEL_FILE* file, uint32_t pitch, uint32_t kind,
                         uint8_t* destination, uint32_t rows);

}  // namespace pelimage
