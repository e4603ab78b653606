#include "DownloadTestSupport.h"

#include "base/FileHelpers.h"

#include <windows.h>

namespace tessaly::test {

void DownloadTest::SetUp()
{
    char folder[MAX_PATH];
    ASSERT_NE(GetTempPathA(MAX_PATH, folder), 0u);
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    path = std::string(folder) + "CorvaneTessaly-" + info->test_suite_name() + "-" + info->name();
    SaveTextFile("stale download", path);
}

void DownloadTest::TearDown()
{
    (void)ForceDeleteFile(path);
}

bool DownloadTest::Exists() const
{
    return FileExists(path);
}

std::string DownloadTest::Saved() const
{
    if (!Exists()) {
        ADD_FAILURE() << "no file at " << path;
        return {};
    }
    return ReadTextFile(path);
}

void DownloadTest::ExpectOneWarning(const std::string& text) const
{
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].first, NoticeKind::Warning);
    EXPECT_EQ(notices[0].second, text);
}

} // namespace tessaly::test
