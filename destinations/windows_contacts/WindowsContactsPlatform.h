#pragma once
// The system calls of the Windows Contacts destination, behind one seam so that the
// destination can be driven by in-process fakes.
#include "destinations/windows_contacts/ContactInterfaces.h"

#include <windows.h>

#include <string>

namespace tessaly {

class IWindowsContactsPlatform {
public:
    // GetVersionExA with the 148-byte record; false when the call fails.
    [[nodiscard]] virtual bool SystemMajorVersion(DWORD& major) = 0;
    // Whether Windows Mail is installed: the Windows Address Book library loads.
    [[nodiscard]] virtual bool LoadAddressBookLibrary() = 0;
    // CoCreateInstance of the contact manager and of a new contact, class context 5.
    virtual HRESULT CreateContactManager(IContactManager** manager) = 0;
    virtual HRESULT CreateContact(IContact** contact) = 0;
    // SHCreateStreamOnFileEx(path, STGM_CREATE | STGM_WRITE, FILE_ATTRIBUTE_NORMAL, TRUE, null).
    virtual HRESULT CreateFileStream(const std::wstring& path, IStream** stream) = 0;
    // SHCreateStreamOnFileEx(path, STGM_READ | STGM_SHARE_DENY_WRITE, 0, FALSE, null).
    virtual HRESULT OpenFileStream(const std::wstring& path, IStream** stream) = 0;
    // Where a run builds its new contact files: outside the user's Contacts folder, in the
    // program's own folder under the user's local application data (created here), and
    // the same for every run, so that one run finds what a killed one left.
    virtual std::string StagingRoot() = 0;

protected:
    ~IWindowsContactsPlatform() = default;
};

// The real system: Windows, COM, the shell's stream function and LoadWabLibrary.
IWindowsContactsPlatform& SystemWindowsContactsPlatform();

} // namespace tessaly
