#include "contacts/Contact.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>

using namespace tessaly;

namespace {
// A row as the reader hands it over: every field but the last starts with its opening
// quote; the last keeps its closing quote too.
std::vector<std::string> Row(size_t count)
{
    std::vector<std::string> fields;
    for (size_t i = 0; i < count; ++i)
        fields.push_back("\"c" + std::to_string(i) + (i + 1 == count ? "\"" : ""));
    return fields;
}
} // namespace

TEST(ContactInfo, ThirtyThreeFieldsFillEveryFieldFromItsColumn)
{
    const ContactInfo contact(Row(33));
    for (const auto& entry : ContactInfo::kFields) {
        std::string expected = 'c' + std::to_string(entry.column);
        if (entry.column == 32)
            expected += "\""; // the last field keeps its closing quote
        EXPECT_EQ(contact.Field(entry.field), expected) << entry.name;
    }
    EXPECT_EQ(contact.DisplayName(), "c6");
    EXPECT_EQ(contact.WebPage(), "c32\"");
}

TEST(ContactInfo, ThirtyTwoFieldsOrFewerGiveAnEmptyRecord)
{
    for (size_t count : {0u, 1u, 32u}) {
        const ContactInfo contact(Row(count));
        for (const auto& entry : ContactInfo::kFields)
            EXPECT_EQ(contact.Field(entry.field), "") << entry.name << " with " << count << " fields";
    }
}

TEST(ContactInfo, CleanFieldTrimsThenDropsOneOpeningQuote)
{
    EXPECT_EQ(ContactInfo::CleanField("   "), "");
    EXPECT_EQ(ContactInfo::CleanField("\""), "");
    EXPECT_EQ(ContactInfo::CleanField(" \"Ann"), "Ann");
    EXPECT_EQ(ContactInfo::CleanField("\" Ann"), " Ann"); // no second trim
    EXPECT_EQ(ContactInfo::CleanField("\"\"Ann\"\"\""), "\"Ann\"\"\"");
    EXPECT_EQ(ContactInfo::CleanField("Ann"), "Ann");
}

TEST(ContactInfo, FileBaseNameDropsBlanksOrFallsBackToAFreshIdentifier)
{
    auto fields = Row(33);
    fields[6] = "\"Ann  Lee";
    EXPECT_EQ(ContactInfo(fields).FileBaseName(), "AnnLee");
    fields[6] = "\"AnnLee";
    EXPECT_EQ(ContactInfo(fields).FileBaseName(), "AnnLee");

    fields[6] = "\"  ";
    const ContactInfo blank(fields);
    const std::string first = blank.FileBaseName();
    const std::string second = blank.FileBaseName();
    EXPECT_NE(first, second);
    const std::regex guid("^\\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\}$");
    EXPECT_TRUE(std::regex_match(first, guid)) << first;
}

TEST(ContactInfo, NewIdentifierIsUniqueAcrossManyCalls)
{
    std::set<std::string> seen;
    for (int i = 0; i < 10000; ++i)
        ASSERT_TRUE(seen.insert(ContactInfo::NewIdentifier()).second);
}
