// Default delegates: the methods every table, array, string, number and function has.
#include "squirrel/sqarray.h"
#include "squirrel/sqfuncproto.h"
#include "squirrel/sqlibhelpers.h"
#include "squirrel/sqstring.h"
#include "squirrel/sqtable.h"
#include "squirrel/sqvm.h"
#include "squirrel/sqweakref.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// ---- strings to numbers ---------------------------------------------------------------------

// Parses like C: strtod when the text has a '.', otherwise strtol in base 10 saturated to 32
// bits; text stops at the first NUL unit. False when nothing could be parsed.
bool StringToNumber(const SQString* s, SQObjectPtr& res) {
  std::string narrow;
  bool hasdot = false;
  for (SQInteger i = 0; i < s->_len && s->_val[i]; i++) {
    const SQChar c = s->_val[i];
    if (c == '.') hasdot = true;
    narrow.push_back(c < 128 ? static_cast<char>(c) : '\x7f');
  }
  char* end = nullptr;
  if (hasdot) {
    const double d = strtod(narrow.c_str(), &end);
    if (end == narrow.c_str()) return false;
    res = static_cast<SQFloat>(d);
  } else {
    const long long l = strtoll(narrow.c_str(), &end, 10);
    if (end == narrow.c_str()) return false;
    res = static_cast<SQInteger>(l > INT_MAX ? INT_MAX : (l < INT_MIN ? INT_MIN : l));
  }
  return true;
}

// ---- table ----------------------------------------------------------------------------------

SQInteger table_len(HSQUIRRELVM v) {
  return Return(v, SQObjectPtr(_table(Arg(v, 1))->CountUsed()));
}

SQInteger table_rawget(HSQUIRRELVM v) {
  SQObjectPtr res;
  if (!_table(Arg(v, 1))->Get(Arg(v, 2), res)) return sq_throwerror(v, u"the index doesn't exist");
  return Return(v, res);
}

SQInteger table_rawset(HSQUIRRELVM v) {
  if (sq_type(Arg(v, 2)) == OT_NULL) return sq_throwerror(v, u"null key");
  _table(Arg(v, 1))->NewSlot(Arg(v, 2), Arg(v, 3));
  return 0;
}

SQInteger table_rawdelete(HSQUIRRELVM v) {
  SQObjectPtr old;
  SQTable* t = _table(Arg(v, 1));
  SQObjectPtr key = Arg(v, 2);
  if (!t->Get(key, old)) return 0;
  t->Remove(key);
  return Return(v, old);
}

SQInteger table_rawin(HSQUIRRELVM v) {
  SQObjectPtr ignored;
  return Return(v, SQObjectPtr(_table(Arg(v, 1))->Get(Arg(v, 2), ignored)));
}

SQInteger container_clear(HSQUIRRELVM v) {
  return SQ_SUCCEEDED(sq_clear(v, 1)) ? 0 : SQ_ERROR;
}

// ---- array ----------------------------------------------------------------------------------

SQInteger array_len(HSQUIRRELVM v) {
  return Return(v, SQObjectPtr(_array(Arg(v, 1))->Size()));
}

SQInteger array_append(HSQUIRRELVM v) {
  _array(Arg(v, 1))->Append(Arg(v, 2));
  return 0;
}

SQInteger array_extend(HSQUIRRELVM v) {
  const std::vector<SQObjectPtr> src = _array(Arg(v, 2))->_values;
  for (const SQObjectPtr& o : src) _array(Arg(v, 1))->Append(o);
  return 0;
}

SQInteger array_pop(HSQUIRRELVM v) {
  SQArray* a = _array(Arg(v, 1));
  if (a->Size() == 0) return sq_throwerror(v, u"empty array");
  SQObjectPtr last = a->_values.back();
  a->Pop();
  return Return(v, last);
}

SQInteger array_top(HSQUIRRELVM v) {
  SQArray* a = _array(Arg(v, 1));
  if (a->Size() == 0) return sq_throwerror(v, u"top() on a empty array");
  return Return(v, a->_values.back());
}

