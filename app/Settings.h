#pragma once
// The seven settings of the program, their keys and defaults, and their mapping to
// and from the in-memory settings file. No window is needed here: the main window
// moves these values into its controls and back.
#include "app/IniFile.h"
#include "destinations/Destinations.h"
#include "resources/version.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly {

inline constexpr std::string_view kSettingsSection = TESSALY_PRODUCT_NAME;
inline constexpr std::string_view kSettingsFileName = "CorvaneTessaly.ini";

inline constexpr std::string_view kDefaultSource = "http://www.corvane.example/data/contacts.csv";
inline constexpr std::string_view kDefaultUser = "username";
inline constexpr std::string_view kDefaultPassword = "changeme";
inline constexpr std::string_view kDefaultFolder = "Global Contacts";
inline constexpr int kDefaultInterval = 1;
inline constexpr DestinationKind kDefaultDestination = DestinationKind::Outlook;
inline constexpr int kDefaultStartTime = 15 * 3600; // 15:00, seconds after midnight
// The largest share of a folder's contacts, in percent, that a run removes without being
// told to; 100 sets no limit.
inline constexpr int kDefaultRemoveLimit = 50;

// True for a RemoveLimit the settings file may hold.
constexpr bool IsRemoveLimit(int percent)
{
    return percent >= 1 && percent <= 100;
}

// How the values of a settings file become the program's text and back. A file saved as
// UTF-8 (it starts with the byte-order mark) holds UTF-8, any other the ANSI code page; the
// file's own bytes are never guessed at. The link, user name and password are ANSI text
// inside the program, the folder name UTF-8; the window shows both in the ANSI code page.
struct SettingsTextConversion {
    // ANSI from UTF-8; empty when the text is not UTF-8 or holds a character the ANSI code
    // page cannot hold.
    std::function<std::optional<std::string>(std::string_view)> fromUtf8;
    // UTF-8 from ANSI.
    std::function<std::string(std::string_view)> toUtf8;
};

struct SettingsValues {
    std::string source;
    std::string user;
    std::string password;
    std::string folder; // UTF-8
    int interval = kDefaultInterval;
    int emailClient = CodeOf(kDefaultDestination);
    int startTime = kDefaultStartTime; // seconds after midnight
    int removeLimit = kDefaultRemoveLimit;
    // Text keys ("Source", "User", "PSW", "Folder") whose stored value could not be
    // converted: their value here is empty, and the stored one stays in the file until a
    // new one is entered.
    std::vector<std::string> unreadableKeys;

    bool Unreadable(std::string_view key) const;
};

// Every key in its reading order; a missing key, an integer or a time that cannot be
// read gives the default. `shownStartTime` is the time the picker already shows. The texts
// of a UTF-8 file go through `conversion`; one it refuses is left empty and listed in
// `unreadableKeys`, never altered. A folder name the ANSI code page cannot hold is refused
// so too, since the window could not show it; one that it can is kept in UTF-8.
SettingsValues ReadSettings(const IniFile& ini, const SettingsTextConversion& conversion,
                            int shownStartTime = kDefaultStartTime);

// Source and Folder are written only when they hold text, so a blank one keeps its stored
// value; User and PSW are written even when blank, so clearing them sticks, unless their
// stored value was unreadable. The codes and the start time are always written. A UTF-8
// file gets its texts in UTF-8, any other file the ANSI code page (a folder name that code
// page cannot hold, which no field of the window can give, keeps the stored value).
// RemoveLimit has no field in the window: it is only read, so what is stored stays.
void WriteSettings(IniFile& ini, const SettingsValues& values, const SettingsTextConversion& conversion);

// "HH:mm:ss", 24-hour: read back by ParseTimeOfDay whatever the system's time format is.
std::string FormatTimeOfDay(int secondsAfterMidnight);

// Reads "H:mm" or "H:mm:ss", optionally followed by "AM" or "PM" (also "H.mm" as some
// locales write it); false when the text is not a time of day.
[[nodiscard]] bool ParseTimeOfDay(std::string_view text, int& secondsAfterMidnight);

} // namespace tessaly
