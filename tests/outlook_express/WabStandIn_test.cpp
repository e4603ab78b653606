// The destination against the stand-in library installed in the prefix: found through
// the registry, writing into a store that the inspector reads back from another process.
#include "ProcessOutput.h"
#include "base/FileHelpers.h"
#include "base/OleError.h"
#include "base/RunServices.h"
#include "base/WinHandles.h"
#include "destinations/outlook_express/AddressBookDestination.h"
#include "destinations/outlook_express/AddressBookProgram.h"
#include "destinations/outlook_express/WabApi.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <tlhelp32.h>

#include <chrono>
#include <cstdio>
#include <cstring>

using tessaly::ContactField;
using tessaly::TContactInfo;
using tessaly::TContactList;
using tessaly::UniqueKernelHandle;

namespace {

constexpr char kLibraryPath[] = "C:\\Program Files\\Common Files\\System\\wab32.dll";

class QuietServices final : public tessaly::IRunServices {
public:
    void SetStatus(const std::string& text) override { status = text; }
    bool StopRequested() override { return false; }
    void ShowNotice(tessaly::NoticeKind, const std::string& text) override { notices.push_back(text); }
    std::string status;
    std::vector<std::string> notices;
};

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

std::string ContactLine(const TContactInfo& record)
{
    std::string line = "contact";
    for (const auto& field : TContactInfo::kFields) {
        line += '\t';
        for (char c : record.Field(field.field)) {
            if (c == '\t' || c == '\n' || c == '\\')
                line += '\\';
            line += c == '\t' ? 't' : c == '\n' ? 'n' : c;
        }
    }
    return line + "\n";
}

TContactInfo Record(const std::string& prefix)
{
    std::vector<std::string> row(33);
    for (const auto& field : TContactInfo::kFields)
        row[static_cast<size_t>(field.column)] = prefix + " " + field.name;
    return TContactInfo(row);
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
        (void)tessaly::ForceDeleteFile(store_);
    }

    bool Sync(const std::string& folder)
    {
        return tessaly::SyncOutlookExpress(list, folder, services);
    }
    void Add(const TContactInfo& record) { list.Add(std::make_unique<TContactInfo>(record)); }

    std::string store_;
    QuietServices services;
    TContactList list{500};
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
        tessaly::TWinAddressBook book(tessaly::WindowsWabPlatform());
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
    EXPECT_EQ(services.status, "global CONTACTS created - 2 item(s)");
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
    for (int i = 0; i < 400; ++i)
        Add(Record(std::to_string(i)));
    auto fileSize = [this] {
        WIN32_FILE_ATTRIBUTE_DATA data = {};
        ::GetFileAttributesExA(store_.c_str(), GetFileExInfoStandard, &data);
        return data.nFileSizeLow;
    };
    for (int round = 0; round < 3; ++round)
        ASSERT_TRUE(Sync("Global Contacts"));
    const DWORD before = fileSize();
    ASSERT_TRUE(Sync("Global Contacts"));
    EXPECT_LT(fileSize(), before);

    std::string expected;
    for (int i = 0; i < 400; ++i)
        expected += ContactLine(Record(std::to_string(i)));
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
    EXPECT_EQ(services.status, "Global Contacts created - 2 item(s)");
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