SQInteger array_insert(HSQUIRRELVM v) {
  if (!_array(Arg(v, 1))->Insert(sq_toint(Arg(v, 2)), Arg(v, 3))) {
    return sq_throwerror(v, u"index out of range");
  }
  return 0;
}

SQInteger array_remove(HSQUIRRELVM v) {
  SQArray* a = _array(Arg(v, 1));
  SQObjectPtr val;
  const SQInteger idx = sq_toint(Arg(v, 2));
  if (!a->Get(idx, val)) return sq_throwerror(v, u"idx out of range");
  a->Remove(idx);
  return Return(v, val);
}

SQInteger array_resize(HSQUIRRELVM v) {
  const SQInteger size = sq_toint(Arg(v, 2));
  if (size < 0) return sq_throwerror(v, u"negative size");
  SQObjectPtr fill = sq_gettop(v) > 2 ? Arg(v, 3) : _null_;
  _array(Arg(v, 1))->Resize(size, fill);
  return 0;
}

SQInteger array_reverse(HSQUIRRELVM v) {
  return SQ_SUCCEEDED(sq_arrayreverse(v, 1)) ? 0 : SQ_ERROR;
}

// Start/end of a slice of `len` elements; negative values count from the end.
bool SliceBounds(HSQUIRRELVM v, SQInteger len, SQInteger& sidx, SQInteger& eidx) {
  sidx = sq_gettop(v) > 1 ? sq_toint(Arg(v, 2)) : 0;
  eidx = sq_gettop(v) > 2 ? sq_toint(Arg(v, 3)) : len;
  if (sidx < 0) sidx = len + sidx;
  if (eidx < 0) eidx = len + eidx;
  if (eidx < sidx) {
    sq_throwerror(v, u"wrong indexes");
    return false;
  }
  if (eidx > len || sidx < 0) {
    sq_throwerror(v, u"slice out of range");
    return false;
  }
  return true;
}

SQInteger array_slice(HSQUIRRELVM v) {
  SQArray* a = _array(Arg(v, 1));
  SQInteger sidx, eidx;
  if (!SliceBounds(v, a->Size(), sidx, eidx)) return SQ_ERROR;
  SQArray* res = SQArray::Create(v->_ss, 0);
  SQObjectPtr holder(res);
  res->_values.assign(a->_values.begin() + sidx, a->_values.begin() + eidx);
  return Return(v, holder);
}

// One comparison of the sort: the VM's order, or the script comparator's integer result.
bool SortCompare(HSQUIRRELVM v, const SQObjectPtr& a, const SQObjectPtr& b, SQInteger func,
                 SQInteger& res) {
  if (func < 0) return v->ObjCmp(a, b, res);
  SQObjectPtr f = Arg(v, func);
  v->Push(v->_roottable);
  v->Push(a);
  v->Push(b);
  SQObjectPtr ret;
  if (!v->Call(f, 3, v->_top - 3, ret, SQFalse)) {
    v->Pop(3);
    if (sq_type(v->_lasterror) != OT_STRING) v->Raise_Error("compare func failed");
    return false;
  }
  v->Pop(3);
  res = (sq_type(ret) & SQOBJECT_NUMERIC) ? sq_toint(ret) : 0;
  return true;
}

SQInteger QsortDefect(HSQUIRRELVM v) {
  return sq_throwerror(v, u"Invalid qsort, probably compare function defect");
}

