#include "app/CommandSettings.h"

#include "base/TextHelpers.h"
#include "contacts/WebLink.h"
#include "destinations/Destinations.h"

#include <array>
#include <span>
#include <string_view>
#include <utility>

namespace tessaly {

namespace {

// "10 (Outlook), 20 (Outlook Express) or 30 (Windows Mail)"
std::string DestinationCodes()
{
    std::string text;
    const std::span<const DestinationRow> rows = DestinationTable();
    for (size_t i = 0; i < rows.size(); ++i) {
        if (i > 0)
            text += i + 1 == rows.size() ? " or " : ", ";
        text += std::to_string(rows[i].code) + " (" + std::string(rows[i].name) + ")";
    }
    return text;
}

// True when the destination of the code takes the folder; a code without one needs none.
bool DestinationTakesFolder(int code, std::string_view folder)
{
    const DestinationRow* destination = FindDestination(code);
    return !destination || destination->acceptsFolder(Trim(folder));
}

std::string Refused(std::string_view key, std::string_view value, std::string_view reason)
{
    return std::string(key) + "=" + std::string(value) + ": " + std::string(reason);
}

struct GivenSetting {
    std::string_view key; // as the settings file spells it
    std::string value;
};

// The refusal of one value on its own; empty when it may be stored.
std::string CheckValue(std::string_view key, const std::string& value)
{
    int number = 0;
    if (key == "Source" && !ParseWebLink(value))
        return Refused(key, value, "not a link that starts with http:// or https://");
    if (key == "EmailClient" && !(ParseIniInteger(value, number) && FindDestination(number)))
        return Refused(key, value, "not " + DestinationCodes());
    if (key == "Interval" && !(ParseIniInteger(value, number) && number >= 1 && number <= 7))
        return Refused(key, value, "not a number of days from 1 to 7");
    if (key == "StartTime" && !ParseTimeOfDay(value, number))
        return Refused(key, value, "not a time of day such as 07:30:00");
    if (key == "RemoveLimit" && !(ParseIniInteger(value, number) && IsRemoveLimit(number)))
        return Refused(key, value, "not a percentage from 1 to 100");
    return {};
}

std::string UnreadableRefusal(const std::string& key)
{
    return "the settings file holds characters in " + key + " that this system cannot show";
}

} // namespace

InputProblem CheckActionInputs(std::string_view source, std::string_view folder, int destinationCode)
{
    if (!HasText(source))
        return InputProblem::BlankSource;
    // Other schemes (ftp, file) would be fetched without a status or a length to check.
    if (!ParseWebLink(source))
        return InputProblem::NotWebLink;
    if (!HasText(folder))
        return InputProblem::BlankFolder;
    if (!DestinationTakesFolder(destinationCode, folder))
        return InputProblem::NotPlainFolder;
    return InputProblem::None;
}

std::string InputRefusal(const SettingsValues& values)
{
    // Left empty by the reading, they would be refused as blank, which they are not.
    for (const std::string& key : values.unreadableKeys)
        if (key == "Source" || key == "Folder")
            return UnreadableRefusal(key);
    switch (CheckActionInputs(values.source, values.folder, values.emailClient)) {
    case InputProblem::BlankSource:
        return "the download link is blank";
    case InputProblem::NotWebLink:
        // The window's own words: one says where a user name in the link belongs.
        return std::string(WebLinkRefusal(values.source));
    case InputProblem::BlankFolder:
        return "the contact folder is blank";
    case InputProblem::NotPlainFolder:
        return "the contact folder is not the name of one folder";
    case InputProblem::None:
        break;
    }
    return {};
}

std::string RunRefusal(const SettingsValues& values)
{
    std::string refusal = InputRefusal(values);
    if (refusal.empty() && !values.unreadableKeys.empty())
        refusal = UnreadableRefusal(values.unreadableKeys.front());
    return refusal;
}

std::string ScheduleRefusal(const IniFile& ini)
{
    for (std::string_view key : {std::string_view("Interval"), std::string_view("StartTime")}) {
        if (!ini.ValueExists(kSettingsSection, key))
            continue;
        if (std::string refusal = CheckValue(key, ini.ReadString(kSettingsSection, key, {})); !refusal.empty())
            return refusal;
    }
    return {};
}

int IntervalOrFirst(int code)
{
    return code >= 1 && code <= 7 ? code : 1;
}

std::string ApplySettingArguments(IniFile& ini, const std::vector<std::string>& arguments,
                                  const SettingsTextConversion& conversion)
{
    // "Schedule" is no key of the file: "Schedule=1" asks that the result pass the input
    // check of the scheduled task, which is saved next.
    static constexpr std::array<std::string_view, 9> kKeys = {
        "Source", "User", "PSW", "Folder", "EmailClient", "Interval", "StartTime", "RemoveLimit", "Schedule"};
    std::vector<GivenSetting> given;
    bool schedule = false;
    for (const std::string& argument : arguments) {
        const size_t equals = argument.find('=');
        const std::string_view name = std::string_view(argument).substr(0, equals);
        const std::string_view* key = nullptr;
        for (const std::string_view& known : kKeys)
            if (equals != std::string::npos && SameTextIgnoringAsciiCase(name, known))
                key = &known;
        if (!key)
            return "unknown setting \"" + argument + "\"";
        const std::string_view raw = std::string_view(argument).substr(equals + 1);
        // Written into the file, a line break would start entries of its own. The value
        // is not repeated: it may be the password.
        if (HoldsLineBreak(raw) || raw.find('\0') != std::string_view::npos)
            return std::string(*key) + ": the value holds a line break (CR or LF) or a character 0";
        const std::string value = Trim(raw);
        if (value.empty())
            continue;
        if (*key == "Schedule") {
            if (value != "1" && value != "0")
                return Refused(*key, value, "not 1 (save the scheduled task) or 0");
            schedule = value == "1";
            continue;
        }
        if (std::string refusal = CheckValue(*key, value); !refusal.empty())
            return refusal;
        given.push_back({*key, value});
    }

    IniFile result = ini;
    for (const GivenSetting& setting : given) {
        int number = 0;
        if (setting.key == "StartTime" && ParseTimeOfDay(setting.value, number))
            result.WriteString(kSettingsSection, setting.key, FormatTimeOfDay(number));
        else if ((setting.key == "EmailClient" || setting.key == "Interval" || setting.key == "RemoveLimit") && ParseIniInteger(setting.value, number))
            result.WriteInteger(kSettingsSection, setting.key, number);
        else
            result.WriteString(kSettingsSection, setting.key,
                               result.Utf8() ? conversion.toUtf8(setting.value) : setting.value);
    }
    // The folder must suit the destination that will be in the file, given or kept.
    const SettingsValues merged = ReadSettings(result, conversion);
    if (HasText(merged.folder) && !DestinationTakesFolder(merged.emailClient, merged.folder)) {
        // Said in the ANSI code page, as the switches were given; the reading checked it holds the name.
        return Refused("Folder", conversion.fromUtf8(merged.folder).value_or(merged.folder),
                       FindDestination(merged.emailClient)->folderRequirement);
    }
    // Refused now, the install fails before anything is written, not after.
    if (schedule) {
        if (std::string refusal = InputRefusal(merged); !refusal.empty())
            return "the scheduled task cannot be saved: " + refusal;
    }
    ini = std::move(result);
    return {};
}

} // namespace tessaly
