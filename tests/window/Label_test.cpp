// A label sizes itself to its text: a right-aligned one keeps its right edge, the others
// their left.
#include "ui/Label.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace tessaly {
namespace {

TEST(Label, SizesItselfToItsTextKeepingTheEdgeItIsAlignedTo)
{
    HWND host = ::CreateWindowExA(0, "STATIC", "host", WS_OVERLAPPEDWINDOW, 0, 0, 400, 200, nullptr, nullptr,
                                  ::GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(host);
    auto* font = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    {
        Label right;
        Label left;
        right.Create(host, 1, "", font, Label::Align::Right);
        left.Create(host, 2, "", font);
        right.Move(PixelRect{100, 10, 200, 20});
        left.Move(PixelRect{100, 40, 200, 20});
        int lastWidth = 0;
        for (const char* text : {"Press <ESC> to Stop", "x", "A much longer hint than the usual one"}) {
            SCOPED_TRACE(text);
            right.SetText(text);
            left.SetText(text);
            const RECT r = right.RectInParent();
            const RECT l = left.RectInParent();
            EXPECT_EQ(r.right, 300);
            EXPECT_EQ(l.left, 100);
            EXPECT_EQ(r.right - r.left, l.right - l.left);
            EXPECT_NE(r.right - r.left, lastWidth);
            lastWidth = r.right - r.left;
            EXPECT_EQ(right.Text(), text);
        }
    }
    ::DestroyWindow(host);
}

TEST(Label, ATextTooLongForItsRoomIsCutWithAnEllipsis)
{
    HWND host = ::CreateWindowExA(0, "STATIC", "host", WS_OVERLAPPEDWINDOW, 0, 0, 400, 200, nullptr, nullptr,
                                  ::GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(host);
    auto* font = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    {
        Label label;
        label.Create(host, 1, "", font);
        label.Move(PixelRect{20, 10, 10, 20});
        const std::string text = "Last run 10.12.2026 07:30: failed: The server did not answer in time.";
        label.SetTextWithin(text, 2000);
        EXPECT_EQ(label.Text(), text);
        const int whole = label.RectInParent().right;

        const int right = 20 + (whole - 20) / 2;
        label.SetTextWithin(text, right);
        const std::string cut = label.Text();
        EXPECT_LE(label.RectInParent().right, right);
        ASSERT_TRUE(cut.ends_with("...")) << cut;
        const std::string kept = cut.substr(0, cut.size() - 3);
        EXPECT_TRUE(text.starts_with(kept)) << cut;
        // As much as fits: up to the next letter would not.
        label.SetText(text.substr(0, text.find_first_not_of(' ', kept.size()) + 1) + "...");
        EXPECT_GT(label.RectInParent().right, right);
        EXPECT_EQ(label.RectInParent().left, 20);
    }
    ::DestroyWindow(host);
}

} // namespace
} // namespace tessaly