// Quicksort with the first element as pivot. Ranges are kept on an explicit stack (left part
// first) so that the order of comparisons is that of the recursive formulation. A comparator
// that contradicts itself or shrinks the array ends the sort with an error.
bool QuickSort(HSQUIRRELVM v, SQArray* arr, SQInteger func) {
  std::vector<std::pair<SQInteger, SQInteger>> ranges{{0, arr->Size() - 1}};
  while (!ranges.empty()) {
    const auto [l, r] = ranges.back();
    ranges.pop_back();
    if (l >= r) continue;
    if (r >= arr->Size()) return QsortDefect(v), false;
    const SQObjectPtr pivot = arr->_values[static_cast<size_t>(l)];
    SQInteger i = l, j = r + 1, c = 0;
    for (;;) {
      do {
        if (++i > r) break;
        const SQObjectPtr e = arr->_values[static_cast<size_t>(i)];
        if (!SortCompare(v, e, pivot, func, c)) return false;
        if (r >= arr->Size()) return QsortDefect(v), false;
      } while (c <= 0);
      do {
        // The pivot itself stops this scan unless the comparator contradicts itself.
        if (--j < l) return QsortDefect(v), false;
        const SQObjectPtr e = arr->_values[static_cast<size_t>(j)];
        if (!SortCompare(v, e, pivot, func, c)) return false;
        if (r >= arr->Size()) return QsortDefect(v), false;
      } while (c > 0);
      if (i >= j) break;
      std::swap(arr->_values[static_cast<size_t>(i)], arr->_values[static_cast<size_t>(j)]);
    }
    std::swap(arr->_values[static_cast<size_t>(l)], arr->_values[static_cast<size_t>(j)]);
    ranges.push_back({j + 1, r});
    ranges.push_back({l, j - 1});
  }
  return true;
}

SQInteger array_sort(HSQUIRRELVM v) {
  SQObjectPtr arr = Arg(v, 1);
  const SQInteger func = sq_gettop(v) > 1 ? 2 : -1;
  if (!QuickSort(v, _array(arr), func)) return SQ_ERROR;
  return 0;
}

// ---- string ---------------------------------------------------------------------------------

SQInteger string_len(HSQUIRRELVM v) {
  return Return(v, SQObjectPtr(_string(Arg(v, 1))->_len));
}

SQInteger string_tointeger(HSQUIRRELVM v) {
  SQObjectPtr res;
  if (!StringToNumber(_string(Arg(v, 1)), res))
    return sq_throwerror(v, u"cannot convert the string");
  return Return(v, SQObjectPtr(sq_toint(res)));
}

SQInteger string_tofloat(HSQUIRRELVM v) {
  SQObjectPtr res;
  if (!StringToNumber(_string(Arg(v, 1)), res))
    return sq_throwerror(v, u"cannot convert the string");
  return Return(v, SQObjectPtr(sq_tofloat(res)));
}

SQInteger string_slice(HSQUIRRELVM v) {
  SQString* s = _string(Arg(v, 1));
  SQInteger sidx, eidx;
  if (!SliceBounds(v, s->_len, sidx, eidx)) return SQ_ERROR;
  return Return(v, SQObjectPtr(SQString::Create(v->_ss, s->_val + sidx, eidx - sidx)));
}

SQInteger string_find(HSQUIRRELVM v) {
  SQString* s = _string(Arg(v, 1));
  SQString* sub = _string(Arg(v, 2));
  const SQInteger start = sq_gettop(v) > 2 ? sq_toint(Arg(v, 3)) : 0;
  if (start < 0 || start >= s->_len) return 0;
  // C-string search: both texts end at their first NUL unit.
  std::u16string_view hay(s->_val + start);
  std::u16string_view needle(sub->_val);
  const size_t pos = hay.find(needle);
  if (pos == std::u16string_view::npos) return 0;
  return Return(v, SQObjectPtr(static_cast<SQInteger>(start + pos)));
}

SQInteger ChangeCase(HSQUIRRELVM v, bool upper) {
  std::u16string s(_string(Arg(v, 1))->view());
  for (SQChar& c : s) {
    if (upper && c >= 'a' && c <= 'z') c = static_cast<SQChar>(c - 32);
    if (!upper && c >= 'A' && c <= 'Z') c = static_cast<SQChar>(c + 32);
  }
  return Return(v, SQObjectPtr(SQString::Create(v->_ss, s)));
}
SQInteger string_tolower(HSQUIRRELVM v) {
  return ChangeCase(v, false);
}
SQInteger string_toupper(HSQUIRRELVM v) {
  return ChangeCase(v, true);
}

// ---- number ---------------------------------------------------------------------------------

