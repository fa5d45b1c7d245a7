#pragma once
#include "foundation/DObject.h"

namespace mirel {

// The base of the library's waitable objects.
class DLockObject : public DObject {};

}  // namespace mirel
