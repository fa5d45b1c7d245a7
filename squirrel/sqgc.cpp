// Reference counting frees everything except cycles. To find those, the collector subtracts
// from each collectable's count the references held by other collectables: what remains comes
// from outside (the main VM, the shared state, the host, native code on the C stack), so those
// objects are alive, and so is everything they reach. The rest is garbage.
#include "squirrel/sqgc.h"

#include "squirrel/sqvm.h"

#include <unordered_map>
#include <vector>

namespace {

struct Entry {
  SQInteger external;  // references not explained by other collectables
  bool reachable;
};

using EntryMap = std::unordered_map<SQRefCounted*, Entry>;

Entry* Find(EntryMap& entries, const SQObject& o) {
  if (!ISREFCOUNTED(sq_type(o))) return nullptr;
  auto it = entries.find(o._unVal.pRefCounted);
  return it == entries.end() ? nullptr : &it->second;
}

struct CountInternal final : SQRefVisitor {
  explicit CountInternal(EntryMap& e) : entries(e) {}
  void Visit(const SQObject& o) override {
    if (Entry* e = Find(entries, o)) e->external--;
  }
  EntryMap& entries;
};

struct MarkReachable final : SQRefVisitor {
  MarkReachable(EntryMap& e, std::vector<SQCollectable*>& p) : entries(e), pending(p) {}
  void Visit(const SQObject& o) override {
    Entry* e = Find(entries, o);
    if (e && !e->reachable) {
      e->reachable = true;
      pending.push_back(static_cast<SQCollectable*>(o._unVal.pRefCounted));
    }
  }
  EntryMap& entries;
  std::vector<SQCollectable*>& pending;
};

// A thread executing right now has frames on the C stack; it is never garbage.
bool IsExecuting(SQCollectable* c) {
  auto* vm = dynamic_cast<SQVM*>(c);
  return vm && !vm->_callsstack.empty() && !vm->_suspended;
}

}  // namespace

SQInteger sq_collect_cycles(SQSharedState* ss) {
  EntryMap entries;
  std::vector<SQCollectable*> all;
  for (SQCollectable* c = ss->_gc_chain; c; c = c->_next) {
    entries[c] = {static_cast<SQInteger>(c->_uiRef), false};
    all.push_back(c);
  }
  CountInternal count(entries);
  for (SQCollectable* c : all) c->EnumRefs(count);

  std::vector<SQCollectable*> pending;
  for (SQCollectable* c : all) {
    Entry& e = entries[c];
    if ((e.external > 0 || IsExecuting(c)) && !e.reachable) {
      e.reachable = true;
      pending.push_back(c);
    }
  }
  MarkReachable mark(entries, pending);
  while (!pending.empty()) {
    SQCollectable* c = pending.back();
    pending.pop_back();
    c->EnumRefs(mark);
  }

  // Hold every garbage object while emptying them so none is freed in the middle.
  std::vector<SQCollectable*> garbage;
  for (SQCollectable* c : all) {
    if (!entries[c].reachable) {
      c->_uiRef++;
      garbage.push_back(c);
    }
  }
  for (SQCollectable* c : garbage) c->Finalize();
  for (SQCollectable* c : garbage) {
    if (--c->_uiRef == 0) c->Release();
  }
  return static_cast<SQInteger>(garbage.size());
}
