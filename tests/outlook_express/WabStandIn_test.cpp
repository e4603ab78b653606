// The destination against the stand-in library installed in the prefix: found through
// the registry, writing into a store that the inspector reads back from another process.
#include "ProcessOutput.h"
#include "support/RecordingRunServices.h"
#include "base/FileHelpers.h"
#include "base/OleError.h"
#include "base/WinHandles.h"
#include "destinations/outlook_express/AddressBookDestination.h"
#include "destinations/outlook_express/AddressBookProgram.h"
#include "destinations/wab_library/WabLibrary.h"
#include "destinations/outlook_express/WabCode.h"
#include "destinations/outlook_express/WabTags.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <tlhelp32.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <sstream>

using tessaly::ContactField;
using tessaly::ContactInfo;
using tessaly::ContactList;
using tessaly::UniqueKernelHandle;
using Microsoft::WRL::ComPtr;

namespace {

constexpr char kLibraryPath[] = "C:\\Program Files\\Common Files\\System\\wab32.dll";

void SetVariable(const char* name, const char* value)
{
    ::SetEnvironmentVariableA(name, value);
}

// Runs a program of the build folder and returns what it wrote to its standard output.
std::string RunCapture(const std::string& arguments, DWORD* exitCode = nullptr)
{
    const tessaly::test::ProcessResult run =
        tessaly::test::RunProcess("\"" + tessaly::ExecutableFolder() + "wabdump.exe\" " + arguments, 30000);
    EXPECT_TRUE(run.finished);
    if (exitCode)
        *exitCode = run.exitCode;
    return run.output;
}

std::string ContactLine(const ContactInfo& record)
{
    std::string line = "contact";
    for (const auto& field : ContactInfo::kFields) {
        line += '\t';
        for (char c : record.Field(field.field)) {
            if (c == '\t' || c == '\n' || c == '\\')
                line += '\\';
            line += c == '\t' ? 't' : c == '\n' ? 'n' : c;
        }
    }
    return line + "\n";
}

ContactInfo Record(const std::string& prefix)
{
    std::vector<std::string> row(33);
    for (const auto& field : ContactInfo::kFields)
        row[static_cast<size_t>(field.column)] = prefix + " " + field.name;
    return ContactInfo(row);
}

// "A" is Record("A"); "A*" is the same person with another company (same address).
ContactInfo RecordFor(const std::string& shorthand)
{
    const bool edited = !shorthand.empty() && shorthand.back() == '*';
    ContactInfo record = Record(edited ? shorthand.substr(0, shorthand.size() - 1) : shorthand);
    if (edited)
        record.SetField(ContactField::Company, "New Company");
    return record;
}

// The lines of one folder's section in the inspector's output.
std::string Section(const std::string& dump, const std::string& folder)
{
    const std::string header = "folder\t" + folder + "\n";
    const size_t start = dump.find(header);
    if (start == std::string::npos)
        return "(no folder " + folder + ")";
    const size_t end = dump.find("folder\t", start + header.size());
    return dump.substr(start + header.size(), end == std::string::npos ? std::string::npos : end - start - header.size());
}

// The lines of a text, sorted: an address book's order is not part of its contents.
std::vector<std::string> SortedLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    std::sort(lines.begin(), lines.end());
    return lines;
}

// The identifier (hex, from `wabdump --ids`) of the first line that holds `text`.
std::string IdOfLine(const std::string& dump, const std::string& text)
{
    const size_t at = dump.find(text);
    if (at == std::string::npos)
        return {};
    const size_t start = dump.rfind('\n', at);
    const size_t begin = start == std::string::npos ? 0 : start + 1;
    return dump.substr(begin, dump.find('\t', begin) - begin);
}

std::vector<BYTE> IdBytes(const std::string& hexId)
{
    std::vector<BYTE> id;
    for (size_t i = 0; i + 1 < hexId.size(); i += 2)
        id.push_back(static_cast<BYTE>(std::stoul(hexId.substr(i, 2), nullptr, 16)));
    return id;
}

// What a user does in the Address Book program, done through the library itself.
class AddressBookSession {
public:
    AddressBookSession()
    {
        std::string name;
        WAB_PARAM params = {};
        params.cbSize = sizeof(WAB_PARAM);
        params.szFileName = name.data();
        opened_ = tessaly::WabOpenEntry() &&
                  SUCCEEDED(tessaly::WabOpenEntry()(reinterpret_cast<void**>(book_.GetAddressOf()),
                                                    reinterpret_cast<void**>(wab_.GetAddressOf()), &params, 0));
    }
    bool Opened() const { return opened_; }

