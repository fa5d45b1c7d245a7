// Metamethod dispatch and the VM's class operations: creating classes and instances,
// declaring members, `instanceof`.
#include "squirrel/sqclass.h"
#include "squirrel/sqtable.h"
#include "squirrel/squserdata.h"
#include "squirrel/sqvm.h"

bool SQVM::GetMetaMethod(const SQObjectPtr& self, SQMetaMethod mm, SQObjectPtr& closure) {
  switch (sq_type(self)) {
    case OT_TABLE:
    case OT_USERDATA: {
      const SQTable* d =
          sq_type(self) == OT_TABLE ? _table(self)->_delegate : _userdata(self)->_delegate;
      return d && d->Get(_ss->_metamethodnames[mm], closure);
    }
    case OT_INSTANCE: {
      const SQClass* c = _instance(self)->cls();
      if (!c || sq_type(c->metamethod(mm)) == OT_NULL) return false;
      closure = c->metamethod(mm);
      return true;
    }
    default:
      return false;
  }
}

bool SQVM::CallMetaMethod(const SQObjectPtr& self, SQMetaMethod mm, SQInteger nparams,
                          SQObjectPtr& outres) {
  SQObjectPtr closure;
  const bool ok =
      GetMetaMethod(self, mm, closure) && Call(closure, nparams, _top - nparams, outres, SQFalse);
  Pop(nparams);
  return ok;
}

void SQVM::CreateClassInstance(SQClass* cls, SQObjectPtr& inst, SQObjectPtr& constructor) {
  inst = SQObjectPtr(cls->CreateInstance());
  constructor = cls->_constructor;
}

bool SQVM::CallClass(SQClass* cls, SQInteger nparams, SQInteger stackbase, SQObjectPtr& outres,
                     SQBool raiseerror) {
  SQObjectPtr holder(cls), inst, constructor;
  CreateClassInstance(cls, inst, constructor);
  if (sq_type(constructor) != OT_NULL) {
    _stack[static_cast<size_t>(stackbase)] = inst;
    SQObjectPtr ignored;
    if (!Call(constructor, nparams, stackbase, ignored, raiseerror)) return false;
  }
  outres = inst;
  return true;
}

bool SQVM::CLASS_OP(SQObjectPtr& target, SQInteger base, SQInteger attrs) {
  SQClass* baseclass = nullptr;
  if (base != -1) {
    const SQObjectPtr& b = _stack[static_cast<size_t>(_stackbase + base)];
    if (sq_type(b) != OT_CLASS) {
      Raise_Error("trying to inherit from a %s", sq_typename(sq_type(b)));
      return false;
    }
    baseclass = _class(b);
  }
  SQObjectPtr attributes;
  if (attrs != MAX_FUNC_STACKSIZE) attributes = _stack[static_cast<size_t>(_stackbase + attrs)];
  SQObjectPtr cls(SQClass::Create(_ss, baseclass));
  _class(cls)->_attributes = attributes;
  // An inherited `_inherited` sees the new class before its members; what it returns and
  // any error it raises are ignored.
  SQObjectPtr inherited = _class(cls)->metamethod(MT_INHERITED);
  if (sq_type(inherited) != OT_NULL) {
    Push(cls);
    Push(attributes);
    SQObjectPtr ignored;
    Call(inherited, 2, _top - 2, ignored, SQFalse);
    Pop(2);
  }
  target = cls;
  return true;
}

bool SQVM::NewClassMember(const SQObjectPtr& selfref, const SQObjectPtr& keyref,
                          const SQObjectPtr& valref, const SQObjectPtr& attrsref, bool hasattrs,
                          bool bstatic) {
  // Copies: the arguments may live on the stack, which a call can move.
  const SQObjectPtr self = selfref, key = keyref, val = valref, attrs = attrsref;
  // A `_newmember` decides whether the member is added; one that raises an error counts as
  // none, and the member is added as declared.
  SQObjectPtr newmember = _class(self)->metamethod(MT_NEWMEMBER);
  if (sq_type(newmember) != OT_NULL) {
    Push(self);
    Push(key);
    Push(val);
    Push(hasattrs ? attrs : _null_);
    SQObjectPtr ignored;
    const bool ok = Call(newmember, 4, _top - 4, ignored, SQFalse);
    Pop(4);
    if (ok) return true;
  }
  if (!NewSlot(self, key, val, bstatic)) return false;
  if (hasattrs) _class(self)->SetAttributes(key, attrs);
  return true;
}

bool SQVM::InstanceOf(const SQObjectPtr& cls, const SQObjectPtr& inst, SQObjectPtr& res) {
  if (sq_type(cls) != OT_CLASS || sq_type(inst) != OT_INSTANCE) {
    Raise_Error("cannot apply instanceof between a %s and a %s", sq_typename(sq_type(cls)),
                sq_typename(sq_type(inst)));
    return false;
  }
  res = _instance(inst)->InstanceOf(_class(cls));
  return true;
}
