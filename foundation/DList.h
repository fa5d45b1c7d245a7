#pragma once
#include "foundation/DListIterator.h"
#include "foundation/DNodeList.h"

namespace mirel {

// A circular doubly linked list of counted handles to T. Constructing one allocates nothing.
// Iterate from _GetFirstNode with Next until the position equals _GetEndNode.
template <class T>
class DList : public DNodeList {
public:
    using Iterator = DListIterator<T>;

    Iterator _GetFirstNode() { return Iterator(FirstNode()); }
    Iterator _GetEndNode() { return Iterator(EndNode()); }
    // The first element, or a null handle when the list is empty.
    rcptr<T> _GetFirstRef() { return _GetFirstNode().GetRef(); }

    Iterator AddTail(const rcptr<T>& value) { return _LinkNew(_GetEndNode(), value); }
    // Links a counted copy of `value` before `position`.
    Iterator _LinkNew(const Iterator& position, const rcptr<T>& value) {
        return Iterator(LinkNode(position.Node(), value));
    }
    // Erases the element at `position` (the end position erases nothing); returns the
    // position that followed it.
    Iterator Erase(const Iterator& position) { return Iterator(EraseNode(position.Node())); }
};

}  // namespace mirel
