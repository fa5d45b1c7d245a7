#pragma once
#include "foundation/DExcept.h"

namespace mirel {

// Thrown by value for every file, archive and image-file error of the library.
class DExceptFile : public DExcept {
public:
    DExceptFile() : DExcept("DExceptFile") {}
};

}  // namespace mirel
