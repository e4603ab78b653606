#include "contacts/TextEncoding.h"

#include <gtest/gtest.h>

#include <string>

using namespace tessaly;

namespace {
TextCodePage CodePageOf(std::string_view body)
{
    return DecideEncoding(body).codePage;
}
} // namespace

TEST(DecideEncoding, AByteOrderMarkMeansUtf8AndIsLeftOutOfTheText)
{
    const BodyEncoding marked = DecideEncoding("\xEF\xBB\xBF\"Title\"\r\n");
    EXPECT_EQ(marked.codePage, TextCodePage::Utf8);
    EXPECT_EQ(marked.markLength, 3u);
    // The mark decides even for a plain ASCII body.
    EXPECT_EQ(CodePageOf("\xEF\xBB\xBF" "abc"), TextCodePage::Utf8);
    EXPECT_EQ(DecideEncoding("J\xC3\xB6rg").markLength, 0u);
}

TEST(DecideEncoding, ValidUtf8WithAMultiByteCharacterIsUtf8)
{
    EXPECT_EQ(CodePageOf("\"J\xC3\xB6rg M\xC3\xBCller\""), TextCodePage::Utf8);
    EXPECT_EQ(CodePageOf("\xE5\xB1\xB1\xE7\x94\xB0"), TextCodePage::Utf8);          // three-byte
    EXPECT_EQ(CodePageOf("smile \xF0\x9F\x98\x80"), TextCodePage::Utf8);             // four-byte
    EXPECT_EQ(CodePageOf("1234567\xC5\x81ukasz, then more ASCII"), TextCodePage::Utf8); // across 8 bytes
}

TEST(DecideEncoding, AsciiAndAnsiTextStayInTheAnsiCodePage)
{
    EXPECT_EQ(CodePageOf(""), TextCodePage::Ansi);
    EXPECT_EQ(CodePageOf("\"Ann Lee\",\"ann@example.com\"\r\n"), TextCodePage::Ansi);
    EXPECT_EQ(CodePageOf("\"M\xFCller\""), TextCodePage::Ansi); // Windows-1252
    // One bad sequence anywhere, even after good ones, keeps the whole body ANSI.
    EXPECT_EQ(CodePageOf("J\xC3\xB6rg, M\xFCller"), TextCodePage::Ansi);
}

TEST(DecideEncoding, MalformedSequencesAreNotUtf8)
{
    for (const std::string bad : {
             "\xC0\xAF",         // overlong slash
             "\xE0\x80\xAF",     // overlong, three bytes
             "\xED\xA0\x80",     // surrogate half
             "\xF4\x90\x80\x80", // above U+10FFFF
             "\xF5\x80\x80\x80", // no such lead
             "\x80",             // continuation without a lead
             "ab\xC3",           // cut off at the end
             "\xE2\x82x",        // continuation missing
         })
        EXPECT_EQ(CodePageOf("name " + bad), TextCodePage::Ansi) << testing::PrintToString(bad);
}
