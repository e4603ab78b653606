#include "ui/MainLayout.h"

#include <gtest/gtest.h>

namespace tessaly {
namespace {

// Sizes as the toolkit measures them for the window font at a given density.
LayoutInput Measured(int spacing, int sourceTop, int labelHeight, int fieldHeight, bool glyph)
{
    LayoutInput in;
    in.spacing = spacing;
    in.sourceLabelTop = sourceTop;
    in.scheduleHasGlyph = glyph;
    for (auto& size : in.own)
        size = PixelSize{40, labelHeight};
    in.own[Index(Ctl::imgTop)] = {537, 40};
    in.own[Index(Ctl::edtSource)] = {100, fieldHeight};
    in.own[Index(Ctl::edtTitle)] = {100, fieldHeight};
    in.own[Index(Ctl::cmbTo)] = {100, fieldHeight};
    in.own[Index(Ctl::cmbScheduler)] = {100, fieldHeight};
    in.own[Index(Ctl::lblEvery)] = {28, labelHeight};
    in.own[Index(Ctl::lblDay)] = {35, labelHeight};
    in.own[Index(Ctl::lblAT)] = {10, labelHeight};
    in.own[Index(Ctl::lblESC)] = {97, labelHeight};
    return in;
}

TEST(MainLayout, At96PixelsPerInch)
{
    const LayoutResult r = ArrangeMainWindow(Measured(5, 25, 13, 21, true));
    EXPECT_EQ(r.clientWidth, 537);
    EXPECT_EQ(r.clientHeight, 533);
    EXPECT_EQ(r[Ctl::pnlTop], (PixelRect{0, 5, 537, 40}));
    EXPECT_EQ(r[Ctl::gbxSrc], (PixelRect{15, 52, 507, 189}));
    EXPECT_EQ(r[Ctl::edtSource], (PixelRect{20, 42, 467, 21}));
    EXPECT_EQ(r[Ctl::edtPass], (PixelRect{20, 148, 467, 21}));
    EXPECT_EQ(r[Ctl::gbxDst], (PixelRect{15, 261, 507, 229}));
    EXPECT_EQ(r[Ctl::lblProduct].left, 16);
    EXPECT_EQ(r[Ctl::lblProduct].top, 11);
    EXPECT_EQ(r[Ctl::btnSchedule], (PixelRect{337, 139, 150, 30}));
    EXPECT_EQ(r[Ctl::btnSync], (PixelRect{198, 184, 111, 30}));
    // The interval row: "Every", the list, "day(s)", "at", the picker under "Start Time:".
    EXPECT_EQ(r[Ctl::lblEvery].left, 35);
    EXPECT_EQ(r[Ctl::lblEvery].top, 151);
    EXPECT_EQ(r[Ctl::cmbScheduler], (PixelRect{68, 148, 75, 21}));
    EXPECT_EQ(r[Ctl::lblDay].left, 148);
    EXPECT_EQ(r[Ctl::lblAT].left, 198);
    EXPECT_EQ(r[Ctl::dtScheduler], (PixelRect{213, 148, 95, 21}));
    EXPECT_EQ(r[Ctl::lblTime].left, 213);
    EXPECT_EQ(r[Ctl::lblTime].top, r[Ctl::lblScheduler].top);
    EXPECT_EQ(r[Ctl::lblStatus].top, 505);
    EXPECT_EQ(r[Ctl::aniBusy].left, 15);
    EXPECT_EQ(r[Ctl::aniBusy].top, 5);
}

TEST(MainLayout, At120PixelsPerInchTheButtonsGrowAndTheWidthStays)
{
    const LayoutResult r = ArrangeMainWindow(Measured(6, 31, 16, 24, false));
    EXPECT_EQ(r.clientWidth, 537);
    EXPECT_EQ(r.clientHeight, 624);
    EXPECT_EQ(r[Ctl::gbxSrc], (PixelRect{18, 54, 501, 223}));
    EXPECT_EQ(r[Ctl::gbxDst], (PixelRect{18, 301, 501, 271}));
    EXPECT_EQ(r[Ctl::btnSchedule], (PixelRect{332, 163, 145, 36}));
    EXPECT_EQ(r[Ctl::btnSync], (PixelRect{184, 217, 133, 36}));
    EXPECT_EQ(r[Ctl::lblStatus].top, 590);
}

TEST(MainLayout, EdgesLineUpWhateverTheSizes)
{
    for (int spacing : {3, 5, 6, 7, 10}) {
        LayoutInput in = Measured(spacing, 25 * spacing / 5, 12 + spacing, 18 + spacing, spacing == 5);
        in.own[Index(Ctl::lblESC)].width = 10 * spacing + 3;
        in.own[Index(Ctl::lblSource)].width = 77;
        const LayoutResult r = ArrangeMainWindow(in);
        SCOPED_TRACE(spacing);
        // The schedule button ends level with the fields and with the picker's bottom.
        EXPECT_EQ(r[Ctl::btnSchedule].Right(), r[Ctl::edtTitle].Right());
        EXPECT_EQ(r[Ctl::btnSchedule].Bottom(), r[Ctl::dtScheduler].Bottom());
        // Sync Now is centred in its group.
        EXPECT_EQ(r[Ctl::btnSync].left, r[Ctl::gbxDst].width - r[Ctl::btnSync].Right());
        // The Escape hint ends at the group's right edge; the value labels sit beside their captions.
        EXPECT_EQ(r[Ctl::lblESC].Right(), r[Ctl::gbxDst].Right());
        EXPECT_EQ(r[Ctl::lblSourceV].left, r[Ctl::lblSource].left + 77 + spacing + 1);
        EXPECT_EQ(r[Ctl::lblStatusV].left, r[Ctl::lblStatus].Right() + spacing + 1);
        EXPECT_EQ(r[Ctl::edtUser].width, r[Ctl::edtSource].width);
        EXPECT_EQ(r[Ctl::cmbTo].width, r[Ctl::edtSource].width);
        EXPECT_EQ(r.clientWidth, 537);
    }
}

} // namespace
} // namespace tessaly
