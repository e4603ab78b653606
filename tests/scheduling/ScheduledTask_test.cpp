// The command's steps against in-process fakes: the order of the calls, the values handed
// over, what the user is shown, and that every reference is given back on every path.
#include "FakeTaskScheduler.h"

#include "base/OleError.h"
#include "base/FileHelpers.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace tessaly::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class SaveScheduledTaskWithFakes : public ::testing::Test, protected FakeSchedulerStack {
protected:
    test::RecordingRunServices services;

    ~SaveScheduledTaskWithFakes() override
    {
        EXPECT_EQ(scheduler.References(), 0);
        EXPECT_EQ(task.References(), 0);
        EXPECT_EQ(trigger.References(), 0);
    }

    void Save(int intervalDays = 5, StartTime start = {15, 0})
    {
        SaveScheduledTask(intervalDays, start, services, platform);
    }
};

TEST_F(SaveScheduledTaskWithFakes, CallsThePlatformInOrderWithTheTaskValues)
{
    Save(5, {15, 0});

    EXPECT_THAT(log, ElementsAre("GetVersionExA", "CoCreateInstance", "Delete", "NewWorkItem(IUnknown)",
                                 "GetUserNameA", "GetModuleFileNameA", "SetFlags", "SetAccountInformation",
                                 "SetApplicationName", "SetParameters", "SetMaxRunTime", "CreateTrigger",
                                 "GetLocalTime", "SetTrigger", "Save"));
    EXPECT_THAT(scheduler.deletedNames, ElementsAre("CorvaneTessaly-{A871514B-ACE7-4c29-BC9A-D9627D7AACB1}"));
    EXPECT_EQ(task.flags, 0x2000u);
    EXPECT_EQ(task.account, "tester");
    EXPECT_TRUE(task.passwordWasNull);
    EXPECT_EQ(task.application, "C:\\Program Files\\Corvane Tessaly\\CorvaneTessaly.exe");
    EXPECT_EQ(task.parameters, "-a");
    EXPECT_EQ(task.maxRunTime, 420000u);
    EXPECT_TRUE(task.saveNameWasNull);
    EXPECT_EQ(task.saveRemember, TRUE);

    const TASK_TRIGGER& stored = trigger.stored;
    EXPECT_EQ(stored.cbTriggerSize, 48);
    EXPECT_EQ(stored.TriggerType, TASK_TIME_TRIGGER_DAILY);
    EXPECT_EQ(stored.Type.Daily.DaysInterval, 5);
    EXPECT_EQ(stored.wStartHour, 15);
    EXPECT_EQ(stored.wStartMinute, 0);
    EXPECT_EQ(stored.wBeginYear, 2026);
    EXPECT_EQ(stored.wBeginMonth, 12);
    EXPECT_EQ(stored.wBeginDay, 8);

    EXPECT_THAT(services.statuses, ElementsAre("Building Scheduled Task.."));
    EXPECT_THAT(services.notices, ElementsAre(Notice{NoticeKind::Information, "Operation completed successfully."}));
}

TEST_F(SaveScheduledTaskWithFakes, BeginsOnTheDayOfTheClockAtTheMomentOfSaving)
{
    platform.now = SYSTEMTIME{2027, 1, 5, 1, 0, 0, 5, 0}; // 00:00:05 on New Year's Day
    Save(1, {23, 59});
    EXPECT_EQ(trigger.stored.wBeginYear, 2027);
    EXPECT_EQ(trigger.stored.wBeginMonth, 1);
    EXPECT_EQ(trigger.stored.wBeginDay, 1);
    EXPECT_EQ(trigger.stored.wStartHour, 23);
    EXPECT_EQ(trigger.stored.wStartMinute, 59);
    EXPECT_EQ(trigger.stored.Type.Daily.DaysInterval, 1);
}

TEST_F(SaveScheduledTaskWithFakes, RefusesOlderSystemsWithoutContactingTheScheduler)
{
    struct Case {
        bool succeeds;
        DWORD platformId;
        DWORD major;
    };
    for (const Case& refused : {Case{true, VER_PLATFORM_WIN32_NT, 4}, Case{true, VER_PLATFORM_WIN32_WINDOWS, 5},
                                Case{true, VER_PLATFORM_WIN32_WINDOWS, 4}, Case{false, VER_PLATFORM_WIN32_NT, 6}}) {
        log.clear();
        services.notices.clear();
        platform.versionQuerySucceeds = refused.succeeds;
        platform.platformId = refused.platformId;
        platform.majorVersion = refused.major;
        Save();
        EXPECT_THAT(log, ElementsAre("GetVersionExA"));
        EXPECT_THAT(services.statuses, IsEmpty());
        EXPECT_THAT(services.notices,
                    ElementsAre(Notice{NoticeKind::Warning, "This function requires Windows 2000 or newer."}));
    }
}

