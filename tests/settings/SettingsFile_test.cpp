#include "base/FileHelpers.h"
#include "app/SettingsFile.h"
#include "base/WinHandles.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <string>
#include <system_error>

namespace tessaly {
namespace {

class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char temp[MAX_PATH];
        ::GetTempPathA(MAX_PATH, temp);
        folder_ = std::string(temp) + "tessaly_settings_" + std::to_string(::GetCurrentProcessId());
        ::CreateDirectoryA(folder_.c_str(), nullptr);
        path_ = folder_ + "\\CorvaneTessaly.ini";
    }
    void TearDown() override
    {
        DeleteMatchingFiles(folder_, "");
        ::RemoveDirectoryA(folder_.c_str());
    }
    void Write(const std::string& text)
    {
        UniqueKernelHandle file(::CreateFileA(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        DWORD written = 0;
        ASSERT_TRUE(::WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr));
    }
    // Every file in the folder besides the settings file.
    int OtherFiles() const
    {
        WIN32_FIND_DATAA entry{};
        UniqueFindHandle find(::FindFirstFileA((folder_ + "\\*").c_str(), &entry));
        int count = 0;
        if (!find)
            return 0;
        do {
            const std::string name = entry.cFileName;
            if (name != "." && name != ".." && name != "CorvaneTessaly.ini")
                ++count;
        } while (::FindNextFileA(find.get(), &entry));
        return count;
    }

    std::string folder_;
    std::string path_;
};

TEST(SettingsText, Utf8ValuesBecomeTheAnsiCodePageOrAreRefused)
{
    // The prefix's code page is Windows-1252.
    const SettingsTextConversion conversion = SystemSettingsText();
    EXPECT_EQ(conversion.fromUtf8("Kontakte \xC3\x84"), std::optional<std::string>("Kontakte \xC4"));
    EXPECT_EQ(conversion.fromUtf8(""), std::optional<std::string>(""));
    // Cyrillic, a letter Windows would give a look-alike for, and bytes that are no UTF-8.
    for (const char* refused : {"\xD0\x9A\xD0\xBE", "\xC4\x81", "\xC3", "Kontakte \xC4"})
        EXPECT_EQ(conversion.fromUtf8(refused), std::nullopt) << refused;
    EXPECT_EQ(conversion.toUtf8("Kontakte \xC4"), "Kontakte \xC3\x84");
}

TEST_F(SettingsFileTest, AMissingFileReadsEmptyAndIsCreated)
{
    EXPECT_FALSE(LoadIniFile(path_).SectionExists("Corvane Tessaly"));
    ReplaceFileContent(path_, "[Corvane Tessaly]\r\nUser=\r\n\r\n");
    EXPECT_EQ(ReadTextFile(path_), "[Corvane Tessaly]\r\nUser=\r\n\r\n");
    EXPECT_TRUE(LoadIniFile(path_).ValueExists("corvane tessaly", "user"));
    EXPECT_EQ(OtherFiles(), 0);
}

TEST_F(SettingsFileTest, AReadOnlyFileIsReplaced)
{
    Write("[Corvane Tessaly]\r\nUser=old\r\n");
    ASSERT_TRUE(::SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_READONLY));
    ReplaceFileContent(path_, "new");
    EXPECT_EQ(ReadTextFile(path_), "new");
    EXPECT_EQ(OtherFiles(), 0);
}

TEST_F(SettingsFileTest, AFailedReplacementKeepsTheOldFileAndSaysWhy)
{
    Write("[Corvane Tessaly]\r\nUser=kept\r\n");
    {
        // Another program holds the file open without letting it be replaced.
        UniqueKernelHandle holder(::CreateFileA(path_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                                0, nullptr));
        ASSERT_TRUE(holder);
        try {
            ReplaceFileContent(path_, "lost?");
            FAIL() << "the replacement should have failed";
        } catch (const std::system_error& error) {
            EXPECT_NE(std::string(error.what()).find("CorvaneTessaly.ini"), std::string::npos) << error.what();
            // One message: the file, then the system's reason, once.
            const std::string reason = SystemErrorMessage(static_cast<unsigned long>(error.code().value()));
            ASSERT_FALSE(reason.empty());
            EXPECT_EQ(std::string(error.what()), "Cannot replace file \"" + path_ + "\": " + reason);
        }
    }
    EXPECT_EQ(ReadTextFile(path_), "[Corvane Tessaly]\r\nUser=kept\r\n");
    EXPECT_EQ(OtherFiles(), 0); // no temporary file left behind
}

TEST_F(SettingsFileTest, AFolderThatCannotBeWrittenRaisesWithoutCreatingAnything)
{
    const std::string missing = folder_ + "\\absent\\CorvaneTessaly.ini";
    EXPECT_THROW(ReplaceFileContent(missing, "x"), std::system_error);
    EXPECT_FALSE(FileExists(missing));
}

} // namespace
} // namespace tessaly
