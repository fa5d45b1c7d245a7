#pragma once
#include <utility>

#include "foundation/DNode.h"

namespace mirel {

// A position in a DList<T>: a counted handle to a node, the sentinel being the end. Holding a
// position keeps its node alive, also after the node has been erased; such a position may
// still be advanced and compared, but no longer holds an element.
template <class T>
class DListIterator {
public:
    DListIterator() = default;
    explicit DListIterator(rcptr<DNode> node) : node_(std::move(node)) {}

    // A counted handle to the node's element (null for the end position).
    rcptr<T> GetRef() const { return node_->value.As<T>(); }
    DListIterator Next() const { return DListIterator(node_->next); }

    const rcptr<DNode>& Node() const { return node_; }

    friend bool operator==(const DListIterator& a, const DListIterator& b) {
        return a.node_ == b.node_;
    }

private:
    rcptr<DNode> node_;
};

}  // namespace mirel
