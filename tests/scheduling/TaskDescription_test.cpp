#include "scheduling/TaskDescription.h"

#include <gtest/gtest.h>

#include <cstring>

namespace tessaly {
namespace {

double DayFraction(int hour, int minute, int second)
{
    return (hour * 3600.0 + minute * 60.0 + second) / 86400.0;
}

TEST(StartTimeFromDayFraction, DropsSecondsAndIgnoresTheDate)
{
    const StartTime late = StartTimeFromDayFraction(DayFraction(23, 59, 40));
    EXPECT_EQ(late.hour, 23);
    EXPECT_EQ(late.minute, 59);

    const StartTime afternoon = StartTimeFromDayFraction(45000.0 + DayFraction(15, 0, 0));
    EXPECT_EQ(afternoon.hour, 15);
    EXPECT_EQ(afternoon.minute, 0);

    // Exact minutes stored as binary fractions must not fall to the minute before.
    for (int minute = 0; minute < 24 * 60; ++minute) {
        const StartTime split = StartTimeFromDayFraction(DayFraction(minute / 60, minute % 60, 0));
        ASSERT_EQ(split.hour * 60 + split.minute, minute);
    }
}

TEST(StartTimeFromDayFraction, RoundsToTheMillisecondAndWrapsAtMidnight)
{
    EXPECT_EQ(StartTimeFromDayFraction(DayFraction(8, 29, 59) + 0.9996 / 86400.0).minute, 30);
    const StartTime wrapped = StartTimeFromDayFraction(1.0 - 0.0001 / 86400.0);
    EXPECT_EQ(wrapped.hour, 0);
    EXPECT_EQ(wrapped.minute, 0);
}

TEST(ComposeDailyTrigger, FillsOnlyTheDailyFieldsOfTheRecord)
{
    const TaskTriggerRecord trigger = ComposeDailyTrigger({2026, 12, 8}, {23, 59}, 7);

    TaskTriggerRecord expected;
    std::memset(&expected, 0, sizeof expected);
    expected.cbTriggerSize = 48;
    expected.wBeginYear = 2026;
    expected.wBeginMonth = 12;
    expected.wBeginDay = 8;
    expected.wStartHour = 23;
    expected.wStartMinute = 59;
    expected.TriggerType = 1;
    expected.DaysInterval = 7;
    EXPECT_EQ(std::memcmp(&trigger, &expected, sizeof trigger), 0);

    // Byte positions of the published layout, read from the raw record.
    unsigned char bytes[48];
    std::memcpy(bytes, &trigger, sizeof bytes);
    EXPECT_EQ(bytes[0], 48);
    EXPECT_EQ(bytes[16], 23);
    EXPECT_EQ(bytes[18], 59);
    EXPECT_EQ(bytes[32], 1);
    EXPECT_EQ(bytes[36], 7);
}

TEST(ComposeDailyTrigger, TakesTheIntervalAndDateAsGiven)
{
    EXPECT_EQ(ComposeDailyTrigger({2027, 1, 1}, {15, 0}, 1).DaysInterval, 1);
    const TaskTriggerRecord newYear = ComposeDailyTrigger({2027, 1, 1}, {0, 0}, 2);
    EXPECT_EQ(newYear.wBeginYear, 2027);
    EXPECT_EQ(newYear.wBeginMonth, 1);
    EXPECT_EQ(newYear.wBeginDay, 1);
    EXPECT_EQ(newYear.wEndYear + newYear.wEndMonth + newYear.wEndDay, 0);
    EXPECT_EQ(newYear.rgFlags, 0u);
}

TEST(TaskDescription, NameAndPropertiesOfTheUnattendedRun)
{
    EXPECT_EQ(ScheduledTaskName(), "CorvaneTessaly-{A871514B-ACE7-4c29-BC9A-D9627D7AACB1}");

    const TaskProperties properties =
        ComposeTaskProperties("jane doe", "C:\\Program Files\\Corvane Tessaly\\CorvaneTessaly.exe");
    EXPECT_EQ(properties.flags, 0x2000u);
    EXPECT_EQ(properties.accountName, "jane doe");
    EXPECT_EQ(properties.applicationName, "C:\\Program Files\\Corvane Tessaly\\CorvaneTessaly.exe");
    EXPECT_EQ(properties.parameters, "-a");
    EXPECT_EQ(properties.maxRunTimeMs, 420000u);
}

} // namespace
} // namespace tessaly
