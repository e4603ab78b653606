#include "destinations/outlook/OutlookDestination.h"

#include "base/FileHelpers.h"
#include "base/OleError.h"
#include "base/TextHelpers.h"
#include "base/WideText.h"
#include "contacts/Contact.h"
#include "contacts/FolderRecord.h"
#include "contacts/FolderRecordFile.h"
#include "contacts/FolderSync.h"
#include "destinations/outlook/BusyFilter.h"
#include "destinations/outlook/DispatchCalls.h"
#include "destinations/outlook/OutlookMembers.h"

#include <algorithm>
#include <array>
#include <cwchar>
#include <optional>
#include <utility>
#include <vector>

namespace tessaly {

using Microsoft::WRL::ComPtr;
using namespace outlook;

namespace {

// Outlook lists a contacts folder in its address book only when asked, from version 10 on.
constexpr int kLastVersionWithoutAddressBookMark = 9;

// Rows a table read brings at once: each read is one round trip, however many rows.
constexpr int kTableRowsPerRead = 2000;

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
enum ObjectKind {
    kApplicationObject,
    kNameSpaceObject,
    kFolderObject,
    kFoldersObject,
    kItemsObject,
    kContactObject,
    kTableObject,
    kColumnsObject
};

// The calls of one run. Every member name is looked up once per run and class, so a
// contact costs one call per property plus the few that add and save it: each call is
// a round trip to Outlook's process.
class OutlookCalls {
public:
    Variant Get(ObjectKind kind, IDispatch* object, const wchar_t* name, std::initializer_list<Variant> args = {})
    {
        return DispGet(ids_, kind, object, name, args);
    }
    Variant Call(ObjectKind kind, IDispatch* object, const wchar_t* name, std::initializer_list<Variant> args = {})
    {
        return DispCall(ids_, kind, object, name, args);
    }
    void Put(ObjectKind kind, IDispatch* object, const wchar_t* name, const Variant& value)
    {
        DispPut(ids_, kind, object, name, value);
    }

private:
    MemberIds ids_;
};

// The folder of that name; a new one unless `readOnly`, which answers none for a folder
// not there.
ComPtr<IDispatch> FindOrAddContactFolder(OutlookCalls& calls, IDispatch* folders, const std::string& folderName,
                                         bool readOnly)
{
    // Exact comparison of the wide form: Outlook's own name rules are its business.
    const std::wstring wanted = Utf8ToWide(folderName);
    const int count = AsInteger(calls.Get(kFoldersObject, folders, kCount));
    for (int i = 1; i <= count; ++i) {
        ComPtr<IDispatch> folder = AsDispatch(calls.Get(kFoldersObject, folders, kItem, {Variant(i)}));
        if (folder && AsText(calls.Get(kFolderObject, folder.Get(), kName)) == wanted)
            return folder;
    }
    if (readOnly)
        return nullptr;
    return AsDispatch(calls.Call(kFoldersObject, folders, kAdd, {Variant(wanted), Variant(olFolderContacts)}));
}

void ClearContactItems(OutlookCalls& calls, IDispatch* items)
{
    // From the top down, so the indexes still to visit stay valid as items go.
    const int count = AsInteger(calls.Get(kItemsObject, items, kCount));
    for (int i = count; i >= 1; --i) {
        ComPtr<IDispatch> item = AsDispatch(calls.Get(kItemsObject, items, kItem, {Variant(i)}));
        if (AnswersContactItem(item.Get()))
            calls.Call(kItemsObject, items, kRemove, {Variant(i)});
    }
}

// Sets the address-book mark where Outlook knows it and it is not set yet: a folder that
// is already listed takes no write.
void MarkForAddressBook(OutlookCalls& calls, IDispatch* folder)
{
    ComPtr<IDispatch> application = AsDispatch(calls.Get(kFolderObject, folder, kApplication));
    const std::wstring version = AsText(calls.Get(kApplicationObject, application.Get(), kVersion));
    if (OutlookMajorVersion(WideToAnsi(version.c_str(), static_cast<int>(version.size()))) <=
        kLastVersionWithoutAddressBookMark)
        return;
    if (!AsBoolean(calls.Get(kFolderObject, folder, kShowAsOutlookAB)))
        calls.Put(kFolderObject, folder, kShowAsOutlookAB, Variant(true));
}

// One item of the folder as its table's default columns show it: nothing of its content
// beyond its name, since the columns that would show more are guarded.
struct FolderItem {
    bool contact = false;
    ListedItem listed; // UTF-8
};

// Contact items of any form: "IPM.Contact" and the custom forms derived from it.
bool IsContactClass(std::wstring_view messageClass)
{
    constexpr std::wstring_view contact = L"IPM.Contact";
    if (messageClass.size() < contact.size() || ::_wcsnicmp(messageClass.data(), contact.data(), contact.size()) != 0)
        return false;
    return messageClass.size() == contact.size() || messageClass[contact.size()] == L'.';
}

// The table's row count, or none where Outlook cannot tell (it may not for large tables).
std::optional<int> TableRowCount(OutlookCalls& calls, IDispatch* table)
{
    try {
        return AsInteger(calls.Call(kTableObject, table, kGetRowCount));
    } catch (const EComponentBusy&) {
        throw;
    } catch (const EOleError&) {
        return std::nullopt;
    }
}

// The folder's items, read through the table's default columns in a few calls whatever
// the folder's size. None where Outlook offers no table (before Outlook 2007 the name
// lookup fails) or refuses it: the caller then replaces everything, which needs no
// reading. A busy Outlook is not a refusal.
std::optional<std::vector<FolderItem>> ReadFolderItems(OutlookCalls& calls, IDispatch* folder)
{
    std::vector<FolderItem> items;
    try {
        ComPtr<IDispatch> table = AsDispatch(calls.Call(kFolderObject, folder, kGetTable));
        ComPtr<IDispatch> columns = AsDispatch(calls.Get(kTableObject, table.Get(), kColumns));
        const int columnCount = AsInteger(calls.Get(kColumnsObject, columns.Get(), kCount));
        if (columnCount < kDefaultColumnsOfEveryFolder)
            return std::nullopt;
        // Outlook 2007 refuses to be asked for more rows than are left.
        const std::optional<int> rowCount = TableRowCount(calls, table.Get());
        for (;;) {
            const int wanted =
                rowCount ? std::min(kTableRowsPerRead, *rowCount - static_cast<int>(items.size())) : kTableRowsPerRead;
            if (wanted <= 0)
                break;
            const std::vector<std::vector<std::wstring>> rows = AsTextRows(
                calls.Call(kTableObject, table.Get(), kGetArray, {Variant(wanted)}), static_cast<size_t>(columnCount));
            for (const std::vector<std::wstring>& row : rows) {
                FolderItem& item = items.emplace_back();
                item.contact = IsContactClass(row[kMessageClassColumn]);
                item.listed.id = WideToUtf8(row[kEntryIdColumn]);
                item.listed.stamp = WideToUtf8(row[kLastModificationTimeColumn]);
                item.listed.name = WideToUtf8(row[kSubjectColumn]);
            }
            // A short read was the last; without a count, a full one may have ended the table too.
            if (rows.size() < static_cast<size_t>(wanted) ||
                (!rowCount && AsBoolean(calls.Get(kTableObject, table.Get(), kEndOfTable))))
                break;
        }
    } catch (const EComponentBusy&) {
        throw;
    } catch (const EOleError&) {
        return std::nullopt;
    }
    return items;
}

// The identity a record of this folder is kept under: its store's and its own EntryID.
// None where Outlook does not tell them; the run then works without a record.
std::optional<std::string> FolderIdentity(OutlookCalls& calls, IDispatch* folder)
{
    try {
        const std::wstring store = AsText(calls.Get(kFolderObject, folder, kStoreID));
        const std::wstring entry = AsText(calls.Get(kFolderObject, folder, kEntryID));
        if (store.empty() || entry.empty())
            return std::nullopt;
        return "Outlook " + WideToUtf8(store) + " " + WideToUtf8(entry);
    } catch (const EComponentBusy&) {
        throw;
    } catch (const EOleError&) {
        return std::nullopt;
    }
}

// The folder's record, where it is kept: `directory`, or the user's own local data folder
// when that is empty. None when it cannot be had.
std::optional<std::wstring> RecordDirectory(const std::wstring& directory)
{
    if (!directory.empty())
        return directory;
    try {
        return LocalDataFolder();
    } catch (const EFileError&) {
        return std::nullopt;
    }
}

// The record's values as the run writes them: wide text.
std::array<std::wstring, 18> PropertyValues(const ContactInfo& record)
{
    std::array<std::wstring, 18> values;
    for (size_t i = 0; i < values.size(); ++i)
        values[i] = Utf8ToWide(record.Field(ContactInfo::kFields[i].field));
    return values;
}

// Puts every one of the 18 properties, then saves.
void PutAllAndSave(OutlookCalls& calls, IDispatch* item, const std::array<std::wstring, 18>& values)
{
    for (size_t i = 0; i < values.size(); ++i)
        calls.Put(kContactObject, item, kContactProperties[i], Variant(values[i]));
    calls.Call(kContactObject, item, kSave);
}

// False when the new item is not a contact item: it is left unfilled and unsaved.
bool WriteContactItem(OutlookCalls& calls, IDispatch* item, const std::array<std::wstring, 18>& values)
{
    if (!AnswersContactItem(item))
        return false;
    PutAllAndSave(calls, item, values);
    return true;
}

// The item Outlook knows by `entryId`, in any folder of its stores.
ComPtr<IDispatch> ItemById(OutlookCalls& calls, IDispatch* session, const std::string& entryId)
{
    return AsDispatch(calls.Call(kNameSpaceObject, session, kGetItemFromID, {Variant(Utf8ToWide(entryId))}));
}

// Puts only the properties that differ from what the item holds, then saves: the item
// keeps its identity. `compared` is `values` in the form the folder was compared in.
void UpdateContactItem(OutlookCalls& calls, IDispatch* item, const std::array<std::wstring, 18>& values,
                       const ContactValues& compared, const ContactValues& held)
{
    for (size_t i = 0; i < values.size(); ++i) {
        if (compared[i] != held[i])
            calls.Put(kContactObject, item, kContactProperties[i], Variant(values[i]));
    }
    calls.Call(kContactObject, item, kSave);
}

// The new item; none when Outlook's new item is not a contact item.
ComPtr<IDispatch> AddContactItem(OutlookCalls& calls, IDispatch* items, const std::array<std::wstring, 18>& values)
{
    ComPtr<IDispatch> item = AsDispatch(calls.Call(kItemsObject, items, kAdd, {Variant(olContactItem)}));
    if (!WriteContactItem(calls, item.Get(), values))
        item.Reset();
    return item;
}

// One contacts folder of Outlook as the run sees it. Where Outlook offers the folder's
// table only what differs is changed, as far as the record vouches for it; elsewhere every
// contact item is replaced, in the order it has always taken. `readOnly` (a preview) finds
// the folder without creating or marking it.
class OutlookFolder final : public IContactFolder {
public:
    OutlookFolder(OutlookCalls& calls, IDispatch* application, const ContactList& list, std::string folderName,
                  std::wstring recordDirectory, bool readOnly)
        : calls_(calls), application_(application), folderName_(std::move(folderName)),
          recordDirectory_(std::move(recordDirectory)), readOnly_(readOnly)
    {
        rows_.reserve(list.Count());
        rowValues_.resize(list.Count());
        for (const ContactInfo& record : list) {
            const std::array<std::wstring, 18>& values = rows_.emplace_back(PropertyValues(record));
            for (size_t i = 0; i < values.size(); ++i)
                rowValues_[rows_.size() - 1][i] = WideToUtf8(values[i]);
        }
    }

