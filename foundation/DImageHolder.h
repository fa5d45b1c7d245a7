#pragma once
#include "foundation/DImage.h"

namespace mirel {

// An image that wraps pixel memory it does not own (a locked texture level, the back buffer)
// through Attach or AttachRaw; it addresses rows top-down like DImage.
class DImageHolder : public DImage {};

}  // namespace mirel
