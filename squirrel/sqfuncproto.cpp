#include "squirrel/sqfuncproto.h"

SQInteger SQFunctionProto::GetLine(const SQInstruction* curr) const {
  if (_lineinfos.empty()) return 0;
  const SQInteger op = static_cast<SQInteger>(curr - _instructions.data());
  SQInteger line = _lineinfos[0]._line;
  for (const SQLineInfo& li : _lineinfos) {
    if (li._op > op) break;
    line = li._line;
  }
  return line;
}
