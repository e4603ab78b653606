#include "destinations/outlook_express/AddressBookDestination.h"

#include "base/OleError.h"
#include "base/RunServices.h"
#include "base/TextHelpers.h"
#include "base/WideText.h"
#include "base/WinHandles.h"
#include "base/ZeroFilledBlock.h"
#include "contacts/FolderSync.h"
#include "destinations/outlook_express/AddressBookProgram.h"
#include "destinations/wab_library/WabLibrary.h"
#include "destinations/outlook_express/WabCode.h"
#include "destinations/outlook_express/WabTags.h"

#include <optional>
#include <string_view>
#include <utility>

using Microsoft::WRL::ComPtr;

namespace tessaly {

namespace {

constexpr char kNotFound[] = "Outlook Express not found.";
constexpr char kProgramFilesKey[] = "Software\\Microsoft\\Windows\\CurrentVersion";
constexpr ULONG kRowsPerQuery = 1;
// Rows per query when a folder's mail users are read: a handful of calls for any folder.
constexpr LONG kRowsPerBulkQuery = 500;

// The contact properties in the order they are written, with the record field of each.
struct MailUserField {
    ULONG tag;
    ContactField field;
};
constexpr MailUserField kMailUserFields[] = {
    {PR_NICKNAME, ContactField::NickName},
    {PR_EMAIL_ADDRESS, ContactField::Email},
    {PR_DISPLAY_NAME, ContactField::DisplayName},
    {PR_TITLE, ContactField::JobTitle},
    {PR_INITIALS, ContactField::Initials},
    {PR_CUSTOMER_ID, ContactField::CustomerID},
    {PR_COMPANY_NAME, ContactField::Company},
    {PR_DEPARTMENT_NAME, ContactField::Department},
    {PR_BUSINESS_TELEPHONE_NUMBER, ContactField::BusinessPhone},
    {PR_MOBILE_TELEPHONE_NUMBER, ContactField::MobilePhone},
    {PR_HOME_TELEPHONE_NUMBER, ContactField::HomePhone},
    {PR_HOME_ADDRESS_STREET, ContactField::HomeStreet},
    {PR_HOME_ADDRESS_CITY, ContactField::HomeCity},
    {PR_HOME_ADDRESS_STATE_OR_PROVINCE, ContactField::HomeState},
    {PR_PAGER_TELEPHONE_NUMBER, ContactField::Pager},
    {PR_OFFICE_LOCATION, ContactField::Office},
    {PR_BUSINESS_HOME_PAGE, ContactField::WebPage},
    {PR_BUSINESS_FAX_NUMBER, ContactField::BusinessFax},
};
constexpr ULONG kMailUserFieldCount = sizeof(kMailUserFields) / sizeof(kMailUserFields[0]);
static_assert(kMailUserFieldCount == kContactFieldCount, "every field of the record is written");

// The columns a folder's mail users are read with: identifier, type, then the fields.
SizedSPropTagArray<2 + kMailUserFieldCount> MailUserColumns()
{
    SizedSPropTagArray<2 + kMailUserFieldCount> columns = {2 + kMailUserFieldCount, {PR_ENTRYID, PR_OBJECT_TYPE}};
    for (ULONG i = 0; i < kMailUserFieldCount; ++i)
        columns.aulPropTag[2 + i] = kMailUserFields[i].tag;
    return columns;
}

class WindowsPlatform final : public IWabPlatform {
public:
    bool Load() override { return LoadWabLibrary(); }
    bool QueryVersion(OSVERSIONINFOA& info) override { return ::GetVersionExA(&info) != FALSE; }
    bool HasOpenEntry() override { return WabOpenEntry() != nullptr; }
    HRESULT Open(LPADRBOOK* addrBook, LPWABOBJECT* wabObject, LPWAB_PARAM params) override
    {
        return WabOpenEntry()(reinterpret_cast<void**>(addrBook), reinterpret_cast<void**>(wabObject), params, 0);
    }
    bool StartAddressBook() override { return StartAndCloseAddressBook(OutlookExpressFile("wab.exe")); }
};

const SPropValue* FindValue(const SRow& row, ULONG tag)
{
    for (ULONG i = 0; i < row.cValues; ++i)
        if (row.lpProps[i].ulPropTag == tag)
            return &row.lpProps[i];
    return nullptr;
}

bool RowHasType(const SRow& row, ULONG objectType)
{
    const SPropValue* type = FindValue(row, PR_OBJECT_TYPE);
    return type && type->Value.ul == objectType;
}

// Gets a contents table ready for reading `columns` from its first row.
bool PrepareContentsTable(IABContainer* container, LPSPropTagArray columns, ComPtr<IMAPITable>& table)
{
    if (FAILED(container->GetContentsTable(0, &table)) || !table)
        return false;
    return SUCCEEDED(table->WaitForCompletion(0, 0xFFFFFFFF, nullptr)) &&
           SUCCEEDED(table->SetColumns(columns, 0)) && SUCCEEDED(table->SeekRow(BOOKMARK_BEGINNING, 0, nullptr));
}

bool PrepareContentsTable(IABContainer* container, ComPtr<IMAPITable>& table)
{
    SizedSPropTagArray<3> columns = ContentsColumns();
    return PrepareContentsTable(container, columns.get(), table);
}

// A text the address book holds as a C string: the part before any NUL character.
std::string StoredText(std::string_view text)
{
    return std::string(text.substr(0, text.find('\0')));
}

LPSTR Text(const std::string& text)
{
    return const_cast<LPSTR>(text.c_str());
}

} // namespace

IWabPlatform& WindowsWabPlatform()
{
    static WindowsPlatform platform;
    return platform;
}

SizedSPropTagArray<3> ContentsColumns()
{
    return {3, {PR_DISPLAY_NAME, PR_ENTRYID, PR_OBJECT_TYPE}};
}

// A row set from a table query, freed on every way out.
class WinAddressBook::RowSetOwner {
public:
    RowSetOwner(WinAddressBook& book, LPSRowSet rows) : book_(book), rows_(rows) {}
    RowSetOwner(const RowSetOwner&) = delete;
    RowSetOwner& operator=(const RowSetOwner&) = delete;
    ~RowSetOwner() { book_.FreeRowsQuietly(rows_); }
    LPSRowSet get() const { return rows_; }
    LPSRowSet release() { return std::exchange(rows_, nullptr); }
    void Free() { book_.FreeRows(release()); }

private:
    WinAddressBook& book_;
    LPSRowSet rows_;
};

class WinAddressBook::BufferOwner {
public:
    BufferOwner(WinAddressBook& book, void* buffer) : book_(book), buffer_(buffer) {}
    BufferOwner(const BufferOwner&) = delete;
    BufferOwner& operator=(const BufferOwner&) = delete;
    ~BufferOwner() { book_.FreeQuietly(buffer_); }
    void Free() { book_.FreeBuffer(std::exchange(buffer_, nullptr)); }

private:
    WinAddressBook& book_;
    void* buffer_;
};

bool WinAddressBook::OpenAddressBook(const std::string& fileName)
{
    if (!platform_.HasOpenEntry())
        return false;
    std::string name = fileName;
    WAB_PARAM params = {};
    params.cbSize = sizeof(WAB_PARAM);
    params.hwnd = nullptr;
    params.szFileName = name.data();
    params.ulFlags = WAB_ENABLE_PROFILES;
    wabObject_.Reset();
    addrBook_.Reset();
    return SUCCEEDED(platform_.Open(addrBook_.ReleaseAndGetAddressOf(), wabObject_.ReleaseAndGetAddressOf(), &params));
}

void WinAddressBook::CloseAddressBook()
{
    addrBook_.Reset();
    wabObject_.Reset();
}

bool WinAddressBook::ReopenAddressBook()
{
    CloseAddressBook();
    if (!platform_.StartAddressBook())
        return false;
    return OpenAddressBook("");
}

void WinAddressBook::FreeBuffer(void* buffer)
{
    if (!buffer)
        return;
    if (!wabObject_)
        RaiseOleError(MAPI_E_NOT_INITIALIZED);
    OleCheck(wabObject_->FreeBuffer(buffer));
}

void WinAddressBook::FreeQuietly(void* buffer) noexcept
{
    if (buffer && wabObject_)
        wabObject_->FreeBuffer(buffer);
}

void WinAddressBook::FreeRows(LPSRowSet rows)
{
    if (!rows)
        return;
    if (!wabObject_)
        RaiseOleError(MAPI_E_NOT_INITIALIZED);
    // Every buffer is freed even when one fails; the first failure is raised afterwards.
    HRESULT first = S_OK;
    for (ULONG i = 0; i < rows->cRows; ++i) {
        if (!rows->aRow[i].lpProps)
            continue;
        const HRESULT code = wabObject_->FreeBuffer(rows->aRow[i].lpProps);
        if (FAILED(code) && SUCCEEDED(first))
            first = code;
    }
    const HRESULT code = wabObject_->FreeBuffer(rows);
    if (FAILED(code) && SUCCEEDED(first))
        first = code;
    OleCheck(first);
}

void WinAddressBook::FreeRowsQuietly(LPSRowSet rows) noexcept
{
    if (!rows || !wabObject_)
        return;
    for (ULONG i = 0; i < rows->cRows; ++i)
        FreeQuietly(rows->aRow[i].lpProps);
    FreeQuietly(rows);
}

bool WinAddressBook::ReadMailUsers(IABContainer* container, std::vector<MailUserItem>& users)
{
    users.clear();
    ComPtr<IMAPITable> table;
    auto columns = MailUserColumns();
    if (!PrepareContentsTable(container, columns.get(), table))
        return false;
    for (;;) {
        LPSRowSet raw = nullptr;
        const HRESULT code = table->QueryRows(kRowsPerBulkQuery, 0, &raw);
        RowSetOwner rows(*this, raw);
        if (FAILED(code))
            return false;
        // A short batch need not be the last one: only an empty one ends the table.
        if (!raw || raw->cRows == 0) {
            rows.Free();
            return true;
        }
        for (ULONG r = 0; r < raw->cRows; ++r) {
            const SRow& row = raw->aRow[r];
            const SPropValue* id = RowHasType(row, MAPI_MAILUSER) ? FindValue(row, PR_ENTRYID) : nullptr;
            if (!id)
                continue;
            MailUserItem& user = users.emplace_back();
            user.id.assign(id->Value.bin.lpb, id->Value.bin.lpb + id->Value.bin.cb);
            // A property the entry lacks comes back as an error value and reads as empty,
            // as it shows in the address book.
            for (const MailUserField& field : kMailUserFields) {
                const SPropValue* value = FindValue(row, field.tag);
                if (value && value->Value.lpszA)
                    user.values[static_cast<size_t>(field.field)] = value->Value.lpszA;
            }
        }
        rows.Free();
    }
}

HRESULT WinAddressBook::UpdateMailUser(const std::vector<BYTE>& id, const ContactInfo& record)
{
    if (!addrBook_)
        return MAPI_E_NOT_INITIALIZED;
    ComPtr<IMAPIProp> entry;
    ULONG objectType = 0;
    const HRESULT code =
        addrBook_->OpenEntry(static_cast<ULONG>(id.size()), reinterpret_cast<LPENTRYID>(const_cast<BYTE*>(id.data())),
                             nullptr, MAPI_MODIFY, &objectType, reinterpret_cast<LPUNKNOWN*>(entry.GetAddressOf()));
    if (FAILED(code))
        return code;
    if (!entry || objectType != MAPI_MAILUSER)
        return MAPI_E_INVALID_OBJECT;
    // Every field is written, not only those that look different: what a contents table
    // shows of an entry is all this knows of it.
    return WriteMailUser(entry.Get(), record);
}

void WinAddressBook::FindOrCreateFolder(const std::string& folderName, ComPtr<IABContainer>& folder)
{
    FindFolder(folderName, folder);
    if (folder)
        return;
    ComPtr<IMAPIProp> entry;
    CreateFromTemplate(nullptr, kCreateFlags, entry);
    // The new folder shows only in a connection opened after the Address Book program ran;
    // the unsaved entry is let go only after that.
    if (entry && SUCCEEDED(InitFolderEntry(entry.Get(), folderName)) && ReopenAddressBook())
        FindFolder(folderName, folder);
    entry.Reset();
}

template <typename Visit>
void WinAddressBook::ForEachRow(IMAPITable* table, Visit&& visit)
{
    for (;;) {
        LPSRowSet raw = nullptr;
        const HRESULT code = table->QueryRows(kRowsPerQuery, 0, &raw);
        RowSetOwner rows(*this, raw);
        if (FAILED(code))
            return;
        const bool gotRow = raw && raw->cRows > 0;
        if (gotRow && visit(rows, raw->aRow[0]))
            return;
        rows.Free();
        if (!gotRow)
            return;
    }
}

void WinAddressBook::FindFolder(const std::string& folderName, ComPtr<IABContainer>& folder)
{
    folder.Reset();
    if (!addrBook_)
        return;
    ComPtr<IABContainer> root;
    ULONG objectType = 0;
    if (FAILED(addrBook_->OpenEntry(0, nullptr, nullptr, 0, &objectType,
                                    reinterpret_cast<LPUNKNOWN*>(root.GetAddressOf()))) ||
        !root)
        return;
    ComPtr<IMAPITable> table;
    if (!PrepareContentsTable(root.Get(), table))
        return;
    ForEachRow(table.Get(), [&](RowSetOwner& rows, const SRow& row) {
        if (!RowHasType(row, MAPI_ABCONT))
            return false;
        const SPropValue* name = FindValue(row, PR_DISPLAY_NAME);
        if (!name || !name->Value.lpszA || !SameTextIgnoringAsciiCase(folderName, name->Value.lpszA))
            return false;
        OpenRowEntry(rows.release(), folder);
        return true;
    });
}

void WinAddressBook::OpenRowEntry(LPSRowSet raw, ComPtr<IABContainer>& entry)
{
    RowSetOwner rows(*this, raw);
    entry.Reset();
    const SPropValue* id = raw && raw->cRows > 0 ? FindValue(raw->aRow[0], PR_ENTRYID) : nullptr;
    if (id && addrBook_) {
        ULONG objectType = 0;
        if (FAILED(addrBook_->OpenEntry(id->Value.bin.cb, reinterpret_cast<LPENTRYID>(id->Value.bin.lpb), nullptr, 0,
                                        &objectType, reinterpret_cast<LPUNKNOWN*>(entry.ReleaseAndGetAddressOf()))))
            entry.Reset();
    }
    rows.Free();
}

void WinAddressBook::OpenPersonalAddressBook(ComPtr<IABContainer>& container)
{
    container.Reset();
    if (!addrBook_)
        return;
    ULONG size = 0;
    LPENTRYID id = nullptr;
    const HRESULT code = addrBook_->GetPAB(&size, &id);
    BufferOwner idBuffer(*this, id);
    if (FAILED(code))
        return;
    ULONG objectType = 0;
    if (FAILED(addrBook_->OpenEntry(size, id, nullptr, 0, &objectType,
                                    reinterpret_cast<LPUNKNOWN*>(container.ReleaseAndGetAddressOf()))))
        container.Reset();
    idBuffer.Free();
}

void WinAddressBook::CreateFromTemplate(IABContainer* container, ULONG createFlags, ComPtr<IMAPIProp>& entry)
{
    entry.Reset();
    ComPtr<IABContainer> personal;
    if (!container) {
        OpenPersonalAddressBook(personal);
        container = personal.Get();
        if (!container)
            return;
    }
    SizedSPropTagArray<1> tags = {1, {PR_DEF_CREATE_MAILUSER}};
    ULONG count = 0;
    LPSPropValue values = nullptr;
    const HRESULT code = container->GetProps(tags.get(), MAPI_UNICODE, &count, &values);
    BufferOwner valuesBuffer(*this, values);
    if (FAILED(code))
        return;
    // A warning result can carry an error value in place of the template identifier.
    if (values && count > 0 && values[0].ulPropTag == PR_DEF_CREATE_MAILUSER) {
        const SBinary& templateId = values[0].Value.bin;
        if (FAILED(container->CreateEntry(templateId.cb, reinterpret_cast<LPENTRYID>(templateId.lpb), createFlags,
                                          entry.ReleaseAndGetAddressOf())))
            entry.Reset();
    }
    valuesBuffer.Free();
}

void WinAddressBook::ListEntries(EntryIdList& ids, IABContainer* container, ULONG objectType)
{
    if (!container)
        return;
    ComPtr<IMAPITable> table;
    if (!PrepareContentsTable(container, table))
        return;
    ForEachRow(table.Get(), [&](RowSetOwner&, const SRow& row) {
        const SPropValue* id = RowHasType(row, objectType) ? FindValue(row, PR_ENTRYID) : nullptr;
        if (id)
            ids.Emplace(id->Value.bin.cb, id->Value.bin.lpb);
        return false;
    });
}

void WinAddressBook::DeleteEntries(IABContainer* container, EntryIdList& ids)
{
    if (!container)
        return;
    const size_t count = ids.Count();
    if (count == 0)
        return;
    ZeroFilledBlock block(static_cast<long long>(count * sizeof(SBinary)));
    auto* array = reinterpret_cast<SBinary*>(block.data());
    for (size_t i = 0; i < count; ++i) {
        array[i].cb = ids[i].Size();
        array[i].lpb = ids[i].Bytes();
    }
    ENTRYLIST list = {static_cast<ULONG>(count), array};
    container->DeleteEntries(&list, 0); // a failure leaves the old entries; the new ones are written all the same
}

HRESULT InitFolderEntry(IMAPIProp* entry, const std::string& folderName)
{
    SBinary noMembers = {0, nullptr};
    SPropValue props[4] = {};
    props[0].ulPropTag = PR_DISPLAY_NAME;
    props[0].Value.lpszA = Text(folderName);
    props[1].ulPropTag = PR_OBJECT_TYPE;
    props[1].Value.ul = MAPI_ABCONT;
    props[2].ulPropTag = PR_WAB_FOLDER_ENTRIES;
    props[2].Value.MVbin.cValues = 1;
    props[2].Value.MVbin.lpbin = &noMembers;
    props[3].ulPropTag = PR_WAB_FOLDER_SHARED;
    props[3].Value.ul = 0;
    HRESULT code = entry->SetProps(4, props, nullptr);
    if (FAILED(code))
        return code;
    code = entry->SaveChanges(kSaveFlags);
    // A folder of that name exists already: the lookup that follows finds it.
    return code == MAPI_E_COLLISION ? S_OK : code;
}

HRESULT WriteMailUser(IMAPIProp* entry, const ContactInfo& record)
{
    constexpr ULONG kCount = 1 + kMailUserFieldCount;
    // The address book takes terminated strings; the record's fields are views.
    std::string texts[kMailUserFieldCount];
    SPropValue props[kCount] = {};
    props[0].ulPropTag = PR_OBJECT_TYPE;
    props[0].Value.ul = MAPI_MAILUSER;
    for (ULONG i = 0; i < kMailUserFieldCount; ++i) {
        props[i + 1].ulPropTag = kMailUserFields[i].tag;
        texts[i] = record.Field(kMailUserFields[i].field);
        props[i + 1].Value.lpszA = Text(texts[i]);
    }
    const HRESULT code = entry->SetProps(kCount, props, nullptr);
    if (FAILED(code))
        return code;
    return entry->SaveChanges(kSaveFlags);
}

ContactValues WrittenValues(const ContactInfo& record)
{
    ContactValues values;
    for (const auto& field : ContactInfo::kFields)
        values[static_cast<size_t>(field.field)] = StoredText(record.Field(field.field));
    return values;
}

ContactInfo AnsiRecord(const ContactInfo& record)
{
    ContactInfo ansi = record;
    for (const auto& entry : ContactInfo::kFields)
        if (!IsAscii(record.Field(entry.field))) // the same bytes in both
            ansi.SetField(entry.field, Utf8ToAnsi(record.Field(entry.field)));
    return ansi;
}

ContactValues RoundTripValues(const ContactInfo& record)
{
    ContactValues values = WrittenValues(AnsiRecord(record));
    for (std::string& value : values)
        value = AnsiToUtf8(value);
    return values;
}

std::string OutlookExpressFile(const std::string& fileName)
{
    UniqueRegKey key;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kProgramFilesKey, 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return {};
    std::string folder;
    DWORD size = 0;
    DWORD type = 0;
    if (::RegQueryValueExA(key.get(), "ProgramFilesDir", nullptr, &type, nullptr, &size) == ERROR_SUCCESS && size > 0) {
        std::string buffer(size, '\0');
        if (::RegQueryValueExA(key.get(), "ProgramFilesDir", nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                               &size) == ERROR_SUCCESS)
            folder.assign(buffer.c_str());
    }
    std::string cleaned;
    for (char c : folder)
        if (c != '"')
            cleaned += c;
    if (cleaned.empty() || cleaned.back() != '\\')
        cleaned += '\\';
    return cleaned + "Outlook Express\\" + fileName;
}

bool OutlookExpressPresent(IRunServices& services, IWabPlatform& platform)
{
    bool present = platform.Load();
    if (present) {
        OSVERSIONINFOA info = {};
        info.dwOSVersionInfoSize = sizeof(info);
        present = platform.QueryVersion(info) && info.dwMajorVersion < 6;
    }
    if (!present)
        services.ShowNotice(NoticeKind::Error, kNotFound);
    return present;
}

namespace {

// Hands `use` the record of a row in the code page the address book holds.
template <typename Use>
auto InAnsi(const ContactList& list, size_t row, Use&& use)
{
    return use(AnsiRecord(list[row]));
}

// One folder of the address book as the run sees it: its mail users are read with their
// values in a few bulk queries, so no record is kept.
class AddressBookFolder final : public IContactFolder {
public:
    // The address book's texts are ANSI: the folder name, like every value, is converted
    // here, at its edge, and what it holds is read back in UTF-8.
    // `readOnly` (a preview) finds the folder without creating it.
    AddressBookFolder(WinAddressBook& book, const ContactList& list, const std::string& folderName, bool readOnly)
        : book_(book), list_(list), folderName_(Utf8ToAnsi(folderName)), readOnly_(readOnly)
    {
        rows_.reserve(list.Count());
        for (const ContactInfo& record : list)
            rows_.push_back(RoundTripValues(record));
    }

