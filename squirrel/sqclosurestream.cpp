// Compiled-closure streams: the layout written by sq_writeclosure and read by sq_readclosure.
// All fields are little-endian 32-bit (tags, counts, integers, floats), strings are 16-bit
// units, instructions 8 bytes.
#include "squirrel/sqfuncproto.h"
#include "squirrel/sqstring.h"
#include "squirrel/sqverify.h"
#include "squirrel/sqvm.h"

#include <cstring>

namespace {

constexpr uint32_t kTagHead = 0x53514952;  // 'SQIR'
constexpr uint32_t kTagPart = 0x50415254;  // 'PART'
constexpr uint32_t kTagTail = 0x5441494C;  // 'TAIL'
constexpr SQInteger kMaxNesting = 300;
constexpr const char* kCorrupted = "invalid or corrupted closure stream";

class StreamReader {
 public:
  StreamReader(SQVM* v, SQREADFUNC read, SQUserPointer up) : v_(v), read_(read), up_(up) {}

  bool Bytes(void* dst, SQInteger size) {
    if (size == 0) return true;
    if (read_(up_, dst, size) != size) {
      v_->Raise_Error(
          "io error, read function failure, the origin stream could be corrupted/trucated");
      return false;
    }
    return true;
  }
  bool Int(SQInteger& out) {
    unsigned char b[4];
    if (!Bytes(b, 4)) return false;
    out = static_cast<SQInteger>(static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
                                 (static_cast<uint32_t>(b[2]) << 16) |
                                 (static_cast<uint32_t>(b[3]) << 24));
    return true;
  }
  bool Count(SQInteger& out) {
    if (!Int(out)) return false;
    if (out < 0) return Corrupt();
    return true;
  }
  bool Tag(uint32_t expected) {
    SQInteger t;
    if (!Int(t)) return false;
    if (static_cast<uint32_t>(t) != expected) return Corrupt();
    return true;
  }
  bool Corrupt() {
    v_->Raise_Error(kCorrupted);
    return false;
  }

  bool Object(SQObjectPtr& o) {
    SQInteger t;
    if (!Int(t)) return false;
    switch (static_cast<uint32_t>(t)) {
      case OT_STRING: {
        SQInteger len;
        if (!Count(len)) return false;
        // Read in pieces so that a forged length cannot make us allocate more than the
        // stream actually holds.
        std::u16string s;
        unsigned char buf[4096];
        while (static_cast<SQInteger>(s.size()) < len) {
          const SQInteger units =
              std::min<SQInteger>(len - static_cast<SQInteger>(s.size()), sizeof(buf) / 2);
          if (!Bytes(buf, units * 2)) return false;
          for (SQInteger i = 0; i < units; i++) {
            s.push_back(static_cast<SQChar>(buf[2 * i] | (buf[2 * i + 1] << 8)));
          }
        }
        o = SQObjectPtr(SQString::Create(v_->_ss, s));
        return true;
      }
      case OT_INTEGER: {
        SQInteger i;
        if (!Int(i)) return false;
        o = i;
        return true;
      }
      case OT_FLOAT: {
        SQInteger bits;
        if (!Int(bits)) return false;
        SQFloat f;
        memcpy(&f, &bits, sizeof(f));
        o = f;
        return true;
      }
      case OT_NULL:
        o.Null();
        return true;
      default:
        return Corrupt();
    }
  }

