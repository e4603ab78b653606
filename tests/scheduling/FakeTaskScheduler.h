#pragma once
// In-process fakes of the Task Scheduler objects and of the platform queries. They log
// every call in one shared sequence and count references, so a test can check the order
// of the calls and that every reference was given back. The objects live in the test and
// are never deleted through Release.
#include "scheduling/ScheduledTask.h"
#include "support/RecordingRunServices.h"

#include <string>
#include <vector>

namespace tessaly::testing {

using CallLog = std::vector<std::string>;

std::string Narrow(const wchar_t* text);

class RefCounted {
public:
    long References() const { return references_; }

protected:
    ULONG Add() { return static_cast<ULONG>(++references_); }
    ULONG Drop() { return static_cast<ULONG>(--references_); }

private:
    long references_ = 0;
};

class FakeTrigger final : public ITaskTrigger, public RefCounted {
public:
    explicit FakeTrigger(CallLog& log) : log_(log) {}

    TASK_TRIGGER stored{};
    HRESULT setResult = S_OK;

    HRESULT WINAPI QueryInterface(REFIID riid, void** object) override;
    ULONG WINAPI AddRef() override { return Add(); }
    ULONG WINAPI Release() override { return Drop(); }
    HRESULT WINAPI SetTrigger(const PTASK_TRIGGER trigger) override;
    HRESULT WINAPI GetTrigger(PTASK_TRIGGER) override { return E_NOTIMPL; }
    HRESULT WINAPI GetTriggerString(LPWSTR*) override { return E_NOTIMPL; }

private:
    CallLog& log_;
};

class FakeTask final : public ITask, public IPersistFile, public RefCounted {
public:
    FakeTask(CallLog& log, FakeTrigger& trigger) : log_(log), trigger_(trigger) {}

    bool offersTask = true;
    bool offersPersistFile = true;
    HRESULT createTriggerResult = S_OK;
    HRESULT setApplicationNameResult = S_OK;
    HRESULT saveResult = S_OK;

    DWORD flags = 0;
    std::string account;
    bool passwordWasNull = false;
    std::string application;
    std::string parameters;
    DWORD maxRunTime = 0;
    bool saveNameWasNull = false;
    BOOL saveRemember = FALSE;

    HRESULT WINAPI QueryInterface(REFIID riid, void** object) override;
    ULONG WINAPI AddRef() override { return Add(); }
    ULONG WINAPI Release() override { return Drop(); }

    HRESULT WINAPI CreateTrigger(WORD* index, ITaskTrigger** trigger) override;
    HRESULT WINAPI DeleteTrigger(WORD) override { return E_NOTIMPL; }
    HRESULT WINAPI GetTriggerCount(WORD*) override { return E_NOTIMPL; }
    HRESULT WINAPI GetTrigger(WORD, ITaskTrigger**) override { return E_NOTIMPL; }
    HRESULT WINAPI GetTriggerString(WORD, LPWSTR*) override { return E_NOTIMPL; }
    HRESULT WINAPI GetRunTimes(const LPSYSTEMTIME, const LPSYSTEMTIME, WORD*, LPSYSTEMTIME*) override { return E_NOTIMPL; }
    HRESULT WINAPI GetNextRunTime(SYSTEMTIME*) override { return E_NOTIMPL; }
    HRESULT WINAPI SetIdleWait(WORD, WORD) override { return E_NOTIMPL; }
    HRESULT WINAPI GetIdleWait(WORD*, WORD*) override { return E_NOTIMPL; }
    HRESULT WINAPI Run() override { return E_NOTIMPL; }
    HRESULT WINAPI Terminate() override { return E_NOTIMPL; }
    HRESULT WINAPI EditWorkItem(HWND, DWORD) override { return E_NOTIMPL; }
    HRESULT WINAPI GetMostRecentRunTime(SYSTEMTIME*) override { return E_NOTIMPL; }
    HRESULT WINAPI GetStatus(HRESULT*) override { return E_NOTIMPL; }
    HRESULT WINAPI GetExitCode(DWORD*) override { return E_NOTIMPL; }
    HRESULT WINAPI SetComment(LPCWSTR) override { return E_NOTIMPL; }
    HRESULT WINAPI GetComment(LPWSTR*) override { return E_NOTIMPL; }
    HRESULT WINAPI SetCreator(LPCWSTR) override { return E_NOTIMPL; }
    HRESULT WINAPI GetCreator(LPWSTR*) override { return E_NOTIMPL; }
    HRESULT WINAPI SetWorkItemData(WORD, BYTE[]) override { return E_NOTIMPL; }
    HRESULT WINAPI GetWorkItemData(WORD*, BYTE**) override { return E_NOTIMPL; }
    HRESULT WINAPI SetErrorRetryCount(WORD) override { return E_NOTIMPL; }
    HRESULT WINAPI GetErrorRetryCount(WORD*) override { return E_NOTIMPL; }
    HRESULT WINAPI SetErrorRetryInterval(WORD) override { return E_NOTIMPL; }
    HRESULT WINAPI GetErrorRetryInterval(WORD*) override { return E_NOTIMPL; }
    HRESULT WINAPI SetFlags(DWORD value) override;
    HRESULT WINAPI GetFlags(DWORD*) override { return E_NOTIMPL; }
    HRESULT WINAPI SetAccountInformation(LPCWSTR name, LPCWSTR password) override;
    HRESULT WINAPI GetAccountInformation(LPWSTR*) override { return E_NOTIMPL; }