    // The rows as the address book holds them, in UTF-8: each text up to its first NUL,
    // through the ANSI code page and back.
    const std::vector<ContactValues>& RowValues() const { return rows_; }

    FolderOpening Open(std::vector<FolderEntry>& entries) override
    {
        if (!book_.OpenAddressBook(""))
            return FolderOpening::Failed;
        if (readOnly_)
            book_.FindFolder(folderName_, folder_);
        else
            book_.FindOrCreateFolder(folderName_, folder_);
        if (!folder_)
            return FolderOpening::Missing;
        std::vector<MailUserItem> users;
        // Nothing can be matched against a folder that cannot be read: it is replaced.
        if (!book_.ReadMailUsers(folder_.Get(), users))
            return FolderOpening::Unlisted;
        entries.reserve(users.size());
        ids_.reserve(users.size());
        for (MailUserItem& user : users) {
            for (std::string& value : user.values)
                value = AnsiToUtf8(value);
            entries.push_back({{}, std::move(user.values)});
            ids_.push_back(std::move(user.id));
        }
        return FolderOpening::Listed;
    }

    // The bulk read can fail on its wide columns or its large batches where the narrow
    // listing, one row at a time, still works: the mail users it lists are counted, and
    // exactly those go.
    size_t CountContactItems() override { return ReplacedMailUsers().Count(); }

