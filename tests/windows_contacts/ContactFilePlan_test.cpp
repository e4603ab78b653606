// Which file a changed contact is written to: its own when the name still fits it.
#include "destinations/windows_contacts/ContactFilePlan.h"

#include "destinations/windows_contacts/ContactFileNames.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using tessaly::ContactField;
using tessaly::ContactValues;
using tessaly::ContactFileWork;
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

// One contact file of a folder, its fields read back.
struct ContactFile {
    std::string name;
    ContactValues values;
};

// The file work of the changes the rows need over the files.
ContactFileWork Plan(const std::vector<ContactValues>& rows, const std::vector<std::string>& wantedNames,
                      const std::vector<ContactFile>& files)
{
    std::vector<ContactValues> items;
    std::vector<std::string> names;
    for (const ContactFile& file : files) {
        items.push_back(file.values);
        names.push_back(file.name);
    }
    return tessaly::FileWorkOf(tessaly::PlanContactChanges(rows, items), wantedNames, names,
                                    tessaly::UniqueFileNames::AsciiUpper);
}

std::vector<std::string> WrittenTo(const ContactFileWork& work)
{
    std::vector<std::string> names;
    for (const ContactFileWork::Write& write : work.writes)
        names.push_back(std::to_string(write.row) + ":" + write.name);
    return names;
}

TEST(ContactFilePlanTest, AChangedContactKeepsItsFileOnlyWhileTheNameStillFitsIt)
{
    const std::string guid = "{0F8FAD5B-D9CB-469F-A165-70867728950E}.contact";
    const std::vector<ContactFile> files{
        {"annlee (2).CONTACT", Contact("ann@x", "Ann Lee", "Old")}, // fits "AnnLee", as the file system compares
        {"BobRay.contact", Contact("bob@x", "Bob Ray")},           // Bob is now called Robert
        {guid, Contact("cy@x", "", "Old")},                       // no name: keeps its identifier
        {"Same.contact", Contact("same@x", "Same")},
    };
    const std::vector<ContactValues> rows{Contact("ann@x", "Ann Lee", "New"), Contact("bob@x", "Robert Ray"),
                                          Contact("cy@x", "", "New"), Contact("same@x", "Same")};
    const ContactFileWork work = Plan(rows, {"AnnLee", "RobertRay", "", "Same"}, files);
    EXPECT_EQ(work.unchanged, 1u);
    EXPECT_THAT(WrittenTo(work), ElementsAre("0:annlee (2).CONTACT", "1:", "2:" + guid));
    EXPECT_THAT(work.stale, ElementsAre("BobRay.contact"));
    EXPECT_THAT(work.keep, ElementsAre("Same.contact"));
}

TEST(ContactFilePlanTest, AnUnnamedRowTakesNoNamedFileAndANamedRowNoIdentifierFile)
{
    const std::string guid = "{0F8FAD5B-D9CB-469F-A165-70867728950E}.contact";
    const std::vector<ContactFile> files{{guid, Contact("ann@x", "", "Old")}};
    const ContactFileWork work = Plan({Contact("ann@x", "Ann", "New")}, {"Ann"}, files);
    EXPECT_THAT(WrittenTo(work), ElementsAre("0:"));
    EXPECT_THAT(work.stale, ElementsAre(guid));
    EXPECT_THAT(work.keep, IsEmpty());
}

} // namespace