    // The rows as they are compared: UTF-8.
    const std::vector<ContactValues>& RowValues() const { return rowValues_; }

    FolderOpening Open(std::vector<FolderEntry>& entries) override
    {
        session_ = AsDispatch(calls_.Get(kApplicationObject, application_, kSession));
        calls_.Call(kNameSpaceObject, session_.Get(), kLogon,
                    {Variant::Missing(), Variant::Missing(), Variant::Missing(), Variant(true)});
        ComPtr<IDispatch> contacts =
            AsDispatch(calls_.Call(kNameSpaceObject, session_.Get(), kGetDefaultFolder, {Variant(olFolderContacts)}));
        // An empty answer without a failure code would otherwise pass for a successful
        // synchronisation that wrote nothing.
        ComPtr<IDispatch> folders;
        if (contacts)
            folders = AsDispatch(calls_.Get(kFolderObject, contacts.Get(), kFolders));
        if (!folders)
            RaiseOleError(E_FAIL, "Microsoft Outlook's default Contacts folder is not available.");
        folder_ = FindOrAddContactFolder(calls_, folders.Get(), folderName_, readOnly_);
        if (!folder_ && readOnly_)
            return FolderOpening::Missing;
        items_ = AsDispatch(calls_.Get(kFolderObject, folder_.Get(), kItems));

        const std::optional<std::vector<FolderItem>> held = ReadFolderItems(calls_, folder_.Get());
        if (!held)
            return FolderOpening::Unlisted;
        if (!readOnly_)
            MarkForAddressBook(calls_, folder_.Get());
        // Only contact items take part; distribution lists and other items stay as they are.
        for (const FolderItem& item : *held) {
            if (item.contact)
                entries.push_back({item.listed, std::nullopt});
        }
        for (const FolderEntry& entry : entries)
            ids_.push_back(entry.listed.id);
        listed_ = true;
        return FolderOpening::Listed;
    }

