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

// How the values of a settings file saved as UTF-8 (it starts with the byte-order mark)
// become the program's 8-bit text and back. The file's own bytes are never guessed at.
struct SettingsTextConversion {
    // Empty when the text is not UTF-8 or holds a character the program's text cannot hold.
    std::function<std::optional<std::string>(std::string_view)> fromUtf8;
    std::function<std::string(std::string_view)> toUtf8;
};

struct SettingsValues {
    std::string source;
    std::string user;
    std::string password;
    std::string folder;
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
// `unreadableKeys`, never altered.
SettingsValues ReadSettings(const TIniFile& ini, const SettingsTextConversion& conversion,
                            int shownStartTime = kDefaultStartTime);

// Source and Folder are written only when they hold text, so a blank one keeps its stored
// value; User and PSW are written even when blank, so clearing them sticks, unless their
// stored value was unreadable. The codes and the start time are always written. A UTF-8
// file gets its texts in UTF-8. RemoveLimit has no field in the window: it is only read,
// so what an administrator stored stays.
void WriteSettings(TIniFile& ini, const SettingsValues& values, const SettingsTextConversion& conversion);

// "HH:mm:ss", 24-hour: read back by ParseTimeOfDay whatever the system's time format is.
std::string FormatTimeOfDay(int secondsAfterMidnight);

// Reads "H:mm" or "H:mm:ss", optionally followed by "AM" or "PM" (also "H.mm" as some
// locales write it); false when the text is not a time of day.
[[nodiscard]] bool ParseTimeOfDay(std::string_view text, int& secondsAfterMidnight);

} // namespace tessaly
