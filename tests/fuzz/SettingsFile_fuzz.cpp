// Any settings file: what is written back reads back the same, and the settings written
// into it are the ones read afterwards.
#include "app/IniFile.h"
#include "app/Settings.h"
#include "base/TextHelpers.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

// UTF-8 files' texts taken as they are: the conversion itself is the system's.
const tessaly::SettingsTextConversion kAsIs{
    [](std::string_view text) { return std::optional<std::string>(text); },
    [](std::string_view text) { return std::string(text); },
};

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    tessaly::IniFile ini = tessaly::IniFile::Parse(text);
    const std::string once = ini.ToText();
    if (tessaly::IniFile::Parse(once).ToText() != once)
        std::abort();

    const tessaly::SettingsValues read = tessaly::ReadSettings(ini, kAsIs);
    if (read.startTime < 0 || read.startTime >= 86400)
        std::abort();
    tessaly::WriteSettings(ini, read, kAsIs);
    const tessaly::SettingsValues back = tessaly::ReadSettings(tessaly::IniFile::Parse(ini.ToText()), kAsIs);
    if (back.user != tessaly::Trim(read.user) || back.password != tessaly::Trim(read.password)
        || back.interval != read.interval || back.emailClient != read.emailClient || back.startTime != read.startTime)
        std::abort();
    if (tessaly::HasText(read.source) && back.source != tessaly::Trim(read.source))
        std::abort();
    return 0;
}
