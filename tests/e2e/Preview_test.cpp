// "-p" through the real program into Windows Mail's stand-in: it prints the plan's counts
// and contacts, exits as the run would, and leaves the folder, its record and the
// program's folder as they were.
#include "EndToEndFixture.h"

#include "base/FileHelpers.h"
#include "base/WideText.h"
#include "base/WinHandles.h"

#include <gmock/gmock.h>

#include <windows.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace tessaly::test {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;

class PreviewTest : public EndToEndTest {
protected:
    ProcessResult Preview() const
    {
        ProcessResult result = RunProcess(Quoted(program_.Executable()) + " -p", 180000);
        EXPECT_TRUE(result.finished) << "the preview did not end by itself";
        return result;
    }

    // Every file of a folder with its last write time and its bytes; empty when the
    // folder is not there.
    static std::map<std::string, std::string> FilesIn(const std::string& folder)
    {
        std::map<std::string, std::string> files;
        WIN32_FIND_DATAA found{};
        const UniqueFindHandle search(::FindFirstFileA((folder + "*").c_str(), &found));
        if (!search)
            return files;
        do {
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                continue;
            files[found.cFileName] = std::to_string(found.ftLastWriteTime.dwHighDateTime) + "." +
                                     std::to_string(found.ftLastWriteTime.dwLowDateTime) + " " +
                                     ReadTextFile(folder + found.cFileName);
        } while (::FindNextFileA(search.get(), &found));
        return files;
    }

    // The program's own local data (the records of folders, staging), but its run log.
    static std::map<std::string, std::string> ProgramData()
    {
        std::map<std::string, std::string> files = FilesIn(WideToAnsi(LocalDataFolder().c_str()) + "\\");
        files.erase("runs.log");
        return files;
    }

    static std::vector<std::string> Head(const std::vector<std::string>& lines, size_t count)
    {
        return {lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(std::min(count, lines.size()))};
    }
};

TEST_F(PreviewTest, WindowsMailPreviewPrintsThePlanAndChangesNothing)
{
    // No folder yet: a run would make it and add every contact.
    Configure(Link("contacts.csv", "&generate=400"), 30);
    const std::map<std::string, std::string> dataBefore = ProgramData();
    ProcessResult preview = Preview();
    EXPECT_EQ(preview.exitCode, 0u);
    std::vector<std::string> lines = Lines(preview.output);
    EXPECT_THAT(Head(lines, 6),
                ElementsAre("In the list: 400", "Held: 0", "Unchanged: 0", "To add: 400", "To update: 0",
                            "To remove: 0"));
    ASSERT_EQ(lines.size(), 406u);
    EXPECT_EQ(lines[6], "add\tAnn Lee 0\tann.lee.0@example.com");
    EXPECT_EQ(::GetFileAttributesA(ContactsFolder().c_str()), INVALID_FILE_ATTRIBUTES) << "the folder was made";
    EXPECT_EQ(ProgramData(), dataBefore) << "a record or staged file was left";
    EXPECT_FALSE(FileExists(program_.TemporaryFile()));

    ASSERT_EQ(RunUnattended(), 0u);
    const std::map<std::string, std::string> folderBefore = FilesIn(ContactsFolder());
    ASSERT_EQ(folderBefore.size(), 400u);
    const std::map<std::string, std::string> recordBefore = ProgramData();

    // Cut to 100: a run would stop at the limit, and the preview says what it would remove.
    Configure(Link("contacts.csv", "&generate=100"), 30);
    preview = Preview();
    EXPECT_EQ(preview.exitCode, 4u);
    lines = Lines(preview.output);
    EXPECT_THAT(Head(lines, 7),
                ElementsAre("In the list: 100", "Held: 400", "Unchanged: 100", "To add: 0", "To update: 0",
                            "To remove: 300",
                            "A run would stop here and change nothing: the list would remove more than RemoveLimit "
                            "(50) percent of the folder."));
    EXPECT_EQ(lines.size(), 307u);
    EXPECT_THAT(lines, Contains("remove\tAnn Quinn 150\tann.quinn.150@example.com"));
    EXPECT_EQ(FilesIn(ContactsFolder()), folderBefore);
    EXPECT_EQ(ProgramData(), recordBefore) << "the record or the staging changed";
    EXPECT_FALSE(FileExists(program_.TemporaryFile()));
}

} // namespace
} // namespace tessaly::test