TEST_F(SaveScheduledTaskWithFakes, ReportsAMissingScheduler)
{
    for (const HRESULT result : {REGDB_E_CLASSNOTREG, static_cast<HRESULT>(0x80041315), S_OK}) {
        log.clear();
        services.notices.clear();
        platform.createResult = result;
        platform.scheduler = nullptr; // S_OK with no object counts as missing too
        Save();
        EXPECT_THAT(log, ElementsAre("GetVersionExA", "CoCreateInstance"));
        EXPECT_THAT(services.notices, ElementsAre(Notice{NoticeKind::Error, "Task Scheduler not found."}));
    }
}

TEST_F(SaveScheduledTaskWithFakes, AsksForTheTaskInterfaceWhenTheSchedulerRefusesIUnknown)
{
    scheduler.refusesUnknown = true;
    Save();
    EXPECT_THAT(std::vector<std::string>(log.begin() + 2, log.begin() + 6),
                ElementsAre("Delete", "NewWorkItem(IUnknown)", "NewWorkItem(ITask)", "GetUserNameA"));
    EXPECT_EQ(log.back(), "Save");
    EXPECT_THAT(services.notices, ElementsAre(Notice{NoticeKind::Information, "Operation completed successfully."}));
}

TEST_F(SaveScheduledTaskWithFakes, ShowsTheErrorWhenNoTaskOrTriggerCanBeCreated)
{
    // The earlier task is already deleted then: the user must learn that it is gone.
    scheduler.newWorkItemResult = E_ACCESSDENIED;
    Save();
    EXPECT_EQ(log.back(), "NewWorkItem(IUnknown)") << "a refusal other than E_NOINTERFACE is not retried";
    EXPECT_THAT(services.statuses, ElementsAre("Building Scheduled Task.."));
    EXPECT_THAT(services.notices, ElementsAre(Notice{NoticeKind::Error, OleErrorText(E_ACCESSDENIED)}));

    log.clear();
    services.notices.clear();
    scheduler.newWorkItemResult = S_OK;
    task.createTriggerResult = E_OUTOFMEMORY;
    Save();
    EXPECT_EQ(log.back(), "CreateTrigger");
    EXPECT_THAT(services.notices, ElementsAre(Notice{NoticeKind::Error, OleErrorText(E_OUTOFMEMORY)}));
}

TEST_F(SaveScheduledTaskWithFakes, AFailedSaveIsShownAsAnErrorNotAsSuccess)
{
    task.saveResult = E_ACCESSDENIED;
    Save();
    EXPECT_EQ(log.back(), "Save");
    ASSERT_EQ(services.notices.size(), 1u);
    EXPECT_EQ(services.notices[0].kind, NoticeKind::Error);
    EXPECT_EQ(services.notices[0].text, SystemErrorMessage(static_cast<unsigned long>(E_ACCESSDENIED)));
    EXPECT_FALSE(services.notices[0].text.empty());
}

TEST_F(SaveScheduledTaskWithFakes, MissingInterfacesAndFailedSettersRaiseAndReleaseEverything)
{
    task.offersTask = false;
    try {
        Save();
        ADD_FAILURE() << "no error raised for an object without ITask";
    } catch (const EOleError& error) {
        EXPECT_EQ(error.Code(), E_NOINTERFACE);
        EXPECT_STREQ(error.what(), "Interface not supported");
    }
    EXPECT_EQ(task.References(), 0);

    task.offersTask = true;
    task.offersPersistFile = false;
    EXPECT_THROW(Save(), EOleError);
    EXPECT_EQ(trigger.References(), 0);

    task.offersPersistFile = true;
    task.setApplicationNameResult = E_INVALIDARG;
    log.clear();
    EXPECT_THROW(Save(), EOleError);
    EXPECT_EQ(log.back(), "SetApplicationName");

    task.setApplicationNameResult = S_OK;
    trigger.setResult = E_INVALIDARG;
    log.clear();
    EXPECT_THROW(Save(), EOleError);
    EXPECT_EQ(log.back(), "SetTrigger");
    EXPECT_THAT(services.notices, IsEmpty());
}

} // namespace
} // namespace tessaly::testing
