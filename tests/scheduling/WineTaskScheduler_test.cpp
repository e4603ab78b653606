// The command against Wine's Task Scheduler: what it stores is read back through the
// scheduler and checked on disk. Wine is not relied on to fire the task.
#include "FakeTaskScheduler.h"

#include "base/FileHelpers.h"
#include "base/OleError.h"
#include "base/WideText.h"
#include "base/WinHandles.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <objbase.h>

namespace tessaly::testing {
namespace {

using Microsoft::WRL::ComPtr;
using ::testing::ElementsAre;

class ComApartment {
public:
    ComApartment() : result_(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComApartment()
    {
        if (SUCCEEDED(result_))
            ::CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    HRESULT result_;
};

std::string TasksFolder()
{
    char windows[MAX_PATH] = {};
    ::GetWindowsDirectoryA(windows, MAX_PATH);
    return std::string(windows) + "\\Tasks\\";
}

std::vector<std::string> StoredJobsNamed(const std::string& name)
{
    std::vector<std::string> found;
    WIN32_FIND_DATAA entry{};
    UniqueFindHandle search(::FindFirstFileA((TasksFolder() + "*.job").c_str(), &entry));
    if (!search)
        return found;
    do {
        if (_stricmp(entry.cFileName, (name + ".job").c_str()) == 0)
            found.push_back(entry.cFileName);
    } while (::FindNextFileA(search.get(), &entry));
    return found;
}

std::string TakeCoString(LPWSTR text)
{
    std::string result = WideToAnsi(text);
    ::CoTaskMemFree(text);
    return result;
}

struct StoredTask {
    std::string application;
    std::string parameters;
    DWORD flags = 0;
    DWORD maxRunTime = 0;
    WORD triggerCount = 0;
    TASK_TRIGGER trigger{};
};

class WineTaskScheduler : public ::testing::Test {
protected:
    ComApartment apartment;
    ComPtr<ITaskScheduler> scheduler;
    SystemScheduledTaskPlatform system;
    test::RecordingRunServices services;

    void SetUp() override
    {
        const HRESULT hr = system.CreateScheduler(scheduler.GetAddressOf());
        ASSERT_TRUE(SUCCEEDED(hr) && scheduler) << "Task Scheduler unavailable: " << OleErrorText(hr);
    }

    void TearDown() override
    {
        if (scheduler)
            (void)scheduler->Delete(AnsiToWide(ScheduledTaskName()).c_str());
    }

    StoredTask ReadBack()
    {
        StoredTask stored;
        ComPtr<IUnknown> item;
        const HRESULT hr = scheduler->Activate(AnsiToWide(ScheduledTaskName()).c_str(), IID_ITask, item.GetAddressOf());
        EXPECT_TRUE(SUCCEEDED(hr)) << OleErrorText(hr);
        if (FAILED(hr))
            return stored;
        ComPtr<ITask> task;
        EXPECT_TRUE(SUCCEEDED(item.As(&task)));
        LPWSTR text = nullptr;
        if (SUCCEEDED(task->GetApplicationName(&text)))
            stored.application = TakeCoString(text);
        if (SUCCEEDED(task->GetParameters(&text)))
            stored.parameters = TakeCoString(text);
        EXPECT_EQ(task->GetFlags(&stored.flags), S_OK);
        EXPECT_EQ(task->GetMaxRunTime(&stored.maxRunTime), S_OK);
        EXPECT_EQ(task->GetTriggerCount(&stored.triggerCount), S_OK);
        ComPtr<ITaskTrigger> trigger;
        if (stored.triggerCount > 0 && SUCCEEDED(task->GetTrigger(0, trigger.GetAddressOf()))) {
            stored.trigger.cbTriggerSize = sizeof(TASK_TRIGGER);
            EXPECT_EQ(trigger->GetTrigger(&stored.trigger), S_OK);
        }
        return stored;
    }
};

TEST_F(WineTaskScheduler, SavingTwiceKeepsOneTaskWithTheLastSchedule)
{
    SaveScheduledTask(2, {8, 30}, services, system);
    SYSTEMTIME before{};
    ::GetLocalTime(&before);
    SaveScheduledTask(5, {15, 0}, services, system);
    SYSTEMTIME after{};
    ::GetLocalTime(&after);

    const Notice success{NoticeKind::Information, "Operation completed successfully."};
    EXPECT_THAT(services.notices, ElementsAre(success, success));
    EXPECT_THAT(StoredJobsNamed(ScheduledTaskName()), ElementsAre(ScheduledTaskName() + ".job"));

    const StoredTask stored = ReadBack();
    EXPECT_EQ(stored.application, system.ExecutablePath());
    EXPECT_EQ(stored.parameters, "-a");
    EXPECT_EQ(stored.flags, 0x2000u);
    EXPECT_EQ(stored.maxRunTime, 420000u);
    ASSERT_EQ(stored.triggerCount, 1);
    const TASK_TRIGGER& trigger = stored.trigger;
    EXPECT_EQ(trigger.TriggerType, TASK_TIME_TRIGGER_DAILY);
    EXPECT_EQ(trigger.Type.Daily.DaysInterval, 5);
    EXPECT_EQ(trigger.wStartHour, 15);
    EXPECT_EQ(trigger.wStartMinute, 0);
    const bool beganToday = (trigger.wBeginYear == before.wYear && trigger.wBeginMonth == before.wMonth &&
                             trigger.wBeginDay == before.wDay) ||
                            (trigger.wBeginYear == after.wYear && trigger.wBeginMonth == after.wMonth &&
                             trigger.wBeginDay == after.wDay);
    EXPECT_TRUE(beganToday) << trigger.wBeginYear << "-" << trigger.wBeginMonth << "-" << trigger.wBeginDay;
    EXPECT_EQ(trigger.rgFlags & TASK_TRIGGER_FLAG_HAS_END_DATE, 0u);
    EXPECT_EQ(trigger.wEndYear, 0);
}

// Routes the real scheduler through a recording one, so the interfaces asked for show.
class RecordedWinePlatform final : public IScheduledTaskPlatform {
public:
    explicit RecordedWinePlatform(FakeScheduler& recorder) : recorder_(recorder) {}
    bool QueryVersion(OSVERSIONINFOA& info) override { return system_.QueryVersion(info); }
    HRESULT CreateScheduler(ITaskScheduler** result) override
    {
        recorder_.AddRef();
        *result = &recorder_;
        return S_OK;
    }
    std::string UserName() override { return system_.UserName(); }
    std::string ExecutablePath() override { return system_.ExecutablePath(); }
    SYSTEMTIME LocalTime() override { return system_.LocalTime(); }

private:
    SystemScheduledTaskPlatform system_;
    FakeScheduler& recorder_;
};

TEST_F(WineTaskScheduler, AsksAgainForITaskWhenWineRefusesIUnknown)
{
    CallLog log;
    FakeTrigger unusedTrigger{log};
    FakeTask unusedTask{log, unusedTrigger};
    FakeScheduler recorder{log, unusedTask};
    recorder.forwardTo = scheduler.Get();
    RecordedWinePlatform platform(recorder);

    SaveScheduledTask(3, {6, 45}, services, platform);

    EXPECT_THAT(log, ElementsAre("Delete", "NewWorkItem(IUnknown)", "NewWorkItem(ITask)"));
    EXPECT_THAT(services.notices,
                ElementsAre(Notice{NoticeKind::Information, "Operation completed successfully."}));
    EXPECT_EQ(ReadBack().trigger.Type.Daily.DaysInterval, 3);
    EXPECT_EQ(recorder.References(), 0);
}

// Run only as a child process of the test below, from a copy of this executable.
TEST(WineTaskSchedulerChild, DISABLED_SavesFromItsOwnPath)
{
    ComApartment apartment;
    test::RecordingRunServices services;
    SaveScheduledTask(1, {7, 0}, services);
    EXPECT_THAT(services.notices,
                ElementsAre(Notice{NoticeKind::Information, "Operation completed successfully."}));
}

class CopyInFolderWithBlanks {
public:
    CopyInFolderWithBlanks()
    {
        char temp[MAX_PATH] = {};
        ::GetTempPathA(MAX_PATH, temp);
        folder_ = std::string(temp) + "tessaly scheduled task test";
        ::CreateDirectoryA(folder_.c_str(), nullptr);
        path_ = folder_ + "\\scheduling tests copy.exe";
        SystemScheduledTaskPlatform system;
        copied_ = ::CopyFileA(system.ExecutablePath().c_str(), path_.c_str(), FALSE) != FALSE;
    }
    ~CopyInFolderWithBlanks()
    {
        (void)ForceDeleteFile(path_);
        ::RemoveDirectoryA(folder_.c_str());
    }
    CopyInFolderWithBlanks(const CopyInFolderWithBlanks&) = delete;
    CopyInFolderWithBlanks& operator=(const CopyInFolderWithBlanks&) = delete;

    bool Copied() const { return copied_; }
    const std::string& Path() const { return path_; }

private:
    std::string folder_;
    std::string path_;
    bool copied_ = false;
};

TEST_F(WineTaskScheduler, RegistersAPathWithBlanksUnquoted)
{
    CopyInFolderWithBlanks copy;
    ASSERT_TRUE(copy.Copied());
    std::string commandLine = "\"" + copy.Path() +
                              "\" --gtest_also_run_disabled_tests --gtest_filter=WineTaskSchedulerChild.*";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(::CreateProcessA(copy.Path().c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                 nullptr, &startup, &process));
    UniqueKernelHandle processHandle(process.hProcess);
    UniqueKernelHandle threadHandle(process.hThread);
    ASSERT_EQ(::WaitForSingleObject(processHandle.get(), 120000), WAIT_OBJECT_0);
    DWORD exitCode = 1;
    ::GetExitCodeProcess(processHandle.get(), &exitCode);
    ASSERT_EQ(exitCode, 0u);

    const StoredTask stored = ReadBack();
    EXPECT_EQ(stored.application, copy.Path());
    EXPECT_EQ(stored.parameters, "-a");
    EXPECT_EQ(stored.trigger.Type.Daily.DaysInterval, 1);
}

} // namespace
} // namespace tessaly::testing