    HRESULT WINAPI SetApplicationName(LPCWSTR name) override;
    HRESULT WINAPI GetApplicationName(LPWSTR*) override { return E_NOTIMPL; }
    HRESULT WINAPI SetParameters(LPCWSTR value) override;
    HRESULT WINAPI GetParameters(LPWSTR*) override { return E_NOTIMPL; }
    HRESULT WINAPI SetWorkingDirectory(LPCWSTR) override { return E_NOTIMPL; }
    HRESULT WINAPI GetWorkingDirectory(LPWSTR*) override { return E_NOTIMPL; }
    HRESULT WINAPI SetPriority(DWORD) override { return E_NOTIMPL; }
    HRESULT WINAPI GetPriority(DWORD*) override { return E_NOTIMPL; }
    HRESULT WINAPI SetTaskFlags(DWORD) override { return E_NOTIMPL; }
    HRESULT WINAPI GetTaskFlags(DWORD*) override { return E_NOTIMPL; }
    HRESULT WINAPI SetMaxRunTime(DWORD value) override;
    HRESULT WINAPI GetMaxRunTime(DWORD*) override { return E_NOTIMPL; }

    HRESULT WINAPI GetClassID(CLSID*) override { return E_NOTIMPL; }
    HRESULT WINAPI IsDirty() override { return E_NOTIMPL; }
    HRESULT WINAPI Load(LPCOLESTR, DWORD) override { return E_NOTIMPL; }
    HRESULT WINAPI Save(LPCOLESTR name, BOOL remember) override;
    HRESULT WINAPI SaveCompleted(LPCOLESTR) override { return E_NOTIMPL; }
    HRESULT WINAPI GetCurFile(LPOLESTR*) override { return E_NOTIMPL; }

private:
    CallLog& log_;
    FakeTrigger& trigger_;
};

// A scheduler that hands out `task`, or, given a real scheduler, passes Delete and
// NewWorkItem on to it so the requests to a real one can be watched.
class FakeScheduler final : public ITaskScheduler, public RefCounted {
public:
    FakeScheduler(CallLog& log, FakeTask& task) : log_(log), task_(task) {}

    ITaskScheduler* forwardTo = nullptr;
    bool refusesUnknown = false; // answers E_NOINTERFACE for IID_IUnknown
    HRESULT newWorkItemResult = S_OK;
    std::vector<std::string> deletedNames;

    HRESULT WINAPI QueryInterface(REFIID riid, void** object) override;
    ULONG WINAPI AddRef() override { return Add(); }
    ULONG WINAPI Release() override { return Drop(); }
    HRESULT WINAPI SetTargetComputer(LPCWSTR) override { return E_NOTIMPL; }
    HRESULT WINAPI GetTargetComputer(LPWSTR*) override { return E_NOTIMPL; }
    HRESULT WINAPI Enum(IEnumWorkItems**) override { return E_NOTIMPL; }
    HRESULT WINAPI Activate(LPCWSTR, REFIID, IUnknown**) override { return E_NOTIMPL; }
    HRESULT WINAPI Delete(LPCWSTR name) override;
    HRESULT WINAPI NewWorkItem(LPCWSTR name, REFCLSID classId, REFIID riid, IUnknown** object) override;
    HRESULT WINAPI AddWorkItem(LPCWSTR, IScheduledWorkItem*) override { return E_NOTIMPL; }
    HRESULT WINAPI IsOfType(LPCWSTR, REFIID) override { return E_NOTIMPL; }

private:
    CallLog& log_;
    FakeTask& task_;
};

class FakePlatform final : public IScheduledTaskPlatform {
public:
    explicit FakePlatform(CallLog& log) : log_(log) {}

    bool versionQuerySucceeds = true;
    DWORD platformId = VER_PLATFORM_WIN32_NT;
    DWORD majorVersion = 5;
    HRESULT createResult = S_OK;
    ITaskScheduler* scheduler = nullptr; // handed out with a reference of its own
    std::string userName = "tester";
    std::string executablePath = "C:\\Program Files\\Corvane Tessaly\\CorvaneTessaly.exe";
    SYSTEMTIME now{2026, 12, 2, 8, 10, 20, 30, 0};

    bool QueryVersion(OSVERSIONINFOA& info) override;
    HRESULT CreateScheduler(ITaskScheduler** result) override;
    std::string UserName() override;
    std::string ExecutablePath() override;
    SYSTEMTIME LocalTime() override;

private:
    CallLog& log_;
};

// A scheduler that hands out one task with one trigger, behind a platform, all writing
// to one call log: what a test of saving the task needs wired together.
struct FakeSchedulerStack {
    CallLog log;
    FakeTrigger trigger{log};
    FakeTask task{log, trigger};
    FakeScheduler scheduler{log, task};
    FakePlatform platform{log};

    FakeSchedulerStack() { platform.scheduler = &scheduler; }
};

using Notice = test::RecordedNotice;

} // namespace tessaly::testing
