#include "scheduling/TaskDescription.h"

#include "base/TextHelpers.h"
#include "resources/version.h"

#include <cmath>

namespace tessaly {

namespace {
constexpr long long kMsPerDay = 24LL * 60 * 60 * 1000;
}

StartTime StartTimeFromDayFraction(double value)
{
    double whole = 0;
    const double fraction = std::fabs(std::modf(value, &whole));
    // A value a hair below midnight rounds up to the next day's 00:00, as the calendar does.
    const long long ms = std::llround(fraction * static_cast<double>(kMsPerDay)) % kMsPerDay;
    return StartTime{static_cast<int>(ms / 3600000), static_cast<int>(ms / 60000 % 60)};
}

std::string ScheduledTaskName()
{
    return StripChar(TESSALY_PRODUCT_NAME, ' ') + "-{A871514B-ACE7-4c29-BC9A-D9627D7AACB1}";
}

TaskProperties ComposeTaskProperties(const std::string& userName, const std::string& executablePath)
{
    return TaskProperties{kTaskFlagRunOnlyIfLoggedOn, userName, executablePath, kUnattendedSwitch,
                          kTaskMaxRunTimeMs};
}

TaskTriggerRecord ComposeDailyTrigger(const CalendarDate& today, const StartTime& start, int intervalDays)
{
    TaskTriggerRecord trigger{};
    trigger.cbTriggerSize = sizeof(TaskTriggerRecord);
    trigger.wBeginYear = static_cast<std::uint16_t>(today.year);
    trigger.wBeginMonth = static_cast<std::uint16_t>(today.month);
    trigger.wBeginDay = static_cast<std::uint16_t>(today.day);
    trigger.wStartHour = static_cast<std::uint16_t>(start.hour);
    trigger.wStartMinute = static_cast<std::uint16_t>(start.minute);
    trigger.TriggerType = kTaskTimeTriggerDaily;
    trigger.DaysInterval = static_cast<std::uint16_t>(intervalDays);
    return trigger;
}

} // namespace tessaly
