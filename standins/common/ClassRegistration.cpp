#include "standins/common/ClassRegistration.h"

#include "base/WinHandles.h"

#include <objbase.h>
#include <shlwapi.h>

namespace standins {

std::wstring ClassKeyName(REFCLSID classId)
{
    wchar_t text[64] = {};
    ::StringFromGUID2(classId, text, 64);
    return std::wstring(L"CLSID\\") + text;
}

LONG SetRegistryText(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& value)
{
    tessaly::UniqueRegKey handle;
    const LONG status =
        ::RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, handle.put(), nullptr);
    if (status != ERROR_SUCCESS)
        return status;
    return ::RegSetValueExW(handle.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

LONG DeleteRegistryTree(HKEY root, const std::wstring& key)
{
    const DWORD status = ::SHDeleteKeyW(root, key.c_str());
    return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : static_cast<LONG>(status);
}

LONG RegisterInProcessServer(HKEY root, const std::wstring& classKey, const std::wstring& path)
{
    const std::wstring serverKey = classKey + L"\\InprocServer32";
    const LONG status = SetRegistryText(root, serverKey, nullptr, path);
    return status != ERROR_SUCCESS ? status : SetRegistryText(root, serverKey, L"ThreadingModel", L"Apartment");
}

std::wstring ThisModuleFile()
{
    HMODULE module = nullptr;
    if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                              reinterpret_cast<LPCWSTR>(&ThisModuleFile), &module))
        return {};
    wchar_t path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(module, path, MAX_PATH);
    return length == 0 || length >= MAX_PATH ? std::wstring() : std::wstring(path, length);
}

} // namespace standins