    // Opens the entry of a hex identifier with the given flags.
    template <typename Interface>
    HRESULT Open(const std::string& hexId, ULONG flags, ComPtr<Interface>& object)
    {
        std::vector<BYTE> id = IdBytes(hexId);
        ULONG type = 0;
        return book_->OpenEntry(static_cast<ULONG>(id.size()), reinterpret_cast<LPENTRYID>(id.data()), nullptr, flags,
                                &type, reinterpret_cast<LPUNKNOWN*>(object.ReleaseAndGetAddressOf()));
    }

    static HRESULT SetText(IMAPIProp* entry, ULONG tag, const std::string& text)
    {
        SPropValue value = {};
        value.ulPropTag = tag;
        value.Value.lpszA = const_cast<LPSTR>(text.c_str());
        return entry->SetProps(1, &value, nullptr);
    }

    // Creates a mail user in the folder with the given flags and saves it.
    HRESULT AddMailUser(const std::string& folderId, ULONG createFlags, const std::string& name,
                        const std::string& address)
    {
        ComPtr<IABContainer> folder;
        HRESULT code = Open(folderId, 0, folder);
        ComPtr<IMAPIProp> entry;
        if (SUCCEEDED(code))
            code = folder->CreateEntry(0, nullptr, createFlags, &entry);
        if (SUCCEEDED(code))
            code = SetText(entry.Get(), PR_DISPLAY_NAME, name);
        if (SUCCEEDED(code))
            code = SetText(entry.Get(), PR_EMAIL_ADDRESS, address);
        return SUCCEEDED(code) ? entry->SaveChanges(KEEP_OPEN_READWRITE) : code;
    }

private:
    ComPtr<IAddrBook> book_;
    ComPtr<IWABObject> wab_;
    bool opened_ = false;
};

class WabStandInTest : public testing::Test {
protected:
    void SetUp() override
    {
        char folder[MAX_PATH] = {};
        ::GetTempPathA(MAX_PATH, folder);
        store_ = std::string(folder) + "wab_tests_" + std::to_string(::GetCurrentProcessId()) + "_" +
                 testing::UnitTest::GetInstance()->current_test_info()->name() + ".wablog";
        (void)tessaly::ForceDeleteFile(store_);
        SetVariable("WAB_STANDIN_STORE", store_.c_str());
        ASSERT_TRUE(tessaly::LoadWabLibrary());
    }
    void TearDown() override
    {
        SetVariable("WAB_STANDIN_FAIL_SAVE", nullptr);
        SetVariable("WAB_STANDIN_FAIL_FREEBUFFER", nullptr);
        SetVariable("WAB_STANDIN_KILL_AT_SAVE", nullptr);
        SetVariable("WAB_TEST_CHILD_LIST", nullptr);
        (void)tessaly::ForceDeleteFile(store_);
    }

    bool Sync(const std::string& folder)
    {
        return tessaly::SyncOutlookExpress(list, folder, services);
    }
    void Add(const ContactInfo& record) { list.Add(std::make_unique<ContactInfo>(record)); }
    void Fill(std::initializer_list<const char*> shorthands)
    {
        list.FreeItems();
        for (const char* shorthand : shorthands)
            Add(RecordFor(shorthand));
    }
    // The folder's lines as a full replacement by the list would leave them, sorted.
    std::vector<std::string> Replaced(const std::string& otherLines = {}) const
    {
        std::string lines = otherLines;
        for (const ContactInfo& record : list)
            lines += ContactLine(record);
        return SortedLines(lines);
    }
    DWORD StoreSize() const
    {
        WIN32_FILE_ATTRIBUTE_DATA data = {};
        ::GetFileAttributesExA(store_.c_str(), GetFileExInfoStandard, &data);
        return data.nFileSizeLow;
    }

    std::string store_;
    tessaly::test::RecordingRunServices services;
    ContactList list{500};
};

