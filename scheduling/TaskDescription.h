#pragma once
// What the scheduled task holds: its name, the work item's properties and its one daily
// trigger. Plain values only, so the composition is checked without a Task Scheduler.
#include <cstddef>
#include <cstdint>
#include <string>

namespace tessaly {

// The Task Scheduler 1.0 trigger record, byte for byte (48 bytes, no padding).
struct TaskTriggerRecord {
    std::uint16_t cbTriggerSize;
    std::uint16_t Reserved1;
    std::uint16_t wBeginYear;
    std::uint16_t wBeginMonth;
    std::uint16_t wBeginDay;
    std::uint16_t wEndYear;
    std::uint16_t wEndMonth;
    std::uint16_t wEndDay;
    std::uint16_t wStartHour;
    std::uint16_t wStartMinute;
    std::uint32_t MinutesDuration;
    std::uint32_t MinutesInterval;
    std::uint32_t rgFlags;
    std::uint32_t TriggerType;
    std::uint16_t DaysInterval; // first word of the type union (Daily)
    std::uint16_t TypeRest[3];
    std::uint16_t Reserved2;
    std::uint16_t wRandomMinutesInterval;
};
static_assert(sizeof(TaskTriggerRecord) == 48);
static_assert(offsetof(TaskTriggerRecord, MinutesDuration) == 20);
static_assert(offsetof(TaskTriggerRecord, TriggerType) == 32);
static_assert(offsetof(TaskTriggerRecord, DaysInterval) == 36);
static_assert(offsetof(TaskTriggerRecord, Reserved2) == 44);

inline constexpr std::uint32_t kTaskTimeTriggerDaily = 1;
inline constexpr std::uint32_t kTaskFlagRunOnlyIfLoggedOn = 0x2000;
inline constexpr std::uint32_t kTaskMaxRunTimeMs = 7 * 60 * 1000;
inline constexpr const char* kUnattendedSwitch = "-a";

struct CalendarDate {
    int year;
    int month;
    int day;
};

// The hour and minute of the time picker; seconds play no part in the schedule.
struct StartTime {
    int hour;
    int minute;
};

// A time of day kept as a fraction of a day (any whole days are ignored), split into hour
// and minute the way the calendar does: rounded to the millisecond, seconds dropped.
StartTime StartTimeFromDayFraction(double value);

// "CorvaneTessaly-{...}": the product name without blanks and the task's fixed GUID text.
std::string ScheduledTaskName();

// The work item as the program registers it.
struct TaskProperties {
    std::uint32_t flags;
    std::string accountName; // registered with no password
    std::string applicationName; // unquoted, even with blanks in it
    std::string parameters;
    std::uint32_t maxRunTimeMs;
};

TaskProperties ComposeTaskProperties(const std::string& userName, const std::string& executablePath);

// One daily trigger every `intervalDays` days at `start`, beginning on `today`, never ending.
TaskTriggerRecord ComposeDailyTrigger(const CalendarDate& today, const StartTime& start, int intervalDays);

} // namespace tessaly