    void RemoveAll() override { book_.DeleteEntries(folder_.Get(), ReplacedMailUsers()); }

    // The listing gives every value.
    ItemContent ReadItem(size_t, ContactValues&) override { return ItemContent::Unknown; }

    void Prepare(const FolderChanges&) override {}

    bool Update(size_t item, size_t row, const ContactValues*) override
    {
        return SUCCEEDED(InAnsi(list_, row, [&](const ContactInfo& record) { return book_.UpdateMailUser(ids_[item], record); }));
    }

    bool Add(size_t row, std::string&) override
    {
        ComPtr<IMAPIProp> entry;
        if (FAILED(folder_->CreateEntry(0, nullptr, kMailUserCreateFlags, &entry)) || !entry)
            return false;
        return SUCCEEDED(InAnsi(list_, row, [&](const ContactInfo& record) { return WriteMailUser(entry.Get(), record); }));
    }

    bool Remove(const std::vector<size_t>& stale) override
    {
        std::vector<SBinary> ids;
        ids.reserve(stale.size());
        for (size_t item : stale)
            ids.push_back({static_cast<ULONG>(ids_[item].size()), ids_[item].data()});
        ENTRYLIST list = {static_cast<ULONG>(ids.size()), ids.data()};
        const HRESULT removed = folder_->DeleteEntries(&list, 0);
        return SUCCEEDED(removed) && removed != MAPI_W_PARTIAL_COMPLETION;
    }

