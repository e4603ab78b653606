#pragma once
// One private program folder per test, the stand-ins' stores beside it, and the served file.
#include "Expected.h"
#include "ProgramRun.h"
#include "TestServer.h"

#include "base/FileHelpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace tessaly::test {

class EndToEndTest : public ::testing::Test {
protected:
    static constexpr const char* kFolder = "Global Contacts";
    static constexpr const char* kUser = "ann.lee";
    static constexpr const char* kPassword = "s3cret pass";

    EndToEndTest()
        : data_(program_.Path().substr(0, program_.Path().size() - 1) + " data\\"),
          created_(::CreateDirectoryA(data_.c_str(), nullptr) != FALSE),
          outlookStore_("TESSALY_OUTLOOK_STORE", data_ + "outlook.journal"),
          wabStore_("WAB_STANDIN_STORE", data_ + "address-book.wablog"),
          profile_("USERPROFILE", data_ + "profile")
    {
        ::CreateDirectoryA((data_ + "profile").c_str(), nullptr);
    }

    ~EndToEndTest() override { RemoveTree(data_); }

    // The authorised link to a served file (query parameters may follow).
    std::string Link(const std::string& name, const std::string& extra = {}) const
    {
        return TestServerUrl("/files/" + name + "?user=" + std::string("ann.lee") + "&pass=s3cret%20pass" + extra);
    }

    static std::string Quoted(const std::string& path)
    {
        std::string quoted(1, '"');
        quoted += path;
        quoted += '"';
        return quoted;
    }

    // `removeLimit` 100 lets a test cut its list short without the removal limit stopping it.
    void Configure(const std::string& link, int code, int removeLimit = 0) const
    {
        program_.WriteSettings(link, kUser, kPassword, kFolder, code, removeLimit);
    }

    // Runs "CorvaneTessaly.exe -a" and answers its exit code. Outlook's guard denies the
    // run what it protects, as hardened PCs set it (the inspectors are not guarded).
    DWORD RunUnattended(DWORD timeoutMs = 180000) const
    {
        const ScopedEnvironment guard("TESSALY_OUTLOOK_GUARD", "deny");
        const ProcessResult result = RunProcess(Quoted(program_.Executable()) + " -a", timeoutMs);
        EXPECT_TRUE(result.finished) << "the unattended run did not end by itself";
        return result.exitCode;
    }

    // Runs an inspector of the bin folder: `commandLine` starts with its name and closing quote.
    std::vector<std::string> Tool(const std::string& commandLine) const
    {
        std::string line = "\"";
        line += BinFolder();
        line += commandLine;
        const ProcessResult result = RunProcess(line, 60000);
        EXPECT_TRUE(result.finished && result.exitCode == 0) << commandLine << " failed: " << result.exitCode;
        return Lines(result.output);
    }

    // The contacts folders: the dump up to the Deleted Items folder, which it prints last.
    std::vector<std::string> OutlookDump() const
    {
        std::vector<std::string> lines = Tool("outlookdump.exe\" --dump");
        const auto deleted = std::find(lines.begin(), lines.end(), "folder\tDeleted Items\tfalse");
        EXPECT_NE(deleted, lines.end()) << "no Deleted Items folder";
        lines.erase(deleted, lines.end());
        return lines;
    }

    // The calls of members Outlook's guard protects since the stand-in's store was reset.
    int ProtectedOutlookCalls() const
    {
        int count = -1;
        for (const std::string& line : Tool("outlookdump.exe\" --calls"))
            std::sscanf(line.c_str(), "protected\t%d", &count);
        return count;
    }
    std::vector<std::string> AddressBookDump() const { return Tool("wabdump.exe\""); }

    std::string ContactsFolder() const { return data_ + "profile\\Contacts\\" + kFolder + "\\"; }

    ProgramFolder program_;
    std::string data_;
    bool created_;
    ScopedEnvironment outlookStore_;
    ScopedEnvironment wabStore_;
    ScopedEnvironment profile_;
};

} // namespace tessaly::test
