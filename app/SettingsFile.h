#pragma once
// Where the settings file lives, and reading and replacing it on disk.
#include "app/IniFile.h"

#include <string>

namespace tessaly {

// The executable's folder + "CorvaneTessaly.ini".
std::string SettingsFilePath();

// The file's content; an empty object when the file does not exist.
// Throws std::system_error when it exists but cannot be read.
TIniFile LoadIniFile(const std::string& path);

// Writes the text to a new file in the same folder and only then puts it in place of
// the old one (clearing read-only first), so a failed write never costs the old file.
// Throws std::system_error, with the system's message, when the file cannot be replaced;
// the old file is then unchanged and no temporary file is left behind.
void ReplaceFileContent(const std::string& path, const std::string& text);

} // namespace tessaly
