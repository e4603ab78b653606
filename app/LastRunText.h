#pragma once
// What the idle window's status line says of the last run: when it started and what it
// did, or what stopped it, on one line short enough for the label.
#include "app/RunLog.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tessaly {

// A local time as the log holds it.
struct LocalDateTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// "2026-12-10T07:30:00"; none for any other text or an impossible date or time.
std::optional<LocalDateTime> ParseLogTime(std::string_view text);

// Turns a start time into the user's short date and time, UTF-8.
using DateTimeFormatter = std::function<std::string(const LocalDateTime&)>;

// The longest part of a failure's warning the line keeps, in bytes.
inline constexpr size_t kLastRunWarningMax = 40;

// "Last run 10.12.2026 07:30: 12 added, 3 changed, 2 removed" for a success (only the
// counts above 0; "nothing changed" when none is); for any other outcome ": interrupted",
// ": stopped, ..." or ": failed: " and the warning's start. A start time that does not
// read is shown as the log holds it. UTF-8.
std::string LastRunText(const RunLogEntry& run, const DateTimeFormatter& formatWhen);

} // namespace tessaly