TEST_F(WabStandInTest, TheLibraryComesFromTheExpandedRegistryPathAndLoadsOnce)
{
    std::string path;
    ASSERT_TRUE(tessaly::WabLibraryPath(path));
    EXPECT_EQ(path, kLibraryPath);
    EXPECT_TRUE(tessaly::LoadWabLibrary());
    EXPECT_TRUE(tessaly::IsWabLibraryLoaded());
    ASSERT_NE(::GetModuleHandleA(kLibraryPath), nullptr);

    // One reference only: a single unload lets the module go.
    EXPECT_TRUE(tessaly::UnloadWabLibrary());
    EXPECT_EQ(::GetModuleHandleA(kLibraryPath), nullptr);
    EXPECT_TRUE(tessaly::UnloadWabLibrary());
    {
        tessaly::WinAddressBook book(tessaly::WindowsWabPlatform());
        EXPECT_FALSE(book.OpenAddressBook("")) << "opening never loads the library itself";
    }
    EXPECT_TRUE(tessaly::OutlookExpressPresent(services, tessaly::WindowsWabPlatform())) << "runs as Windows XP";
    EXPECT_TRUE(services.notices.empty());
}

TEST_F(WabStandInTest, ReplacesTheMailUsersOfAnExistingFolderAndKeepsItsDistributionList)
{
    DWORD code = 1;
    RunCapture("seed \"Global Contacts\" 3 \"Team List\"", &code);
    ASSERT_EQ(code, 0u);
    auto first = Record("First");
    first.SetField(ContactField::Company, "Tab\there, line\nbreak, back\\slash");
    first.SetField(ContactField::Pager, "");
    Add(first);
    Add(Record("Second"));

    EXPECT_TRUE(Sync("global CONTACTS"));
    EXPECT_EQ(services.Status(), "global CONTACTS created - 2 item(s)");
    EXPECT_EQ(Section(RunCapture(""), "Global Contacts"),
              "distlist\tTeam List\n" + ContactLine(first) + ContactLine(Record("Second")));

    list.FreeItems();
    Add(Record("Third"));
    EXPECT_TRUE(Sync("Global Contacts"));
    EXPECT_EQ(Section(RunCapture(""), "Global Contacts"), "distlist\tTeam List\n" + ContactLine(Record("Third")));
}

TEST_F(WabStandInTest, ANewFolderIsCreatedAndFoundAfterTheAddressBookProgramRan)
{
    Add(Record("Only"));
    EXPECT_TRUE(Sync("Fresh Folder"));
    const std::string dump = RunCapture("");
    EXPECT_EQ(Section(dump, "Fresh Folder"), ContactLine(Record("Only")));
    EXPECT_THAT(dump, testing::HasSubstr("folder\tShared Contacts\n"));

    // A second run finds it and creates no second folder.
    EXPECT_TRUE(Sync("FRESH FOLDER"));
    const std::string again = RunCapture("");
    EXPECT_EQ(again.find("folder\tFresh Folder\n"), again.rfind("folder\tFresh Folder\n"));
}

TEST_F(WabStandInTest, AStoreOfMostlyReplacedEntriesIsCompactedWithoutLosingAny)
{
    // Every round a list of other people: 400 new entries and 400 deleted each time.
    auto fill = [this](int round) {
        list.FreeItems();
        for (int i = 0; i < 400; ++i)
            Add(Record(std::to_string(round) + "." + std::to_string(i)));
    };
    auto fileSize = [this] {
        WIN32_FILE_ATTRIBUTE_DATA data = {};
        ::GetFileAttributesExA(store_.c_str(), GetFileExInfoStandard, &data);
        return data.nFileSizeLow;
    };
    for (int round = 0; round < 3; ++round) {
        fill(round);
        ASSERT_TRUE(Sync("Global Contacts"));
    }
    const DWORD before = fileSize();
    fill(3);
    ASSERT_TRUE(Sync("Global Contacts"));
    EXPECT_LT(fileSize(), before);

    std::string expected;
    for (int i = 0; i < 400; ++i)
        expected += ContactLine(Record("3." + std::to_string(i)));
    EXPECT_EQ(Section(RunCapture(""), "Global Contacts"), expected);
}

