#include "app/SettingsFile.h"

#include "app/Settings.h"
#include "base/FileHelpers.h"
#include "base/WideText.h"
#include "base/WinHandles.h"

#include <windows.h>

#include <system_error>

namespace tessaly {

SettingsTextConversion SystemSettingsText()
{
    return {
        [](std::string_view utf8) -> std::optional<std::string> {
            if (utf8.empty())
                return std::string();
            const int length = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(),
                                                     static_cast<int>(utf8.size()), nullptr, 0);
            if (length <= 0)
                return std::nullopt;
            std::wstring wide(static_cast<size_t>(length), L'\0');
            ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()),
                                  wide.data(), length);
            // Whatever the code page, a character it lacks does not come back the same.
            std::string ansi = WideToAnsi(wide.c_str(), length);
            if (AnsiToWide(ansi) != wide)
                return std::nullopt;
            return ansi;
        },
        [](std::string_view ansi) { return ConvertText(std::string(ansi), CP_ACP, CP_UTF8); },
    };
}

std::string SettingsFilePath()
{
    return ExecutableFolder() + std::string(kSettingsFileName);
}

TIniFile LoadIniFile(const std::string& path)
{
    if (!FileExists(path))
        return TIniFile();
    return TIniFile::Parse(ReadTextFile(path));
}

} // namespace tessaly
