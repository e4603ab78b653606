#pragma once
// Where the settings file lives, and reading and replacing it on disk.
#include "app/IniFile.h"
#include "app/Settings.h"
#include "base/FileHelpers.h"

#include <string>

namespace tessaly {

// UTF-8 values to and from the ANSI code page, the program's text. A value with a
// character that code page lacks is refused rather than given Windows' substitute for it.
SettingsTextConversion SystemSettingsText();

// The executable's folder + "CorvaneTessaly.ini".
std::string SettingsFilePath();

// The file's content; an empty object when the file does not exist.
// Throws EFileError when it exists but cannot be read.
IniFile LoadIniFile(const std::string& path);

} // namespace tessaly
