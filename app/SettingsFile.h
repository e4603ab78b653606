#pragma once
// Where the settings file lives, and reading and replacing it on disk.
#include "app/IniFile.h"
#include "app/Settings.h"

#include <string>

namespace tessaly {

// UTF-8 values to and from the ANSI code page, the program's text. A value with a
// character that code page lacks is refused rather than given Windows' substitute for it.
SettingsTextConversion SystemSettingsText();

// The executable's folder + "CorvaneTessaly.ini".
std::string SettingsFilePath();

// The file's content; an empty object when the file does not exist.
// Throws EFileError when it exists but cannot be read.
TIniFile LoadIniFile(const std::string& path);

// Writes the text to a new file in the same folder and only then puts it in place of
// the old one (clearing read-only first), so a failed write never costs the old file.
// Throws EFileError, naming the file and the system's reason, when it cannot be replaced;
// the old file is then unchanged and no temporary file is left behind.
void ReplaceFileContent(const std::string& path, const std::string& text);

} // namespace tessaly
