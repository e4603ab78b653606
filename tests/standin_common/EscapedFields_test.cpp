#include "standins/common/EscapedFields.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using standins::EscapeField;
using standins::SplitEscapedFields;
using standins::UnescapeField;
using testing::ElementsAre;

namespace {

TEST(EscapedFields, LineBreaksTabsAndBackslashesComeBackAsTheyWere)
{
    const std::string value = "a\tb\nc\rd\\e";
    const std::string escaped = EscapeField(value);

    EXPECT_EQ(escaped, "a\\tb\\nc\\rd\\\\e");
    EXPECT_EQ(UnescapeField(escaped), value);
}

TEST(EscapedFields, AnEscapedTabStaysInItsField)
{
    const std::string line = "item\t" + EscapeField("one\ttwo") + "\t" + EscapeField("back\\") + "\t";

    EXPECT_THAT(SplitEscapedFields(line), ElementsAre("item", "one\ttwo", "back\\", ""));
}

TEST(EscapedFields, ALoneBackslashAtTheEndIsKept)
{
    EXPECT_EQ(UnescapeField("end\\"), "end\\");
    EXPECT_THAT(SplitEscapedFields("a\tend\\"), ElementsAre("a", "end\\"));
}

} // namespace
