// The run log's text: one parseable line per run, and the bound that keeps the newest.
#include "app/RunLog.h"

#include <gtest/gtest.h>

#include <string>

using namespace tessaly;

namespace {

RunLogEntry MixedRun()
{
    RunLogEntry entry;
    entry.started = "2026-12-10T07:30:00";
    entry.mode = "unattended";
    entry.destination = 30;
    entry.folder = "Firma \xE8\xA1\xA8";
    entry.exitCode = 1;
    entry.warning = "Only 3 of 4 contacts could be saved.\r\nThe contact folder was left\tas it was.";
    entry.contacts = 4;
    entry.added = 1;
    entry.updated = 2;
    entry.removed = 3;
    entry.unchanged = 5;
    entry.bytes = 12345678901ull;
    entry.seconds = 2.5;
    return entry;
}

} // namespace

TEST(RunLog, ALineKeepsItsColumnsWhateverTheTextsHoldAndReadsBack)
{
    const std::string line = FormatRunLogLine(MixedRun());
    EXPECT_EQ(line, "2026-12-10T07:30:00\tunattended\t30\tFirma \xE8\xA1\xA8\t1\t"
                    "Only 3 of 4 contacts could be saved.  The contact folder was left as it was.\t"
                    "4\t1\t2\t3\t5\t12345678901\t2.500");
    const auto back = ParseRunLogLine(line + "\r\n");
    ASSERT_TRUE(back);
    EXPECT_EQ(back->folder, MixedRun().folder);
    EXPECT_EQ(back->removed, 3u);
    EXPECT_EQ(back->bytes, 12345678901ull);
    EXPECT_DOUBLE_EQ(back->seconds, 2.5);
    EXPECT_FALSE(ParseRunLogLine(kRunLogHeader));
    EXPECT_FALSE(ParseRunLogLine(line.substr(0, line.size() - 9)));
}

TEST(RunLog, ANewLogStartsWithItsHeaderAndAnOldOneKeepsIt)
{
    const std::string first = AppendToRunLog("", "one");
    EXPECT_EQ(first, "\xEF\xBB\xBF" + std::string(kRunLogHeader) + "\r\none\r\n");
    EXPECT_EQ(AppendToRunLog(first, "two"), first + "two\r\n");
}

TEST(RunLog, PastItsBoundTheOldestLinesGoAndACutLineStaysApart)
{
    std::string log;
    for (int i = 0; i < 100; ++i)
        log = AppendToRunLog(log, "line " + std::to_string(i), 200);
    EXPECT_LE(log.size(), 200u);
    EXPECT_TRUE(log.starts_with("\xEF\xBB\xBF" + std::string(kRunLogHeader) + "\r\nline "));
    EXPECT_TRUE(log.ends_with("line 98\r\nline 99\r\n"));
    // A write cut short left half a line; the next one still starts its own.
    const std::string cut = "\xEF\xBB\xBF" + std::string(kRunLogHeader) + "\r\nhalf";
    EXPECT_EQ(AppendToRunLog(cut, "next"), cut + "\r\nnext\r\n");
}

TEST(RunLog, TheLastRunIsTheNewestLineThatReads)
{
    RunLogEntry older = MixedRun();
    older.started = "2026-12-09T07:30:00";
    std::string log = AppendToRunLog("", FormatRunLogLine(older));
    log = AppendToRunLog(log, FormatRunLogLine(MixedRun()));
    log = AppendToRunLog(log, "garbage");
    const auto last = LastRunIn(log);
    ASSERT_TRUE(last);
    EXPECT_EQ(last->started, "2026-12-10T07:30:00");
    EXPECT_FALSE(LastRunIn(""));
}

TEST(RunLog, APreviewIsNoRun)
{
    RunLogEntry preview = MixedRun();
    preview.mode = "preview";
    preview.started = "2026-12-11T08:00:00";
    std::string log = AppendToRunLog("", FormatRunLogLine(MixedRun()));
    log = AppendToRunLog(log, FormatRunLogLine(preview));
    const auto last = LastRunIn(log);
    ASSERT_TRUE(last);
    EXPECT_EQ(last->started, "2026-12-10T07:30:00");
    EXPECT_FALSE(LastRunIn(AppendToRunLog("", FormatRunLogLine(preview))));
}