  bool Proto(SQObjectPtr& out, SQInteger depth) {
    if (depth > kMaxNesting) return Corrupt();
    SQFunctionProto* f = SQFunctionProto::Create();
    out = SQObjectPtr(f);
    if (!Tag(kTagPart) || !Object(f->_sourcename) || !Object(f->_name) || !Tag(kTagPart))
      return false;
    SQInteger nliterals, nparameters, noutervalues, nlocalvarinfos, nlineinfos, ndefaultparams,
        ninstructions, nfunctions;
    if (!Count(nliterals) || !Count(nparameters) || !Count(noutervalues) ||
        !Count(nlocalvarinfos) || !Count(nlineinfos) || !Count(ndefaultparams) ||
        !Count(ninstructions) || !Count(nfunctions)) {
      return false;
    }
    if (!Tag(kTagPart)) return false;
    for (SQInteger i = 0; i < nliterals; i++) {
      f->_literals.emplace_back();
      if (!Object(f->_literals.back())) return false;
    }
    if (!Tag(kTagPart)) return false;
    for (SQInteger i = 0; i < nparameters; i++) {
      f->_parameters.emplace_back();
      if (!Object(f->_parameters.back())) return false;
    }
    if (!Tag(kTagPart)) return false;
    for (SQInteger i = 0; i < noutervalues; i++) {
      SQInteger type;
      SQOuterVar ov;
      if (!Int(type) || !Object(ov._src) || !Object(ov._name)) return false;
      if (type < otLOCAL || type > otOUTER) return Corrupt();
      ov._type = static_cast<SQOuterType>(type);
      f->_outervalues.push_back(ov);
    }
    if (!Tag(kTagPart)) return false;
    for (SQInteger i = 0; i < nlocalvarinfos; i++) {
      SQLocalVarInfo lvi;
      SQInteger pos, start, end;
      if (!Object(lvi._name) || !Int(pos) || !Int(start) || !Int(end)) return false;
      lvi._pos = static_cast<SQUnsignedInteger>(pos);
      lvi._start_op = static_cast<SQUnsignedInteger>(start);
      lvi._end_op = static_cast<SQUnsignedInteger>(end);
      f->_localvarinfos.push_back(lvi);
    }
    if (!Tag(kTagPart)) return false;
    for (SQInteger i = 0; i < nlineinfos; i++) {
      SQLineInfo li;
      if (!Int(li._line) || !Int(li._op)) return false;
      f->_lineinfos.push_back(li);
    }
    if (!Tag(kTagPart)) return false;
    for (SQInteger i = 0; i < ndefaultparams; i++) {
      SQInteger pos;
      if (!Int(pos)) return false;
      f->_defaultparams.push_back(pos);
    }
    if (!Tag(kTagPart)) return false;
    for (SQInteger i = 0; i < ninstructions; i++) {
      unsigned char b[8];
      if (!Bytes(b, 8)) return false;
      SQInstruction in;
      in._arg1 = static_cast<SQInt32>(
          static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
          (static_cast<uint32_t>(b[2]) << 16) | (static_cast<uint32_t>(b[3]) << 24));
      in.op = b[4];
      in._arg0 = b[5];
      in._arg2 = b[6];
      in._arg3 = b[7];
      f->_instructions.push_back(in);
    }
    if (!Tag(kTagPart)) return false;
    for (SQInteger i = 0; i < nfunctions; i++) {
      f->_functions.emplace_back();
      if (!Proto(f->_functions.back(), depth + 1)) return false;
    }
    unsigned char flags[2];
    if (!Int(f->_stacksize) || !Bytes(flags, 2)) return false;
    f->_bgenerator = flags[0] != 0;
    f->_varparams = flags[1] != 0;
    return true;
  }

 private:
  SQVM* v_;
  SQREADFUNC read_;
  SQUserPointer up_;
};

class StreamWriter {
 public:
  StreamWriter(SQVM* v, SQWRITEFUNC write, SQUserPointer up) : v_(v), write_(write), up_(up) {}

