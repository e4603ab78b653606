// The destination against the Windows Contacts stand-in registered in the prefix, through
// the real system seams: COM creation, the shell's file stream, the file system.
#include "TestFolders.h"
#include "WindowsContactsFakes.h"

#include "destinations/windows_contacts/ContactInterfaces.h"
#include "destinations/windows_contacts/WindowsContactsSync.h"

#include "base/FileHelpers.h"
#include "base/OleError.h"
#include "base/WideText.h"
#include "destinations/wab_library/WabLibrary.h"

#include <msxml2.h>
#include <wrl/client.h>

#include <initializer_list>
#include <map>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

// MinGW's msxml2.h declares the interface without its __uuidof.
__CRT_UUID_DECL(IXMLDOMDocument2, 0x2933bf95, 0x7b36, 0x11d2, 0xb2, 0x0e, 0x00, 0xc0, 0x4f, 0x98, 0x3e, 0x60)

using namespace tessaly;
using namespace fakes;
using Microsoft::WRL::ComPtr;

namespace {

constexpr CLSID kDomDocument30 = {0xf5078f32, 0xc551, 0x11d3, {0x89, 0xb9, 0x00, 0x00, 0xf8, 0x1f, 0xe2, 0x21}};
constexpr char kWabKey[] = "Software\\Microsoft\\WAB";
constexpr char kWabPathKey[] = "Software\\Microsoft\\WAB\\DLLPath";
constexpr char kFolderName[] = "Tessaly End To End";
constexpr char kReferenceName[] = "Tessaly Reference";

class Bstr {
public:
    explicit Bstr(const std::wstring& text) : value_(::SysAllocString(text.c_str())) {}
    Bstr() = default;
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    ~Bstr() { ::SysFreeString(value_); }
    BSTR get() const { return value_; }
    BSTR* put()
    {
        ::SysFreeString(value_);
        value_ = nullptr;
        return &value_;
    }
    std::wstring text() const { return value_ ? std::wstring(value_, ::SysStringLen(value_)) : std::wstring(); }

private:
    BSTR value_ = nullptr;
};

// A contact file read back through the system's XML parser, queried by XPath with "c:"
// standing for the contact namespace.
class ContactXml {
public:
    explicit ContactXml(const std::string& path)
    {
        if (FAILED(::CoCreateInstance(kDomDocument30, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&doc_))))
            return;
        doc_->put_async(VARIANT_FALSE);
        doc_->put_preserveWhiteSpace(VARIANT_TRUE); // values keep their own blanks
        SetProperty(L"SelectionLanguage", L"XPath");
        SetProperty(L"SelectionNamespaces", L"xmlns:c='http://schemas.microsoft.com/Contact'");
        Bstr source(AnsiToWide(path));
        VARIANT file;
        ::VariantInit(&file);
        file.vt = VT_BSTR;
        file.bstrVal = source.get();
        VARIANT_BOOL ok = VARIANT_FALSE;
        loaded_ = SUCCEEDED(doc_->load(file, &ok)) && ok == VARIANT_TRUE;
    }

    bool Loaded() const { return loaded_; }

    int Count(const std::wstring& xpath) const
    {
        ComPtr<IXMLDOMNodeList> nodes;
        Bstr query(xpath);
        long length = -1;
        if (FAILED(doc_->selectNodes(query.get(), nodes.GetAddressOf())) || !nodes)
            return -1;
        nodes->get_length(&length);
        return static_cast<int>(length);
    }

    // The text of the first match, or "<none>".
    std::wstring Text(const std::wstring& xpath) const
    {
        ComPtr<IXMLDOMNode> node;
        Bstr query(xpath);
        if (doc_->selectSingleNode(query.get(), node.GetAddressOf()) != S_OK || !node)
            return L"<none>";
        Bstr text;
        node->get_text(text.put());
        return text.text();
    }

private:
    void SetProperty(const wchar_t* name, const wchar_t* value)
    {
        Bstr propertyName(name);
        Bstr text(value);
        VARIANT variant;
        ::VariantInit(&variant);
        variant.vt = VT_BSTR;
        variant.bstrVal = text.get();
        doc_->setProperty(propertyName.get(), variant);
    }

    ComPtr<IXMLDOMDocument2> doc_;
    bool loaded_ = false;
};

