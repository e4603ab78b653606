#include "destinations/windows_contacts/WindowsContactsPlatform.h"

#include "base/FileHelpers.h"
#include "base/WideText.h"
#include "destinations/wab_library/WabLibrary.h"

#include <objbase.h>
#include <shlobj.h>
#include <shlwapi.h>

namespace tessaly {

namespace {
constexpr DWORD kServerContext = CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER; // 5
constexpr DWORD kCreateForWriting = STGM_CREATE | STGM_WRITE;              // 0x1001
constexpr DWORD kOpenForReading = STGM_READ | STGM_SHARE_DENY_WRITE;
constexpr char kStagingFolderName[] = "\\Contacts staging";

class SystemPlatform final : public IWindowsContactsPlatform {
public:
    bool SystemMajorVersion(DWORD& major) override
    {
        OSVERSIONINFOA version{};
        static_assert(sizeof version == 148);
        version.dwOSVersionInfoSize = sizeof version;
        if (!::GetVersionExA(&version))
            return false;
        major = version.dwMajorVersion;
        return true;
    }

    bool LoadAddressBookLibrary() override { return LoadWabLibrary(); }

    HRESULT CreateContactManager(IContactManager** manager) override
    {
        return ::CoCreateInstance(CLSID_ContactManager, nullptr, kServerContext, IID_PPV_ARGS(manager));
    }

    HRESULT CreateContact(IContact** contact) override
    {
        return ::CoCreateInstance(CLSID_Contact, nullptr, kServerContext, IID_PPV_ARGS(contact));
    }

    HRESULT CreateFileStream(const std::wstring& path, IStream** stream) override
    {
        return ::SHCreateStreamOnFileEx(path.c_str(), kCreateForWriting, FILE_ATTRIBUTE_NORMAL, TRUE, nullptr,
                                        stream);
    }

    HRESULT OpenFileStream(const std::wstring& path, IStream** stream) override
    {
        return ::SHCreateStreamOnFileEx(path.c_str(), kOpenForReading, 0, FALSE, nullptr, stream);
    }

    std::string StagingRoot() override
    {
        // Not %TEMP%, which cleaners empty while old contact files may wait there. UTF-8, as
        // every path of this destination: the user's name may be part of it.
        return WideToUtf8(LocalDataFolder()) + kStagingFolderName;
    }
};
} // namespace

IWindowsContactsPlatform& SystemWindowsContactsPlatform()
{
    static SystemPlatform platform;
    return platform;
}

} // namespace tessaly
