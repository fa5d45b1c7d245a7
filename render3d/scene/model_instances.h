#pragma once
// Instances of models as the engines make them: the model's directory is a resource name of
// the renderer, whose effect data ("<directory>/effdata") is loaded with the first model of
// the directory, and texture names of the instance resolve inside that directory.
#include <cstdint>

#include "foundation/rcptr.h"

class L3DObjectData;
class L3DObjectInstance;
class L3DRenderer;

// `path` is the model's path in the pack (CP932), the pack where its directory's effect data
// lies. A model without a directory part is fatal (no resource is named "").
mirel::rcptr<L3DObjectInstance> l3dCreateModelInstance(L3DRenderer& renderer,
                                                       const mirel::rcptr<L3DObjectData>& model,
                                                       const char* path, uint32_t pack);