TEST_F(WabStandInTest, ARecordThatCannotBeSavedIsSkippedAndFailsTheRun)
{
    RunCapture("seed \"Global Contacts\" 1");
    SetVariable("WAB_STANDIN_FAIL_SAVE", "2");
    Add(Record("A"));
    Add(Record("B"));
    Add(Record("C"));
    EXPECT_FALSE(Sync("Global Contacts"));
    EXPECT_EQ(services.Status(), "Global Contacts created - 2 item(s)");
    EXPECT_EQ(Section(RunCapture(""), "Global Contacts"), ContactLine(Record("A")) + ContactLine(Record("C")));
}

TEST_F(WabStandInTest, AFailedBufferFreeEndsTheRunWithTheLibraryCode)
{
    RunCapture("seed \"Global Contacts\" 1");
    SetVariable("WAB_STANDIN_FAIL_FREEBUFFER", "1");
    Add(Record("A"));
    try {
        Sync("Global Contacts");
        FAIL() << "no error raised";
    } catch (const tessaly::EOleError& error) {
        EXPECT_EQ(error.Code(), E_INVALIDARG);
    }
}

TEST_F(WabStandInTest, AnUnchangedReRunWritesNothingAndEveryEntryKeepsItsId)
{
    RunCapture("seed \"Global Contacts\" 0 \"Team List\"");
    auto namesake = Record("C");
    namesake.SetField(ContactField::DisplayName, "A DisplayName"); // another person of the same name
    Add(Record("A"));
    Add(Record("B"));
    Add(Record("B"));
    Add(namesake);
    ASSERT_TRUE(Sync("Global Contacts"));
    const std::string first = RunCapture("--ids");
    const DWORD size = StoreSize();

    EXPECT_TRUE(Sync("Global Contacts"));

    EXPECT_EQ(services.Status(), "Global Contacts created - 4 item(s)");
    EXPECT_EQ(RunCapture("--ids"), first);
    EXPECT_EQ(StoreSize(), size) << "the store took no line: nothing saved, nothing deleted";
    EXPECT_EQ(SortedLines(Section(RunCapture(""), "Global Contacts")), Replaced("distlist\tTeam List\n"));
}

TEST_F(WabStandInTest, AMixedChangeEndsAsAFullReplacementWouldAndUpdatedEntriesKeepTheirIds)
{
    RunCapture("seed \"Global Contacts\" 0 \"Team List\"");
    Fill({"A", "B", "C", "D", "D"});
    ASSERT_TRUE(Sync("Global Contacts"));
    const std::string before = RunCapture("--ids");
    const std::string idA = IdOfLine(before, "\tA DisplayName\t");
    const std::string idB = IdOfLine(before, "\tB DisplayName\t");
    {
        AddressBookSession user;
        ASSERT_TRUE(user.Opened());
        ComPtr<IMAPIProp> entry;
        ASSERT_EQ(user.Open(idB, MAPI_MODIFY, entry), S_OK);
        ASSERT_EQ(AddressBookSession::SetText(entry.Get(), PR_PAGER_TELEPHONE_NUMBER, "edited by hand"), S_OK);
        ASSERT_EQ(entry->SaveChanges(KEEP_OPEN_READWRITE), S_OK);
        ASSERT_EQ(user.AddMailUser(IdOfLine(before, "folder\tGlobal Contacts"), 0, "Added By Hand", "hand@x.invalid"),
                  S_OK);
    }

    Fill({"A*", "B", "D", "D", "D", "E"});
    EXPECT_TRUE(Sync("Global Contacts"));

    EXPECT_EQ(services.Status(), "Global Contacts created - 6 item(s)");
    const std::string after = RunCapture("--ids");
    EXPECT_EQ(IdOfLine(after, "\tA DisplayName\t"), idA);
    EXPECT_EQ(IdOfLine(after, "\tB DisplayName\t"), idB);
    EXPECT_EQ(SortedLines(Section(RunCapture(""), "Global Contacts")), Replaced("distlist\tTeam List\n"));
}

// Run by the next test in a process of its own, which the stand-in may end halfway.
TEST(WabChildRun, DISABLED_SyncTheListOfTheEnvironment)
{
    char shorthands[256] = {};
    ASSERT_GT(::GetEnvironmentVariableA("WAB_TEST_CHILD_LIST", shorthands, sizeof shorthands), 0u);
    ASSERT_TRUE(tessaly::LoadWabLibrary());
    ContactList list(500);
    std::istringstream in(shorthands);
    for (std::string shorthand; std::getline(in, shorthand, ',');)
        list.Add(std::make_unique<ContactInfo>(RecordFor(shorthand)));
    tessaly::test::RecordingRunServices services;
    EXPECT_TRUE(tessaly::SyncOutlookExpress(list, "Global Contacts", services));
}

