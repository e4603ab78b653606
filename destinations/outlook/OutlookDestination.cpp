#include "destinations/outlook/OutlookDestination.h"

#include "base/OleError.h"
#include "base/TextHelpers.h"
#include "base/WideText.h"
#include "contacts/Contact.h"
#include "destinations/outlook/BusyFilter.h"
#include "destinations/outlook/DispatchCalls.h"
#include "destinations/outlook/OutlookMembers.h"

namespace tessaly {

using Microsoft::WRL::ComPtr;
using namespace outlook;

namespace {

// Outlook lists a contacts folder in its address book only when asked, from version 10 on.
constexpr int kLastVersionWithoutAddressBookMark = 9;

ComPtr<IDispatch> ConnectOutlook(const OutlookFactory& createApplication, IRunServices& services)
{
    ComPtr<IDispatch> application;
    const HRESULT hr = RetryWhileBusy([&] { return createApplication(application.ReleaseAndGetAddressOf()); });
    if (FAILED(hr) || !application) {
        application.Reset();
        services.ShowNotice(NoticeKind::Error, "Microsoft Outlook not found.");
    }
    return application;
}

bool AnswersContactItem(IDispatch* item)
{
    if (item == nullptr)
        return false;
    ComPtr<IUnknown> contact;
    const HRESULT hr = RetryWhileBusy([&] {
        return item->QueryInterface(IID__ContactItem, reinterpret_cast<void**>(contact.ReleaseAndGetAddressOf()));
    });
    return SUCCEEDED(hr) && contact;
}

// The classes of the object model that a run calls members of.
enum ObjectKind { kApplicationObject, kNameSpaceObject, kFolderObject, kFoldersObject, kItemsObject, kContactObject };

// The calls of one run. Every member name is looked up once per run and class, so a
// contact costs one call per property plus the few that add and save it: each call is
// a round trip to Outlook's process.
class OutlookCalls {
public:
    TVariant Get(ObjectKind kind, IDispatch* object, const wchar_t* name, std::initializer_list<TVariant> args = {})
    {
        return DispGet(ids_, kind, object, name, args);
    }
    TVariant Call(ObjectKind kind, IDispatch* object, const wchar_t* name, std::initializer_list<TVariant> args = {})
    {
        return DispCall(ids_, kind, object, name, args);
    }
    void Put(ObjectKind kind, IDispatch* object, const wchar_t* name, const TVariant& value)
    {
        DispPut(ids_, kind, object, name, value);
    }

private:
    TMemberIds ids_;
};

ComPtr<IDispatch> FindOrAddContactFolder(OutlookCalls& calls, IDispatch* folders, const std::string& folderName)
{
    // Exact comparison of the wide form: Outlook's own name rules are its business.
    const std::wstring wanted = AnsiToWide(folderName);
    const int count = AsInteger(calls.Get(kFoldersObject, folders, kCount));
    for (int i = 1; i <= count; ++i) {
        ComPtr<IDispatch> folder = AsDispatch(calls.Get(kFoldersObject, folders, kItem, {TVariant(i)}));
        if (folder && AsText(calls.Get(kFolderObject, folder.Get(), kName)) == wanted)
            return folder;
    }
    return AsDispatch(calls.Call(kFoldersObject, folders, kAdd, {TVariant(wanted), TVariant(olFolderContacts)}));
}

void ClearContactItems(OutlookCalls& calls, IDispatch* items)
{
    // From the top down, so the indexes still to visit stay valid as items go.
    const int count = AsInteger(calls.Get(kItemsObject, items, kCount));
    for (int i = count; i >= 1; --i) {
        ComPtr<IDispatch> item = AsDispatch(calls.Get(kItemsObject, items, kItem, {TVariant(i)}));
        if (AnswersContactItem(item.Get()))
            calls.Call(kItemsObject, items, kRemove, {TVariant(i)});
    }
}

ComPtr<IDispatch> PrepareContactFolder(OutlookCalls& calls, IDispatch* folder)
{
    ComPtr<IDispatch> items = AsDispatch(calls.Get(kFolderObject, folder, kItems));
    ClearContactItems(calls, items.Get());
    ComPtr<IDispatch> application = AsDispatch(calls.Get(kFolderObject, folder, kApplication));
    const std::wstring version = AsText(calls.Get(kApplicationObject, application.Get(), kVersion));
    if (OutlookMajorVersion(WideToAnsi(version.c_str(), static_cast<int>(version.size()))) >
        kLastVersionWithoutAddressBookMark) {
        calls.Put(kFolderObject, folder, kShowAsOutlookAB, TVariant(true));
    }
    return items;
}

// False when the new item is not a contact item: it is left unfilled and unsaved.
// The fields are in the code page of the list they came from.
bool WriteContactItem(OutlookCalls& calls, IDispatch* item, const TContactInfo& record, UINT codePage)
{
    if (!AnswersContactItem(item))
        return false;
    for (size_t i = 0; i < 18; ++i) {
        calls.Put(kContactObject, item, kContactProperties[i],
                  TVariant(TextToWide(record.Field(TContactInfo::kFields[i].field), codePage)));
    }
    calls.Call(kContactObject, item, kSave);
    return true;
}

// The number of contact items written and saved.
int FillContactFolder(OutlookCalls& calls, IDispatch* contacts, const TContactList& list,
                      const std::string& folderName)
{
    // An empty answer without a failure code would otherwise pass for a successful
    // synchronisation that wrote nothing.
    ComPtr<IDispatch> folders;
    if (contacts != nullptr)
        folders = AsDispatch(calls.Get(kFolderObject, contacts, kFolders));
    if (!folders)
        RaiseOleError(E_FAIL, "Microsoft Outlook's default Contacts folder is not available.");

    ComPtr<IDispatch> folder = FindOrAddContactFolder(calls, folders.Get(), folderName);
    ComPtr<IDispatch> items = PrepareContactFolder(calls, folder.Get());
    const UINT codePage = WindowsCodePage(list.CodePage);
    int written = 0;
    for (const TContactInfo& record : list) {
        ComPtr<IDispatch> item = AsDispatch(calls.Call(kItemsObject, items.Get(), kAdd, {TVariant(olContactItem)}));
        if (WriteContactItem(calls, item.Get(), record, codePage))
            ++written;
    }
    return written;
}

} // namespace

HRESULT CreateOutlookApplication(IDispatch** application)
{
    return ::CoCreateInstance(CLSID_Application, nullptr, kApplicationContext, IID_PPV_ARGS(application));
}

int OutlookMajorVersion(const std::string& version)
{
    const size_t dot = version.find('.');
    if (dot == std::string::npos)
        return -1;
    int major = 0;
    if (!ParseInteger(std::string_view(version).substr(0, dot), major))
        return -1;
    return major;
}

bool SyncOutlook(const TContactList& list, const std::string& folderName, IRunServices& services,
                 const OutlookFactory& createApplication, std::chrono::milliseconds busyLimit)
{
    // Outlived by nothing obtained from Outlook: its releases are calls too.
    const TBusyFilterScope busyFilter(busyLimit);
    ComPtr<IDispatch> application = ConnectOutlook(createApplication, services);
    if (!application)
        return false;
    ComPtr<IUnknown> typed;
    const HRESULT hr = RetryWhileBusy([&] {
        return application->QueryInterface(IID__Application, reinterpret_cast<void**>(typed.ReleaseAndGetAddressOf()));
    });
    if (FAILED(hr) || !typed)
        RaiseInterfaceNotSupported();

    services.SetStatus("Performing Sync..");
    if (services.StopRequested())
        return false;

    OutlookCalls calls;
    ComPtr<IDispatch> session = AsDispatch(calls.Get(kApplicationObject, application.Get(), kSession));
    calls.Call(kNameSpaceObject, session.Get(), kLogon,
               {TVariant::Missing(), TVariant::Missing(), TVariant::Missing(), TVariant(true)});
    ComPtr<IDispatch> contacts =
        AsDispatch(calls.Call(kNameSpaceObject, session.Get(), kGetDefaultFolder, {TVariant(olFolderContacts)}));
    const int count = FillContactFolder(calls, contacts.Get(), list, folderName);
    services.ReportCreated(count, folderName);
    // The folder was emptied first: a short count must not pass for a synchronisation.
    if (static_cast<size_t>(count) < list.Count()) {
        services.ShowNotice(NoticeKind::Warning, IRunServices::FormatSavedOnly(count, list.Count()));
        return false;
    }
    return true;
}

} // namespace tessaly
