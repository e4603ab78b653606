// The real main window: its controls, fonts, layout, lists and its two looks.
#include "MainWindowFixture.h"

#include "base/TextHelpers.h"
#include "support/WindowQueries.h"
#include "ui/FontHelpers.h"

#include <cstdlib>
#include <vector>

namespace tessaly::test {
namespace {

struct Expected {
    Ctl control;
    const char* className;
    Ctl parent; // Ctl::Count: the window
    const char* caption;
};

TEST_F(MainWindowTest, EveryControlHasItsKindParentAndCaption)
{
    MainWindow& form = MakeForm();
    const Expected expected[] = {
        {Ctl::pnlTop, "TessalyPanel", Ctl::Count, ""},
        {Ctl::gbxSrc, "Button", Ctl::Count, " Source "},
        {Ctl::lblSource, "Static", Ctl::gbxSrc, "&Download Link:"},
        {Ctl::lblSourceV, "Static", Ctl::gbxSrc, ""},
        {Ctl::lblUser, "Static", Ctl::gbxSrc, "&Username:"},
        {Ctl::lblUserV, "Static", Ctl::gbxSrc, "Optional"},
        {Ctl::lblPass, "Static", Ctl::gbxSrc, "&Password:"},
        {Ctl::lblPassV, "Static", Ctl::gbxSrc, "Optional"},
        {Ctl::edtSource, "Edit", Ctl::gbxSrc, nullptr},
        {Ctl::edtUser, "Edit", Ctl::gbxSrc, nullptr},
        {Ctl::edtPass, "Edit", Ctl::gbxSrc, nullptr},
        {Ctl::gbxDst, "Button", Ctl::Count, " Destination "},
        {Ctl::lblTo, "Static", Ctl::gbxDst, "Sync &To:"},
        {Ctl::lblToV, "Static", Ctl::gbxDst, "Specify e-mail program you want to use"},
        {Ctl::cmbTo, "ComboBox", Ctl::gbxDst, nullptr},
        {Ctl::lblTitle, "Static", Ctl::gbxDst, "&Contact Folder:"},
        {Ctl::lblTitleV, "Static", Ctl::gbxDst, ""},
        {Ctl::edtTitle, "Edit", Ctl::gbxDst, nullptr},
        {Ctl::lblScheduler, "Static", Ctl::gbxDst, "&Schedule Sync:"},
        {Ctl::lblSchedulerV, "Static", Ctl::gbxDst, ""},
        {Ctl::lblEvery, "Static", Ctl::gbxDst, "Every"},
        {Ctl::lblDay, "Static", Ctl::gbxDst, "day(s)"},
        {Ctl::lblAT, "Static", Ctl::gbxDst, "at"},
        {Ctl::lblTime, "Static", Ctl::gbxDst, "Start &Time:"},
        {Ctl::cmbScheduler, "ComboBox", Ctl::gbxDst, nullptr},
        {Ctl::dtScheduler, "SysDateTimePick32", Ctl::gbxDst, nullptr},
        {Ctl::lblStatus, "Static", Ctl::Count, "Status:"},
        {Ctl::lblESC, "Static", Ctl::Count, ""},
        {Ctl::imgTop, "Static", Ctl::pnlTop, nullptr},
        {Ctl::btnSchedule, "Button", Ctl::gbxDst, "Save Scheduled Task"},
        {Ctl::btnSync, "Button", Ctl::gbxDst, "Sync Now"},
        {Ctl::lblProduct, "Static", Ctl::pnlTop, "Corvane Tessaly"},
        {Ctl::lblStatusV, "Static", Ctl::Count, ""},
    };
    for (const Expected& e : expected) {
        SCOPED_TRACE(std::string(ControlName(e.control)));
        HWND hwnd = H(e.control);
        ASSERT_TRUE(hwnd);
        EXPECT_EQ(::GetDlgCtrlID(hwnd), ControlId(e.control));
        EXPECT_STRCASEEQ(ClassOf(hwnd).c_str(), e.className);
        EXPECT_EQ(::GetParent(hwnd), e.parent == Ctl::Count ? form.Handle() : H(e.parent));
        if (e.caption) {
            EXPECT_EQ(Text(e.control), e.caption);
        }
    }
    // The busy animation comes with the first busy look.
    EXPECT_EQ(H(Ctl::aniBusy), nullptr);

    char caption[64] = {};
    ::GetWindowTextA(form.Handle(), caption, sizeof caption);
    EXPECT_STREQ(caption, " Corvane Tessaly v1.07");
    const auto style = static_cast<DWORD>(::GetWindowLongA(form.Handle(), GWL_STYLE));
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & (WS_MAXIMIZEBOX | WS_THICKFRAME | WS_HSCROLL | WS_VSCROLL));
    // The password is shown as typed.
    EXPECT_EQ(::SendMessageA(H(Ctl::edtPass), EM_GETPASSWORDCHAR, 0, 0), 0);
    // The status line waits for the first action.
    for (Ctl c : {Ctl::lblStatus, Ctl::lblStatusV, Ctl::lblESC})
        EXPECT_FALSE(IsShown(c)) << ControlName(c);
    EXPECT_TRUE(IsShown(Ctl::lblProduct));
}

// The windows of this thread that the taskbar gives a button, by its rules: shown, and
// either marked as an application window or neither owned nor a tool window.
BOOL CALLBACK CollectButtonOwner(HWND hwnd, LPARAM data)
{
    const auto exStyle = static_cast<DWORD>(::GetWindowLongA(hwnd, GWL_EXSTYLE));
    const bool button = (exStyle & WS_EX_APPWINDOW) || (!::GetWindow(hwnd, GW_OWNER) && !(exStyle & WS_EX_TOOLWINDOW));
    if (::IsWindowVisible(hwnd) && button)
        reinterpret_cast<std::vector<HWND>*>(data)->push_back(hwnd);
    return TRUE;
}

TEST_F(MainWindowTest, TheTaskbarButtonShowsTheApplicationTitleWhileTheCaptionKeepsItsVersion)
{
    MainWindow& form = MakeForm();
    form.Show(SW_SHOW);
    std::vector<HWND> buttons;
    ::EnumThreadWindows(::GetCurrentThreadId(), CollectButtonOwner, reinterpret_cast<LPARAM>(&buttons));
    ASSERT_EQ(buttons.size(), 1u);
    char title[64] = {};
    ::GetWindowTextA(buttons[0], title, sizeof title);
    EXPECT_STREQ(title, "Corvane Tessaly");
    EXPECT_NE(::GetClassLongPtrA(buttons[0], GCLP_HICON), 0);
    EXPECT_EQ(::GetWindow(form.Handle(), GW_OWNER), buttons[0]);
    char caption[64] = {};
    ::GetWindowTextA(form.Handle(), caption, sizeof caption);
    EXPECT_STREQ(caption, " Corvane Tessaly v1.07");
    // The button's window takes neither the activation nor any room on the screen.
    EXPECT_EQ(::GetActiveWindow(), form.Handle());
    RECT rect{};
    ::GetWindowRect(buttons[0], &rect);
    EXPECT_TRUE(::IsRectEmpty(&rect));
}

TEST_F(MainWindowTest, TheTaskbarButtonMinimisesRestoresAndClosesTheWindow)
{
    MainWindow& form = MakeForm();
    form.Show(SW_SHOW);
    HWND owner = ::GetWindow(form.Handle(), GW_OWNER);
    ASSERT_TRUE(owner);
    ::SendMessageA(form.Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(::IsIconic(owner));
    EXPECT_FALSE(::IsWindowVisible(form.Handle()));
    ::SendMessageA(owner, WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_FALSE(::IsIconic(owner));
    EXPECT_TRUE(::IsWindowVisible(form.Handle()));
    EXPECT_FALSE(::IsIconic(form.Handle()));
    EXPECT_EQ(::GetActiveWindow(), form.Handle());
    // Closing from the button is refused while busy, like any other close.
    form.SetIdle(false);
    ::SendMessageA(owner, WM_CLOSE, 0, 0);
    EXPECT_TRUE(::IsWindow(form.Handle()));
    ASSERT_EQ(notices_.size(), 1u);
    form.SetIdle(true);
    ::SendMessageA(owner, WM_CLOSE, 0, 0);
    EXPECT_FALSE(::IsWindow(form.Handle()));
    EXPECT_TRUE(FileExists(iniPath_)); // closed the usual way, settings written
}

TEST_F(MainWindowTest, TabAndAccessKeysReachTheFieldsInOrder)
{
    MainWindow& form = MakeForm();
    form.Show(SW_SHOW);
    ::SetForegroundWindow(form.Handle());
    // The Source group has the focus at first; Tab leads into it.
    EXPECT_EQ(::GetFocus(), H(Ctl::gbxSrc));
    ::PostMessageA(::GetFocus(), WM_KEYDOWN, VK_TAB, 0x000F0001);
    Pump(form);
    EXPECT_EQ(::GetFocus(), H(Ctl::edtSource));
    const Ctl order[] = {Ctl::edtSource, Ctl::edtUser, Ctl::edtPass, Ctl::cmbTo, Ctl::edtTitle,
                         Ctl::cmbScheduler, Ctl::dtScheduler, Ctl::btnSchedule, Ctl::btnSync, Ctl::edtSource};
    HWND current = H(Ctl::edtSource);
    for (size_t i = 1; i < std::size(order); ++i) {
        current = ::GetNextDlgTabItem(form.Handle(), current, FALSE);
        EXPECT_EQ(current, H(order[i])) << "after " << ControlName(order[i - 1]);
    }
    // Alt with the underlined letter of a caption label focuses its field; "T" belongs to
    // "Sync To:" first, and then to "Start Time:" too.
    const std::pair<char, Ctl> keys[] = {{'u', Ctl::edtUser},  {'D', Ctl::edtSource}, {'t', Ctl::cmbTo},
                                         {'c', Ctl::edtTitle}, {'s', Ctl::cmbScheduler}, {'p', Ctl::edtPass}};
    for (const auto& [key, target] : keys) {
        MSG msg{::GetFocus(), WM_SYSCHAR, static_cast<WPARAM>(key), 1 << 29, 0, {}};
        EXPECT_TRUE(form.PreTranslateMessage(msg)) << key;
        EXPECT_EQ(::GetFocus(), H(target)) << key;
    }
}

TEST_F(MainWindowTest, FontsAndColoursFollowTheControlsRoles)
{
    MakeForm();
    const int ppi = ScreenPixelsPerInch();
    const Ctl bold[] = {Ctl::lblSource, Ctl::lblUser, Ctl::lblPass, Ctl::lblTo, Ctl::lblTitle, Ctl::lblScheduler,
                        Ctl::lblTime, Ctl::lblStatusV, Ctl::gbxSrc, Ctl::gbxDst, Ctl::lblStatus, Ctl::btnSync,
                        Ctl::lblProduct};
    const Ctl plain[] = {Ctl::lblSourceV, Ctl::lblUserV, Ctl::lblPassV, Ctl::edtSource, Ctl::edtUser,
                         Ctl::edtPass, Ctl::lblToV, Ctl::lblTitleV, Ctl::lblSchedulerV, Ctl::lblEvery,
                         Ctl::lblDay, Ctl::lblAT, Ctl::cmbTo, Ctl::edtTitle, Ctl::cmbScheduler,
                         Ctl::dtScheduler, Ctl::btnSchedule, Ctl::lblESC};
    form_->Show(SW_SHOW);
    ::SetForegroundWindow(form_->Handle());
    Pump(*form_);
    for (Ctl c : bold)
        EXPECT_EQ(FontOf(H(c)).lfWeight, FW_BOLD) << ControlName(c);
    for (Ctl c : plain) {
        const LOGFONTA font = FontOf(H(c));
        EXPECT_EQ(font.lfWeight, FW_NORMAL) << ControlName(c);
        EXPECT_EQ(font.lfHeight, ppi <= 96 ? -11 : -14) << ControlName(c);
        EXPECT_STREQ(font.lfFaceName, "Tahoma") << ControlName(c);
    }
    // Two points larger than the window font.
    EXPECT_EQ(FontOf(H(Ctl::lblProduct)).lfHeight, -MulDiv(MulDiv(-DefaultFontHeight(ppi), 72, ppi) + 2, ppi, 72));

    // The colours the labels are painted with, asked the way the labels ask their parent.
    HDC dc = ::CreateCompatibleDC(nullptr);
    const auto paintColour = [&](Ctl c) {
        ::SendMessageA(::GetParent(H(c)), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                       reinterpret_cast<LPARAM>(H(c)));
        return ::GetTextColor(dc);
    };
    for (Ctl c : {Ctl::lblSource, Ctl::lblTo, Ctl::lblTime, Ctl::lblStatusV})
        EXPECT_EQ(paintColour(c), RGB(0, 0, 128)) << ControlName(c);
    for (Ctl c : {Ctl::lblUserV, Ctl::lblEvery, Ctl::lblESC, Ctl::lblProduct, Ctl::lblStatus})
        EXPECT_EQ(paintColour(c), ::GetSysColor(COLOR_WINDOWTEXT)) << ControlName(c);
    ::DeleteDC(dc);
}

TEST_F(MainWindowTest, LayoutFollowsTheRulesAtThisScreenDensity)
{
    MainWindow& form = MakeForm();
    const int ppi = ScreenPixelsPerInch();
    if (const char* expected = std::getenv("TESSALY_EXPECT_PPI")) {
        ASSERT_EQ(ppi, std::atoi(expected)) << "the prefix's LogPixels setting did not take";
    }
    const int s = ScaleByDpi(5, ppi);
    RECT client{};
    ::GetClientRect(form.Handle(), &client);
    EXPECT_EQ(client.right, 537);
    EXPECT_EQ(RectOf(Ctl::imgTop).right - RectOf(Ctl::imgTop).left, 537);
    EXPECT_EQ(RectOf(Ctl::pnlTop).top, s);

    const RECT schedule = RectOf(Ctl::btnSchedule);
    const RECT sync = RectOf(Ctl::btnSync);
    // Only at 96 pixels per inch does the button carry its glyph, and it is wider for it.
    EXPECT_EQ(schedule.right - schedule.left, s == 5 ? 150 : 145);
    EXPECT_EQ(schedule.bottom - schedule.top, 6 * s);
    EXPECT_EQ(sync.bottom - sync.top, 6 * s);
    EXPECT_EQ(schedule.right, RectOf(Ctl::edtTitle).right);
    EXPECT_EQ(schedule.bottom, RectOf(Ctl::dtScheduler).bottom);
    const RECT group = RectOf(Ctl::gbxDst);
    EXPECT_EQ(sync.left, (group.right - group.left) - sync.right);
    EXPECT_EQ(client.bottom, RectOf(Ctl::lblStatus).bottom + 3 * s);
    // The picker is as high as the interval list and sits under "Start Time:".
    EXPECT_EQ(RectOf(Ctl::dtScheduler).bottom - RectOf(Ctl::dtScheduler).top,
              RectOf(Ctl::cmbScheduler).bottom - RectOf(Ctl::cmbScheduler).top);
    EXPECT_EQ(RectOf(Ctl::lblTime).left, RectOf(Ctl::dtScheduler).left);

    // The Escape hint keeps its right edge on the group's once it has its text (a right-aligned
    // label keeps its right edge whatever its length); the status grows rightwards.
    const RECT statusBefore = RectOf(Ctl::lblStatusV);
    form.SetIdle(false);
    EXPECT_EQ(Text(Ctl::lblESC), "Press <ESC> to Stop");
    EXPECT_EQ(RectOf(Ctl::lblESC).right, group.right);
    form.SetIdle(true);
    form.SetStatus("Global Contacts created - 12345 item(s)");
    EXPECT_EQ(RectOf(Ctl::lblStatusV).left, statusBefore.left);
    EXPECT_GT(RectOf(Ctl::lblStatusV).right, statusBefore.right);
}

TEST_F(MainWindowTest, FirstStartShowsTheDefaults)
{
    MainWindow& form = MakeForm();
    EXPECT_EQ(form.SourceText(), "http://www.corvane.example/data/contacts.csv");
    EXPECT_EQ(form.UserText(), "username");
    EXPECT_EQ(form.PasswordText(), "changeme");
    EXPECT_EQ(form.FolderText(), "Global Contacts");
    EXPECT_EQ(form.IntervalDays(), 1);
    EXPECT_EQ(form.DestinationCode(), 10);
    EXPECT_EQ(SelectedItem(Ctl::cmbTo), "Microsoft Office Outlook");
    EXPECT_DOUBLE_EQ(form.StartTimeValue(), 15.0 / 24.0);
}

TEST_F(MainWindowTest, TheListsHoldTheirItemsAndStartWithTheSavedCodes)
{
    struct Case {
        const char* ini;
        const char* destination;
        const char* interval;
    };
    const Case cases[] = {
        {"[corvane TESSALY]\r\nEmailClient=20\r\nInterval=3\r\n", "Outlook Express", " 3"},
        {"[Corvane Tessaly]\r\nEmailClient=0x1E\r\nInterval=7\r\n", "Windows Mail", " 7"},
        {"[Corvane Tessaly]\r\nEmailClient=99\r\nInterval=9\r\n", "Microsoft Office Outlook", " 1"},
        {"[Corvane Tessaly]\r\nEmailClient=0\r\nInterval=x\r\n", "Microsoft Office Outlook", " 1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ini);
        MakeForm(c.ini);
        EXPECT_EQ(SelectedItem(Ctl::cmbTo), c.destination);
        EXPECT_EQ(SelectedItem(Ctl::cmbScheduler), c.interval);
    }
    const auto to = Items(Ctl::cmbTo);
    ASSERT_EQ(to.size(), 3u);
    EXPECT_EQ(to[0].second, 10);
    EXPECT_EQ(to[1].second, 20);
    EXPECT_EQ(to[2].second, 30);
    const auto days = Items(Ctl::cmbScheduler);
    ASSERT_EQ(days.size(), 7u);
    for (size_t i = 0; i < 7; ++i) {
        EXPECT_EQ(days[i].second, static_cast<int>(i) + 1);
        EXPECT_EQ(days[i].first, std::string(" ") + std::to_string(i + 1));
    }
}

TEST_F(MainWindowTest, ChoosingAnotherDestinationChangesNothingElse)
{
    MakeForm();
    const auto snapshot = [&] {
        std::string state;
        for (size_t i = 0; i < kControlCount; ++i) {
            const auto c = static_cast<Ctl>(i);
            if (!H(c) || c == Ctl::cmbTo)
                continue;
            state += std::string(ControlName(c)) + (IsEnabled(c) ? " on " : " off ")
                     + (IsShown(c) ? "shown " : "hidden ") + Text(c) + "\n";
        }
        return state;
    };
    const std::string before = snapshot();
    ::SendMessageA(H(Ctl::cmbTo), CB_SETCURSEL, 2, 0);
    ::SendMessageA(H(Ctl::gbxDst), WM_COMMAND, MAKEWPARAM(ControlId(Ctl::cmbTo), CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(H(Ctl::cmbTo)));
    EXPECT_EQ(form_->DestinationCode(), 30);
    EXPECT_EQ(snapshot(), before);
}

TEST_F(MainWindowTest, BusyLookDisablesTheInputsAndShowsTheStatusAndLamps)
{
    MainWindow& form = MakeForm();
    form.Show(SW_SHOWNOACTIVATE);
    const Ctl inputs[] = {Ctl::edtSource, Ctl::edtUser, Ctl::edtPass, Ctl::cmbTo, Ctl::edtTitle,
                          Ctl::cmbScheduler, Ctl::dtScheduler, Ctl::btnSchedule, Ctl::btnSync,
                          Ctl::lblSourceV, Ctl::lblUserV, Ctl::lblPassV, Ctl::lblToV, Ctl::lblTitleV,
                          Ctl::lblSchedulerV};
    const Ctl captions[] = {Ctl::lblSource, Ctl::lblUser, Ctl::lblPass, Ctl::lblTo, Ctl::lblTitle,
                            Ctl::lblScheduler, Ctl::lblTime, Ctl::lblEvery, Ctl::lblDay, Ctl::lblAT};
    form.RequestStop();
    form.SetIdle(false);
    EXPECT_FALSE(form.StopRequested()); // entering the busy look clears an earlier Escape
    for (Ctl c : inputs)
        EXPECT_FALSE(IsEnabled(c)) << ControlName(c);
    for (Ctl c : captions)
        EXPECT_TRUE(IsEnabled(c)) << ControlName(c);
    for (Ctl c : {Ctl::lblStatus, Ctl::lblStatusV, Ctl::lblESC})
        EXPECT_TRUE(IsShown(c)) << ControlName(c);
    EXPECT_EQ(Text(Ctl::lblESC), "Press <ESC> to Stop");
    EXPECT_FALSE(IsShown(Ctl::lblProduct));
    HWND animation = H(Ctl::aniBusy);
    ASSERT_TRUE(animation);
    EXPECT_TRUE(IsShown(Ctl::aniBusy));
    EXPECT_EQ(::GetParent(animation), H(Ctl::pnlTop));
    EXPECT_EQ(RectOf(Ctl::aniBusy).left, 15);
    EXPECT_EQ(RectOf(Ctl::aniBusy).top, 5);
    EXPECT_EQ(RectOf(Ctl::aniBusy).right - RectOf(Ctl::aniBusy).left, 107); // sized by the clip
    // Painting of the banner is back on: the panel is visible again after the switch.
    EXPECT_TRUE(::GetWindowLongA(H(Ctl::pnlTop), GWL_STYLE) & WS_VISIBLE);

    form.SetStatus("Performing Sync..");
    form.SetIdle(true);
    for (Ctl c : inputs)
        EXPECT_TRUE(IsEnabled(c)) << ControlName(c);
    for (Ctl c : {Ctl::lblStatus, Ctl::lblStatusV, Ctl::lblESC})
        EXPECT_FALSE(IsShown(c)) << ControlName(c);
    EXPECT_TRUE(IsShown(Ctl::lblProduct));
    EXPECT_FALSE(IsShown(Ctl::aniBusy));
    EXPECT_EQ(Text(Ctl::lblStatusV), "Performing Sync.."); // kept while hidden
    form.SetIdle(false);
    EXPECT_EQ(H(Ctl::aniBusy), animation); // made once
    form.SetIdle(true);
}

} // namespace
} // namespace tessaly::test
