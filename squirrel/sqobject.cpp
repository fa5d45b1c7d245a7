#include "squirrel/sqobject.h"

#include "squirrel/sqstate.h"

const SQObjectPtr _null_;

void SQCollectable::AddToChain(SQSharedState* ss) {
  _sharedstate = ss;
  _prev = nullptr;
  _next = ss->_gc_chain;
  if (_next) _next->_prev = this;
  ss->_gc_chain = this;
}

void SQCollectable::RemoveFromChain() {
  if (!_sharedstate) return;
  if (_prev) {
    _prev->_next = _next;
  } else {
    _sharedstate->_gc_chain = _next;
  }
  if (_next) _next->_prev = _prev;
  _next = _prev = nullptr;
  _sharedstate = nullptr;
}

const char* sq_typename(SQObjectType t) {
  switch (_RAW_TYPE(t)) {
    case _RT_NULL:
      return "null";
    case _RT_INTEGER:
      return "integer";
    case _RT_FLOAT:
      return "float";
    case _RT_BOOL:
      return "bool";
    case _RT_STRING:
      return "string";
    case _RT_TABLE:
      return "table";
    case _RT_ARRAY:
      return "array";
    case _RT_GENERATOR:
      return "generator";
    case _RT_CLOSURE:
    case _RT_NATIVECLOSURE:
    case _RT_FUNCPROTO:
      return "function";
    case _RT_USERDATA:
    case _RT_USERPOINTER:
      return "userdata";
    case _RT_THREAD:
      return "thread";
    case _RT_CLASS:
      return "class";
    case _RT_INSTANCE:
      return "instance";
    case _RT_WEAKREF:
      return "weakref";
    default:
      return nullptr;
  }
}
