#include "standins/common/FileReplacement.h"

#include "base/WinHandles.h"

#include <windows.h>

namespace standins {

namespace {

// Removes the new file while keeping the error that made it useless.
bool Abandon(const std::wstring& fresh)
{
    const DWORD error = ::GetLastError();
    ::DeleteFileW(fresh.c_str());
    ::SetLastError(error);
    return false;
}

bool WriteWhole(const std::wstring& fresh, const std::string& content)
{
    tessaly::UniqueKernelHandle file(
        ::CreateFileW(fresh.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    DWORD written = 0;
    if (!::WriteFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &written, nullptr))
        return false;
    if (written != content.size()) {
        ::SetLastError(ERROR_WRITE_FAULT);
        return false;
    }
    return true;
}

} // namespace

bool ReplaceFileContents(const std::wstring& path, const std::string& content)
{
    const std::wstring fresh = path + L".new";
    if (!WriteWhole(fresh, content) || !::MoveFileExW(fresh.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING))
        return Abandon(fresh);
    return true;
}

} // namespace standins
