// The table of destinations: what the settings, the Sync To list, the run and the
// installer take from it.
#include "destinations/Destinations.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

namespace tessaly {
namespace {

TEST(DestinationTable, EveryKindHasOneRowWithItsOwnCodeAndCaptionAndAFolderCheck)
{
    std::set<int> codes;
    std::set<std::string_view> captions;
    for (DestinationKind kind : {DestinationKind::Outlook, DestinationKind::OutlookExpress,
                                 DestinationKind::WindowsMail}) {
        const DestinationRow& row = DestinationOf(kind);
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.kind, kind);
        EXPECT_EQ(FindDestination(row.code), &row);
        EXPECT_NE(row.acceptsFolder, nullptr);
        EXPECT_FALSE(row.caption.empty());
        codes.insert(row.code);
        captions.insert(row.caption);
    }
    EXPECT_EQ(DestinationTable().size(), 3u);
    EXPECT_EQ(codes.size(), 3u);
    EXPECT_EQ(captions.size(), 3u);
    for (int code : {0, 15, 40, -10})
        EXPECT_EQ(FindDestination(code), nullptr) << code;
}

TEST(DestinationTable, OnlyWindowsMailRefusesAFolderNameThatIsAPathAndSaysWhy)
{
    for (const DestinationRow& row : DestinationTable()) {
        SCOPED_TRACE(row.name);
        const bool windowsMail = row.kind == DestinationKind::WindowsMail;
        EXPECT_TRUE(row.acceptsFolder("Company Contacts"));
        EXPECT_EQ(row.acceptsFolder("..\\Desktop"), !windowsMail);
        EXPECT_EQ(row.acceptsFolder("A/B"), !windowsMail);
        EXPECT_EQ(row.folderRequirement.empty(), !windowsMail);
    }
}

// The codes a condition of the installer's package accepts for EMAILCLIENT, and the
// codes its message names, "NN (Name)".
struct InstallerCondition {
    std::set<int> accepted;
    std::set<int> named;
};

InstallerCondition EmailClientCondition()
{
    std::ifstream file(TESSALY_INSTALLER_SOURCE);
    std::stringstream text;
    text << file.rdbuf();
    const std::string source = text.str();
    std::smatch match;
    const std::regex condition(R"re(<Condition Message="(EMAILCLIENT[^"]*)">([^<]*)</Condition>)re");
    InstallerCondition result;
    if (!std::regex_search(source, match, condition))
        return result;
    const std::string message = match[1];
    const std::string test = match[2];
    const std::regex accepted(R"re(EMAILCLIENT = &quot;(\d+)&quot;|EMAILCLIENT = "(\d+)")re");
    for (std::sregex_iterator it(test.begin(), test.end(), accepted), end; it != end; ++it)
        result.accepted.insert(std::stoi((*it)[1].matched ? (*it)[1].str() : (*it)[2].str()));
    const std::regex named(R"re((\d+) \()re");
    for (std::sregex_iterator it(message.begin(), message.end(), named), end; it != end; ++it)
        result.named.insert(std::stoi((*it)[1].str()));
    return result;
}

TEST(DestinationTable, TheInstallerPackageAcceptsAndNamesExactlyTheTablesCodes)
{
    std::set<int> codes;
    for (const DestinationRow& row : DestinationTable())
        codes.insert(row.code);
    const InstallerCondition condition = EmailClientCondition();
    EXPECT_EQ(condition.accepted, codes);
    EXPECT_EQ(condition.named, codes);
}

} // namespace
} // namespace tessaly