SQInteger number_tointeger(HSQUIRRELVM v) {
  return Return(v, SQObjectPtr(sq_toint(Arg(v, 1))));
}
SQInteger number_tofloat(HSQUIRRELVM v) {
  return Return(v, SQObjectPtr(sq_tofloat(Arg(v, 1))));
}
SQInteger number_tochar(HSQUIRRELVM v) {
  const SQChar c = static_cast<SQChar>(sq_toint(Arg(v, 1)));
  return Return(v, SQObjectPtr(SQString::Create(v->_ss, &c, 1)));
}

// ---- closure --------------------------------------------------------------------------------

SQInteger CallWithStackArgs(HSQUIRRELVM v, SQBool raiseerror) {
  SQObjectPtr f = Arg(v, 1), res;
  const SQInteger nargs = sq_gettop(v) - 1;
  if (nargs < 1) return sq_throwerror(v, u"wrong number of parameters");
  if (!v->Call(f, nargs, v->_stackbase + 1, res, raiseerror)) return SQ_ERROR;
  return Return(v, res);
}
SQInteger closure_call(HSQUIRRELVM v) {
  return CallWithStackArgs(v, SQTrue);
}
SQInteger closure_pcall(HSQUIRRELVM v) {
  return CallWithStackArgs(v, SQFalse);
}

SQInteger CallWithArrayArgs(HSQUIRRELVM v, SQBool raiseerror) {
  SQObjectPtr f = Arg(v, 1), res;
  const std::vector<SQObjectPtr> args = _array(Arg(v, 2))->_values;
  if (args.empty()) return sq_throwerror(v, u"wrong number of parameters");
  for (const SQObjectPtr& a : args) v->Push(a);
  const SQInteger n = static_cast<SQInteger>(args.size());
  const bool ok = v->Call(f, n, v->_top - n, res, raiseerror);
  v->Pop(n);
  if (!ok) return SQ_ERROR;
  return Return(v, res);
}
SQInteger closure_acall(HSQUIRRELVM v) {
  return CallWithArrayArgs(v, SQTrue);
}
SQInteger closure_pacall(HSQUIRRELVM v) {
  return CallWithArrayArgs(v, SQFalse);
}

SQInteger closure_bindenv(HSQUIRRELVM v) {
  if (SQ_FAILED(sq_bindenv(v, 1))) return SQ_ERROR;
  return 1;
}

// A table describing a function: its kind, name, source and parameters.
SQInteger closure_getinfos(HSQUIRRELVM v) {
  SQSharedState* ss = v->_ss;
  SQObjectPtr f = Arg(v, 1);
  SQObjectPtr res(SQTable::Create(ss, 0));
  SQTable* t = _table(res);
  if (sq_type(f) == OT_CLOSURE) {
    SQFunctionProto* p = _closure(f)->proto();
    SQObjectPtr params(SQArray::Create(ss, 0));
    for (const SQObjectPtr& name : p->_parameters) _array(params)->Append(name);
    if (p->_varparams) _array(params)->Append(sq_str(ss, "..."));
    t->NewSlot(sq_str(ss, "native"), SQObjectPtr(false));
    t->NewSlot(sq_str(ss, "name"), p->_name);
    t->NewSlot(sq_str(ss, "src"), p->_sourcename);
    t->NewSlot(sq_str(ss, "parameters"), params);
    t->NewSlot(sq_str(ss, "varargs"), SQObjectPtr(p->_varparams));
  } else {
    SQNativeClosure* nc = _nativeclosure(f);
    SQObjectPtr typecheck;
    if (!nc->_typecheck.empty()) {
      typecheck = SQObjectPtr(SQArray::Create(ss, 0));
      for (SQInteger mask : nc->_typecheck) _array(typecheck)->Append(SQObjectPtr(mask));
    }
    t->NewSlot(sq_str(ss, "native"), SQObjectPtr(true));
    t->NewSlot(sq_str(ss, "name"), nc->_name);
    t->NewSlot(sq_str(ss, "paramscheck"), SQObjectPtr(nc->_nparamscheck));
    t->NewSlot(sq_str(ss, "typecheck"), typecheck);
  }
  return Return(v, res);
}

}  // namespace

