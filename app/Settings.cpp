#include "app/Settings.h"

#include "base/TextHelpers.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace tessaly {

namespace {

bool ReadNumber(std::string_view& text, int& value, size_t maxDigits)
{
    size_t used = 0;
    int number = 0;
    while (used < text.size() && used < maxDigits && std::isdigit(static_cast<unsigned char>(text[used]))) {
        number = number * 10 + (text[used] - '0');
        ++used;
    }
    if (used == 0)
        return false;
    text.remove_prefix(used);
    value = number;
    return true;
}

bool SkipSeparator(std::string_view& text)
{
    if (text.empty() || (text[0] != ':' && text[0] != '.'))
        return false;
    text.remove_prefix(1);
    return true;
}

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

} // namespace

bool ParseTimeOfDay(std::string_view text, int& secondsAfterMidnight)
{
    const std::string trimmed = Trim(text);
    std::string_view rest = trimmed;
    int hours = 0;
    int minutes = 0;
    int seconds = 0;
    if (!ReadNumber(rest, hours, 2) || !SkipSeparator(rest) || !ReadNumber(rest, minutes, 2))
        return false;
    if (SkipSeparator(rest) && !ReadNumber(rest, seconds, 2))
        return false;
    const std::string suffix = Trim(rest);
    if (!suffix.empty()) {
        const bool am = EqualsNoCase(suffix, "AM");
        const bool pm = EqualsNoCase(suffix, "PM");
        if ((!am && !pm) || hours < 1 || hours > 12)
            return false;
        hours = hours % 12 + (pm ? 12 : 0);
    }
    if (hours > 23 || minutes > 59 || seconds > 59)
        return false;
    secondsAfterMidnight = hours * 3600 + minutes * 60 + seconds;
    return true;
}

std::string FormatTimeOfDay(int secondsAfterMidnight)
{
    int value = secondsAfterMidnight % 86400;
    if (value < 0)
        value += 86400;
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", value / 3600, value / 60 % 60, value % 60);
    return text;
}

bool SettingsValues::Unreadable(std::string_view key) const
{
    return std::any_of(unreadableKeys.begin(), unreadableKeys.end(),
                       [key](const std::string& unreadable) { return unreadable == key; });
}

SettingsValues ReadSettings(const IniFile& ini, const SettingsTextConversion& conversion, int shownStartTime)
{
    SettingsValues values;
    // `utf8Inside` marks a value the program holds in UTF-8 (the folder name): a UTF-8
    // file's is only checked, so the window can show it; any other file's is converted.
    const auto text = [&](std::string_view key, std::string_view fallback, bool utf8Inside) {
        std::string stored = ini.ReadString(kSettingsSection, key, fallback);
        if (!ini.Utf8() || !ini.ValueExists(kSettingsSection, key))
            return utf8Inside ? conversion.toUtf8(stored) : stored;
        // Read as 8-bit text, "Kontakte \xC3\x84" would name another folder than the one meant.
        std::optional<std::string> converted = conversion.fromUtf8(stored);
        if (converted)
            return utf8Inside ? stored : std::move(*converted);
        values.unreadableKeys.emplace_back(key);
        return std::string();
    };
    values.source = text("Source", kDefaultSource, false);
    values.user = text("User", kDefaultUser, false);
    values.password = text("PSW", kDefaultPassword, false);
    values.folder = text("Folder", kDefaultFolder, true);
    values.interval = ini.ReadInteger(kSettingsSection, "Interval", kDefaultInterval);
    values.emailClient = ini.ReadInteger(kSettingsSection, "EmailClient", CodeOf(kDefaultDestination));
    values.startTime = shownStartTime;
    // A limit out of range would either stop every run or guard nothing.
    values.removeLimit = ini.ReadInteger(kSettingsSection, "RemoveLimit", kDefaultRemoveLimit);
    if (!IsRemoveLimit(values.removeLimit))
        values.removeLimit = kDefaultRemoveLimit;
    int parsed = 0;
    if (ini.ValueExists(kSettingsSection, "StartTime")
        && ParseTimeOfDay(ini.ReadString(kSettingsSection, "StartTime", {}), parsed))
        values.startTime = parsed;
    return values;
}

void WriteSettings(IniFile& ini, const SettingsValues& values, const SettingsTextConversion& conversion)
{
    const auto write = [&](std::string_view key, const std::string& value, bool evenBlank) {
        // A blank field whose stored value could not be shown keeps that value.
        if (!HasText(value) && (!evenBlank || values.Unreadable(key)))
            return;
        const std::string trimmed = Trim(value);
        ini.WriteString(kSettingsSection, key, ini.Utf8() ? conversion.toUtf8(trimmed) : trimmed);
    };
    write("Source", values.source, false);
    write("User", values.user, true);
    write("PSW", values.password, true);
    if (HasText(values.folder)) {
        const std::string trimmed = Trim(values.folder);
        if (ini.Utf8())
            ini.WriteString(kSettingsSection, "Folder", trimmed);
        else if (std::optional<std::string> ansi = conversion.fromUtf8(trimmed))
            ini.WriteString(kSettingsSection, "Folder", *ansi);
    }
    ini.WriteInteger(kSettingsSection, "EmailClient", values.emailClient);
    ini.WriteInteger(kSettingsSection, "Interval", values.interval);
    ini.WriteString(kSettingsSection, "StartTime", FormatTimeOfDay(values.startTime));
}

} // namespace tessaly
