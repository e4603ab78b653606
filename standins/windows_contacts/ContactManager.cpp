#include "ContactManager.h"

#include "Contact.h"
#include "Faults.h"

#include "standins/common/EnvironmentText.h"

#include <lmcons.h>

#include <vector>

namespace wcstandin {

namespace {
std::wstring UserName()
{
    wchar_t name[UNLEN + 1] = {};
    DWORD size = UNLEN + 1;
    return ::GetUserNameW(name, &size) ? std::wstring(name) : std::wstring(L"User");
}

// Creates "<user name>.contact" in "%USERPROFILE%\Contacts" unless it is there.
HRESULT EnsureOwnContact(std::wstring& path)
{
    const std::wstring profile = standins::EnvironmentText(L"USERPROFILE");
    if (profile.empty())
        return ReportError(HRESULT_FROM_WIN32(ERROR_ENVVAR_NOT_FOUND), L"USERPROFILE is not set.");
    const std::wstring folder = profile + L"\\Contacts";
    if (!::CreateDirectoryW(folder.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS)
        return HRESULT_FROM_WIN32(::GetLastError());
    const std::wstring name = UserName();
    path = folder + L"\\" + name + L".contact";
    if (::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES)
        return S_OK;
    const std::string xml = Contact::OwnContactXml(name);
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return HRESULT_FROM_WIN32(::GetLastError());
    DWORD written = 0;
    const BOOL ok = ::WriteFile(file, xml.data(), static_cast<DWORD>(xml.size()), &written, nullptr);
    const DWORD error = ::GetLastError();
    ::CloseHandle(file);
    return ok && written == xml.size() ? S_OK : HRESULT_FROM_WIN32(error);
}
} // namespace

ContactManager::ContactManager()
{
    ArmFaults(); // each run of the caller starts with a new manager
}

HRESULT ContactManager::Initialize(LPCWSTR appName, LPCWSTR appVersion)
{
    if (appName == nullptr || *appName == L'\0' || appVersion == nullptr || *appVersion == L'\0')
        return ReportError(E_INVALIDARG, L"The application name and version are required.");
    initialized_ = true;
    return S_OK;
}

HRESULT ContactManager::GetMeContact(IContact** contact)
{
    if (contact == nullptr)
        return E_POINTER;
    *contact = nullptr;
    if (!initialized_)
        return ReportError(E_UNEXPECTED, L"The contact manager was used before Initialize.");
    try {
        std::wstring path;
        if (HRESULT result = EnsureOwnContact(path); FAILED(result))
            return result;
        return MakeObject<Contact>(IID_PPV_ARGS(contact), std::move(path));
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT ContactManager::InterfaceSupportsErrorInfo(REFIID iid)
{
    return iid == __uuidof(IContactManager) ? S_OK : S_FALSE;
}

} // namespace wcstandin
