#pragma once
// The reference host: how a plain script is run from the command line and in tests. Opens a VM
// with the base library, compiles source or loads a closure stream, calls it once with the
// root table as `this`, writes printed text as UTF-8 and reports errors in a fixed format.

#include <ostream>
#include <string>

namespace sqhost {

// Runs a script: `data` is a closure stream when it starts with FA FA, otherwise UTF-8 source
// (a BOM skipped) named `name`, compiled with debug info. Printed text goes to `out`; "call failed:
// ..." or "compile error ..." / "compile failed: ..." lines go to `err`. Returns the exit status.
int RunScript(const std::string& name, const std::string& data, std::ostream& out,
              std::ostream& err);

// Compiles UTF-8 source into a closure stream without debug info (no LINE instructions);
// compile errors are reported to `err`.
bool CompileToStream(const std::string& name, const std::string& source, std::string& cnut,
                     std::ostream& err);

// Writes the listing of a closure stream or of compiled source. Returns the exit status.
int Disassemble(const std::string& name, const std::string& data, std::ostream& out,
                std::ostream& err);

}  // namespace sqhost
