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

} // namespace
} // namespace tessaly
