#pragma once
// Generators: a script frame that can be left at `yield` and re-entered by `resume` or
// `foreach`. While suspended the generator owns the frame's registers, its extra arguments
// and its pending try blocks; while running they live on the VM that resumed it.

#include "squirrel/sqvm.h"

#include <vector>

#define _generator(obj) ((obj)._unVal.pGenerator)

struct SQGenerator : SQCollectable {
  enum State { eRunning, eSuspended, eDead };

  static SQGenerator* Create(SQSharedState* ss, SQClosure* closure);
  ~SQGenerator() override { RemoveFromChain(); }
  void Release() override { delete this; }
  void Finalize() override { Kill(); }
  void EnumRefs(SQRefVisitor& v) override;
  // Moves the VM's current frame into the generator; the frame stays on the call stack for
  // the caller to leave.
  void Save(SQVM* v);
  // Installs the saved frame on top of the VM's current one; its result goes to `target`
  // (a register of the resuming frame).
  bool Resume(SQVM* v, SQInteger target);
  // The generator ends: its frame and everything it held are dropped.
  void Kill();

  SQObjectPtr _closure;
  std::vector<SQObjectPtr> _stack;
  std::vector<SQObjectPtr> _vargs;
  std::vector<SQExceptionTrap> _etraps;  // stack positions relative to the frame's base
  const SQInstruction* _ip = nullptr;
  State _state = eSuspended;

 private:
  SQGenerator() = default;
};

// A generator as a value.
SQObjectPtr sq_generator_object(SQGenerator* g);
