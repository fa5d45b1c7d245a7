#include "squirrel/sqhost.h"

#include "platform/os/utf8.h"
#include "squirrel/sqdisasm.h"
#include "squirrel/sqfuncproto.h"
#include "squirrel/squirrel.h"

#include <cstdarg>
#include <cstring>

namespace sqhost {
namespace {

struct HostStreams {
  std::ostream* out;
  std::ostream* err;
};

std::string ToUtf8(const SQChar* s) {
  return platform::os::utf16ToUtf8(std::u16string_view(s));
}

void PrintFunc(HSQUIRRELVM v, const SQChar* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  // The base library always prints with the format "%s" and one string.
  const SQChar* text = va_arg(args, const SQChar*);
  va_end(args);
  auto* streams = static_cast<HostStreams*>(sq_getforeignptr(v));
  *streams->out << ToUtf8(text);
  streams->out->flush();
}

void CompileErrorFunc(HSQUIRRELVM v, const SQChar* desc, const SQChar* source, SQInteger line,
                      SQInteger column) {
  auto* streams = static_cast<HostStreams*>(sq_getforeignptr(v));
  *streams->err << "compile error " << ToUtf8(source) << ":" << line << ":" << column << ": "
                << ToUtf8(desc) << "\n";
}

std::string LastErrorText(HSQUIRRELVM v) {
  sq_getlasterror(v);
  const SQChar* msg = nullptr;
  std::string text = SQ_SUCCEEDED(sq_getstring(v, -1, &msg)) ? ToUtf8(msg) : "?";
  sq_pop(v, 1);
  return text;
}

struct MemoryReader {
  const std::string* data;
  size_t pos;
};

SQInteger ReadMemory(SQUserPointer up, SQUserPointer dst, SQInteger size) {
  auto* r = static_cast<MemoryReader*>(up);
  if (size < 0 || r->data->size() - r->pos < static_cast<size_t>(size)) return -1;
  memcpy(dst, r->data->data() + r->pos, static_cast<size_t>(size));
  r->pos += static_cast<size_t>(size);
  return size;
}

SQInteger WriteMemory(SQUserPointer up, SQUserPointer src, SQInteger size) {
  static_cast<std::string*>(up)->append(static_cast<const char*>(src), static_cast<size_t>(size));
  return size;
}

bool IsStream(const std::string& data) {
  return data.size() >= 2 && static_cast<unsigned char>(data[0]) == 0xFA &&
         static_cast<unsigned char>(data[1]) == 0xFA;
}

// Pushes the main closure of `data`; on failure writes the error lines and returns false.
bool LoadMain(HSQUIRRELVM v, const std::string& name, const std::string& data, std::ostream& err) {
  if (IsStream(data)) {
    MemoryReader reader{&data, 0};
    if (SQ_FAILED(sq_readclosure(v, ReadMemory, &reader))) {
      err << "load failed: " << LastErrorText(v) << "\n";
      return false;
    }
    return true;
  }
  std::string source = data;
  if (source.compare(0, 3, "\xEF\xBB\xBF") == 0) source.erase(0, 3);
  const std::u16string text = platform::os::utf8ToUtf16(source);
  const std::u16string srcname = platform::os::utf8ToUtf16(name);
  if (SQ_FAILED(sq_compilebuffer(v, text.data(), static_cast<SQInteger>(text.size()),
                                 srcname.c_str(), SQTrue))) {
    err << "compile failed: " << LastErrorText(v) << "\n";
    return false;
  }
  return true;
}

}  // namespace

int RunScript(const std::string& name, const std::string& data, std::ostream& out,
              std::ostream& err) {
  HostStreams streams{&out, &err};
  HSQUIRRELVM v = sq_open(1024);
  sq_setforeignptr(v, &streams);
  sq_setprintfunc(v, PrintFunc);
  sq_setcompilererrorhandler(v, CompileErrorFunc);
  // Source runs with line information, so that the debug hook sees every line as it would
  // for a stream compiled with debug info.
  sq_enabledebuginfo(v, SQTrue);
  int status = 0;
  if (!LoadMain(v, name, data, err)) {
    status = 1;
  } else {
    sq_pushroottable(v);
    if (SQ_FAILED(sq_call(v, 1, SQFalse, SQTrue))) {
      err << "call failed: " << LastErrorText(v) << "\n";
      status = 1;
    }
    sq_pop(v, 1);
  }
  out.flush();
  sq_close(v);
  return status;
}

bool CompileToStream(const std::string& name, const std::string& source, std::string& cnut,
                     std::ostream& err) {
  HostStreams streams{&err, &err};
  HSQUIRRELVM v = sq_open(1024);
  sq_setforeignptr(v, &streams);
  sq_setcompilererrorhandler(v, CompileErrorFunc);
  bool ok = LoadMain(v, name, source, err);
  if (ok && SQ_FAILED(sq_writeclosure(v, WriteMemory, &cnut))) {
    err << "write failed: " << LastErrorText(v) << "\n";
    ok = false;
  }
  sq_close(v);
  return ok;
}

int Disassemble(const std::string& name, const std::string& data, std::ostream& out,
                std::ostream& err) {
  HostStreams streams{&err, &err};
  HSQUIRRELVM v = sq_open(1024);
  sq_setforeignptr(v, &streams);
  sq_setcompilererrorhandler(v, CompileErrorFunc);
  int status = 1;
  if (LoadMain(v, name, data, err)) {
    HSQOBJECT closure;
    sq_getstackobj(v, -1, &closure);
    out << sq_disassemble(_funcproto(closure._unVal.pClosure->_function));
    status = 0;
  }
  sq_close(v);
  return status;
}

}  // namespace sqhost
