#include "app/SettingsFile.h"

#include "app/Settings.h"
#include "base/FileHelpers.h"
#include "base/WideText.h"

namespace tessaly {

SettingsTextConversion SystemSettingsText()
{
    return {
        [](std::string_view utf8) { return Utf8ToAnsiExactly(utf8); },
        [](std::string_view ansi) { return AnsiToUtf8(ansi); },
    };
}

std::string SettingsFilePath()
{
    return ExecutableFolder() + std::string(kSettingsFileName);
}

IniFile LoadIniFile(const std::string& path)
{
    if (!FileExists(path))
        return IniFile();
    return IniFile::Parse(ReadTextFile(path));
}

} // namespace tessaly
