// UTF-8 contact lists, with and without a byte-order mark, land with their names intact
// in each destination. (ANSI lists are what the other end-to-end tests serve.) And a
// folder name beyond ASCII from a Japanese system's settings file.
#include "EndToEndFixture.h"

#include "base/WideText.h"

#include <gmock/gmock.h>

using namespace tessaly;
using namespace tessaly::test;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::UnorderedElementsAre;

namespace {
constexpr char kMark[] = "\xEF\xBB\xBF";
constexpr char kJoerg[] = "J\xC3\xB6rg M\xC3\xBCller";                                  // Jörg Müller
constexpr char kLukasz[] = "\xC5\x81ukasz \xC5\xBB\xC3\xB3\xC5\x82\xC4\x87";           // Łukasz Żółć
constexpr char kYamada[] = "\xE5\xB1\xB1\xE7\x94\xB0\xE5\xA4\xAA\xE9\x83\x8E";         // 山田太郎

// A contacts file of one header and one row per display name (33 quoted fields).
std::string ContactsFile(const std::vector<std::string>& names)
{
    std::string csv = "\"First Name\",\"Middle Name\",\"Last Name\",\"Nickname\"\r\n";
    for (const std::string& name : names) {
        for (int column = 0; column < 33; ++column) {
            csv += column ? ",\"" : "\"";
            csv += column == 6 ? name : column == 3 ? "nick" : "";
            csv += '"';
        }
        csv += "\r\n";
    }
    return csv;
}

// The display names (third field) of an inspector's contact lines.
std::vector<std::string> DisplayNames(const std::vector<std::string>& dump)
{
    std::vector<std::string> names;
    for (const std::string& line : dump) {
        if (line.rfind("contact\t", 0) != 0)
            continue;
        size_t start = 0;
        for (int field = 0; field < 3; ++field)
            start = line.find('\t', start) + 1;
        names.push_back(line.substr(start, line.find('\t', start) - start));
    }
    return names;
}

std::string Utf8(const std::wstring& text)
{
    return WideToText(text.c_str(), static_cast<int>(text.size()), CP_UTF8);
}

// The whole file, whatever characters its name holds.
std::string ReadWide(const std::wstring& path)
{
    std::string bytes;
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    char chunk[4096];
    DWORD read = 0;
    while (::ReadFile(file, chunk, sizeof chunk, &read, nullptr) && read > 0)
        bytes.append(chunk, read);
    ::CloseHandle(file);
    return bytes;
}
} // namespace

TEST_F(EndToEndTest, OutlookTakesAMarkedUtf8ListWithEveryScriptIntact)
{
    Tool("outlookdump.exe\" --reset");
    PutServerFile("contacts.csv", kMark + ContactsFile({kJoerg, kLukasz, kYamada}));
    Configure(Link("contacts.csv"), 10);

    ASSERT_EQ(RunUnattended(), 0u);
    EXPECT_THAT(DisplayNames(Tool("outlookdump.exe\" --utf8 --dump")), ElementsAre(kJoerg, kLukasz, kYamada));
}

TEST_F(EndToEndTest, AddressBookTakesAnUnmarkedUtf8ListInTheAnsiCodePage)
{
    Tool("wabdump.exe\" seed \"Global Contacts\" 0");
    PutServerFile("contacts.csv", ContactsFile({kJoerg, kLukasz}));
    Configure(Link("contacts.csv"), 20);
    ScopedProgramVersion xp("winxp");

    ASSERT_EQ(RunUnattended(), 0u);
    // Exact where the ANSI code page has the characters; elsewhere what Windows substitutes.
    const std::wstring lukasz = L"\u0141ukasz \u017B\u00F3\u0142\u0107";
    const std::string substituted = Utf8(AnsiToWide(WideToAnsi(lukasz.c_str())));
    EXPECT_THAT(DisplayNames(Tool("wabdump.exe\" --utf8")), ElementsAre(kJoerg, substituted));
}

TEST_F(EndToEndTest, WindowsContactsFileNamesAndContentsKeepTheCharactersOfAUtf8List)
{
    PutServerFile("contacts.csv", kMark + ContactsFile({kJoerg, kLukasz, kYamada}));
    Configure(Link("contacts.csv"), 30);

    ASSERT_EQ(RunUnattended(), 0u);
    const std::wstring folder = AnsiToWide(ContactsFolder());
    std::vector<std::string> files;
    WIN32_FIND_DATAW found{};
    HANDLE search = ::FindFirstFileW((folder + L"*.contact").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE) << "no contact files in " << ContactsFolder();
    do
        files.push_back(Utf8(found.cFileName));
    while (::FindNextFileW(search, &found));
    ::FindClose(search);

    EXPECT_THAT(files, UnorderedElementsAre("J\xC3\xB6rgM\xC3\xBCller.contact",
                                            "\xC5\x81ukasz\xC5\xBB\xC3\xB3\xC5\x82\xC4\x87.contact",
                                            std::string(kYamada) + ".contact"));
    EXPECT_THAT(ReadWide(folder + L"\u5C71\u7530\u592A\u90CE.contact"),
                HasSubstr(std::string("<c:FormattedName>") + kYamada + "</c:FormattedName>"));
}

TEST_F(EndToEndTest, AJapaneseSystemTakesAWindowsMailFolderWhoseAnsiNameHoldsTheByteOfABackslash)
{
    // ctest's e2e_japanese_tests runs this under the host locale ja_JP.UTF-8, which Wine
    // turns into code page 932 for this process and the programs it starts.
    if (Tool("ansi_code_page.exe\"") != std::vector<std::string>{"932"})
        GTEST_SKIP() << "the programs started here do not get code page 932: this test runs as "
                        "e2e_japanese_tests, on a host with the ja_JP.UTF-8 locale (tools/install-deps makes it)";
    PutServerFile("contacts.csv", ContactsFile({"Ann Lee"}));
    // The settings file is in the system's code page, where 表 is 95 5C: "\" is 5C.
    program_.WriteSettings(Link("contacts.csv"), kUser, kPassword, "\x95\x5C", 30);

    ASSERT_EQ(RunUnattended(), 0u);
    const std::wstring folder = AnsiToWide(data_ + "profile\\Contacts\\") + L"\u8868\\";
    EXPECT_THAT(ReadWide(folder + L"AnnLee.contact"), HasSubstr("<c:FormattedName>Ann Lee</c:FormattedName>"));
}
