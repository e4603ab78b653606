#pragma once
// "Save Scheduled Task": registers the unattended run ("-a") with the Task Scheduler 1.0.
// The platform queries sit behind IScheduledTaskPlatform so the steps can be driven with
// fakes; SystemScheduledTaskPlatform is the real one.
#include "base/RunServices.h"
#include "scheduling/MSTask.h"
#include "scheduling/TaskDescription.h"

#include <wrl/client.h>

#include <string>

namespace tessaly {

class IScheduledTaskPlatform {
public:
    // GetVersionExA; false when the query fails.
    virtual bool QueryVersion(OSVERSIONINFOA& info) = 0;
    virtual HRESULT CreateScheduler(ITaskScheduler** scheduler) = 0;
    // The interactive user's name; empty when it cannot be had.
    virtual std::string UserName() = 0;
    // The running executable's full path, as the system reports it.
    virtual std::string ExecutablePath() = 0;
    virtual SYSTEMTIME LocalTime() = 0;

protected:
    ~IScheduledTaskPlatform() = default;
};

class SystemScheduledTaskPlatform final : public IScheduledTaskPlatform {
public:
    bool QueryVersion(OSVERSIONINFOA& info) override;
    HRESULT CreateScheduler(ITaskScheduler** scheduler) override;
    std::string UserName() override;
    std::string ExecutablePath() override;
    SYSTEMTIME LocalTime() override;
};

// The whole command. Shows its own warnings and errors through `services`; component
// failures that are not answered on the spot raise EOleError.
void SaveScheduledTask(int intervalDays, const StartTime& start, IRunServices& services,
                       IScheduledTaskPlatform& platform);
void SaveScheduledTask(int intervalDays, const StartTime& start, IRunServices& services);

// NT family, major version 5 or later; shows the warning otherwise.
[[nodiscard]] bool IsWindows2000OrNewer(IRunServices& services, IScheduledTaskPlatform& platform);

// Null after showing "Task Scheduler not found." when the scheduler cannot be created.
Microsoft::WRL::ComPtr<ITaskScheduler> CreateTaskScheduler(IRunServices& services, IScheduledTaskPlatform& platform);

// Removes an earlier task of `name` and creates a new, unsaved one; null when the
// scheduler refuses, with its result code in `failure`.
Microsoft::WRL::ComPtr<ITask> NewTask(ITaskScheduler& scheduler, const std::string& name, HRESULT& failure);

// Sets the task's properties and creates its trigger; null when no trigger could be
// created, with the result code in `failure`.
Microsoft::WRL::ComPtr<ITaskTrigger> SetupTask(ITask& task, IScheduledTaskPlatform& platform, HRESULT& failure);

void SetTaskTrigger(ITaskTrigger& trigger, int intervalDays, const StartTime& start,
                    IScheduledTaskPlatform& platform);

} // namespace tessaly
