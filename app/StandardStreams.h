#pragma once
// The windowless switches' output: the program has no console of its own, so standard
// output and standard error are what the caller redirected, or the console it was started
// from.
#include <string>

namespace tessaly {

// "CorvaneTessaly: " and `text` (ANSI) as one line on standard error; nothing when there
// is none or `text` is empty.
void WriteStandardError(const std::string& text);

// `text` (UTF-8) on standard output: through WriteConsoleW where that is a console (the
// caller's, attached when no handle was handed over), as UTF-8 bytes into a file or pipe.
// False when there is no standard output or it refused the text.
bool WriteStandardOutput(const std::string& text);

} // namespace tessaly
