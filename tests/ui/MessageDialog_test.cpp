// The real message dialog on the Wine desktop. Each test posts a probe message before
// showing the dialog; the dialog's own modal loop delivers it, so the probe looks at the
// shown dialog and then closes it the way a user would, without timers or sleeps.
#include "app/MainWindow.h"
#include "ui/DialogGeometry.h"
#include "ui/MessageDialog.h"
#include "ui/ScreenCursor.h"
#include "support/WindowQueries.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>

namespace tessaly {
namespace {

using test::FontOf;
using test::WindowText;

const char* const kProbeClass = "TessalyDialogProbe";

// Runs a step inside whatever modal loop is running when its posted message comes.
class Probe {
public:
    Probe()
    {
        WNDCLASSA wc{};
        wc.lpfnWndProc = Proc;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = kProbeClass;
        ::RegisterClassA(&wc);
        window_ = ::CreateWindowExA(0, kProbeClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        ::SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~Probe()
    {
        // Steps that never ran are dropped with the window.
        ::DestroyWindow(window_);
    }
    Probe(const Probe&) = delete;
    Probe& operator=(const Probe&) = delete;

    // Queues a step; it runs when the message loop reaches it.
    void Then(std::function<void()> step)
    {
        steps_.push_back(std::move(step));
        ::PostMessageA(window_, WM_APP, steps_.size() - 1, 0);
    }
    int ran = 0;

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* self = reinterpret_cast<Probe*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
        if (message == WM_APP && self) {
            ++self->ran;
            self->steps_[wParam]();
            return 0;
        }
        return ::DefWindowProcA(window, message, wParam, lParam);
    }

    HWND window_;
    std::vector<std::function<void()>> steps_;
};

BOOL CALLBACK TakeVisibleDialog(HWND window, LPARAM found)
{
    char cls[32] = {};
    ::GetClassNameA(window, cls, sizeof cls);
    if (std::string(cls) == "#32770" && ::IsWindowVisible(window)) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

HWND FindMessageDialog()
{
    HWND found = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), TakeVisibleDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

PixelRect ChildRect(HWND dialog, int id)
{
    HWND child = ::GetDlgItem(dialog, id);
    RECT r{};
    ::GetWindowRect(child, &r);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

// What a dialog of this text should look like, measured as the dialog measures it.
DialogLayout ExpectedLayout(HWND dialog, const std::string& text, PixelSize picture)
{
    HDC dc = ::GetDC(dialog);
    HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageA(::GetDlgItem(dialog, kMessageTextId),
                                                                              WM_GETFONT, 0, 0)));
    RECT bounds{0, 0, TextWrapWidth(::GetSystemMetrics(SM_CXSCREEN)), 0};
    ::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &bounds, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    ::SelectObject(dc, old);
    ::ReleaseDC(dialog, dc);
    return LayoutMessageDialog({bounds.right, bounds.bottom}, picture, 1, ::GetDeviceCaps(::GetDC(nullptr), LOGPIXELSY));
}

void Close(HWND dialog, int id = IDOK)
{
    ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

void PressKey(HWND dialog, WPARAM key)
{
    ::PostMessageA(::GetDlgItem(dialog, IDOK), WM_KEYDOWN, key, 1);
}

TEST(MessageDialog, InformationIsLaidOutAroundItsMeasuredText)
{
    const std::string text = "Operation completed successfully.";
    Probe probe;
    probe.Then([&] {
        HWND dialog = FindMessageDialog();
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(WindowText(dialog), "Corvane Tessaly");
        const DialogLayout expected = ExpectedLayout(dialog, text, {48, 61});
        EXPECT_EQ(ChildRect(dialog, kMessagePictureId), expected.picture);
        EXPECT_EQ(ChildRect(dialog, kMessageTextId), expected.label);
        EXPECT_EQ(ChildRect(dialog, IDOK), expected.buttons.at(0));
        RECT client{};
        ::GetClientRect(dialog, &client);
        EXPECT_EQ(client.right, expected.client.width);
        EXPECT_EQ(client.bottom, expected.client.height);
        RECT outer{};
        ::GetWindowRect(dialog, &outer);
        EXPECT_EQ(outer.left, (::GetSystemMetrics(SM_CXSCREEN) - (outer.right - outer.left)) / 2);
        EXPECT_EQ(outer.top, (::GetSystemMetrics(SM_CYSCREEN) - (outer.bottom - outer.top)) / 2);

        const LOGFONTA textFont = FontOf(::GetDlgItem(dialog, kMessageTextId));
        EXPECT_STREQ(textFont.lfFaceName, "Tahoma");
        EXPECT_EQ(textFont.lfWeight, FW_BOLD);
        EXPECT_EQ(textFont.lfHeight, -11);
        EXPECT_EQ(FontOf(::GetDlgItem(dialog, IDOK)).lfWeight, FW_NORMAL);
        EXPECT_EQ(WindowText(::GetDlgItem(dialog, IDOK)), "OK");

        // The picture's background lets the dialog show through; the picture itself is drawn.
        ::UpdateWindow(dialog);
        HDC dc = ::GetDC(dialog);
        const PixelRect picture = expected.picture;
        const COLORREF corner = ::GetPixel(dc, picture.left, picture.Bottom() - 1);
        const COLORREF dot = ::GetPixel(dc, picture.left + 24, picture.top + 9);
        ::ReleaseDC(dialog, dc);
        EXPECT_EQ(corner, ::GetSysColor(COLOR_BTNFACE));
        EXPECT_EQ(dot, RGB(0, 0, 255));

        PressKey(dialog, VK_RETURN); // the default button
    });
    EXPECT_EQ(ShowInformation(text), mrOk);
    EXPECT_EQ(probe.ran, 1);
}

TEST(MessageDialog, EachKindShowsItsPictureUnderTheSameTitle)
{
    const PixelSize sizes[] = {{48, 60}, {48, 61}, {48, 64}, {48, 64}};
    for (int kind = 0; kind < 4; ++kind) {
        SCOPED_TRACE(kind);
        Probe probe;
        probe.Then([&] {
            HWND dialog = FindMessageDialog();
            ASSERT_NE(dialog, nullptr);
            EXPECT_EQ(WindowText(dialog), "Corvane Tessaly");
            const PixelRect picture = ChildRect(dialog, kMessagePictureId);
            EXPECT_EQ(picture.width, sizes[kind].width);
            EXPECT_EQ(picture.height, sizes[kind].height);
            Close(dialog);
        });
        EXPECT_EQ(ShowMessageDlg("Text", static_cast<MsgKind>(kind), mbOK), mrOk);
    }
}

TEST(MessageDialog, LongTextWrapsAtHalfTheScreenAndOnlyALongWordWidensIt)
{
    const int half = TextWrapWidth(::GetSystemMetrics(SM_CXSCREEN));
    std::string words;
    for (int i = 0; i < 80; ++i)
        words += "synchronise ";
    Probe probe;
    probe.Then([&] {
        HWND dialog = FindMessageDialog();
        ASSERT_NE(dialog, nullptr);
        const PixelRect label = ChildRect(dialog, kMessageTextId);
        EXPECT_LE(label.width, half + 5);
        EXPECT_GT(label.width, half / 2);
        EXPECT_GT(label.height, 3 * 13);
        EXPECT_EQ(ChildRect(dialog, kMessageTextId), ExpectedLayout(dialog, words, {48, 60}).label);
        Close(dialog);
    });
    ShowWarning(words);

    const std::string word(400, 'W');
    probe.Then([&] {
        HWND dialog = FindMessageDialog();
        ASSERT_NE(dialog, nullptr);
        EXPECT_GT(ChildRect(dialog, kMessageTextId).width, half + 5);
        Close(dialog);
    });
    ShowWarning(word);
    EXPECT_EQ(probe.ran, 2);
}

TEST(MessageDialog, AmpersandIsShownAsItIs)
{
    const std::string text = "Smith & Sons && &Partners";
    Probe probe;
    probe.Then([&] {
        HWND dialog = FindMessageDialog();
        ASSERT_NE(dialog, nullptr);
        HWND label = ::GetDlgItem(dialog, kMessageTextId);
        EXPECT_EQ(WindowText(label), text);
        EXPECT_TRUE(::GetWindowLongA(label, GWL_STYLE) & SS_NOPREFIX);
        EXPECT_EQ(ChildRect(dialog, kMessageTextId), ExpectedLayout(dialog, text, {48, 64}).label);
        Close(dialog);
    });
    ShowError(text);
    EXPECT_EQ(probe.ran, 1);
}

TEST(MessageDialog, EscapeCancelsUnlessCtrlIsHeld)
{
    BYTE keys[256] = {};
    ::GetKeyboardState(keys);
    bool stillShownAfterCtrlEscape = false;
    Probe probe;
    probe.Then([&] {
        HWND dialog = FindMessageDialog();
        ASSERT_NE(dialog, nullptr);
        BYTE ctrl[256];
        std::copy(std::begin(keys), std::end(keys), ctrl);
        ctrl[VK_CONTROL] = 0x80;
        ::SetKeyboardState(ctrl);
        PressKey(dialog, VK_ESCAPE);
        probe.Then([&, dialog] {
            stillShownAfterCtrlEscape = ::IsWindowVisible(dialog) != FALSE;
            ::SetKeyboardState(keys);
            PressKey(dialog, VK_ESCAPE);
        });
    });
    EXPECT_EQ(ShowWarning("Stop?"), false);
    EXPECT_TRUE(stillShownAfterCtrlEscape);
    EXPECT_EQ(probe.ran, 2);

    probe.Then([&] { PressKey(FindMessageDialog(), VK_ESCAPE); });
    EXPECT_EQ(ShowInformation("Cancel"), mrCancel);
}

TEST(MessageDialog, DialogDestroyedFromOutsideEndsAsCancel)
{
    Probe probe;
    probe.Then([] { ::DestroyWindow(FindMessageDialog()); });
    EXPECT_EQ(ShowError("Gone"), mrCancel);
}

TEST(MessageDialog, ArrowWhileShownThenTheSavedCursorAgain)
{
    HCURSOR wait = ::LoadCursorA(nullptr, IDC_WAIT);
    SetScreenCursor(wait);
    HCURSOR during = nullptr;
    Probe probe;
    probe.Then([&] {
        during = ScreenCursor();
        Close(FindMessageDialog());
    });
    ShowInformation("Busy");
    EXPECT_EQ(during, ::LoadCursorA(nullptr, IDC_ARROW));
    EXPECT_EQ(ScreenCursor(), wait);

    // A dialog that cannot be built still gives the cursor back.
    EXPECT_THROW(ShowMessageDlg("No picture", static_cast<MsgKind>(4), mbOK), std::out_of_range);
    EXPECT_EQ(ScreenCursor(), wait);
    SetScreenCursor(nullptr);
}

TEST(MessageDialog, ActiveWindowOwnsTheDialogAndIsDisabledMeanwhile)
{
    HWND owner = ::CreateWindowExA(0, "STATIC", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                                   nullptr, nullptr, nullptr);
    ASSERT_NE(owner, nullptr);
    ::SetForegroundWindow(owner);
    ::SetActiveWindow(owner);
    if (::GetActiveWindow() != owner) {
        ::DestroyWindow(owner);
        GTEST_SKIP() << "the desktop did not activate the window";
    }
    HWND ownerSeen = nullptr;
    bool enabledMeanwhile = true;
    Probe probe;
    probe.Then([&] {
        HWND dialog = FindMessageDialog();
        ASSERT_NE(dialog, nullptr);
        ownerSeen = ::GetWindow(dialog, GW_OWNER);
        enabledMeanwhile = ::IsWindowEnabled(owner) != FALSE;
        Close(dialog);
    });
    ShowInformation("Owned");
    EXPECT_EQ(ownerSeen, owner);
    EXPECT_FALSE(enabledMeanwhile);
    EXPECT_TRUE(::IsWindowEnabled(owner));
    ::DestroyWindow(owner);
}

TEST(MainWindowNotices, KindsMapToTheirDialogsAndUnattendedShowsNone)
{
    MainWindow form(false);
    const PixelSize sizes[] = {{48, 60}, {48, 61}, {48, 64}};
    for (int kind = 0; kind < 3; ++kind) {
        SCOPED_TRACE(kind);
        Probe probe;
        probe.Then([&] {
            HWND dialog = FindMessageDialog();
            ASSERT_NE(dialog, nullptr);
            EXPECT_EQ(WindowText(::GetDlgItem(dialog, kMessageTextId)), "Notice");
            EXPECT_EQ(ChildRect(dialog, kMessagePictureId).height, sizes[kind].height);
            Close(dialog);
        });
        form.ShowNotice(static_cast<NoticeKind>(kind), "Notice");
        EXPECT_EQ(probe.ran, 1);
    }

    MainWindow unattended(true);
    Probe probe;
    probe.Then([] {});
    unattended.ShowNotice(NoticeKind::Error, "Nobody sees this");
    unattended.AppException(std::make_exception_ptr(std::runtime_error("nor this")));
    // No loop ran in between, so the probe is still waiting.
    EXPECT_EQ(probe.ran, 0);
}

} // namespace
} // namespace tessaly