    bool Commit(bool) override
    {
        folder_.Reset();
        return true;
    }

    std::optional<std::string> RecordIdentity() override { return std::nullopt; }
    std::optional<FolderRecord> LoadRecord(const std::string&) override { return std::nullopt; }
    void SaveRecord(const FolderRecord&) override {}
    std::vector<ListedItem> ListAgain() override { return {}; }

private:
    // The folder's mail users as the replacement finds them, listed once.
    EntryIdList& ReplacedMailUsers()
    {
        if (!replaced_) {
            replaced_.emplace(200);
            book_.ListEntries(*replaced_, folder_.Get(), MAPI_MAILUSER);
        }
        return *replaced_;
    }

    WinAddressBook& book_;
    const ContactList& list_;
    std::string folderName_; // ANSI
    bool readOnly_;
    std::vector<ContactValues> rows_;
    ComPtr<IABContainer> folder_;
    std::vector<std::vector<BYTE>> ids_;
    std::optional<EntryIdList> replaced_;
};

} // namespace

bool SyncOutlookExpress(const ContactList& list, const std::string& folderName, IRunServices& services,
                        IWabPlatform& platform)
{
    if (!OutlookExpressPresent(services, platform))
        return false;
    WinAddressBook book(platform);
    AddressBookFolder folder(book, list, folderName, services.PreviewOnly());
    return SyncContactFolder(folder, folder.RowValues(), folderName, services);
}

static_assert(sizeof(OSVERSIONINFOA) == 148, "OSVERSIONINFOA is 148 bytes");

} // namespace tessaly
