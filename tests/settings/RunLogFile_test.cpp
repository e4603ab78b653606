// The run log on the real file system under Wine: lines add up, and a log that may not be
// written is left alone without an error.
#include "app/RunLogFile.h"

#include "base/FileHelpers.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace tessaly {
namespace {

std::wstring TemporaryLogPath()
{
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    return std::wstring(temp) + L"tessaly_runs_" + std::to_wstring(::GetCurrentProcessId()) + L".log";
}

RunLogEntry Entry(const char* started)
{
    RunLogEntry entry;
    entry.started = started;
    entry.mode = "window";
    entry.destination = 10;
    entry.folder = "Staff";
    return entry;
}

TEST(RunLogFile, LinesAddUpAndAReadOnlyLogIsLeftAsItIs)
{
    const std::wstring path = TemporaryLogPath();
    (void)ForceDeleteFile(path);
    ASSERT_TRUE(AppendRunLogLine(path, Entry("2026-12-09T07:30:00")));
    ASSERT_TRUE(AppendRunLogLine(path, Entry("2026-12-10T07:30:00")));
    ASSERT_TRUE(ReadLastRun(path));
    EXPECT_EQ(ReadLastRun(path)->started, "2026-12-10T07:30:00");

    const std::string before = ReadTextFile(path);
    ASSERT_TRUE(::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(AppendRunLogLine(path, Entry("2026-12-11T07:30:00")));
    EXPECT_EQ(ReadTextFile(path), before);
    EXPECT_TRUE(ForceDeleteFile(path));
}

} // namespace
} // namespace tessaly
