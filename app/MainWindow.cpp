// The main window's life: creation and set-up, the messages it handles, the Escape key,
// closing, and the unattended start.
#include "app/MainWindow.h"

#include "app/SettingsFile.h"
#include "base/ExceptionText.h"
#include "base/TextHelpers.h"
#include "resources/resource.h"
#include "resources/version.h"
#include "ui/ScreenCursor.h"

#include <cstring>
#include <system_error>

namespace tessaly {

namespace {

const char* const kClassName = "TForm1";
const char* const kProductName = TESSALY_PRODUCT_NAME;
const char* const kCloseWhileBusy = "Please use <ESC> key to stop building.";

MainWindow::Options StandardOptions(bool unattended)
{
    MainWindow::Options options;
    options.unattended = unattended;
    return options;
}

} // namespace

MainWindow::MainWindow(bool unattended) : MainWindow(StandardOptions(unattended))
{
}

MainWindow::MainWindow(const Options& options)
    : unattended_(options.unattended), owner_(::LoadIconA(::GetModuleHandleA(nullptr), IDI_MAIN_ICON)),
      pumpInterval_(options.pumpIntervalMs), noticeDisplay_(options.noticeDisplay), runLogPath_(options.runLogPath),
      run_(*this, *this, options.destinations, runLogPath_)
{
    RegisterWindowClass(kClassName, ::LoadIconA(::GetModuleHandleA(nullptr), IDI_MAIN_ICON));
    // Single border, not resizable, no maximise button, no scroll bars.
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    if (!CreateHandle(kClassName, kProductName, style, WS_EX_CONTROLPARENT, CW_USEDEFAULT, CW_USEDEFAULT, 480, 360,
                      owner_.Handle())) {
        if (creationError_)
            std::rethrow_exception(creationError_);
        throw std::system_error(static_cast<int>(::GetLastError()), std::system_category(), "CreateWindowEx");
    }
    owner_.SetMainWindow(Handle());
}

MainWindow::~MainWindow()
{
    DestroyHandle();
}

void MainWindow::Show(int showCommand)
{
    owner_.ShowButton();
    // Minimised means the owner minimised, with this window hidden under its button.
    const bool minimised = showCommand == SW_MINIMIZE || showCommand == SW_SHOWMINIMIZED ||
                           showCommand == SW_SHOWMINNOACTIVE || showCommand == SW_FORCEMINIMIZE;
    ::ShowWindow(Handle(), minimised ? SW_SHOWNOACTIVATE : showCommand);
    ::UpdateWindow(Handle());
    if (minimised)
        owner_.Minimise();
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        // A window without its controls is of no use: fail the creation, the constructor rethrows.
        try {
            CreateControls();
        } catch (...) {
            creationError_ = std::current_exception();
            return -1;
        }
        return 0;
    case WM_SETCURSOR:
        if (ApplyScreenCursor())
            return TRUE;
        break;
    case WM_STARTSYNC:
        RunUnattended();
        return 0;
    case WM_ACTIVATE:
        if (Activated(wParam))
            return 0;
        break;
    case WM_SYSCOMMAND:
        if (!SystemCommand(wParam))
            return 0;
        break;
    case WM_CLOSE:
        if (!CanCloseNow())
            return 0;
        SaveSettingsOnClose();
        break;
    case WM_ENDSESSION:
        // A log-off or shutdown ends the process without closing the window.
        if (wParam)
            SaveSettingsOnClose();
        return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        // Keys reach the window itself while its controls are disabled.
        KeyPressed(wParam, KeyShiftState());
        break;
    case WM_DESTROY:
        ReleaseSettings();
        ::PostQuitMessage(0);
        return 0;
    default:
        if (controls_) {
            LRESULT result = 0;
            if (controls_->HandleMessage(message, wParam, lParam, result))
                return result;
        }
        break;
    }
    return DefaultHandling(message, wParam, lParam);
}

void MainWindow::HandleException(std::exception_ptr error) noexcept
{
    try {
        AppException(error);
    } catch (...) {
        // The message dialog itself failed: fall back to the system's box.
        if (!unattended_)
            ::MessageBoxA(Handle(), ExceptionText(error).c_str(), kProductName, MB_OK | MB_ICONERROR);
    }
}