SQInteger sq_delegate_tostring(HSQUIRRELVM v) {
  SQObjectPtr res;
  v->ToString(Arg(v, 1), res);
  return Return(v, res);
}

void sq_register_default_delegates(SQVM* v, SQSharedState* ss) {
  static const SQRegFunction table_funcs[] = {{u"len", table_len, 1, u"t"},
                                              {u"rawget", table_rawget, 2, u"t"},
                                              {u"rawset", table_rawset, 3, u"t"},
                                              {u"rawdelete", table_rawdelete, 2, u"t"},
                                              {u"rawin", table_rawin, 2, u"t"},
                                              {u"weakref", sq_delegate_weakref, 1, nullptr},
                                              {u"tostring", sq_delegate_tostring, 1, u"."},
                                              {u"clear", container_clear, 1, u"."},
                                              {nullptr, nullptr, 0, nullptr}};
  static const SQRegFunction array_funcs[] = {{u"len", array_len, 1, u"a"},
                                              {u"append", array_append, 2, u"a"},
                                              {u"extend", array_extend, 2, u"aa"},
                                              {u"push", array_append, 2, u"a"},
                                              {u"pop", array_pop, 1, u"a"},
                                              {u"top", array_top, 1, u"a"},
                                              {u"insert", array_insert, 3, u"an"},
                                              {u"remove", array_remove, 2, u"an"},
                                              {u"resize", array_resize, -2, u"an"},
                                              {u"reverse", array_reverse, 1, u"a"},
                                              {u"sort", array_sort, -1, u"ac"},
                                              {u"slice", array_slice, -1, u"ann"},
                                              {u"weakref", sq_delegate_weakref, 1, nullptr},
                                              {u"tostring", sq_delegate_tostring, 1, u"."},
                                              {u"clear", container_clear, 1, u"."},
                                              {nullptr, nullptr, 0, nullptr}};
  static const SQRegFunction string_funcs[] = {{u"len", string_len, 1, u"s"},
                                               {u"tointeger", string_tointeger, 1, u"s"},
                                               {u"tofloat", string_tofloat, 1, u"s"},
                                               {u"tostring", sq_delegate_tostring, 1, u"."},
                                               {u"slice", string_slice, -1, u" s n  n"},
                                               {u"find", string_find, -2, u"s s n "},
                                               {u"tolower", string_tolower, 1, u"s"},
                                               {u"toupper", string_toupper, 1, u"s"},
                                               {u"weakref", sq_delegate_weakref, 1, nullptr},
                                               {nullptr, nullptr, 0, nullptr}};
  static const SQRegFunction number_funcs[] = {
      {u"tointeger", number_tointeger, 1, u"n|b"},   {u"tofloat", number_tofloat, 1, u"n|b"},
      {u"tostring", sq_delegate_tostring, 1, u"."},  {u"tochar", number_tochar, 1, u"n|b"},
      {u"weakref", sq_delegate_weakref, 1, nullptr}, {nullptr, nullptr, 0, nullptr}};
  static const SQRegFunction closure_funcs[] = {{u"call", closure_call, -1, u"c"},
                                                {u"pcall", closure_pcall, -1, u"c"},
                                                {u"acall", closure_acall, 2, u"ca"},
                                                {u"pacall", closure_pacall, 2, u"ca"},
                                                {u"bindenv", closure_bindenv, 2, u"c x|y|t"},
                                                {u"getinfos", closure_getinfos, 1, u"c"},
                                                {u"weakref", sq_delegate_weakref, 1, nullptr},
                                                {u"tostring", sq_delegate_tostring, 1, u"."},
                                                {nullptr, nullptr, 0, nullptr}};
  ss->_table_default_delegate = MakeDelegate(v, table_funcs);
  ss->_array_default_delegate = MakeDelegate(v, array_funcs);
  ss->_string_default_delegate = MakeDelegate(v, string_funcs);
  ss->_number_default_delegate = MakeDelegate(v, number_funcs);
  ss->_closure_default_delegate = MakeDelegate(v, closure_funcs);
  sq_register_class_delegates(v, ss);
}
