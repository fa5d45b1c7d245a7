#pragma once
#include <cstddef>
#include <cstdint>

// The window platform module: the application-data folders, the settings file, the log and
// its report sink (errors and warnings also in message boxes), and the main window's module.
// The settings file and the log live in "//<localappdata>/" and are named after the
// executable: "<name>.ini" and "<name>.log".

inline constexpr size_t kPelMswPathSize = 260;

// Starts the module once (later calls do nothing); registers pelMswFinalize with atexit.
void pelMswInitialize();
// Stops the module: reports go to the default sink again and the log is closed. Does nothing
// when the module is not running.
void pelMswFinalize();

// "//<localappdata>/" + the executable's file name with its extension replaced, into an
// output of kPelMswPathSize units.
void pelMswGetDataFilePath(char16_t* output, const char16_t* extension);
// The system path of the settings file, into an output of kPelMswPathSize units.
void pelMswGetSettingsFilePath(char16_t* output);

// The report sink: writes reports up to the configured level to the log as "[Err] ",
// "[Warn] ", "[Mes] ", "[Info] " or "[Debug] " + text + CR LF, and shows levels 0 and 1 in a
// message box whatever the configured level, the prefix as caption.
void pelMswLogSink(int32_t level, const char16_t* text);
// The highest level written to the log (initially 2, or what the settings file's "level"
// names).
void pelMswSetLogLevel(int32_t level);
// The owner window of message boxes shown on the main thread (other threads show none).
void pelMswSetMessageBoxOwner(void* window);
// Appends text to the log as it stands, under the report lock; nothing when no log is open.
void pelMswLogWrite(const char16_t* text, size_t length);
