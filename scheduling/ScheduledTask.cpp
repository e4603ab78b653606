#include "scheduling/ScheduledTask.h"

#include "base/OleError.h"
#include "base/WideText.h"

#include <cstring>
#include <vector>

namespace tessaly {

using Microsoft::WRL::ComPtr;

namespace {

// A cast the object must support: refusing it ends the command with an error.
template <typename Interface>
ComPtr<Interface> RequireInterface(IUnknown& object)
{
    ComPtr<Interface> result;
    if (FAILED(object.QueryInterface(IID_PPV_ARGS(&result))) || !result)
        RaiseInterfaceNotSupported();
    return result;
}

} // namespace

bool SystemScheduledTaskPlatform::QueryVersion(OSVERSIONINFOA& info)
{
    info = OSVERSIONINFOA{};
    info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
    return ::GetVersionExA(&info) != FALSE;
}

HRESULT SystemScheduledTaskPlatform::CreateScheduler(ITaskScheduler** scheduler)
{
    return ::CoCreateInstance(CLSID_CTaskScheduler, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                              IID_PPV_ARGS(scheduler));
}

std::string SystemScheduledTaskPlatform::UserName()
{
    char name[256] = {};
    DWORD size = sizeof name;
    // A failed query leaves the buffer empty; the Task Scheduler then judges the account.
    (void)::GetUserNameA(name, &size);
    name[sizeof name - 1] = '\0';
    return name;
}

std::string SystemScheduledTaskPlatform::ExecutablePath()
{
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = ::GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return {};
        if (length < buffer.size())
            return std::string(buffer.data(), length);
        buffer.resize(buffer.size() * 2);
    }
}

SYSTEMTIME SystemScheduledTaskPlatform::LocalTime()
{
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    return now;
}

bool IsWindows2000OrNewer(IRunServices& services, IScheduledTaskPlatform& platform)
{
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
    const bool supported =
        platform.QueryVersion(info) && info.dwPlatformId == VER_PLATFORM_WIN32_NT && info.dwMajorVersion > 4;
    if (!supported)
        services.ShowNotice(NoticeKind::Warning, "This function requires Windows 2000 or newer.");
    return supported;
}

ComPtr<ITaskScheduler> CreateTaskScheduler(IRunServices& services, IScheduledTaskPlatform& platform)
{
    ComPtr<ITaskScheduler> scheduler;
    const HRESULT hr = platform.CreateScheduler(scheduler.GetAddressOf());
    if (FAILED(hr) || !scheduler) {
        scheduler.Reset();
        services.ShowNotice(NoticeKind::Error, "Task Scheduler not found.");
    }
    return scheduler;
}

ComPtr<ITask> NewTask(ITaskScheduler& scheduler, const std::string& name, HRESULT& failure)
{
    const std::wstring wideName = AnsiToWide(name);
    // An absent task is no error: the result does not matter.
    (void)scheduler.Delete(wideName.c_str());

    ComPtr<IUnknown> item;
    HRESULT hr = scheduler.NewWorkItem(wideName.c_str(), CLSID_CTask, IID_IUnknown, item.GetAddressOf());
    if (hr == E_NOINTERFACE) {
        // Some schedulers hand out a new work item only for the interface they document.
        item.Reset();
        hr = scheduler.NewWorkItem(wideName.c_str(), CLSID_CTask, IID_ITask, item.GetAddressOf());
    }
    if (FAILED(hr) || !item) {
        failure = FAILED(hr) ? hr : E_POINTER;
        return {};
    }
    return RequireInterface<ITask>(*item.Get());
}

ComPtr<ITaskTrigger> SetupTask(ITask& task, IScheduledTaskPlatform& platform, HRESULT& failure)
{
    const std::string userName = platform.UserName();
    const TaskProperties properties = ComposeTaskProperties(userName, platform.ExecutablePath());
    OleCheck(task.SetFlags(properties.flags));
    OleCheck(task.SetAccountInformation(AnsiToWide(properties.accountName).c_str(), nullptr));
    OleCheck(task.SetApplicationName(AnsiToWide(properties.applicationName).c_str()));
    OleCheck(task.SetParameters(AnsiToWide(properties.parameters).c_str()));
    OleCheck(task.SetMaxRunTime(properties.maxRunTimeMs));

    WORD index = 0;
    ComPtr<ITaskTrigger> trigger;
    const HRESULT hr = task.CreateTrigger(&index, trigger.GetAddressOf());
    if (FAILED(hr) || !trigger) {
        failure = FAILED(hr) ? hr : E_POINTER;
        trigger.Reset();
    }
    return trigger;
}

void SetTaskTrigger(ITaskTrigger& trigger, int intervalDays, const StartTime& start, IScheduledTaskPlatform& platform)
{
    const SYSTEMTIME now = platform.LocalTime();
    const TaskTriggerRecord composed = ComposeDailyTrigger({now.wYear, now.wMonth, now.wDay}, start, intervalDays);
    TASK_TRIGGER record;
    std::memcpy(&record, &composed, sizeof record);
    OleCheck(trigger.SetTrigger(&record));
}

void SaveScheduledTask(int intervalDays, const StartTime& start, IRunServices& services,
                       IScheduledTaskPlatform& platform)
{
    if (!IsWindows2000OrNewer(services, platform))
        return;
    const ComPtr<ITaskScheduler> scheduler = CreateTaskScheduler(services, platform);
    if (!scheduler)
        return;
    const std::string name = ScheduledTaskName();
    services.SetStatus("Building Scheduled Task..");

    // The earlier task is gone by now: a failure from here on must reach the user, who
    // has lost the schedule.
    HRESULT failure = S_OK;
    const ComPtr<ITask> task = NewTask(*scheduler.Get(), name, failure);
    if (!task) {
        services.ShowNotice(NoticeKind::Error, OleErrorText(failure));
        return;
    }
    const ComPtr<ITaskTrigger> trigger = SetupTask(*task.Get(), platform, failure);
    if (!trigger) {
        services.ShowNotice(NoticeKind::Error, OleErrorText(failure));
        return;
    }
    SetTaskTrigger(*trigger.Get(), intervalDays, start, platform);

    const ComPtr<IPersistFile> file = RequireInterface<IPersistFile>(*task.Get());
    const HRESULT saved = file->Save(nullptr, TRUE);
    if (FAILED(saved)) {
        services.ShowNotice(NoticeKind::Error, OleErrorText(saved));
        return;
    }
    services.ShowNotice(NoticeKind::Information, "Operation completed successfully.");
}

void SaveScheduledTask(int intervalDays, const StartTime& start, IRunServices& services)
{
    SystemScheduledTaskPlatform platform;
    SaveScheduledTask(intervalDays, start, services, platform);
}

} // namespace tessaly