TEST_F(WabStandInTest, ARunKilledHalfwayLosesNoContactAndTheNextRunConverges)
{
    Fill({"A", "B", "C", "D"});
    ASSERT_TRUE(Sync("Global Contacts"));

    // The update of A and the addition of E are saved; the process ends at the save of F.
    SetVariable("WAB_TEST_CHILD_LIST", "A*,B,E,F,G");
    SetVariable("WAB_STANDIN_KILL_AT_SAVE", "3");
    char self[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string command(1, '"');
    command += self;
    command += "\" --gtest_also_run_disabled_tests --gtest_filter=WabChildRun.DISABLED_SyncTheListOfTheEnvironment";
    const tessaly::test::ProcessResult child = tessaly::test::RunProcess(command, 60000);
    SetVariable("WAB_STANDIN_KILL_AT_SAVE", nullptr);
    ASSERT_TRUE(child.finished);
    EXPECT_EQ(child.exitCode, 3u) << child.output;
    Fill({"A*", "B", "C", "D", "E"});
    EXPECT_EQ(SortedLines(Section(RunCapture(""), "Global Contacts")), Replaced())
        << "every contact there, in its new version or the one before; nothing deleted yet";

    Fill({"A*", "B", "E", "F", "G"});
    EXPECT_TRUE(Sync("Global Contacts"));
    EXPECT_EQ(SortedLines(Section(RunCapture(""), "Global Contacts")), Replaced());
}

TEST_F(WabStandInTest, EntriesFollowTheDocumentedAccessAndDuplicateRules)
{
    Fill({"A", "B"});
    ASSERT_TRUE(Sync("Global Contacts"));
    const std::string dump = RunCapture("--ids");
    const std::string folderId = IdOfLine(dump, "folder\tGlobal Contacts");
    const std::string idA = IdOfLine(dump, "\tA DisplayName\t");
    const std::string idB = IdOfLine(dump, "\tB DisplayName\t");
    AddressBookSession user;
    ASSERT_TRUE(user.Opened());

    // Opened without asking for writing: read-only.
    ComPtr<IMAPIProp> entry;
    ASSERT_EQ(user.Open(idA, 0, entry), S_OK);
    EXPECT_EQ(AddressBookSession::SetText(entry.Get(), PR_COMPANY_NAME, "x"), MAPI_E_NO_ACCESS);
    EXPECT_EQ(entry->SaveChanges(KEEP_OPEN_READWRITE), MAPI_E_NO_ACCESS);

    // Opened for writing: a property deleted is gone from the store, the id stays.
    ASSERT_EQ(user.Open(idA, MAPI_MODIFY, entry), S_OK);
    SizedSPropTagArray<1> company = {1, {PR_COMPANY_NAME}};
    EXPECT_EQ(entry->DeleteProps(company.get(), nullptr), S_OK);
    EXPECT_EQ(entry->SaveChanges(KEEP_OPEN_READWRITE), S_OK);
    auto withoutCompany = Record("A");
    withoutCompany.SetField(ContactField::Company, "");
    EXPECT_EQ(IdOfLine(RunCapture("--ids"), ContactLine(withoutCompany)), idA);

    // A new entry of the same display name: refused without CREATE_REPLACE, taking the
    // other's place (and id) with it.
    EXPECT_EQ(user.AddMailUser(folderId, CREATE_CHECK_DUP_LOOSE, "B DisplayName", "other@x.invalid"),
              MAPI_E_COLLISION);
    EXPECT_EQ(user.AddMailUser(folderId, CREATE_CHECK_DUP_STRICT, "b displayname", "other@x.invalid"), S_OK)
        << "strict: another address is another person";
    EXPECT_EQ(user.AddMailUser(folderId, CREATE_CHECK_DUP_LOOSE | CREATE_REPLACE, "b DISPLAYNAME", "new@x.invalid"),
              S_OK);
    const std::string after = RunCapture("--ids");
    EXPECT_EQ(IdOfLine(after, "\tnew@x.invalid\t"), idB);
    EXPECT_EQ(after.find("\tB Email\t"), std::string::npos);

    // An entry deleted while it was open cannot be saved.
    ASSERT_EQ(user.Open(idA, MAPI_MODIFY, entry), S_OK);
    ComPtr<IABContainer> folder;
    ASSERT_EQ(user.Open(folderId, 0, folder), S_OK);
    std::vector<BYTE> bytes = IdBytes(idA);
    SBinary binary = {static_cast<ULONG>(bytes.size()), bytes.data()};
    ENTRYLIST gone = {1, &binary};
    ASSERT_EQ(folder->DeleteEntries(&gone, 0), S_OK);
    EXPECT_EQ(entry->SaveChanges(KEEP_OPEN_READWRITE), MAPI_E_OBJECT_DELETED);
}

TEST(AddressBookProgramTest, OnlyTheStartedAddressBookProgramIsClosed)
{
    const std::string path = tessaly::OutlookExpressFile("wab.exe");
    EXPECT_EQ(path, "C:\\Program Files\\Outlook Express\\wab.exe");
    EXPECT_FALSE(tessaly::StartAndCloseAddressBook(path + ".missing"));

    // An Address Book window the user had open before stays open.
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    ASSERT_TRUE(::CreateProcessA(path.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info));
    UniqueKernelHandle userProgram(info.hProcess), userThread(info.hThread);
    ::WaitForInputIdle(userProgram.get(), 10000);

    const DWORD started = ::GetTickCount();
    ASSERT_TRUE(tessaly::StartAndCloseAddressBook(path));
    // A machine too busy to show the window within the 2 s wait gets nothing posted, by
    // design; only a wait that ended in time says the window was there to be closed.
    const bool windowWasUp = ::GetTickCount() - started < 2000;
    UniqueKernelHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    // The started one is either gone already or on its way out.
    for (BOOL more = ::Process32First(snapshot.get(), &entry); more; more = ::Process32Next(snapshot.get(), &entry)) {
        if (lstrcmpiA(entry.szExeFile, "wab.exe") != 0 || entry.th32ProcessID == info.dwProcessId)
            continue;
        UniqueKernelHandle process(::OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, entry.th32ProcessID));
        if (!process)
            continue;
        if (windowWasUp)
            EXPECT_EQ(::WaitForSingleObject(process.get(), 30000), WAIT_OBJECT_0) << "the started wab.exe still runs";
        else
            ::TerminateProcess(process.get(), 0);
    }
    EXPECT_EQ(::WaitForSingleObject(userProgram.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
    ::TerminateProcess(userProgram.get(), 0);
}

TEST(AddressBookProgramTest, AProgramWithoutTheBrowseWindowIsLeftRunning)
{
    char system[MAX_PATH] = {};
    ::GetSystemDirectoryA(system, MAX_PATH);
    ASSERT_TRUE(tessaly::StartAndCloseAddressBook(std::string(system) + "\\notepad.exe"));
    UniqueKernelHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    int found = 0;
    for (BOOL more = ::Process32First(snapshot.get(), &entry); more; more = ::Process32Next(snapshot.get(), &entry)) {
        if (lstrcmpiA(entry.szExeFile, "notepad.exe") != 0)
            continue;
        UniqueKernelHandle process(::OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, entry.th32ProcessID));
        ASSERT_TRUE(process);
        EXPECT_EQ(::WaitForSingleObject(process.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
        ::TerminateProcess(process.get(), 0);
        ++found;
    }
    EXPECT_EQ(found, 1);
}

TEST(AddressBookProgramTest, AQuotedProgramFilesFolderIsUnquoted)
{
    tessaly::UniqueRegKey key;
    ASSERT_EQ(::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion", 0, KEY_ALL_ACCESS,
                              key.put()),
              ERROR_SUCCESS);
    char original[MAX_PATH] = {};
    DWORD size = sizeof original;
    ASSERT_EQ(::RegQueryValueExA(key.get(), "ProgramFilesDir", nullptr, nullptr, reinterpret_cast<BYTE*>(original), &size),
              ERROR_SUCCESS);
    const std::string quoted = "\"C:\\Program Files\"";
    ::RegSetValueExA(key.get(), "ProgramFilesDir", 0, REG_SZ, reinterpret_cast<const BYTE*>(quoted.c_str()),
                     static_cast<DWORD>(quoted.size() + 1));
    const std::string path = tessaly::OutlookExpressFile("wab.exe");
    ::RegSetValueExA(key.get(), "ProgramFilesDir", 0, REG_SZ, reinterpret_cast<const BYTE*>(original),
                     static_cast<DWORD>(std::strlen(original) + 1));
    EXPECT_EQ(path, "C:\\Program Files\\Outlook Express\\wab.exe");
}

// Puts a registry value back as it was when the test ends.
class SavedLibraryPath {
public:
    SavedLibraryPath()
    {
        ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\WAB\\DLLPath", 0, KEY_ALL_ACCESS, key_.put());
        DWORD size = sizeof original_;
        ::RegQueryValueExA(key_.get(), nullptr, nullptr, &type_, reinterpret_cast<BYTE*>(original_), &size);
    }
    ~SavedLibraryPath()
    {
        ::RegSetValueExA(key_.get(), nullptr, 0, type_, reinterpret_cast<const BYTE*>(original_),
                         static_cast<DWORD>(std::strlen(original_) + 1));
        tessaly::UnloadWabLibrary();
    }
    void Set(const std::string& value)
    {
        tessaly::UnloadWabLibrary();
        ::RegSetValueExA(key_.get(), nullptr, 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                         static_cast<DWORD>(value.size() + 1));
    }

private:
    tessaly::UniqueRegKey key_;
    DWORD type_ = REG_EXPAND_SZ;
    char original_[MAX_PATH] = {};
};

TEST(WabApiTest, TheLibraryIsAbsentWhenItsPathCannotBeReadOrExpanded)
{
    SavedLibraryPath saved;
    std::string path;

    saved.Set(std::string(kLibraryPath) + std::string(270, ' '));
    EXPECT_TRUE(tessaly::WabLibraryPath(path));
    EXPECT_EQ(path, "") << "a value longer than the buffer is not read";
    EXPECT_FALSE(tessaly::LoadWabLibrary());

    saved.Set("%NO_SUCH_ROOT%\\System\\wab32.dll");
    ::SetEnvironmentVariableA("NO_SUCH_ROOT", nullptr);
    EXPECT_TRUE(tessaly::WabLibraryPath(path));
    EXPECT_EQ(path, "%NO_SUCH_ROOT%\\System\\wab32.dll");
    EXPECT_FALSE(tessaly::LoadWabLibrary());
    EXPECT_FALSE(tessaly::IsWabLibraryLoaded());

    saved.Set(kLibraryPath);
    EXPECT_TRUE(tessaly::LoadWabLibrary()) << "a path without a token is used as read";
}

TEST(WabApiTest, OnlyALeadingVariableIsExpanded)
{
    SetVariable("APPROOT", "D:\\apps\\");
    EXPECT_EQ(tessaly::ExpandPathVariable("%APPROOT%\\lib\\book.dll"), "D:\\apps\\lib\\book.dll");
    EXPECT_EQ(tessaly::ExpandPathVariable("C:\\x\\%APPROOT%\\book.dll"), "C:\\x\\%APPROOT%\\book.dll");
    EXPECT_EQ(tessaly::ExpandPathVariable("%APPROOT%\\%APPROOT%"), "D:\\apps\\%APPROOT%");
    SetVariable("APPROOT", "  ");
    EXPECT_EQ(tessaly::ExpandPathVariable("%APPROOT%\\lib\\book.dll"), "%APPROOT%\\lib\\book.dll");
    SetVariable("APPROOT", nullptr);
    EXPECT_EQ(tessaly::ExpandPathVariable("%APPROOT%\\lib\\book.dll"), "%APPROOT%\\lib\\book.dll");
    EXPECT_EQ(tessaly::ExpandPathVariable("%APPROOT"), "%APPROOT");
}

// Not run by default: a sense of scale for the store (`--gtest_also_run_disabled_tests`).
TEST_F(WabStandInTest, DISABLED_TenThousandContacts)
{
    for (int i = 0; i < 10000; ++i)
        Add(Record(std::to_string(i)));
    for (int round = 0; round < 2; ++round) {
        const auto start = std::chrono::steady_clock::now();
        EXPECT_TRUE(Sync("Global Contacts"));
        const auto ms =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
        std::printf("round %d: %lld ms\n", round + 1, static_cast<long long>(ms));
    }
}

} // namespace