std::string EnvironmentValue(const char* name)
{
    char value[MAX_PATH] = {};
    const DWORD length = ::GetEnvironmentVariableA(name, value, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::string(value, length) : std::string();
}

bool KeyExists(const char* path)
{
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(key);
    return true;
}

// A contact as the system's XML parser reads it: the values and labels of every node the
// program writes.
using ContactText = std::vector<std::wstring>;

ContactText ReadContact(const std::string& path)
{
    ContactXml xml(path);
    if (!xml.Loaded())
        return {L"<unreadable>"};
    ContactText text;
    const auto add = [&](const std::wstring& node, std::initializer_list<const wchar_t*> values) {
        text.push_back(xml.Text(L"/c:contact/" + node + L"/c:LabelCollection"));
        for (const wchar_t* value : values)
            text.push_back(xml.Text(L"/c:contact/" + node + L"/" + value));
    };
    add(L"c:NameCollection/c:Name[1]", {L"c:NickName", L"c:FormattedName"});
    add(L"c:PersonCollection/c:Person[1]", {L"c:PersonID"});
    add(L"c:PositionCollection/c:Position[1]", {L"c:Company", L"c:Department", L"c:JobTitle", L"c:Office"});
    add(L"c:EmailAddressCollection/c:EmailAddress[1]", {L"c:Address"});
    add(L"c:UrlCollection/c:Url[1]", {L"c:Value"});
    add(L"c:PhysicalAddressCollection/c:PhysicalAddress[1]", {L"c:Locality", L"c:Street", L"c:Region"});
    for (int i = 1; i <= 5; ++i)
        add(L"c:PhoneNumberCollection/c:PhoneNumber[" + std::to_wstring(i) + L"]", {L"c:Number"});
    return text;
}

// Every contact file of the folder, as a multiset: what a user sees, whatever the names.
std::multiset<ContactText> ContactsIn(const std::string& folder)
{
    std::multiset<ContactText> contents;
    for (const std::string& entry : FolderEntries(folder))
        if (entry.ends_with(".contact"))
            contents.insert(ReadContact(folder + "\\" + entry));
    return contents;
}

using FileTimes = std::map<std::string, ULONGLONG>;

FileTimes TimesIn(const std::string& folder)
{
    FileTimes times;
    for (const std::string& entry : FolderEntries(folder)) {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        ::GetFileAttributesExA((folder + "\\" + entry).c_str(), GetFileExInfoStandard, &data);
        times[entry] = (ULONGLONG{data.ftLastWriteTime.dwHighDateTime} << 32) | data.ftLastWriteTime.dwLowDateTime;
    }
    return times;
}

// Each file's modification time, after setting it years back so that any rewrite shows.
FileTimes AgeFiles(const std::string& folder)
{
    FILETIME past{};
    const SYSTEMTIME then{2020, 1, 3, 1, 12, 0, 0, 0};
    ::SystemTimeToFileTime(&then, &past);
    for (const std::string& entry : FolderEntries(folder)) {
        HANDLE file = ::CreateFileA((folder + "\\" + entry).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
        ::SetFileTime(file, nullptr, nullptr, &past);
        ::CloseHandle(file);
    }
    return TimesIn(folder);
}

// The one entry of the folder named by an identifier.
std::string IdentifierEntry(const std::string& folder)
{
    for (const std::string& entry : FolderEntries(folder))
        if (entry.front() == '{')
            return entry;
    return {};
}

class WindowsContactsEndToEndTest : public ::testing::Test {
protected:
    // Windows Mail counts as installed when the address book library loads. Where no
    // address book library is registered, a test library stands in while the tests run.
    static void SetUpTestSuite()
    {
        if (LoadWabLibrary())
            return;
        createdWabKey_ = !KeyExists(kWabKey);
        createdPathKey_ = !KeyExists(kWabPathKey);
        HKEY key = nullptr;
        ASSERT_EQ(::RegCreateKeyExA(HKEY_LOCAL_MACHINE, kWabPathKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        const std::string library = ExecutableFolder() + "windows_contacts_test_wab.dll";
        ::RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(library.c_str()),
                         static_cast<DWORD>(library.size() + 1));
        ::RegCloseKey(key);
        ASSERT_TRUE(LoadWabLibrary());
    }

    static void TearDownTestSuite()
    {
        if (createdPathKey_)
            ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, kWabPathKey);
        if (createdWabKey_)
            ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, kWabKey);
    }

    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        contacts = EnvironmentValue("USERPROFILE") + "\\Contacts";
        folder = contacts + "\\" + kFolderName;
        reference = contacts + "\\" + kReferenceName;
        RemoveTree(folder);
        RemoveTree(reference);
    }

    void TearDown() override
    {
        ::SetEnvironmentVariableA("TESSALY_CONTACTS_FAULT", nullptr);
        ::SetEnvironmentVariableA("TESSALY_CONTACTS_FAULT_TEXT", nullptr);
        RemoveTree(folder);
        RemoveTree(reference);
        ::CoUninitialize();
    }

    bool Run() { return SyncWindowsContacts(list, kFolderName, services); }

    std::string contacts;
    std::string folder;
    std::string reference;
    CallLog log;
    tessaly::test::RecordingRunServices services{log.Sink()};
    ContactList list{500};

    static inline bool createdWabKey_ = false;
    static inline bool createdPathKey_ = false;
};

