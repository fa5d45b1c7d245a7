#pragma once
#include "foundation/rcptr.h"

namespace mirel {

// One node of a DList, independent of the element type. Each node is its own counted
// allocation; the untyped value handle still releases the element as its real type.
struct DNode {
    rcptr<DNode> next;
    rcptr<DNode> prev;   // null once the node has been erased from its list
    rcptr_holder value;  // null in the sentinel
};

}  // namespace mirel
