// Default delegates of generators, threads and weak references.
#include "squirrel/sqgenerator.h"
#include "squirrel/sqstring.h"
#include "squirrel/sqtable.h"
#include "squirrel/sqvm.h"

void sq_register_functions(SQVM* v, SQTable* t, const SQRegFunction* funcs);

namespace {

SQObjectPtr& Arg(HSQUIRRELVM v, SQInteger n) { return v->GetAt(v->_stackbase + n - 1); }

SQInteger Return(HSQUIRRELVM v, const SQObjectPtr& o) {
  v->Push(o);
  return 1;
}

SQInteger any_tostring(HSQUIRRELVM v) {
  SQObjectPtr res;
  v->ToString(Arg(v, 1), res);
  return Return(v, res);
}

SQInteger generator_getstatus(HSQUIRRELVM v) {
  static const char* const names[] = {"running", "suspended", "dead"};
  return Return(v, sq_str(v->_ss, names[_generator(Arg(v, 1))->_state]));
}

SQObjectPtr MakeDelegate(HSQUIRRELVM v, const SQRegFunction* funcs) {
  SQObjectPtr t(SQTable::Create(v->_ss, 0));
  sq_register_functions(v, _table(t), funcs);
  return t;
}

}  // namespace

void sq_register_coroutine_delegates(SQVM* v, SQSharedState* ss) {
  static const SQRegFunction generator_funcs[] = {
      {u"getstatus", generator_getstatus, 1, u"g"},
      {u"tostring", any_tostring, 1, u"."},
      {nullptr, nullptr, 0, nullptr}};
  ss->_generator_default_delegate = MakeDelegate(v, generator_funcs);
}
