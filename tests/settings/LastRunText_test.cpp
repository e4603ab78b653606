// The idle window's line about the last run: when, and what it did or what stopped it.
#include "app/LastRunText.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

using namespace tessaly;

namespace {

// Stands in for the user's formats: day first, so a swapped field shows.
std::string DayFirst(const LocalDateTime& t)
{
    char text[32] = {};
    std::snprintf(text, sizeof text, "%02d.%02d.%04d %02d:%02d", t.day, t.month, t.year, t.hour, t.minute);
    return text;
}

RunLogEntry Ended(int exitCode, std::string warning = {})
{
    RunLogEntry run;
    run.started = "2026-12-10T07:30:45";
    run.exitCode = exitCode;
    run.warning = std::move(warning);
    run.added = 12;
    run.updated = 3;
    run.removed = 2;
    run.unchanged = 500;
    return run;
}

TEST(LastRunText, ASuccessSaysWhenAndWhatChanged)
{
    EXPECT_EQ(LastRunText(Ended(0), DayFirst), "Last run 10.12.2026 07:30: 12 added, 3 changed, 2 removed");
    RunLogEntry quiet = Ended(0);
    quiet.added = 0;
    quiet.removed = 0;
    EXPECT_EQ(LastRunText(quiet, DayFirst), "Last run 10.12.2026 07:30: 3 changed");
    quiet.updated = 0;
    EXPECT_EQ(LastRunText(quiet, DayFirst), "Last run 10.12.2026 07:30: nothing changed");
}

TEST(LastRunText, AnyOtherOutcomeSaysWhatStoppedIt)
{
    EXPECT_EQ(LastRunText(Ended(2, "Sync operation has been interrupted by user."), DayFirst),
              "Last run 10.12.2026 07:30: interrupted");
    EXPECT_EQ(LastRunText(Ended(4), DayFirst), "Last run 10.12.2026 07:30: stopped, it would remove too many contacts");
    EXPECT_EQ(LastRunText(Ended(1, "The server did not answer in time."), DayFirst),
              "Last run 10.12.2026 07:30: failed: The server did not answer in time.");
    EXPECT_EQ(LastRunText(Ended(3), DayFirst), "Last run 10.12.2026 07:30: failed");
}

TEST(LastRunText, ALongWarningIsCutAtAWordAndNeverInsideACharacter)
{
    // The log holds line breaks as blanks; they run together on the line.
    const std::string text =
        LastRunText(Ended(1, "Sync operation failed.  Please try to connect later or contact support."), DayFirst);
    EXPECT_EQ(text, "Last run 10.12.2026 07:30: failed: Sync operation failed. Please try to...");

    // Two-byte letters only: no cut may split one.
    std::string letters;
    for (int i = 0; i < 25; ++i)
        letters += "\xC3\xA4";
    const std::string cut = LastRunText(Ended(3, letters), DayFirst);
    const std::string kept = cut.substr(cut.find("failed: ") + 8);
    ASSERT_TRUE(kept.ends_with("..."));
    EXPECT_LE(kept.size(), kLastRunWarningMax);
    EXPECT_EQ((kept.size() - 3) % 2, 0u) << kept;
}

TEST(LastRunText, AStartTimeThatDoesNotReadIsShownAsTheLogHoldsIt)
{
    RunLogEntry run = Ended(2);
    for (const char* odd : {"2026-02-30T07:30:00", "2026-12-10 07:30:00", "2026-12-10T24:00:00", "yesterday"}) {
        run.started = odd;
        EXPECT_EQ(LastRunText(run, DayFirst), std::string("Last run ") + odd + ": interrupted");
    }
    EXPECT_TRUE(ParseLogTime("2028-02-29T23:59:59"));
    EXPECT_FALSE(ParseLogTime("2026-02-29T00:00:00"));
}

} // namespace
