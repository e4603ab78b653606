// taskdump: prints the program's scheduled task as the Task Scheduler reads it back, one
// "name=value" line each, for the package test. Exit code 1 when there is no such task.
#include "base/OleError.h"
#include "base/WideText.h"
#include "scheduling/MSTask.h"
#include "scheduling/ScheduledTask.h"

#include <objbase.h>
#include <wrl/client.h>

#include <cstdio>
#include <string>

using Microsoft::WRL::ComPtr;

namespace {

std::string TakeCoString(LPWSTR text)
{
    std::string result = text ? tessaly::WideToAnsi(text) : std::string();
    ::CoTaskMemFree(text);
    return result;
}

int Dump()
{
    tessaly::SystemScheduledTaskPlatform platform;
    ComPtr<ITaskScheduler> scheduler;
    HRESULT hr = platform.CreateScheduler(scheduler.GetAddressOf());
    if (FAILED(hr) || !scheduler) {
        std::fprintf(stderr, "no Task Scheduler: %s\n", tessaly::OleErrorText(hr).c_str());
        return 2;
    }
    ComPtr<IUnknown> item;
    hr = scheduler->Activate(tessaly::AnsiToWide(tessaly::ScheduledTaskName()).c_str(), IID_ITask,
                             item.GetAddressOf());
    if (FAILED(hr)) {
        std::printf("task=absent\n");
        return 1;
    }
    ComPtr<ITask> task;
    if (FAILED(item.As(&task)))
        return 2;
    LPWSTR text = nullptr;
    std::printf("task=present\n");
    if (SUCCEEDED(task->GetApplicationName(&text)))
        std::printf("application=%s\n", TakeCoString(text).c_str());
    if (SUCCEEDED(task->GetParameters(&text)))
        std::printf("parameters=%s\n", TakeCoString(text).c_str());
    WORD count = 0;
    (void)task->GetTriggerCount(&count);
    std::printf("triggers=%u\n", count);
    ComPtr<ITaskTrigger> trigger;
    if (count > 0 && SUCCEEDED(task->GetTrigger(0, trigger.GetAddressOf()))) {
        TASK_TRIGGER record{};
        record.cbTriggerSize = sizeof record;
        if (SUCCEEDED(trigger->GetTrigger(&record)))
            std::printf("trigger=type %lu every %u days at %02u:%02u\n", static_cast<unsigned long>(record.TriggerType),
                        record.Type.Daily.DaysInterval, record.wStartHour, record.wStartMinute);
    }
    return 0;
}

} // namespace

int main()
{
    if (FAILED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
        return 2;
    const int result = Dump();
    ::CoUninitialize();
    return result;
}
