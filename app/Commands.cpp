#include "app/Commands.h"

#include "app/CommandSettings.h"
#include "app/PreviewCommand.h"
#include "app/Settings.h"
#include "app/SettingsFile.h"
#include "app/StandardStreams.h"
#include "app/SyncLock.h"
#include "app/Uninstall.h"
#include "base/ExceptionText.h"
#include "base/OleError.h"
#include "base/RunServices.h"
#include "base/WideText.h"
#include "destinations/windows_contacts/StagedContactFiles.h"

#include <windows.h>

namespace tessaly {

using Microsoft::WRL::ComPtr;

namespace {

// Nothing is shown without a window: the first warning or error is kept for the caller.
class CollectingServices final : public IRunServices {
public:
    void SetStatus(const std::string&) override {}
    bool StopRequested() override { return false; }
    void ShowNotice(NoticeKind kind, const std::string& text) override
    {
        if (kind == NoticeKind::Information) {
            succeeded_ = true;
        } else if (problem_.empty()) {
            problem_ = text;
        }
    }
    bool Succeeded() const { return succeeded_ && problem_.empty(); }
    const std::string& Problem() const { return problem_; }

private:
    bool succeeded_ = false;
    std::string problem_;
};

int Finish(int exitCode, const std::string& message)
{
    if (exitCode != kCommandDone)
        WriteStandardError(message);
    return exitCode;
}

int WriteSettingsCommand(const std::vector<std::string>& arguments)
{
    const std::string path = SettingsFilePath();
    try {
        IniFile ini = LoadIniFile(path);
        const std::string unchanged = ini.ToText();
        const std::string refusal = ApplySettingArguments(ini, arguments, SystemSettingsText());
        if (!refusal.empty())
            return Finish(kCommandRefused, refusal);
        // Nothing changed: the file stays as it is, or absent.
        const std::string text = ini.ToText();
        if (text != unchanged)
            ReplaceFileContent(path, text);
        return kCommandDone;
    } catch (...) {
        return Finish(kCommandFailed, ExceptionText(std::current_exception()));
    }
}

int SaveTaskCommand()
{
    SystemScheduledTaskPlatform platform;
    try {
        std::string message;
        const int result = SaveTaskFromSettings(LoadIniFile(SettingsFilePath()), platform, message);
        return Finish(result, message);
    } catch (...) {
        // An unreadable settings file: nothing could be checked, so it is no refusal.
        return Finish(kCommandFailed, ExceptionText(std::current_exception()));
    }
}

int UninstallCommand()
{
    SystemScheduledTaskPlatform platform;
    std::string message;
    // The task goes first, so that no run starts while the rest goes.
    int result = RemoveScheduledTask(platform, message);
    try {
        // A run under way would lose the files it works on, its staged contacts among them.
        const SyncLock lock;
        std::string problem;
        if (!lock.Held()) {
            problem = "A synchronisation is running: the program's files stay until it has ended.";
        } else if (RemoveProgramTraces(SystemProgramTraces(), SystemSwapFiles(), problem) == kCommandDone) {
            return Finish(result, message);
        }
        if (result == kCommandDone)
            message = problem;
    } catch (...) {
        if (result == kCommandDone)
            message = ExceptionText(std::current_exception());
    }
    return Finish(kCommandFailed, message);
}

} // namespace

int SaveTaskFromSettings(const IniFile& ini, IScheduledTaskPlatform& platform, std::string& message)
{
    const SettingsValues values = ReadSettings(ini, SystemSettingsText());
    message = InputRefusal(values);
    // The window shows an unreadable time as 15:00 and a person sees it; unattended, the
    // administrator learns that the file does not say what was meant.
    if (message.empty())
        message = ScheduleRefusal(ini);
    if (!message.empty())
        return kCommandRefused;
    CollectingServices services;
    try {
        SaveScheduledTask(IntervalOrFirst(values.interval), {values.startTime / 3600, values.startTime / 60 % 60},
                          services, platform);
    } catch (...) {
        message = ExceptionText(std::current_exception());
        return kCommandFailed;
    }
    if (services.Succeeded())
        return kCommandDone;
    message = services.Problem();
    return kCommandFailed;
}

int RemoveScheduledTask(IScheduledTaskPlatform& platform, std::string& message)
{
    ComPtr<ITaskScheduler> scheduler;
    HRESULT hr = platform.CreateScheduler(scheduler.GetAddressOf());
    if (FAILED(hr) || !scheduler) {
        message = "Task Scheduler not found.";
        return kCommandFailed;
    }
    hr = scheduler->Delete(AnsiToWide(ScheduledTaskName()).c_str());
    if (FAILED(hr) && hr != HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)) {
        message = OleErrorText(hr);
        return kCommandFailed;
    }
    return kCommandDone;
}

bool RunWindowlessCommand(int argc, char** argv, int& exitCode)
{
    if (argc < 2)
        return false;
    const std::string command = argv[1];
    if (command == "-t" && argc == 2)
        exitCode = SaveTaskCommand();
    else if (command == "-s")
        exitCode = WriteSettingsCommand(std::vector<std::string>(argv + 2, argv + argc));
    else if (command == "-u" && argc == 2)
        exitCode = UninstallCommand();
    else if (command == "-p" && argc == 2)
        exitCode = RunPreviewCommand();
    else
        return false;
    return true;
}

} // namespace tessaly
