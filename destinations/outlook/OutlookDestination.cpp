#include "destinations/outlook/OutlookDestination.h"

#include "app/OleError.h"
#include "app/TextHelpers.h"
#include "contacts/Def_Contact.h"
#include "destinations/outlook/DispatchCalls.h"
#include "destinations/outlook/TLB_Outlook2000.h"

namespace tessaly {

using Microsoft::WRL::ComPtr;
using namespace outlook;

namespace {

// Outlook lists a contacts folder in its address book only when asked, from version 10 on.
constexpr int kLastVersionWithoutAddressBookMark = 9;

ComPtr<IDispatch> ConnectOutlook(const OutlookFactory& createApplication, IRunServices& services)
{
    ComPtr<IDispatch> application;
    const HRESULT hr = createApplication(application.ReleaseAndGetAddressOf());
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
    return SUCCEEDED(item->QueryInterface(IID__ContactItem, reinterpret_cast<void**>(contact.GetAddressOf()))) &&
           contact;
}

ComPtr<IDispatch> FindOrAddContactFolder(IDispatch* folders, const std::string& folderName)
{
    // Exact comparison of the wide form: Outlook's own name rules are its business.
    const std::wstring wanted = AnsiToWide(folderName);
    const int count = AsInteger(DispGet(folders, kCount));
    for (int i = 1; i <= count; ++i) {
        ComPtr<IDispatch> folder = AsDispatch(DispGet(folders, kItem, {TVariant(i)}));
        if (folder && AsText(DispGet(folder.Get(), kName)) == wanted)
            return folder;
    }
    return AsDispatch(DispCall(folders, kAdd, {TVariant(wanted), TVariant(olFolderContacts)}));
}

void ClearContactItems(IDispatch* items)
{
    // From the top down, so the indexes still to visit stay valid as items go.
    const int count = AsInteger(DispGet(items, kCount));
    for (int i = count; i >= 1; --i) {
        ComPtr<IDispatch> item = AsDispatch(DispGet(items, kItem, {TVariant(i)}));
        if (AnswersContactItem(item.Get()))
            DispCall(items, kRemove, {TVariant(i)});
    }
}

ComPtr<IDispatch> PrepareContactFolder(IDispatch* folder)
{
    ComPtr<IDispatch> items = AsDispatch(DispGet(folder, kItems));
    ClearContactItems(items.Get());
    ComPtr<IDispatch> application = AsDispatch(DispGet(folder, kApplication));
    const std::wstring version = AsText(DispGet(application.Get(), kVersion));
    if (OutlookMajorVersion(WideToAnsi(version.c_str(), static_cast<int>(version.size()))) >
        kLastVersionWithoutAddressBookMark) {
        DispPut(folder, kShowAsOutlookAB, TVariant(true));
    }
    return items;
}

// False when the new item is not a contact item: it is left unfilled and unsaved.
// The fields are in the code page of the list they came from.
bool WriteContactItem(IDispatch* item, const TContactInfo& record, UINT codePage)
{
    if (!AnswersContactItem(item))
        return false;
    for (size_t i = 0; i < 18; ++i)
        DispPut(item, kContactProperties[i], TVariant(TextToWide(record.*TContactInfo::kFields[i].field, codePage)));
    DispCall(item, kSave);
    return true;
}

// The number of contact items written and saved.
int FillContactFolder(IDispatch* contacts, const TContactList& list, const std::string& folderName)
{
    // An empty answer without a failure code would otherwise pass for a successful
    // synchronisation that wrote nothing.
    if (contacts == nullptr)
        RaiseOleError(E_FAIL, "Microsoft Outlook's default Contacts folder is not available.");
    ComPtr<IDispatch> folders = AsDispatch(DispGet(contacts, kFolders));
    if (!folders)
        RaiseOleError(E_FAIL, "Microsoft Outlook's default Contacts folder is not available.");

    ComPtr<IDispatch> folder = FindOrAddContactFolder(folders.Get(), folderName);
    ComPtr<IDispatch> items = PrepareContactFolder(folder.Get());
    int written = 0;
    for (const TContactInfo& record : list) {
        ComPtr<IDispatch> item = AsDispatch(DispCall(items.Get(), kAdd, {TVariant(olContactItem)}));
        if (WriteContactItem(item.Get(), record, WindowsCodePage(list.CodePage)))
            ++written;
    }
    return written;
}

} // namespace

HRESULT CreateOutlookApplication(IDispatch** application)
{
    return ::CoCreateInstance(CLSID_Application, nullptr, kApplicationContext, IID_IDispatch,
                              reinterpret_cast<void**>(application));
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
                 const OutlookFactory& createApplication)
{
    ComPtr<IDispatch> application = ConnectOutlook(createApplication, services);
    if (!application)
        return false;
    ComPtr<IUnknown> typed;
    if (FAILED(application->QueryInterface(IID__Application, reinterpret_cast<void**>(typed.GetAddressOf()))) ||
        !typed)
        throw EOleError(E_NOINTERFACE, "Interface not supported");

    services.SetStatus("Performing Sync..");
    if (services.StopRequested())
        return false;

    ComPtr<IDispatch> session = AsDispatch(DispGet(application.Get(), kSession));
    DispCall(session.Get(), kLogon, {TVariant::Missing(), TVariant::Missing(), TVariant::Missing(), TVariant(true)});
    ComPtr<IDispatch> contacts = AsDispatch(DispCall(session.Get(), kGetDefaultFolder, {TVariant(olFolderContacts)}));
    const int count = FillContactFolder(contacts.Get(), list, folderName);
    services.ReportCreated(count, folderName);
    // The folder was emptied first: a short count must not pass for a synchronisation.
    if (static_cast<size_t>(count) < list.Count()) {
        services.ShowNotice(NoticeKind::Warning, IRunServices::FormatSavedOnly(count, list.Count()));
        return false;
    }
    return true;
}

} // namespace tessaly
