// The idle window's status line tells of the newest run the log holds, in the place the
// status line has while busy.
#include "MainWindowFixture.h"

#include "app/LocalTimeText.h"
#include "app/RunLog.h"
#include "base/WideText.h"

#include <string>

namespace tessaly::test {
namespace {

class LastRunTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        logPath_ = ExecutableFolder() + "window-test runs.log";
        ASSERT_TRUE(ForceDeleteFile(logPath_));
        options_.runLogPath = AnsiToWide(logPath_);
    }

    void TearDown() override
    {
        MainWindowTest::TearDown();
        (void)ForceDeleteFile(logPath_);
    }

    void WriteLog(const std::vector<RunLogEntry>& runs)
    {
        std::string log;
        for (const RunLogEntry& run : runs)
            log = AppendToRunLog(log, FormatRunLogLine(run));
        ReplaceFileContent(logPath_, log);
    }

    std::string logPath_;
};

TEST_F(LastRunTest, OpeningShowsTheNewestRunOfTheLogWhereTheStatusLineIs)
{
    MakeForm();
    for (Ctl c : {Ctl::lblStatus, Ctl::lblStatusV, Ctl::lblESC})
        EXPECT_FALSE(IsShown(c)) << "no log yet: " << ControlName(c);
    const RECT caption = RectOf(Ctl::lblStatus);
    const RECT status = RectOf(Ctl::lblStatusV);

    RunLogEntry run;
    run.started = "2026-12-10T07:30:00";
    run.mode = "unattended";
    run.destination = 30;
    run.added = 12;
    run.updated = 3;
    // Looked at later, changed nothing: not the last run.
    RunLogEntry preview = run;
    preview.started = "2026-12-11T09:00:00";
    preview.mode = "preview";
    preview.exitCode = 4;
    WriteLog({run, preview});
    MakeForm();
    EXPECT_TRUE(IsShown(Ctl::lblStatus));
    EXPECT_TRUE(IsShown(Ctl::lblStatusV));
    EXPECT_FALSE(IsShown(Ctl::lblESC));
    const std::string when = UserDateTimeText({2026, 12, 10, 7, 30, 0});
    EXPECT_NE(when.find("2026"), std::string::npos) << when;
    EXPECT_EQ(Text(Ctl::lblStatusV), Utf8ToAnsi("Last run " + when + ": 12 added, 3 changed"));
    EXPECT_EQ(RectOf(Ctl::lblStatus).top, caption.top);
    EXPECT_EQ(RectOf(Ctl::lblStatus).left, caption.left);
    EXPECT_EQ(RectOf(Ctl::lblStatusV).left, status.left);

    // A line too long for the window (a large font, a long date format) is cut short
    // inside it, as far from its right edge as the caption is from its left.
    run.exitCode = 1;
    run.warning = "Only 3 of 4 contacts could be saved.";
    WriteLog({run});
    MakeForm();
    RECT client{};
    ::GetClientRect(form_->Handle(), &client);
    const std::string whole = Utf8ToAnsi("Last run " + when + ": failed: Only 3 of 4 contacts could be saved.");
    const std::string shown = Text(Ctl::lblStatusV);
    EXPECT_LE(RectOf(Ctl::lblStatusV).right, client.right - caption.left);
    if (shown != whole) {
        ASSERT_TRUE(shown.ends_with("...")) << shown;
        EXPECT_TRUE(whole.starts_with(shown.substr(0, shown.size() - 3))) << shown;
    }
}

} // namespace
} // namespace tessaly::test
