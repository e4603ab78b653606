#pragma once
// What every download test needs: a temporary file that holds a stale download before
// each test, the read buffer, and services that record the notices shown.
#include "contacts/HttpDownload.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace tessaly::test {

inline constexpr char kAuthorizationWarning[] =
    "Authorization Required.\r\nThe server could not verify that you are authorized to access the document requested.";
inline constexpr char kNotFoundWarning[] = "The requested URL was not found on this server.";
inline constexpr char kNoAnswerWarning[] = "The server did not answer in time.";

class DownloadTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    bool Exists() const;
    std::string Saved() const; // the file's bytes; fails the test when it is missing
    void ExpectOneWarning(const std::string& text) const;

    std::string path;
    ReadBuffer buffer;
    std::vector<std::pair<NoticeKind, std::string>> notices;
    DownloadServices services{
        [] { return false; },
        [this](NoticeKind kind, const std::string& text) { notices.emplace_back(kind, text); },
    };
};

} // namespace tessaly::test