TEST_F(WindowsContactsEndToEndTest, EachRecordBecomesOneContactFileBesideTheOwnContact)
{
    ASSERT_TRUE(::CreateDirectoryA(contacts.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS);
    ASSERT_TRUE(::CreateDirectoryA(folder.c_str(), nullptr));
    WriteFile(folder + "\\old.contact", "old", true);
    WriteFile(folder + "\\keep.txt");
    ::CreateDirectoryA((folder + "\\sub").c_str(), nullptr);
    WriteFile(folder + "\\sub\\inner.contact");

    ContactInfo& ann = AddRecord(list, "Ann Lee");
    ann.SetField(ContactField::NickName, "  Annie ");
    ann.SetField(ContactField::Company, "Lee & Sons <Ltd> \"Q\" \xc3\xa9");
    ann.SetField(ContactField::Pager, " ");
    AddRecord(list, "AnnLee");
    AddRecord(list, "O'Brien: Pat");
    AddRecord(list, "");
    ASSERT_TRUE(Run());
    EXPECT_EQ(log.calls.back(), std::string("SetStatus ") + kFolderName + " created - 4 item(s)");

    // The stand-in keeps the own contact in the Contacts folder; ours sits beside it.
    std::set<std::string> entries = FolderEntries(folder);
    std::string identifierFile;
    for (const std::string& entry : entries)
        if (entry.front() == '{')
            identifierFile = entry;
    entries.erase(identifierFile);
    EXPECT_EQ(entries, (std::set<std::string>{"AnnLee.contact", "AnnLee (2).contact", "O'Brien_Pat.contact",
                                              "keep.txt", "sub\\"}));
    EXPECT_EQ(identifierFile.size(), 38u + 8u) << identifierFile;
    EXPECT_EQ(FolderEntries(folder + "\\sub"), (std::set<std::string>{"inner.contact"}));

    ContactXml first(folder + "\\AnnLee.contact");
    ASSERT_TRUE(first.Loaded());
    EXPECT_EQ(first.Count(L"/c:contact[@c:Version='1']"), 1);
    EXPECT_EQ(first.Text(L"/c:contact/c:NameCollection/c:Name/c:FormattedName"), L"Ann Lee");
    EXPECT_EQ(first.Text(L"/c:contact/c:NameCollection/c:Name/c:NickName"), L"  Annie ");
    EXPECT_EQ(first.Text(L"//c:PositionCollection/c:Position/c:Company"), Utf8ToWide(ann.Company()));
    EXPECT_EQ(first.Text(L"//c:PositionCollection/c:Position/c:LabelCollection/c:Label"), L"Business");
    EXPECT_EQ(first.Text(L"//c:PersonCollection/c:Person/c:PersonID"), L"CustomerID of Ann Lee");
    EXPECT_EQ(first.Text(L"//c:EmailAddressCollection/c:EmailAddress/c:Address"), L"Email of Ann Lee");
    EXPECT_EQ(first.Text(L"//c:UrlCollection/c:Url/c:Value"), L"WebPage of Ann Lee");
    EXPECT_EQ(first.Text(L"//c:PhysicalAddress[c:LabelCollection/c:Label='Personal']/c:Street"),
              L"HomeStreet of Ann Lee");
    // Every node carries its element identifier; the blank pager number is left out but
    // its labelled node is there, last in the business-voice-first order.
    EXPECT_EQ(first.Count(L"/c:contact/*/*[not(@c:ElementID)]"), 0);
    EXPECT_EQ(first.Count(L"//c:PhoneNumberCollection/c:PhoneNumber"), 5);
    EXPECT_EQ(first.Text(L"//c:PhoneNumber[1]/c:Number"), L"BusinessPhone of Ann Lee");
    EXPECT_EQ(first.Text(L"//c:PhoneNumber[2]/c:Number"), L"HomePhone of Ann Lee");
    EXPECT_EQ(first.Text(L"//c:PhoneNumber[3]/c:Number"), L"MobilePhone of Ann Lee");
    EXPECT_EQ(first.Text(L"//c:PhoneNumber[3]/c:LabelCollection/c:Label[2]"), L"Cellular");
    EXPECT_EQ(first.Text(L"//c:PhoneNumber[4]/c:Number"), L"BusinessFax of Ann Lee");
    EXPECT_EQ(first.Count(L"//c:PhoneNumber[5]/c:Number"), 0);
    EXPECT_EQ(first.Text(L"//c:PhoneNumber[5]/c:LabelCollection/c:Label[2]"), L"Pager");

    ContactXml second(folder + "\\AnnLee (2).contact");
    ASSERT_TRUE(second.Loaded());
    EXPECT_EQ(second.Text(L"//c:Name/c:FormattedName"), L"AnnLee");
    ContactXml unnamed(folder + "\\" + identifierFile);
    ASSERT_TRUE(unnamed.Loaded());
    EXPECT_EQ(unnamed.Count(L"//c:Name/c:FormattedName"), 0);
    EXPECT_EQ(unnamed.Text(L"//c:Name/c:NickName"), L"NickName of ");
}

TEST_F(WindowsContactsEndToEndTest, AComponentFailureReachesTheCallerWithItsDescription)
{
    AddRecord(list, "Ann Lee");
    ::SetEnvironmentVariableA("TESSALY_CONTACTS_FAULT", "SetString:3");
    ::SetEnvironmentVariableA("TESSALY_CONTACTS_FAULT_TEXT", "The contact store is full.");
    try {
        (void)Run();
        FAIL() << "the failure was swallowed";
    } catch (const EOleError& error) {
        EXPECT_STREQ(error.what(), "The contact store is full.");
    }
    EXPECT_THAT(FolderEntries(folder), ::testing::IsEmpty());
}

TEST_F(WindowsContactsEndToEndTest, AContactThatCannotBeSavedFailsTheRunAndReplacesNothing)
{
    ASSERT_TRUE(::CreateDirectoryA(contacts.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS);
    ASSERT_TRUE(::CreateDirectoryA(folder.c_str(), nullptr));
    WriteFile(folder + "\\old.contact", "old");
    AddRecord(list, "Ann Lee");
    AddRecord(list, "Bob Ray");
    ::SetEnvironmentVariableA("TESSALY_CONTACTS_FAULT", "Save:2");
    ASSERT_FALSE(Run());
    EXPECT_EQ(log.calls.back(),
              "ShowNotice 0 Only 1 of 2 contacts could be saved.\r\nThe contact folder was left as it was.");
    EXPECT_EQ(FolderEntries(folder), (std::set<std::string>{"old.contact"}));
}

TEST_F(WindowsContactsEndToEndTest, AnUnchangedReRunLeavesEveryFileAsItWas)
{
    AddRecord(list, "Ann Lee");
    AddRecord(list, "Dup Row");
    AddRecord(list, "Dup Row");
    AddRecord(list, ""); // named by an identifier
    ASSERT_TRUE(Run());
    const FileTimes before = AgeFiles(folder);
    ASSERT_EQ(before.size(), 4u);

    ASSERT_TRUE(Run());
    EXPECT_EQ(log.calls.back(), std::string("SetStatus ") + kFolderName + " created - 4 item(s)");
    EXPECT_EQ(TimesIn(folder), before);
}

TEST_F(WindowsContactsEndToEndTest, AMixedChangeEndsAsAFullReplacementWouldLeaveIt)
{
    AddRecord(list, "Ann Lee");
    AddRecord(list, "Bob Ray");
    AddRecord(list, "Cy Twain");
    for (int i = 0; i < 3; ++i)
        AddRecord(list, "Dup Row");
    AddRecord(list, "");
    ASSERT_TRUE(Run());
    const std::string unnamed = IdentifierEntry(folder);
    ASSERT_FALSE(unnamed.empty());
    // By hand: one contact edited, one added.
    std::string bob = ReadTextFile(folder + "\\BobRay.contact");
    bob.replace(bob.find("Company of Bob Ray"), 18, "Edited by hand");
    WriteFile(folder + "\\BobRay.contact", bob);
    std::string stranger = ReadTextFile(folder + "\\AnnLee.contact");
    for (size_t at; (at = stranger.find("Ann Lee")) != std::string::npos;)
        stranger.replace(at, 7, "Stranger");
    WriteFile(folder + "\\Stranger.contact", stranger);
    const FileTimes before = AgeFiles(folder);

    ContactList changed{500};
    AddRecord(changed, "Ann Lee").SetField(ContactField::Company, "New Company"); // same address
    AddRecord(changed, "Bob Ray");
    AddRecord(changed, "Di Vo");
    AddRecord(changed, "Dup Row");
    AddRecord(changed, "Dup Row");
    AddRecord(changed, "");
    ASSERT_TRUE(SyncWindowsContacts(changed, kFolderName, services));
    EXPECT_EQ(log.calls.back(), std::string("SetStatus ") + kFolderName + " created - 6 item(s)");
    ASSERT_TRUE(SyncWindowsContacts(changed, kReferenceName, services));
    EXPECT_EQ(ContactsIn(folder), ContactsIn(reference));
    EXPECT_EQ(ContactsIn(folder).size(), 6u);

    // Updated in place under their own names; unchanged ones, the unnamed one too, untouched.
    // Which of the three equal files goes is not fixed; two stay as they were.
    int duplicates = 0;
    for (const auto& [entry, time] : TimesIn(folder)) {
        if (entry.starts_with("DupRow")) {
            ++duplicates;
            EXPECT_EQ(time, before.at(entry)) << entry;
        } else if (entry == unnamed) {
            EXPECT_EQ(time, before.at(entry));
        } else {
            EXPECT_THAT(entry, ::testing::AnyOf("AnnLee.contact", "BobRay.contact", "DiVo.contact"));
            EXPECT_NE(time, before.count(entry) ? before.at(entry) : 0) << entry;
        }
    }
    EXPECT_EQ(duplicates, 2);
}

// IContactProperties::GetLabels promises no order, so the stand-in gives a node's labels
// back in another than they were set in: a caller that relied on it fails against it.
TEST_F(WindowsContactsEndToEndTest, TheStandInGivesLabelsBackInAnotherOrderThanTheySetIn)
{
    ComPtr<IContactProperties> properties;
    ASSERT_HRESULT_SUCCEEDED(::CoCreateInstance(CLSID_Contact, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                                IID_PPV_ARGS(&properties)));
    ComPtr<IPersistStreamInit> persist;
    ASSERT_HRESULT_SUCCEEDED(properties.As(&persist));
    ASSERT_HRESULT_SUCCEEDED(persist->InitNew());
    wchar_t node[256] = {};
    DWORD required = 0;
    ASSERT_HRESULT_SUCCEEDED(properties->CreateArrayNode(L"PhoneNumberCollection", CGD_DEFAULT, TRUE, node,
                                                         256, &required));
    LPCWSTR set[] = {L"Voice", L"Business", L"Preferred"};
    ASSERT_HRESULT_SUCCEEDED(properties->SetLabels(node, CGD_DEFAULT, 3, set));

    wchar_t labels[256] = {};
    ASSERT_HRESULT_SUCCEEDED(properties->GetLabels(node, CGD_DEFAULT, labels, 256, &required));
    std::vector<std::wstring> got;
    for (const wchar_t* label = labels; *label != L'\0'; label += std::wcslen(label) + 1)
        got.emplace_back(label);
    EXPECT_THAT(got, testing::UnorderedElementsAre(L"Voice", L"Business", L"Preferred"));
    EXPECT_NE(got, (std::vector<std::wstring>{L"Voice", L"Business", L"Preferred"}));
}

} // namespace
