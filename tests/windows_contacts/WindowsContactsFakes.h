#pragma once
// In-process fakes of the Windows Contacts objects and the system seams: every call is
// written to one log, in the order the destination makes them.
#include "destinations/windows_contacts/WindowsContactsPlatform.h"

#include "support/RecordingRunServices.h"

#include <functional>
#include <string>
#include <vector>

namespace fakes {

struct CallLog {
    std::vector<std::string> calls;
    void Add(const std::string& call) { calls.push_back(call); }
    // The calls that start with `prefix`, in order.
    std::vector<std::string> Matching(const std::string& prefix) const;
    bool Contains(const std::string& call) const;
    // Where run services write their calls, so they land among the fakes' own.
    tessaly::test::RecordingRunServices::CallSink Sink()
    {
        return [this](const std::string& call) { Add(call); };
    }
};

// What the fakes answer; the defaults give a working Windows Contacts.
struct FakeBehaviour {
    bool versionKnown = true;
    DWORD majorVersion = 6;
    bool libraryLoads = true;
    HRESULT managerCreation = S_OK;
    HRESULT meContact = S_OK;
    std::wstring ownPath;
    std::string stagingRoot;
    std::function<void(const std::wstring& path)> onFileStream; // runs before each stream is made
    int contactCreationFailsAt = 0; // the n-th contact object cannot be made
    int setStringFailsAt = 0;       // the n-th SetString fails with `failure`
    int saveFailsAt = 0;            // the n-th Save fails after writing part of the file
    std::wstring failure = L"The contact store is locked.";
};

class FakePlatform final : public tessaly::IWindowsContactsPlatform {
public:
    FakePlatform(CallLog& log, FakeBehaviour& behaviour) : log_(log), behaviour_(behaviour) {}

    bool SystemMajorVersion(DWORD& major) override;
    bool LoadAddressBookLibrary() override;
    HRESULT CreateContactManager(IContactManager** manager) override;
    HRESULT CreateContact(IContact** contact) override;
    // A real file stream, so that files appear where the destination puts them.
    HRESULT CreateFileStream(const std::wstring& path, IStream** stream) override;
    HRESULT OpenFileStream(const std::wstring& path, IStream** stream) override;
    std::string StagingRoot() override { return behaviour_.stagingRoot; }

private:
    CallLog& log_;
    FakeBehaviour& behaviour_;
    int contactsMade_ = 0;
};

// Fake COM objects still alive; zero once everything was released.
long LiveFakeObjects();

} // namespace fakes
