// The default delegates of classes and instances.
#include "squirrel/sqclass.h"
#include "squirrel/sqlibhelpers.h"
#include "squirrel/sqstring.h"
#include "squirrel/sqvm.h"
#include "squirrel/sqweakref.h"

namespace {

// getattributes(null) gives the class's own attributes, getattributes(name) a member's.
SQInteger class_getattributes(HSQUIRRELVM v) {
  SQClass* c = _class(Arg(v, 1));
  const SQObjectPtr key = Arg(v, 2);
  if (sq_type(key) == OT_NULL) return Return(v, c->_attributes);
  SQObjectPtr attrs;
  if (!c->GetAttributes(key, attrs)) return sq_throwerror(v, u"wrong index");
  return Return(v, attrs);
}

// setattributes(key, value) replaces them and returns the old ones.
SQInteger class_setattributes(HSQUIRRELVM v) {
  SQClass* c = _class(Arg(v, 1));
  const SQObjectPtr key = Arg(v, 2), attrs = Arg(v, 3);
  SQObjectPtr old;
  if (sq_type(key) == OT_NULL) {
    old = c->_attributes;
    c->_attributes = attrs;
    return Return(v, old);
  }
  if (!c->GetAttributes(key, old)) return sq_throwerror(v, u"wrong index");
  c->SetAttributes(key, attrs);
  return Return(v, old);
}

SQInteger class_rawin(HSQUIRRELVM v) {
  SQObjectPtr ignored;
  return Return(v, SQObjectPtr(_class(Arg(v, 1))->Get(Arg(v, 2), ignored)));
}

// A new instance that skips the constructor.
SQInteger class_instance(HSQUIRRELVM v) {
  return Return(v, SQObjectPtr(_class(Arg(v, 1))->CreateInstance()));
}

SQInteger instance_getclass(HSQUIRRELVM v) {
  return Return(v, _instance(Arg(v, 1))->_class);
}

SQInteger instance_rawin(HSQUIRRELVM v) {
  SQObjectPtr ignored;
  return Return(v, SQObjectPtr(_instance(Arg(v, 1))->Get(Arg(v, 2), ignored)));
}

}  // namespace

void sq_register_class_delegates(SQVM* v, SQSharedState* ss) {
  static const SQRegFunction class_funcs[] = {{u"getattributes", class_getattributes, 2, u"y."},
                                              {u"setattributes", class_setattributes, 3, u"y.."},
                                              {u"rawin", class_rawin, 2, u"y"},
                                              {u"instance", class_instance, 1, u"y"},
                                              {u"weakref", sq_delegate_weakref, 1, nullptr},
                                              {u"tostring", sq_delegate_tostring, 1, u"."},
                                              {nullptr, nullptr, 0, nullptr}};
  static const SQRegFunction instance_funcs[] = {{u"getclass", instance_getclass, 1, u"x"},
                                                 {u"rawin", instance_rawin, 2, u"x"},
                                                 {u"weakref", sq_delegate_weakref, 1, nullptr},
                                                 {u"tostring", sq_delegate_tostring, 1, u"."},
                                                 {nullptr, nullptr, 0, nullptr}};
  ss->_class_default_delegate = MakeDelegate(v, class_funcs);
  ss->_instance_default_delegate = MakeDelegate(v, instance_funcs);
}
