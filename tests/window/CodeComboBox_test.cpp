#include "ui/CodeComboBox.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace tessaly {
namespace {

// A plain top-level window that passes its combo's notifications back to it.
class ComboHost {
public:
    ComboHost()
    {
        WNDCLASSA wc{};
        wc.lpfnWndProc = Proc;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = "ComboHostTest";
        ::RegisterClassA(&wc);
        hwnd_ = ::CreateWindowExA(0, "ComboHostTest", "host", WS_OVERLAPPEDWINDOW, 0, 0, 300, 300, nullptr, nullptr,
                                  wc.hInstance, nullptr);
        ::SetWindowLongPtrA(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        LOGFONTA lf{};
        lf.lfHeight = -11;
        lstrcpynA(lf.lfFaceName, "Tahoma", LF_FACESIZE);
        font_ = ::CreateFontIndirectA(&lf);
        combo.Create(hwnd_, 7, font_);
        combo.SetupCombo(false, true, [](int code, bool& enabled) { enabled = code != 0; });
        combo.SetBounds(10, 10, 150);
    }
    ~ComboHost()
    {
        ::SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
        ::DestroyWindow(hwnd_);
        ::DeleteObject(font_);
    }
    HWND hwnd() const { return hwnd_; }
    HFONT font() const { return font_; }

    CodeComboBox combo;

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (auto* self = reinterpret_cast<ComboHost*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA))) {
            LRESULT result = 0;
            if (self->combo.HandleParentMessage(message, wParam, lParam, result))
                return result;
        }
        return ::DefWindowProcA(hwnd, message, wParam, lParam);
    }

    HWND hwnd_ = nullptr;
    HFONT font_ = nullptr;
};

// Draws one item into a bitmap and reads the colour of a pixel away from the text.
COLORREF DrawnBackground(CodeComboBox& combo, int index, UINT state)
{
    HDC screen = ::GetDC(nullptr);
    HDC dc = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, 100, 20);
    HGDIOBJ old = ::SelectObject(dc, bitmap);
    const RECT rect{0, 0, 100, 20};
    combo.DrawItem(dc, index, rect, state);
    const COLORREF colour = ::GetPixel(dc, 98, 18);
    ::SelectObject(dc, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
    ::ReleaseDC(nullptr, screen);
    return colour;
}

TEST(ComboEx, ItemsAreReadAndFoundByCode)
{
    ComboHost host;
    CodeComboBox& combo = host.combo;
    EXPECT_EQ(combo.SelectedCode(), 0); // nothing selected yet
    EXPECT_EQ(combo.CodeAt(-1), 0);
    combo.AddItem("Ten", 10);
    combo.AddItem("Twenty", 20);
    combo.AddItem("Another ten", 10);
    combo.AddItem("Thirty", 30);
    EXPECT_EQ(combo.IndexOfCode(10), 0); // the first match
    EXPECT_EQ(combo.IndexOfCode(30), 3);
    EXPECT_EQ(combo.IndexOfCode(99), -1);
    combo.SetItemIndex(1);
    EXPECT_EQ(combo.SelectedCode(), 20);
    EXPECT_EQ(combo.ItemText(3), "Thirty");
    // Items stay in the order added: the list is not sorted.
    EXPECT_EQ(combo.ItemText(2), "Another ten");
}

TEST(ComboEx, DisabledItemsAreGreyAndInvertedWhenSelected)
{
    ComboHost host;
    CodeComboBox& combo = host.combo;
    combo.AddItem("Off", 0);
    combo.AddItem("On", 10);
    const COLORREF window = ::GetSysColor(COLOR_WINDOW);
    const COLORREF grey = ::GetSysColor(COLOR_GRAYTEXT);
    EXPECT_EQ(DrawnBackground(combo, 1, 0), window);
    EXPECT_EQ(DrawnBackground(combo, 1, ODS_SELECTED), ::GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_EQ(DrawnBackground(combo, 0, 0), window);
    EXPECT_EQ(DrawnBackground(combo, 0, ODS_SELECTED), grey);
}

TEST(ComboEx, ReportsOnlyRealChangesOfSelection)
{
    ComboHost host;
    CodeComboBox& combo = host.combo;
    combo.AddItem("A", 1);
    combo.AddItem("B", 2);
    int fired = 0;
    combo.OnSelChange = [&](CodeComboBox& sender) {
        EXPECT_EQ(&sender, &combo);
        ++fired;
    };
    combo.SetItemIndex(1);
    combo.ComboChange();
    combo.ComboChange(); // the same item chosen again
    EXPECT_EQ(fired, 1);
    // The notification the control sends its parent goes the same way.
    combo.SetItemIndex(0);
    ::SendMessageA(host.hwnd(), WM_COMMAND, MAKEWPARAM(7, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo.Handle()));
    EXPECT_EQ(fired, 2);
}

TEST(ComboEx, ItemHeightFollowsTheFontButNeverShrinks)
{
    ComboHost host;
    CodeComboBox& combo = host.combo;
    const int text = FontTextHeight(combo.Handle(), host.font());
    ASSERT_GT(text, 0);
    EXPECT_EQ(FontTextHeight(nullptr, host.font()), text); // the screen's context before the window exists
    EXPECT_GE(combo.ItemHeight(), text + 2);
    ::SendMessageA(combo.Handle(), CB_SETITEMHEIGHT, 0, 30);
    combo.SetupCombo(false, true, nullptr);
    EXPECT_EQ(combo.ItemHeight(), 30);
}

TEST(ComboEx, TheOpenListShowsTwelveItemsBeforeItScrolls)
{
    ComboHost host;
    CodeComboBox& combo = host.combo;
    for (int i = 1; i <= 20; ++i)
        combo.AddItem("Item", i);
    combo.SetBounds(10, 10, 150);
    ::ShowWindow(host.hwnd(), SW_SHOWNA);
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(::GetComboBoxInfo(combo.Handle(), &info));
    ::SendMessageA(combo.Handle(), CB_SHOWDROPDOWN, TRUE, 0);
    RECT list{};
    ::GetClientRect(info.hwndList, &list);
    ::SendMessageA(combo.Handle(), CB_SHOWDROPDOWN, FALSE, 0);
    EXPECT_EQ(list.bottom / combo.ItemHeight(), 12);
}

TEST(ComboEx, AnEditableComboIsMadeAnewAndKeepsItsItems)
{
    ComboHost host;
    CodeComboBox& combo = host.combo;
    combo.AddItem("Kept", 5);
    combo.SetItemIndex(0);
    combo.SetupCombo(true, false, nullptr);
    const auto style = static_cast<DWORD>(::GetWindowLongA(combo.Handle(), GWL_STYLE));
    EXPECT_EQ(style & CBS_OWNERDRAWFIXED, 0u);
    EXPECT_EQ(style & 3u, static_cast<DWORD>(CBS_DROPDOWN));
    EXPECT_EQ(combo.SelectedCode(), 5);
    EXPECT_EQ(::GetDlgCtrlID(combo.Handle()), 7);
}

} // namespace
} // namespace tessaly
