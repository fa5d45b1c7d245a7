#pragma once
// The metamethods: names a table's delegate, a class or a user data's delegate may define to
// take over an operation on the object.

enum SQMetaMethod {
  MT_ADD,
  MT_SUB,
  MT_MUL,
  MT_DIV,
  MT_UNM,
  MT_MODULO,
  MT_SET,
  MT_GET,
  MT_TYPEOF,
  MT_NEXTI,
  MT_CMP,
  MT_CALL,
  MT_CLONED,
  MT_NEWSLOT,
  MT_DELSLOT,
  MT_TOSTRING,
  MT_NEWMEMBER,
  MT_INHERITED,
  MT_LAST
};

// The script name of a metamethod ("_add" ...).
const char* sq_metamethodname(SQMetaMethod mm);