  bool Bytes(const void* src, SQInteger size) {
    if (size == 0) return true;
    if (write_(up_, const_cast<void*>(src), size) != size) {
      v_->Raise_Error("io error (write function failure)");
      return false;
    }
    return true;
  }
  bool Int(SQInteger value) {
    const uint32_t u = static_cast<uint32_t>(value);
    const unsigned char b[4] = {static_cast<unsigned char>(u), static_cast<unsigned char>(u >> 8),
                                static_cast<unsigned char>(u >> 16),
                                static_cast<unsigned char>(u >> 24)};
    return Bytes(b, 4);
  }
  bool Object(const SQObject& o) {
    switch (sq_type(o)) {
      case OT_STRING: {
        const SQString* s = _string(o);
        if (!Int(static_cast<SQInteger>(OT_STRING)) || !Int(s->_len)) return false;
        std::vector<unsigned char> buf;
        for (SQInteger i = 0; i < s->_len; i++) {
          buf.push_back(static_cast<unsigned char>(s->_val[i]));
          buf.push_back(static_cast<unsigned char>(s->_val[i] >> 8));
        }
        return Bytes(buf.data(), static_cast<SQInteger>(buf.size()));
      }
      case OT_INTEGER:
        return Int(static_cast<SQInteger>(OT_INTEGER)) && Int(_integer(o));
      case OT_FLOAT: {
        SQInteger bits;
        memcpy(&bits, &o._unVal.fFloat, sizeof(bits));
        return Int(static_cast<SQInteger>(OT_FLOAT)) && Int(bits);
      }
      case OT_NULL:
        return Int(static_cast<SQInteger>(OT_NULL));
      default:
        v_->Raise_Error("cannot serialize a %s", sq_typename(sq_type(o)));
        return false;
    }
  }
  bool Proto(const SQFunctionProto* f) {
    auto count = [](const auto& vec) { return static_cast<SQInteger>(vec.size()); };
    if (!Int(kTagPart) || !Object(f->_sourcename) || !Object(f->_name) || !Int(kTagPart))
      return false;
    if (!Int(count(f->_literals)) || !Int(count(f->_parameters)) || !Int(count(f->_outervalues)) ||
        !Int(count(f->_localvarinfos)) || !Int(count(f->_lineinfos)) ||
        !Int(count(f->_defaultparams)) || !Int(count(f->_instructions)) ||
        !Int(count(f->_functions))) {
      return false;
    }
    if (!Int(kTagPart)) return false;
    for (const SQObjectPtr& o : f->_literals) {
      if (!Object(o)) return false;
    }
    if (!Int(kTagPart)) return false;
    for (const SQObjectPtr& o : f->_parameters) {
      if (!Object(o)) return false;
    }
    if (!Int(kTagPart)) return false;
    for (const SQOuterVar& o : f->_outervalues) {
      if (!Int(o._type) || !Object(o._src) || !Object(o._name)) return false;
    }
    if (!Int(kTagPart)) return false;
    for (const SQLocalVarInfo& l : f->_localvarinfos) {
      if (!Object(l._name) || !Int(static_cast<SQInteger>(l._pos)) ||
          !Int(static_cast<SQInteger>(l._start_op)) || !Int(static_cast<SQInteger>(l._end_op))) {
        return false;
      }
    }
    if (!Int(kTagPart)) return false;
    for (const SQLineInfo& l : f->_lineinfos) {
      if (!Int(l._line) || !Int(l._op)) return false;
    }
    if (!Int(kTagPart)) return false;
    for (SQInteger pos : f->_defaultparams) {
      if (!Int(pos)) return false;
    }
    if (!Int(kTagPart)) return false;
    for (const SQInstruction& in : f->_instructions) {
      if (!Int(in._arg1)) return false;
      const unsigned char rest[4] = {in.op, in._arg0, in._arg2, in._arg3};
      if (!Bytes(rest, 4)) return false;
    }
    if (!Int(kTagPart)) return false;
    for (const SQObjectPtr& fn : f->_functions) {
      if (!Proto(_funcproto(fn))) return false;
    }
    const unsigned char flags[2] = {static_cast<unsigned char>(f->_bgenerator),
                                    static_cast<unsigned char>(f->_varparams)};
    return Int(f->_stacksize) && Bytes(flags, 2);
  }

 private:
  SQVM* v_;
  SQWRITEFUNC write_;
  SQUserPointer up_;
};

}  // namespace

SQRESULT sq_readclosure(HSQUIRRELVM v, SQREADFUNC readf, SQUserPointer up) {
  StreamReader r(v, readf, up);
  unsigned char tag[2];
  if (!r.Bytes(tag, 2)) return SQ_ERROR;
  if ((tag[0] | (tag[1] << 8)) != SQ_BYTECODE_STREAM_TAG) {
    v->Raise_Error("invalid stream");
    return SQ_ERROR;
  }
  SQObjectPtr proto;
  if (!r.Tag(kTagHead) || !r.Tag(sizeof(SQChar)) || !r.Proto(proto, 0) || !r.Tag(kTagTail)) {
    return SQ_ERROR;
  }
  if (!sq_verify_proto(_funcproto(proto), nullptr)) return r.Corrupt(), SQ_ERROR;
  v->Push(SQObjectPtr(SQClosure::Create(v->_ss, _funcproto(proto))));
  return SQ_OK;
}

SQRESULT sq_writeclosure(HSQUIRRELVM v, SQWRITEFUNC writef, SQUserPointer up) {
  if (sq_gettop(v) < 1) {
    v->Raise_Error("not enough params in the stack");
    return SQ_ERROR;
  }
  const SQObjectPtr& o = v->Top();
  if (sq_type(o) != OT_CLOSURE) {
    v->Raise_Error("the object is not a closure");
    return SQ_ERROR;
  }
  StreamWriter w(v, writef, up);
  const unsigned char tag[2] = {0xFA, 0xFA};
  if (!w.Bytes(tag, 2) || !w.Int(static_cast<SQInteger>(kTagHead)) || !w.Int(sizeof(SQChar)) ||
      !w.Proto(_closure(o)->proto()) || !w.Int(static_cast<SQInteger>(kTagTail))) {
    return SQ_ERROR;
  }
  return SQ_OK;
}
