#include "ui/DialogGeometry.h"

#include <gtest/gtest.h>

namespace tessaly {
namespace {

TEST(DialogGeometry, InformationAt96DpiWithShortText)
{
    const DialogLayout layout = LayoutMessageDialog({200, 13}, {48, 61}, 1, 96);
    EXPECT_EQ(layout.picture, (PixelRect{10, 10, 48, 61}));
    EXPECT_EQ(layout.label, (PixelRect{68, 34, 205, 18}));
    EXPECT_EQ(layout.buttonTop, 86);
    EXPECT_EQ(layout.client.width, 283);
    EXPECT_EQ(layout.client.height, 124);
    ASSERT_EQ(layout.buttons.size(), 1u);
    EXPECT_EQ(layout.buttons[0], (PixelRect{99, 86, 85, 28}));
}

TEST(DialogGeometry, MeasuresScaleAndTruncateAt120Dpi)
{
    const DialogMetrics m = DialogMetrics::ForDpi(120);
    EXPECT_EQ(m.marginX, 6);
    EXPECT_EQ(m.marginY, 6);
    EXPECT_EQ(m.buttonWidth, 106);
    EXPECT_EQ(m.buttonHeight, 35);
    EXPECT_EQ(m.buttonGap, 21);

    const DialogLayout layout = LayoutMessageDialog({200, 16}, {48, 61}, 1, 120);
    EXPECT_EQ(layout.picture, (PixelRect{12, 12, 48, 61}));
    // 12 + (61 - 16) / 2, truncated
    EXPECT_EQ(layout.label, (PixelRect{72, 34, 206, 22}));
    EXPECT_EQ(layout.buttonTop, 12 + 61 + 18);
    EXPECT_EQ(layout.client.width, 72 + 206 + 12);
    EXPECT_EQ(layout.client.height, 91 + 35 + 12);
    EXPECT_EQ(layout.buttons[0].left, (290 - 106) / 2);
    EXPECT_EQ(layout.buttons[0].width, 106);
}

TEST(DialogGeometry, TallTextLowersThePicture)
{
    const DialogLayout layout = LayoutMessageDialog({300, 91}, {48, 60}, 1, 96);
    EXPECT_EQ(layout.picture.top, 10 + 15);
    EXPECT_EQ(layout.label.top, 10);
    // The label (91 + 5 high) is now the lower content.
    EXPECT_EQ(layout.buttonTop, 10 + 96 + 15);
}

TEST(DialogGeometry, ShortTextKeepsRoomForOneButtonAndTwoGaps)
{
    const DialogLayout layout = LayoutMessageDialog({10, 13}, {48, 64}, 1, 96);
    EXPECT_EQ(layout.client.width, 119);
    EXPECT_EQ(layout.buttons[0].left, 17);
}

TEST(DialogGeometry, SeveralButtonsShareTheWidthEvenly)
{
    const DialogLayout layout = LayoutMessageDialog({400, 13}, {48, 64}, 2, 96);
    ASSERT_EQ(layout.buttons.size(), 2u);
    const int space = (layout.client.width - 2 * 85) / 3;
    EXPECT_EQ(layout.buttons[0].left, space);
    EXPECT_EQ(layout.buttons[1].left, 2 * space + 85);
    EXPECT_EQ(DialogMetrics::ForDpi(96).ButtonsWidth(3), 3 * 85 + 4 * 17);
}

TEST(DialogGeometry, WrapWidthAndCentring)
{
    EXPECT_EQ(TextWrapWidth(1281), 640);
    EXPECT_EQ(CentreOnScreen({301, 150}, {1280, 1024}), (PixelRect{489, 437, 301, 150}));
}

} // namespace
} // namespace tessaly
