// "-u": everything the program left removes itself, on the real file system under Wine;
// a swap a killed run left is finished first.
#include "app/Uninstall.h"

#include "base/FileHelpers.h"
#include "destinations/windows_contacts/StagedContactFiles.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace tessaly {
namespace {

class UninstallTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char temp[MAX_PATH];
        ::GetTempPathA(MAX_PATH, temp);
        root_ = std::string(temp) + "tessaly_uninstall_" + std::to_string(::GetCurrentProcessId());
        RemoveFolderTree(AnsiPath(root_));
        for (const char* folder : {"", "\\app", "\\local", "\\local\\CorvaneTessaly", "\\target", "\\beside"})
            ASSERT_TRUE(::CreateDirectoryA((root_ + folder).c_str(), nullptr)) << folder;
        traces_ = {root_ + "\\app\\CorvaneTessaly.ini", root_ + "\\app\\CorvaneTessaly",
                   root_ + "\\local\\CorvaneTessaly", root_ + "\\local\\CorvaneTessaly\\Contacts staging"};
    }
    void TearDown() override { RemoveFolderTree(AnsiPath(root_)); }

    static std::wstring AnsiPath(const std::string& path) { return std::wstring(path.begin(), path.end()); }
    static bool Exists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

    std::string root_;
    ProgramTraces traces_;
};

TEST_F(UninstallTest, RemovesEveryTraceButFinishesAKilledSwapFirst)
{
    ISwapFiles& files = SystemSwapFiles();
    for (const std::string& file : {traces_.settingsFile, traces_.downloadFile, traces_.downloadFile + ".part",
                                    root_ + "\\app\\CorvaneTessaly.exe", root_ + "\\target\\Old.contact"})
        files.Write(file, "x");
    // A run killed after committing its swap of one file into the target.
    PrepareSwap(files, traces_.stagingRoot);
    files.Write(StagedFolder(traces_.stagingRoot) + "\\New.contact", "new");
    SwapPlan plan;
    plan.target = root_ + "\\target";
    plan.putIn = {"New.contact"};
    plan.remove = {"Old.contact"};
    files.Write(traces_.stagingRoot + "\\plan", plan.Text());
    // Another run staged on another volume once, and the folder holds records of its own,
    // one read-only, one in a subfolder.
    const std::string beside = root_ + "\\beside\\CorvaneTessaly staging";
    ASSERT_TRUE(::CreateDirectoryA(beside.c_str(), nullptr));
    files.Write(beside + "\\left", "x");
    files.Write(traces_.stagingRoot + ".elsewhere", beside);
    files.Write(traces_.localDataFolder + "\\runs.log", "x");
    ASSERT_TRUE(::SetFileAttributesA((traces_.localDataFolder + "\\runs.log").c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(::CreateDirectoryA((traces_.localDataFolder + "\\Outlook").c_str(), nullptr));
    files.Write(traces_.localDataFolder + "\\Outlook\\folder", "x");

    std::string message;
    EXPECT_EQ(RemoveProgramTraces(traces_, files, message), 0) << message;
    EXPECT_EQ(message, "");

    EXPECT_EQ(files.Files(root_ + "\\target"), std::vector<std::string>{"New.contact"});
    EXPECT_EQ(files.Read(root_ + "\\target\\New.contact"), "new");
    EXPECT_EQ(files.Files(root_ + "\\app"), std::vector<std::string>{"CorvaneTessaly.exe"});
    EXPECT_FALSE(Exists(traces_.localDataFolder));
    EXPECT_FALSE(Exists(beside));
    EXPECT_TRUE(Exists(root_ + "\\beside"));
}

TEST_F(UninstallTest, NothingLeftIsNoFailure)
{
    std::string message;
    ASSERT_TRUE(::RemoveDirectoryA(traces_.localDataFolder.c_str()));
    EXPECT_EQ(RemoveProgramTraces(traces_, SystemSwapFiles(), message), 0) << message;
}

} // namespace
} // namespace tessaly
