#pragma once
// The Outlook Express destination: a connection to the Windows Address Book and the
// replacement of one of its folders' mail users by the contact list.
#include "contacts/Contact.h"
#include "contacts/ContactList.h"
#include "contacts/ContactMatching.h"
#include "destinations/outlook_express/WabIab.h"

#include <wrl/client.h>

#include <string>
#include <vector>

namespace tessaly {

class IRunServices;

// What the connection asks of the system. WindowsWabPlatform() is the real one; tests
// substitute fakes that hand out in-process address books.
class IWabPlatform {
public:
    // Loads the library (at most once); true when it and its entry point are there.
    virtual bool Load() = 0;
    // GetVersionExA; `info` comes with its size field set.
    virtual bool QueryVersion(OSVERSIONINFOA& info) = 0;
    // True when the library's open function is available.
    virtual bool HasOpenEntry() = 0;
    virtual HRESULT Open(LPADRBOOK* addrBook, LPWABOBJECT* wabObject, LPWAB_PARAM params) = 0;
    // Starts the Address Book program and asks it to close; false when it could not be started.
    virtual bool StartAddressBook() = 0;

protected:
    ~IWabPlatform() = default;
};

IWabPlatform& WindowsWabPlatform();

// A copy of one entry identifier.
class BinaryInfo {
public:
    BinaryInfo(ULONG size, const BYTE* bytes) : stream_(bytes, bytes + size) {}
    ULONG Size() const { return static_cast<ULONG>(stream_.size()); }
    BYTE* Bytes() { return stream_.data(); }

private:
    std::vector<BYTE> stream_;
};
using EntryIdList = OwningList<BinaryInfo>;

// A mail user of a folder as read back: its identifier and the fields the run writes.
struct MailUserItem {
    std::vector<BYTE> id;
    ContactValues values;
};

class WinAddressBook {
public:
    explicit WinAddressBook(IWabPlatform& platform) : platform_(platform) {}
    WinAddressBook(const WinAddressBook&) = delete;
    WinAddressBook& operator=(const WinAddressBook&) = delete;
    ~WinAddressBook() { CloseAddressBook(); }

    [[nodiscard]] bool OpenAddressBook(const std::string& fileName);
    void CloseAddressBook();
    [[nodiscard]] bool ReopenAddressBook();
    bool IsOpen() const { return addrBook_ && wabObject_; }

    // Library buffers: a failed free raises EOleError with the library's code.
    void FreeBuffer(void* buffer);
    void FreeRows(LPSRowSet rows);

    void FindOrCreateFolder(const std::string& folderName, Microsoft::WRL::ComPtr<IABContainer>& folder);
    void FindFolder(const std::string& folderName, Microsoft::WRL::ComPtr<IABContainer>& folder);
    // Opens the entry of the first row's identifier; the row set is freed in every case.
    void OpenRowEntry(LPSRowSet rows, Microsoft::WRL::ComPtr<IABContainer>& entry);
    void OpenPersonalAddressBook(Microsoft::WRL::ComPtr<IABContainer>& container);
    void CreateFromTemplate(IABContainer* container, ULONG createFlags, Microsoft::WRL::ComPtr<IMAPIProp>& entry);
    void ListEntries(EntryIdList& ids, IABContainer* container, ULONG objectType);
    // Deletes the listed entries from the folder in one call.
    void DeleteEntries(IABContainer* container, EntryIdList& ids);
    // Every mail user of the folder with the fields the run writes, read in bulk; false
    // when the folder cannot be read to its end.
    [[nodiscard]] bool ReadMailUsers(IABContainer* container, std::vector<MailUserItem>& users);
    // Opens an existing mail user for writing and writes the record over it.
    [[nodiscard]] HRESULT UpdateMailUser(const std::vector<BYTE>& id, const ContactInfo& record);

private:
    class RowSetOwner;
    class BufferOwner;
    friend class RowSetOwner;
    friend class BufferOwner;
    // Walks a contents table one row at a time until `visit` answers true or the rows end;
    // each row set is freed unless `visit` took it.
    template <typename Visit>
    void ForEachRow(IMAPITable* table, Visit&& visit);
    // For clean-up while an error is already on its way: failures are not reported twice.
    void FreeQuietly(void* buffer) noexcept;
    void FreeRowsQuietly(LPSRowSet rows) noexcept;

    IWabPlatform& platform_;
    Microsoft::WRL::ComPtr<IAddrBook> addrBook_;
    Microsoft::WRL::ComPtr<IWABObject> wabObject_;
};

// The columns read from every contents table, in this order.
enum ContentsColumn { colDisplayName = 0, colEntryId = 1, colObjectType = 2 };
SizedSPropTagArray<3> ContentsColumns();

// Folders are created with the duplicate check, so a folder of that name is found
// rather than doubled. Contacts are not: the address book would let a new contact
// replace any other of the same display name, and two people may share a name.
constexpr ULONG kCreateFlags = CREATE_CHECK_DUP_LOOSE | CREATE_REPLACE;
constexpr ULONG kMailUserCreateFlags = 0;
constexpr ULONG kSaveFlags = KEEP_OPEN_READWRITE;

[[nodiscard]] HRESULT InitFolderEntry(IMAPIProp* entry, const std::string& folderName);
[[nodiscard]] HRESULT WriteMailUser(IMAPIProp* entry, const ContactInfo& record);
// The fields as WriteMailUser leaves them in the address book, in record order.
ContactValues WrittenValues(const ContactInfo& record);

// The record (UTF-8) with its texts in the ANSI code page, which the address book's 8-bit
// properties hold: characters that code page lacks become what Windows substitutes.
ContactInfo AnsiRecord(const ContactInfo& record);

// The fields of a record (UTF-8) as the address book holds them once written, back in
// UTF-8: what a run compares with what it reads there. A character the code page lacks
// compares as the substitute it became, so an unchanged list writes nothing.
ContactValues RoundTripValues(const ContactInfo& record);

// Full path of a file in the Outlook Express program folder, or empty.
std::string OutlookExpressFile(const std::string& fileName);

// Loads the library and checks for a system before version 6; shows the error itself.
bool OutlookExpressPresent(IRunServices& services, IWabPlatform& platform);

// Makes the folder's mail users one per record: entries that hold a record stay as they
// are, changed ones are written over in place, missing ones are created, and the rest are
// deleted last. True only when every record is there and every other mail user is gone
// (a part of the records gives a warning naming both counts).
bool SyncOutlookExpress(const ContactList& list, const std::string& folderName, IRunServices& services,
                        IWabPlatform& platform = WindowsWabPlatform());

} // namespace tessaly
