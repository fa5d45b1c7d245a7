// Compiling from the API: sq_compile, sq_compilebuffer.
#include "platform/os/utf8.h"
#include "squirrel/sqcompiler.h"
#include "squirrel/sqfuncproto.h"
#include "squirrel/sqstring.h"
#include "squirrel/sqverify.h"
#include "squirrel/sqvm.h"

namespace {

struct BufferState {
  const SQChar* buf;
  SQInteger ptr;
  SQInteger size;
};

SQInteger BufferReader(SQUserPointer up) {
  auto* b = static_cast<BufferState*>(up);
  if (b->ptr >= b->size) return 0;
  return b->buf[b->ptr++];
}

}  // namespace

SQRESULT sq_compile(HSQUIRRELVM v, SQLEXREADFUNC read, SQUserPointer p, const SQChar* sourcename,
                    SQBool raiseerror) {
  SQObjectPtr proto;
  SQCompileError err;
  if (!sq_compile_source(v, read, p, sourcename, v->_ss->_debuginfo, proto, err)) {
    const std::u16string msg = platform::os::utf8ToUtf16(err.message);
    if (raiseerror && v->_ss->_compilererrorhandler) {
      v->_ss->_compilererrorhandler(v, msg.c_str(), sourcename, err.line, err.column);
    }
    v->Raise_Error(msg);
    return SQ_ERROR;
  }
  // Our own output gets the same bounds check as a loaded stream: a compiler fault becomes an
  // error here instead of a wild access later.
  if (!sq_verify_proto(_funcproto(proto), nullptr)) {
    v->Raise_Error("internal compiler error: invalid code");
    return SQ_ERROR;
  }
  v->Push(SQObjectPtr(SQClosure::Create(v->_ss, _funcproto(proto))));
  return SQ_OK;
}

SQRESULT sq_compilebuffer(HSQUIRRELVM v, const SQChar* s, SQInteger size, const SQChar* sourcename,
                          SQBool raiseerror) {
  BufferState buf{s, 0, size};
  return sq_compile(v, BufferReader, &buf, sourcename, raiseerror);
}
