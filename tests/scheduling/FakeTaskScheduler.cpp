#include "FakeTaskScheduler.h"

#include "base/WideText.h"

#include <cstring>

namespace tessaly::testing {

std::string Narrow(const wchar_t* text)
{
    return text == nullptr ? std::string("<null>") : WideToAnsi(text);
}

HRESULT FakeTrigger::QueryInterface(REFIID riid, void** object)
{
    if (riid == IID_IUnknown || riid == IID_ITaskTrigger) {
        *object = static_cast<ITaskTrigger*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT FakeTrigger::SetTrigger(const PTASK_TRIGGER trigger)
{
    log_.push_back("SetTrigger");
    std::memcpy(&stored, trigger, sizeof stored);
    return setResult;
}

HRESULT FakeTask::QueryInterface(REFIID riid, void** object)
{
    *object = nullptr;
    if (riid == IID_IUnknown)
        *object = static_cast<ITask*>(this);
    else if (offersTask && (riid == IID_ITask || riid == IID_IScheduledWorkItem))
        *object = static_cast<ITask*>(this);
    else if (offersPersistFile && riid == IID_IPersistFile)
        *object = static_cast<IPersistFile*>(this);
    if (*object == nullptr)
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

HRESULT FakeTask::CreateTrigger(WORD* index, ITaskTrigger** trigger)
{
    log_.push_back("CreateTrigger");
    *index = 0;
    if (FAILED(createTriggerResult)) {
        *trigger = nullptr;
        return createTriggerResult;
    }
    trigger_.AddRef();
    *trigger = &trigger_;
    return S_OK;
}

HRESULT FakeTask::SetFlags(DWORD value)
{
    log_.push_back("SetFlags");
    flags = value;
    return S_OK;
}

HRESULT FakeTask::SetAccountInformation(LPCWSTR name, LPCWSTR password)
{
    log_.push_back("SetAccountInformation");
    account = Narrow(name);
    passwordWasNull = password == nullptr;
    return S_OK;
}

HRESULT FakeTask::SetApplicationName(LPCWSTR name)
{
    log_.push_back("SetApplicationName");
    application = Narrow(name);
    return setApplicationNameResult;
}

HRESULT FakeTask::SetParameters(LPCWSTR value)
{
    log_.push_back("SetParameters");
    parameters = Narrow(value);
    return S_OK;
}

HRESULT FakeTask::SetMaxRunTime(DWORD value)
{
    log_.push_back("SetMaxRunTime");
    maxRunTime = value;
    return S_OK;
}

HRESULT FakeTask::Save(LPCOLESTR name, BOOL remember)
{
    log_.push_back("Save");
    saveNameWasNull = name == nullptr;
    saveRemember = remember;
    return saveResult;
}

HRESULT FakeScheduler::QueryInterface(REFIID riid, void** object)
{
    if (riid == IID_IUnknown || riid == IID_ITaskScheduler) {
        *object = static_cast<ITaskScheduler*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT FakeScheduler::Delete(LPCWSTR name)
{
    log_.push_back("Delete");
    deletedNames.push_back(Narrow(name));
    return forwardTo ? forwardTo->Delete(name) : HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
}

HRESULT FakeScheduler::NewWorkItem(LPCWSTR name, REFCLSID classId, REFIID riid, IUnknown** object)
{
    log_.push_back(riid == IID_IUnknown ? "NewWorkItem(IUnknown)"
                   : riid == IID_ITask  ? "NewWorkItem(ITask)"
                                        : "NewWorkItem(other)");
    if (forwardTo)
        return forwardTo->NewWorkItem(name, classId, riid, object);
    *object = nullptr;
    if (classId != CLSID_CTask)
        return CLASS_E_CLASSNOTAVAILABLE;
    if (refusesUnknown && riid == IID_IUnknown)
        return E_NOINTERFACE;
    if (FAILED(newWorkItemResult))
        return newWorkItemResult;
    return task_.QueryInterface(riid, reinterpret_cast<void**>(object));
}

bool FakePlatform::QueryVersion(OSVERSIONINFOA& info)
{
    log_.push_back("GetVersionExA");
    if (info.dwOSVersionInfoSize != sizeof(OSVERSIONINFOA) || !versionQuerySucceeds)
        return false;
    info.dwPlatformId = platformId;
    info.dwMajorVersion = majorVersion;
    return true;
}

HRESULT FakePlatform::CreateScheduler(ITaskScheduler** result)
{
    log_.push_back("CoCreateInstance");
    *result = nullptr;
    if (FAILED(createResult))
        return createResult;
    if (scheduler != nullptr) {
        scheduler->AddRef();
        *result = scheduler;
    }
    return createResult;
}

std::string FakePlatform::UserName()
{
    log_.push_back("GetUserNameA");
    return userName;
}

std::string FakePlatform::ExecutablePath()
{
    log_.push_back("GetModuleFileNameA");
    return executablePath;
}

SYSTEMTIME FakePlatform::LocalTime()
{
    log_.push_back("GetLocalTime");
    return now;
}

} // namespace tessaly::testing
