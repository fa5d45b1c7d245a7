#pragma once
#include <cstdint>

#include "foundation/DNode.h"
#include "foundation/DObject.h"

namespace mirel {

// The untyped circular list under DList<T>: a sentinel node, made on first use, whose next is
// the first node and whose prev is the last. Links are counted in both directions, so the
// list is a ring of references that only its teardown breaks. An erased node stays alive
// while a position holds it, and its next still leads back into the list.
class DNodeList : public DObject {
public:
    DNodeList() = default;
    DNodeList(const DNodeList&) = delete;
    DNodeList& operator=(const DNodeList&) = delete;
    ~DNodeList() override { _Destroy(); }

    uint32_t Count() const { return count_; }

    void _CreateSentinel();
    // Erases the first node until the list is empty.
    void _EraseAllNodes();

protected:
    // The first node, or the sentinel when the list is empty.
    rcptr<DNode> FirstNode();
    rcptr<DNode> EndNode();
    // Links a new node holding `value` before `position`; returns it.
    rcptr<DNode> LinkNode(const rcptr<DNode>& position, const rcptr_holder& value);
    // Unlinks `position` and releases its element; returns the node that followed it. The
    // sentinel and nodes already erased are left alone.
    rcptr<DNode> EraseNode(const rcptr<DNode>& position);

private:
    void _Destroy();

    rcptr<DNode> sentinel_;
    uint32_t count_ = 0;
};

}  // namespace mirel