    // Every item, distribution lists too: telling contacts apart costs a call per item,
    // and counting high only makes a removal look larger.
    size_t CountContactItems() override
    {
        return static_cast<size_t>(std::max(0, AsInteger(calls_.Get(kItemsObject, items_.Get(), kCount))));
    }

    void RemoveAll() override
    {
        ClearContactItems(calls_, items_.Get());
        MarkForAddressBook(calls_, folder_.Get());
    }

    // Reading an item's values back would call what Outlook's guard protects.
    ItemContent ReadItem(size_t, ContactValues&) override { return ItemContent::Unknown; }

    void Prepare(const FolderChanges&) override {}

    bool Update(size_t item, size_t row, const ContactValues* held) override
    {
        // Its message class already says it is a contact item.
        ComPtr<IDispatch> contact = ItemById(calls_, session_.Get(), ids_[item]);
        if (held != nullptr)
            UpdateContactItem(calls_, contact.Get(), rows_[row], rowValues_[row], *held);
        else
            PutAllAndSave(calls_, contact.Get(), rows_[row]);
        return true;
    }

    bool Add(size_t row, std::string& identity) override
    {
        ComPtr<IDispatch> item = AddContactItem(calls_, items_.Get(), rows_[row]);
        // Its EntryID is the one thing of a new item that the record needs from Outlook.
        if (item && listed_)
            identity = WideToUtf8(AsText(calls_.Get(kContactObject, item.Get(), kEntryID)));
        return item != nullptr;
    }

