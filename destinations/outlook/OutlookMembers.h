#pragma once
// Outlook's automation identifiers, constants and member names. Every object-model call
// is made through IDispatch by these names, so nothing here depends on the vtable layout
// of a particular Outlook version; only the two interface queries use the identifiers.
#include <windows.h>

namespace tessaly::outlook {

// The application object's class ("Outlook.Application").
inline constexpr CLSID CLSID_Application = {0x0006F03A, 0x0000, 0x0000,
                                            {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID__Application = {0x00063001, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID__ContactItem = {0x00063021, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// In-process or local server.
inline constexpr DWORD kApplicationContext = CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER;

// OlDefaultFolders
inline constexpr int olFolderContacts = 10;
// OlItemType
inline constexpr int olContactItem = 2;
inline constexpr int olDistributionListItem = 7;
// OlObjectClass
inline constexpr int olContact = 40;
inline constexpr int olDistributionList = 69;

// Members of _Application, _NameSpace, MAPIFolder, _Folders, _Items and the items.
inline constexpr const wchar_t* kSession = L"Session";
inline constexpr const wchar_t* kVersion = L"Version";
inline constexpr const wchar_t* kLogon = L"Logon";
inline constexpr const wchar_t* kGetDefaultFolder = L"GetDefaultFolder";
inline constexpr const wchar_t* kFolders = L"Folders";
inline constexpr const wchar_t* kItems = L"Items";
inline constexpr const wchar_t* kName = L"Name";
inline constexpr const wchar_t* kApplication = L"Application";
inline constexpr const wchar_t* kShowAsOutlookAB = L"ShowAsOutlookAB";
inline constexpr const wchar_t* kCount = L"Count";
inline constexpr const wchar_t* kItem = L"Item";
inline constexpr const wchar_t* kAdd = L"Add";
inline constexpr const wchar_t* kRemove = L"Remove";
inline constexpr const wchar_t* kSave = L"Save";
inline constexpr const wchar_t* kClass = L"Class";
inline constexpr const wchar_t* kDLName = L"DLName";
inline constexpr const wchar_t* kDelete = L"Delete";
inline constexpr const wchar_t* kEntryID = L"EntryID";
inline constexpr const wchar_t* kMessageClass = L"MessageClass";
inline constexpr const wchar_t* kGetItemFromID = L"GetItemFromID";

inline constexpr const wchar_t* kStoreID = L"StoreID";

// The folder's table (Outlook 2007 on): MAPIFolder.GetTable, Table and Columns members.
// Only the table's default columns are read: adding a column is guarded by Outlook's
// security prompt, which denies or blocks an untrusted caller such as this program.
inline constexpr const wchar_t* kGetTable = L"GetTable";
inline constexpr const wchar_t* kColumns = L"Columns";
inline constexpr const wchar_t* kGetRowCount = L"GetRowCount";
inline constexpr const wchar_t* kGetArray = L"GetArray";
inline constexpr const wchar_t* kEndOfTable = L"EndOfTable";
// The first default columns of every folder's table, in their documented order.
inline constexpr int kEntryIdColumn = 0;
inline constexpr int kSubjectColumn = 1;
inline constexpr int kLastModificationTimeColumn = 3;
inline constexpr int kMessageClassColumn = 4;
inline constexpr int kDefaultColumnsOfEveryFolder = 5;

// The _ContactItem properties that hold the contact record's fields, in record field
// order (ContactInfo::kFields). The web page goes to the free/busy address.
inline constexpr const wchar_t* kContactProperties[18] = {
    L"NickName",
    L"Email1Address",
    L"FullName",
    L"JobTitle",
    L"Initials",
    L"CustomerID",
    L"CompanyName",
    L"Department",
    L"BusinessTelephoneNumber",
    L"MobileTelephoneNumber",
    L"BusinessFaxNumber",
    L"HomeTelephoneNumber",
    L"HomeAddressStreet",
    L"HomeAddressCity",
    L"HomeAddressState",
    L"PagerNumber",
    L"OfficeLocation",
    L"InternetFreeBusyAddress",
};

} // namespace tessaly::outlook
