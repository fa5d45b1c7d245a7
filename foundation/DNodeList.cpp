#include "foundation/DNodeList.h"

namespace mirel {

void DNodeList::_CreateSentinel() {
    if (sentinel_) return;
    sentinel_.Create();
    sentinel_->next = sentinel_;
    sentinel_->prev = sentinel_;
}

rcptr<DNode> DNodeList::FirstNode() {
    _CreateSentinel();
    return sentinel_->next;
}

rcptr<DNode> DNodeList::EndNode() {
    _CreateSentinel();
    return sentinel_;
}

rcptr<DNode> DNodeList::LinkNode(const rcptr<DNode>& position, const rcptr_holder& value) {
    _CreateSentinel();
    rcptr<DNode> node;
    node.Create();
    node->next = position;
    node->prev = position->prev;
    node->value = value;
    node->prev->next = node;
    position->prev = node;
    ++count_;
    return node;
}

rcptr<DNode> DNodeList::EraseNode(const rcptr<DNode>& position) {
    _CreateSentinel();
    if (position == sentinel_) return sentinel_;
    // Keep the node alive while it is unlinked, whoever holds the handle passed in.
    const rcptr<DNode> node = position;
    if (!node->prev) return node->next;
    node->prev->next = node->next;
    node->next->prev = node->prev;
    node->prev.Reset();
    --count_;
    rcptr_holder value;
    value.Adopt(node->value);
    value.Reset();
    return node->next;
}

void DNodeList::_EraseAllNodes() {
    while (count_ > 0) EraseNode(FirstNode());
}

void DNodeList::_Destroy() {
    if (!sentinel_) return;
    _EraseAllNodes();
    sentinel_->next.Reset();
    sentinel_->prev.Reset();
    sentinel_.Reset();
}

}  // namespace mirel
