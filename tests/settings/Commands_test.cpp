// "-t": the scheduled task saved from the settings file, against the fakes of the Task
// Scheduler; the answer is the process's exit code.
#include "app/Commands.h"
#include "scheduling/FakeTaskScheduler.h"

#include <gtest/gtest.h>

namespace tessaly::testing {
namespace {

const char* const kSettings = "[Corvane Tessaly]\r\nSource=http://127.0.0.1/c.csv\r\nFolder=Company\r\n"
                              "Interval=3\r\nStartTime=07:30:00\r\n";

class SaveTaskSwitch : public ::testing::Test, protected FakeSchedulerStack {
protected:
    std::string message;

    ~SaveTaskSwitch() override { EXPECT_EQ(scheduler.References(), 0); }
};

TEST_F(SaveTaskSwitch, SavesTheTaskOfTheSettingsAndAnswers0)
{
    EXPECT_EQ(SaveTaskFromSettings(IniFile::Parse(kSettings), platform, message), kCommandDone);
    EXPECT_EQ(message, "");
    EXPECT_EQ(task.parameters, "-a");
    EXPECT_EQ(trigger.stored.Type.Daily.DaysInterval, 3);
    EXPECT_EQ(trigger.stored.wStartHour, 7);
    EXPECT_EQ(trigger.stored.wStartMinute, 30);
}

TEST_F(SaveTaskSwitch, RefusedSettingsAnswer1WithoutContactingTheScheduler)
{
    const IniFile ini = IniFile::Parse("[Corvane Tessaly]\r\nSource=\r\nFolder=Company\r\n");
    EXPECT_EQ(SaveTaskFromSettings(ini, platform, message), kCommandRefused);
    EXPECT_EQ(message, "the download link is blank");
    EXPECT_TRUE(log.empty());
}

TEST_F(SaveTaskSwitch, AStartTimeOrIntervalItCannotReadAnswers1WithoutContactingTheScheduler)
{
    const char* const refused[][2] = {
        {"StartTime=24:00:00", "StartTime=24:00:00: "}, {"StartTime=23:59:60", "StartTime=23:59:60: "},
        {"StartTime=-1:00:00", "StartTime=-1:00:00: "}, {"StartTime=", "StartTime=: "},
        {"StartTime=25:61:00", "StartTime=25:61:00: "}, {"Interval=0", "Interval=0: "},
        {"Interval=8", "Interval=8: "},                 {"Interval=weekly", "Interval=weekly: "},
    };
    for (const auto& [line, reason] : refused) {
        const IniFile ini =
            IniFile::Parse(std::string("[Corvane Tessaly]\r\nSource=http://127.0.0.1/c.csv\r\nFolder=Company\r\n") +
                            line + "\r\n");
        EXPECT_EQ(SaveTaskFromSettings(ini, platform, message), kCommandRefused) << line;
        EXPECT_EQ(message.rfind(reason, 0), 0u) << message;
    }
    EXPECT_TRUE(log.empty());
    // Missing, they take their defaults, as before.
    const IniFile defaults = IniFile::Parse("[Corvane Tessaly]\r\nSource=http://127.0.0.1/c.csv\r\nFolder=Company\r\n");
    EXPECT_EQ(SaveTaskFromSettings(defaults, platform, message), kCommandDone);
    EXPECT_EQ(trigger.stored.Type.Daily.DaysInterval, 1);
    EXPECT_EQ(trigger.stored.wStartHour, 15);
}

TEST_F(SaveTaskSwitch, ASchedulerErrorAnswers3)
{
    platform.createResult = REGDB_E_CLASSNOTREG;
    EXPECT_EQ(SaveTaskFromSettings(IniFile::Parse(kSettings), platform, message), kCommandFailed);
    EXPECT_EQ(message, "Task Scheduler not found.");
}

} // namespace
} // namespace tessaly::testing
