// Which file a changed contact is written to: its own when the name still fits it.
#include "destinations/windows_contacts/ContactFilePlan.h"

#include "destinations/windows_contacts/ContactFileNames.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using tessaly::ContactField;
using tessaly::ContactValues;
using tessaly::TContactFileEntry;
using tessaly::TContactFileWork;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

ContactValues Contact(const std::string& email, const std::string& displayName, const std::string& company = "")
{
    ContactValues values;
    values[static_cast<size_t>(ContactField::Email)] = email;
    values[static_cast<size_t>(ContactField::DisplayName)] = displayName;
    values[static_cast<size_t>(ContactField::Company)] = company;
    return values;
}

std::vector<std::string> WrittenTo(const TContactFileWork& work)
{
    std::vector<std::string> names;
    for (const TContactFileWork::Write& write : work.writes)
        names.push_back(std::to_string(write.row) + ":" + write.name);
    return names;
}

TEST(ContactFilePlanTest, AChangedContactKeepsItsFileOnlyWhileTheNameStillFitsIt)
{
    const std::string guid = "{0F8FAD5B-D9CB-469F-A165-70867728950E}.contact";
    const std::vector<TContactFileEntry> files{
        {"annlee (2).CONTACT", Contact("ann@x", "Ann Lee", "Old")}, // fits "AnnLee", as the file system compares
        {"BobRay.contact", Contact("bob@x", "Bob Ray")},           // Bob is now called Robert
        {guid, Contact("cy@x", "", "Old")},                       // no name: keeps its identifier
        {"Same.contact", Contact("same@x", "Same")},
    };
    const std::vector<ContactValues> rows{Contact("ann@x", "Ann Lee", "New"), Contact("bob@x", "Robert Ray"),
                                          Contact("cy@x", "", "New"), Contact("same@x", "Same")};
    const TContactFileWork work = tessaly::PlanContactFiles(rows, {"AnnLee", "RobertRay", "", "Same"}, files,
                                                            tessaly::TUniqueFileNames::AsciiUpper);
    EXPECT_EQ(work.unchanged, 1u);
    EXPECT_THAT(WrittenTo(work), ElementsAre("0:annlee (2).CONTACT", "1:", "2:" + guid));
    EXPECT_THAT(work.stale, ElementsAre("BobRay.contact"));
    EXPECT_THAT(work.keep, ElementsAre("Same.contact"));
}

TEST(ContactFilePlanTest, AnUnnamedRowTakesNoNamedFileAndANamedRowNoIdentifierFile)
{
    const std::string guid = "{0F8FAD5B-D9CB-469F-A165-70867728950E}.contact";
    const std::vector<TContactFileEntry> files{{guid, Contact("ann@x", "", "Old")}};
    const TContactFileWork work = tessaly::PlanContactFiles({Contact("ann@x", "Ann", "New")}, {"Ann"}, files,
                                                            tessaly::TUniqueFileNames::AsciiUpper);
    EXPECT_THAT(WrittenTo(work), ElementsAre("0:"));
    EXPECT_THAT(work.stale, ElementsAre(guid));
    EXPECT_THAT(work.keep, IsEmpty());
}

} // namespace
