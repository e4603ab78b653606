#include "contacts/CsvReader.h"

#include "../support/Latin1ToUtf8.h"
#include "base/TextHelpers.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>
#include <sstream>

using namespace tessaly;

namespace {

using Lines = std::vector<std::string>;

// A data row of quoted values c0, c1, ... with the given values put in place.
std::string Row(std::vector<std::pair<int, std::string>> values = {}, int count = 33)
{
    std::vector<std::string> cells;
    for (int i = 0; i < count; ++i)
        cells.push_back('c' + std::to_string(i));
    for (auto& [column, value] : values)
        cells[static_cast<size_t>(column)] = value;
    std::string row;
    for (const std::string& cell : cells) {
        if (!row.empty())
            row += ',';
        row.append(1, '"').append(cell).append(1, '"');
    }
    return row;
}

// A row of 33 quoted fields, all empty but the given ones.
std::string SparseRow(std::vector<std::pair<int, std::string>> values = {})
{
    std::vector<std::pair<int, std::string>> cells;
    for (int i = 0; i < 33; ++i)
        cells.emplace_back(i, "");
    for (auto& [column, value] : values)
        cells[static_cast<size_t>(column)].second = value;
    return Row(cells);
}

const std::string kHeader = "\"Title\",\"First Name\",\"Middle Name\",\"Nickname\",\"E-mail Address\"";

ContactList Parse(const std::string& text, StopCheck stop = nullptr)
{
    ContactList list(500);
    Lines lines = SplitLines(text);
    ParseRows(list, lines, stop);
    return list;
}

bool IsEmptyRecord(const ContactInfo& contact)
{
    for (const auto& entry : ContactInfo::kFields)
        if (!contact.Field(entry.field).empty())
            return false;
    return true;
}

} // namespace

