#pragma once
// The state shared by a VM and its threads: strings, registry and constant tables, the default
// delegates, host callbacks and the chain of every collectable object.

#include "squirrel/sqmetamethod.h"
#include "squirrel/sqobject.h"
#include "squirrel/sqstring.h"

#include <vector>

struct SQSharedState {
  SQSharedState();
  ~SQSharedState();
  // Fills the tables that need a VM to build (default delegates); called once by sq_open.
  void Init(SQVM* vm);
  // Empties every collectable object, breaking cycles, then drops the state's own references.
  void Finalize();
  SQChar* GetScratchPad(SQInteger size);

  SQStringTable* _stringtable;
  SQCollectable* _gc_chain = nullptr;
  SQObjectPtr _registry;
  SQObjectPtr _consts;

  SQObjectPtr _table_default_delegate;
  SQObjectPtr _array_default_delegate;
  SQObjectPtr _string_default_delegate;
  SQObjectPtr _number_default_delegate;
  SQObjectPtr _closure_default_delegate;
  SQObjectPtr _class_default_delegate;
  SQObjectPtr _instance_default_delegate;
  SQObjectPtr _metamethodnames[MT_LAST];
  SQObjectPtr _generator_default_delegate;
  SQObjectPtr _thread_default_delegate;
  SQObjectPtr _weakref_default_delegate;

  SQPRINTFUNCTION _printfunc = nullptr;
  SQCOMPILERERROR _compilererrorhandler = nullptr;
  bool _debuginfo = false;
  bool _notifyallexceptions = false;

 private:
  std::vector<SQChar> _scratchpad;
};

// A string object for ASCII text, interned in `ss`.
SQObjectPtr sq_str(SQSharedState* ss, const char* ascii);