    bool Remove(const std::vector<size_t>& stale) override
    {
        for (size_t item : stale) {
            ComPtr<IDispatch> contact = ItemById(calls_, session_.Get(), ids_[item]);
            calls_.Call(kContactObject, contact.Get(), kDelete);
        }
        return true;
    }

    bool Commit(bool) override { return true; }

    std::optional<std::string> RecordIdentity() override
    {
        if (!RecordFolder())
            return std::nullopt;
        return FolderIdentity(calls_, folder_.Get());
    }

    std::optional<FolderRecord> LoadRecord(const std::string& identity) override
    {
        return LoadFolderRecord(*RecordFolder(), identity);
    }

    void SaveRecord(const FolderRecord& record) override
    {
        try {
            SaveFolderRecord(*RecordFolder(), record);
        } catch (const EFileError&) {
            // The folder is right already; without its record the next run rewrites it once.
        }
    }

    std::vector<ListedItem> ListAgain() override
    {
        std::vector<ListedItem> listed;
        if (const std::optional<std::vector<FolderItem>> after = ReadFolderItems(calls_, folder_.Get())) {
            for (const FolderItem& item : *after)
                listed.push_back(item.listed);
        }
        return listed;
    }

private:
    // `recordDirectory`, or the user's own local data folder when that is empty; none
    // when it cannot be had.
    const std::optional<std::wstring>& RecordFolder()
    {
        if (!recordDirectoryKnown_) {
            recordDirectoryKnown_ = true;
            resolvedDirectory_ = RecordDirectory(recordDirectory_);
        }
        return resolvedDirectory_;
    }

    OutlookCalls& calls_;
    IDispatch* application_;
    std::string folderName_;
    std::wstring recordDirectory_;
    bool readOnly_;
    bool recordDirectoryKnown_ = false;
    std::optional<std::wstring> resolvedDirectory_;
    std::vector<std::array<std::wstring, 18>> rows_;
    std::vector<ContactValues> rowValues_;
    ComPtr<IDispatch> session_;
    ComPtr<IDispatch> folder_;
    ComPtr<IDispatch> items_;
    std::vector<std::string> ids_; // of the listed contact items
    bool listed_ = false;
};

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

bool SyncOutlook(const ContactList& list, const std::string& folderName, IRunServices& services,
                 const OutlookFactory& createApplication, std::chrono::milliseconds busyLimit,
                 const std::wstring& recordDirectory)
{
    // Outlived by nothing obtained from Outlook: its releases are calls too.
    const BusyFilterScope busyFilter(busyLimit);
    ComPtr<IDispatch> application = ConnectOutlook(createApplication, services);
    if (!application)
        return false;
    ComPtr<IUnknown> typed;
    const HRESULT hr = RetryWhileBusy([&] {
        return application->QueryInterface(IID__Application, reinterpret_cast<void**>(typed.ReleaseAndGetAddressOf()));
    });
    if (FAILED(hr) || !typed)
        RaiseInterfaceNotSupported();

    OutlookCalls calls;
    OutlookFolder folder(calls, application.Get(), list, folderName, recordDirectory, services.PreviewOnly());
    return SyncContactFolder(folder, folder.RowValues(), folderName, services);
}

} // namespace tessaly