void MainWindow::AppException(std::exception_ptr error)
{
    ShowNotice(NoticeKind::Error, ExceptionText(error));
}

bool MainWindow::IsUnattendedSwitch(int argc, char** argv)
{
    return argc > 1 && argv[1] != nullptr && std::strcmp(argv[1], "-a") == 0;
}

unsigned MainWindow::KeyShiftState()
{
    unsigned shift = 0;
    if (::GetKeyState(VK_SHIFT) < 0)
        shift |= kShift;
    if (::GetKeyState(VK_MENU) < 0)
        shift |= kAlt;
    if (::GetKeyState(VK_CONTROL) < 0)
        shift |= kCtrl;
    return shift;
}

void MainWindow::CreateControls()
{
    settings_ = std::make_unique<IniFile>(LoadIniFile(SettingsFilePath()));
    controls_ = std::make_unique<MainWindowControls>(Handle());
    controls_->CreateFormControls();
    controls_->BuildControls();
    controls_->syncNow.OnClick = [this] { SyncNow(); };
    controls_->saveTask.OnClick = [this] { SaveTask(); };
    ShowSettings(*settings_);
}

void MainWindow::ShowSettings(const IniFile& settings)
{
    controls_->SetFonts();
    controls_->SetCaptions();
    LoadSettings(settings);
    controls_->ArrangeControls();
    if (unattended_)
        StartUnattended();
    else
        ShowLastRun();
}

void MainWindow::SaveSettingsOnClose()
{
    if (unattended_ || !settings_)
        return;
    try {
        SaveSettings(*settings_);
    } catch (const std::exception& error) {
        // The old file is still there; say why the new one is not.
        ShowNotice(NoticeKind::Error, error.what());
    }
}

void MainWindow::ReleaseSettings()
{
    settings_.reset();
}

void MainWindow::StartUnattended()
{
    // The window is never shown: the program's entry does not show it in this mode.
    ProcessMessages();
    ::PostMessageA(Handle(), WM_STARTSYNC, 0, reinterpret_cast<LPARAM>(this));
}

void MainWindow::RunUnattended()
{
    try {
        SyncNow();
    } catch (...) {
        outcome_ = SyncRun::kExitError;
        HandleException(std::current_exception());
    }
    ::PostMessageA(Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
}

bool MainWindow::SystemCommand(WPARAM command)
{
    switch (command & 0xFFF0) {
    case SC_CLOSE:
        return CanCloseNow();
    case SC_MINIMIZE:
        // The taskbar button is the owner's: minimising it hides this window with it.
        if (!::IsWindowVisible(owner_.Handle()))
            return true;
        owner_.Minimise();
        return false;
    default:
        return true;
    }
}

bool MainWindow::CanCloseNow()
{
    if (controls_->link.IsEnabled())
        return true;
    ShowNotice(NoticeKind::Warning, kCloseWhileBusy);
    return false;
}

void MainWindow::KeyPressed(WPARAM key, unsigned shift)
{
    if (key == VK_ESCAPE && !(shift & kCtrl))
        RequestStop();
}

bool MainWindow::Activated(WPARAM state)
{
    if (!controls_)
        return false;
    if (LOWORD(state) == WA_INACTIVE) {
        controls_->RememberFocus();
        return false;
    }
    // Minimised, or busy with every input disabled: the window itself keeps the focus.
    if (HIWORD(state) || !controls_->link.IsEnabled())
        return false;
    controls_->FocusActiveControl();
    return true;
}

bool MainWindow::PreTranslateMessage(MSG& msg)
{
    const bool ours = msg.hwnd == Handle() || ::IsChild(Handle(), msg.hwnd);
    if (!ours || !controls_)
        return false;
    // Key preview: the window sees every key press first, whichever control has the focus.
    if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) {
        KeyPressed(msg.wParam, KeyShiftState());
        if (msg.hwnd == Handle())
            return false;
    }
    if (controls_->HandleAccessKey(msg))
        return true;
    if (controls_->HandleGroupTab(msg))
        return true;
    // Tab and arrow keys move between the controls as in a dialog.
    return ::IsDialogMessageA(Handle(), &msg) != FALSE;
}

} // namespace tessaly