TEST(SplitLines, EachKindOfBreakEndsOneLine)
{
    EXPECT_EQ(SplitLines("a\r\nb\nc\rd"), (Lines{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitLines("a\n\rb"), (Lines{"a", "", "b"})); // LF CR is two breaks
    EXPECT_EQ(SplitLines("a\r\rb"), (Lines{"a", "", "b"}));
    EXPECT_EQ(SplitLines("a\r\n\r\nb"), (Lines{"a", "", "b"}));
    EXPECT_EQ(SplitLines("\nb"), (Lines{"", "b"}));
}

TEST(SplitLines, AFinalBreakGivesNoEmptyLastLine)
{
    EXPECT_EQ(SplitLines("a\r\n"), (Lines{"a"}));
    EXPECT_EQ(SplitLines("a\n"), (Lines{"a"}));
    EXPECT_EQ(SplitLines("a\n\n"), (Lines{"a", ""}));
    EXPECT_EQ(SplitLines(""), Lines{});
    EXPECT_EQ(SplitLines("\r\n"), (Lines{""}));
}

TEST(SplitLines, TheTextEndsAtItsFirstNul)
{
    EXPECT_EQ(SplitLines(std::string_view("a\nb\0c\nd", 7)), (Lines{"a", "b"}));
    EXPECT_EQ(SplitLines(std::string_view("\0a", 2)), Lines{});
}

TEST(SplitBody, TheLinesCarryTheBodysCodePageAndTheMarkIsNoPartOfTheHeader)
{
    const BodyLines marked = SplitBody("\xEF\xBB\xBF" + kHeader + "\r\n" + Row());
    EXPECT_EQ(marked.lines, (Lines{kHeader, Row()}));
    EXPECT_EQ(marked.codePage, TextCodePage::Utf8);

    const BodyLines ansi = SplitBody(kHeader + "\r\n\"M\xFCller\"");
    EXPECT_EQ(ansi.lines, (Lines{kHeader, "\"M\xFCller\""}));
    EXPECT_EQ(ansi.codePage, TextCodePage::Ansi);
}

TEST(SplitBody, EmptyLinesAfterTheHeaderAreLeftOutAndAnEmptyHeaderKeepsItsPlace)
{
    EXPECT_EQ(SplitBody(kHeader + "\r\r\r\n\n" + Row() + "\r\r").lines, (Lines{kHeader, Row()}));
    EXPECT_EQ(SplitBody("\r\n\r" + kHeader).lines, (Lines{"", kHeader}));
}

// Latin-1 to UTF-8, standing in for the system's ANSI conversion; counts its calls.
struct Latin1Rows {
    int calls = 0;
    AnsiToUtf8Conversion Conversion()
    {
        return [this](std::string_view latin1) {
            ++calls;
            return test::Latin1ToUtf8(latin1);
        };
    }
};

TEST(ParseBody, AnAnsiBodysRowsBecomeUtf8OneByOneAndAUtf8BodysStayAsTheyAre)
{
    Latin1Rows latin1;
    ContactList list(10);
    BodyLines ansi = SplitBody(kHeader + "\r\n" + Row({{6, "J\xFCrgen M\xFCller"}}) + "\r\n" + Row({{6, "Ann Lee"}}) +
                               "\r\n" + Row({{6, "Ren\xE9" "e"}}));
    ParseBody(list, ansi, nullptr, latin1.Conversion());
    ASSERT_EQ(list.Count(), 3u);
    EXPECT_EQ(list[0].DisplayName(), "J\xC3\xBCrgen M\xC3\xBCller");
    EXPECT_EQ(list[1].DisplayName(), "Ann Lee");
    EXPECT_EQ(list[2].DisplayName(), "Ren\xC3\xA9" "e");
    EXPECT_EQ(latin1.calls, 2); // plain ASCII rows read the same either way: never converted

    ContactList fromUtf8(10);
    BodyLines utf8 = SplitBody(kHeader + "\r\n" + Row({{6, "J\xC3\xBCrgen"}}));
    ParseBody(fromUtf8, utf8, nullptr, latin1.Conversion());
    ASSERT_EQ(fromUtf8.Count(), 1u);
    EXPECT_EQ(fromUtf8[0].DisplayName(), "J\xC3\xBCrgen");
    EXPECT_EQ(latin1.calls, 2);
}

TEST(ParseRows, DropsTheHeaderWhateverItHolds)
{
    EXPECT_EQ(Parse("").Count(), 0u);
    EXPECT_EQ(Parse(kHeader + "\r\n").Count(), 0u);
    // A header that looks like data is dropped all the same.
    const ContactList list = Parse(Row({{6, "Header"}}) + "\r\n" + Row({{6, "Ann Lee"}}));
    ASSERT_EQ(list.Count(), 1u);
    EXPECT_EQ(list[0].DisplayName(), "Ann Lee");

    Lines lines{kHeader};
    ContactList none(10);
    ParseRows(none, lines, nullptr);
    EXPECT_TRUE(lines.empty());
    EXPECT_EQ(none.Count(), 0u);
}

TEST(ParseRows, MapsQuotedColumnsToFields)
{
    const ContactList list = Parse(kHeader + "\r\n" + Row({{3, "annie"}, {4, "ann@example.test"}, {6, "Ann Lee"}}));
    ASSERT_EQ(list.Count(), 1u);
    EXPECT_EQ(list[0].NickName(), "annie");
    EXPECT_EQ(list[0].Email(), "ann@example.test");
    EXPECT_EQ(list[0].DisplayName(), "Ann Lee");
    EXPECT_EQ(list[0].Office(), "c25");
    EXPECT_EQ(list[0].WebPage(), "c32\""); // nothing follows the last value's closing quote
}

TEST(ParseRows, LinesWithoutAnyValueGiveNoRecord)
{
    // A blank line, an unquoted line (one field), too few fields and a row of empty quoted
    // fields (whose last keeps a lone quote) are no contacts; one value makes a contact.
    const ContactList list = Parse(kHeader + "\n" + Row({{6, "A"}}) + "\n\n" + "a,b,c,d\n" + Row({}, 32) + "\n" +
                                    SparseRow() + "\n \t\n" + SparseRow({{32, "x"}}) + "\n" + Row({{6, "B"}}));
    ASSERT_EQ(list.Count(), 3u);
    EXPECT_EQ(list[0].DisplayName(), "A");
    EXPECT_EQ(list[1].WebPage(), "x\"");
    EXPECT_TRUE(list[1].DisplayName().empty());
    EXPECT_EQ(list[2].DisplayName(), "B");
}

TEST(ParseRows, OnlyAQuoteDirectlyFollowedByACommaSeparates)
{
    const ContactList list = Parse(kHeader + "\n" + Row({{6, "Lee, Ann"}, {9, "Head \"Ops\", North"}}) + "\n" +
                                    Row({{6, "Kim\" ,\"Joe"}}));
    ASSERT_EQ(list.Count(), 2u);
    EXPECT_EQ(list[0].DisplayName(), "Lee, Ann");
    // The quote-comma inside the job title cuts it and shifts every later column by one.
    EXPECT_EQ(list[0].JobTitle(), "Head \"Ops");
    EXPECT_EQ(list[0].Initials(), "c10");
    // A blank before the comma hides the separator: the value stays whole.
    EXPECT_EQ(list[1].DisplayName(), "Kim\" ,\"Joe");
}

TEST(ParseRows, ASeparatorAtTheEndOfALineAddsNoEmptyField)
{
    // 32 values and a trailing separator stay 32 fields: too few, so no record.
    // 33 values and a trailing separator: the last value loses its closing quote.
    const ContactList list = Parse(kHeader + "\n" + Row({}, 32) + ",  \n" + Row() + ",");
    ASSERT_EQ(list.Count(), 1u);
    EXPECT_EQ(list[0].WebPage(), "c32");
}

TEST(ParseRows, ABlankBetweenQuoteAndValueStays)
{
    const ContactList list = Parse(kHeader + "\n" + Row({{6, " Ann Lee "}, {4, "   "}}));
    ASSERT_EQ(list.Count(), 1u);
    EXPECT_EQ(list[0].DisplayName(), " Ann Lee");
    EXPECT_EQ(list[0].Email(), "");
}

TEST(ParseRows, ALineBreakInsideAValueMakesTwoShortLinesAndNoRecord)
{
    const std::string row = Row({{6, "Ann\r\nLee"}});
    const ContactList list = Parse(kHeader + "\r\n" + row + "\r\n");
    EXPECT_EQ(list.Count(), 0u);
}

TEST(ParseRows, BreakStylesGiveTheSameRecords)
{
    const std::string a = Row({{6, "Ann"}}), b = Row({{6, "Bob"}});
    for (const char* brk : {"\r\n", "\n", "\r"}) {
        const ContactList list = Parse(kHeader + brk + a + brk + b + brk);
        ASSERT_EQ(list.Count(), 2u) << "break " << static_cast<int>(brk[0]);
        EXPECT_EQ(list[0].DisplayName(), "Ann");
        EXPECT_EQ(list[1].DisplayName(), "Bob");
    }
}

TEST(ParseRows, AStopKeepsTheRecordsMadeSoFar)
{
    std::string text = kHeader;
    for (int i = 0; i < 5; ++i)
        text.append("\r\n").append(Row({{6, 'P' + std::to_string(i)}}));
    int checks = 0;
    const ContactList list = Parse(text, [&] { return ++checks > 2; });
    EXPECT_EQ(checks, 3); // once per line, the header excluded
    ASSERT_EQ(list.Count(), 2u);
    EXPECT_EQ(list[1].DisplayName(), "P1");

    int all = 0;
    EXPECT_EQ(Parse(text, [&] { return ++all < 0; }).Count(), 5u);
    EXPECT_EQ(all, 5);
}

TEST(ParseRows, ReadsTheBundledSample)
{
    std::string path = TESSALY_SOURCE_DIR "/samples/contacts.csv";
#ifdef _WIN32
    path = "Z:" + path; // Wine's drive for the host's root
#endif
    std::ifstream file(path, std::ios::binary);
    ASSERT_TRUE(file) << path;
    std::ostringstream text;
    text << file.rdbuf();
    const ContactList list = Parse(text.str());
    ASSERT_GE(list.Count(), 200u);
    size_t withoutDisplayName = 0, withComma = 0, withHighByte = 0;
    for (const ContactInfo& contact : list) {
        EXPECT_FALSE(contact.Email().empty());
        EXPECT_EQ(contact.WebPage().rfind("http://", 0), 0u) << contact.WebPage(); // columns after it are not read
        withoutDisplayName += contact.DisplayName().empty();
        withComma += contact.Company().find(',') != std::string::npos;
        for (char ch : std::string(contact.DisplayName()) + std::string(contact.HomeCity()))
            if (static_cast<unsigned char>(ch) >= 0x80) {
                ++withHighByte;
                break;
            }
    }
    EXPECT_GE(withoutDisplayName, 1u);
    EXPECT_GE(withComma, 1u);
    EXPECT_GE(withHighByte, 1u);
}

TEST(ParseRows, GivesTheRecordsOfTheLiteralTrimReplaceSplitSteps)
{
    // Rows of random pieces (blank ones at the ends too) checked against the plain
    // definition: trim, turn every quote-comma into a line break, then AddContact.
    std::mt19937 random(7);
    const std::string alphabet[] = {"\"", ",", "\",", " ", "\t", "a", "b c", "\"\"", ""};
    for (int round = 0; round < 2000; ++round) {
        std::string line;
        const int pieces = 30 + static_cast<int>(random() % 12);
        for (int i = 0; i < pieces; ++i)
            line += alphabet[random() % std::size(alphabet)] + (random() % 3 ? "\"," : "");
        Lines lines{"header", line};
        ContactList parsed(1), expected(1);
        ParseRows(parsed, lines, nullptr);
        AddContact(expected, ReplaceAll(Trim(line), "\",", "\r\n"));
        ASSERT_EQ(parsed.Count(), expected.Count()) << "[" << line << "]";
        if (expected.Count() == 0)
            continue;
        ASSERT_EQ(parsed.Count(), 1u);
        ASSERT_FALSE(IsEmptyRecord(parsed[0]));
        for (const auto& entry : ContactInfo::kFields)
            ASSERT_EQ(parsed[0].Field(entry.field), expected[0].Field(entry.field)) << entry.name << " of [" << line << "]";
    }
}
