// Threads: suspending the running VM, waking it up and reporting its state.
#include "squirrel/sqvm.h"

SQInteger SQVM::Suspend() {
  if (_suspended) {
    Raise_Error("cannot suspend an already suspended vm");
    return SQ_ERROR;
  }
  // Exactly one interpreter invocation below the suspending native: anything deeper (natives
  // calling back into scripts, metamethods) could not be continued later.
  if (_nnativecalls != 2) {
    Raise_Error("cannot suspend through native calls/metamethods");
    return SQ_ERROR;
  }
  _suspended = true;
  return SQ_SUSPEND_FLAG;
}

bool SQVM::WakeUp(SQObjectPtr& outres, SQBool raiseerror) {
  SQObjectPtr none;
  return Execute(none, 0, _stackbase, outres, raiseerror, true);
}

SQInteger SQVM::VMState() const {
  if (_suspended) return SQ_VMSTATE_SUSPENDED;
  return _callsstack.empty() ? SQ_VMSTATE_IDLE : SQ_VMSTATE_RUNNING;
}

void SQVM::EnumRefs(SQRefVisitor& v) {
  for (const SQObjectPtr& o : _stack) v.Visit(o);
  for (const SQObjectPtr& o : _vargsstack) v.Visit(o);
  for (const CallInfo& c : _callsstack) {
    v.Visit(c._closure);
    v.Visit(c._generator);
  }
  v.Visit(_roottable);
  v.Visit(_lasterror);
  v.Visit(_errorhandler);
  v.Visit(_debughook);
  v.Visit(temp_reg);
}
