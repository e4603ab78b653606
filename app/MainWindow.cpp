// The main window's life: creation and set-up, the settings, the two actions with their
// busy state and input check, the Escape key, closing, and the unattended start.
#include "app/MainWindow.h"

#include "base/FileHelpers.h"
#include "app/Settings.h"
#include "app/SettingsFile.h"
#include "base/TextHelpers.h"
#include "contacts/WebLink.h"
#include "destinations/windows_contacts/ContactFileNames.h"
#include "scheduling/ScheduledTask.h"
#include "ui/FontHelpers.h"
#include "ui/ScreenCursor.h"

#include <cstring>

namespace tessaly {

namespace {

const char* const kBlankInput = "Please make sure you did not leave the text blank.";
const char* const kNotAFolderName =
    "Please enter the name of one folder, without \\ / : * ? \" < > |, not a device name, "
    "and not ending in a dot or a blank.";
const char* const kNotWebLink = "Please enter a link that starts with http:// or https://.";
const char* const kCloseWhileBusy = "Please use <ESC> key to stop building.";
const char* const kEscapeHint = "Press <ESC> to Stop";

// Everything that a busy window disables; the caption labels stay as they are.
constexpr Ctl kIdleOnly[] = {Ctl::lblSourceV, Ctl::edtSource, Ctl::lblUserV, Ctl::edtUser, Ctl::lblPassV,
                             Ctl::edtPass, Ctl::lblToV, Ctl::lblTitleV, Ctl::lblSchedulerV, Ctl::cmbTo,
                             Ctl::edtTitle, Ctl::cmbScheduler, Ctl::dtScheduler, Ctl::btnSchedule};

} // namespace

bool TMainWindow::IsUnattendedSwitch(int argc, char** argv)
{
    return argc > 1 && argv[1] != nullptr && std::strcmp(argv[1], "-a") == 0;
}

unsigned TMainWindow::KeyShiftState()
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

void TMainWindow::FormCreate()
{
    spacing_ = ScaleByDpi(5, ScreenPixelsPerInch());
    settings_ = std::make_unique<TIniFile>(LoadIniFile(SettingsFilePath()));
    controls_ = std::make_unique<TMainWindowControls>(
        Handle(), TMainWindowControls::Events{[this] { SyncNowClick(); }, [this] { SaveTaskClick(); }});
    controls_->CreateFormControls();
    controls_->BuildControls();
    lblStatusV = controls_->Handle(Ctl::lblStatusV);
    lblESC = controls_->Handle(Ctl::lblESC);
    InitForm(*settings_);
}

void TMainWindow::InitForm(const TIniFile& settings)
{
    controls_->SetFonts();
    controls_->SetCaptions();
    LoadSettings(settings);
    controls_->ArrangeControls();
    if (unattended_)
        StartUnattended();
}

void TMainWindow::FormClose()
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

void TMainWindow::FormDestroy()
{
    settings_.reset();
}

void TMainWindow::StartUnattended()
{
    // The window is never shown: the program's entry does not show it in this mode.
    ProcessMessages();
    ::PostMessageA(Handle(), WM_STARTSYNC, 0, reinterpret_cast<LPARAM>(this));
}

void TMainWindow::WMStartSync()
{
    try {
        SyncNowClick();
    } catch (...) {
        outcome_ = kExitError;
        HandleException(std::current_exception());
    }
    ::PostMessageA(Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
}

bool TMainWindow::WMSysCommand(WPARAM command)
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

bool TMainWindow::FormCloseQuery()
{
    return CanCloseNow();
}

bool TMainWindow::CanCloseNow()
{
    if (controls_->IsEnabled(Ctl::edtSource))
        return true;
    ShowNotice(NoticeKind::Warning, kCloseWhileBusy);
    return false;
}

void TMainWindow::FormKeyDown(WPARAM key, unsigned shift)
{
    if (key == VK_ESCAPE && !(shift & kCtrl))
        RequestStop();
}

bool TMainWindow::WMActivate(WPARAM state)
{
    if (!controls_)
        return false;
    if (LOWORD(state) == WA_INACTIVE) {
        HWND focus = ::GetFocus();
        if (focus && ::IsChild(Handle(), focus))
            controls_->SetActiveControl(focus);
        return false;
    }
    // Minimised, or busy with every input disabled: the window itself keeps the focus.
    if (HIWORD(state) || !controls_->IsEnabled(Ctl::edtSource))
        return false;
    HWND target = controls_->ActiveControl();
    if (!target || !::IsWindow(target) || !::IsWindowEnabled(target))
        target = controls_->Handle(Ctl::gbxSrc);
    ::SetFocus(target);
    return true;
}

bool TMainWindow::PreTranslateMessage(MSG& msg)
{
    const bool ours = msg.hwnd == Handle() || ::IsChild(Handle(), msg.hwnd);
    if (!ours || !controls_)
        return false;
    // Key preview: the window sees every key press first, whichever control has the focus.
    if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) {
        FormKeyDown(msg.wParam, KeyShiftState());
        if (msg.hwnd == Handle())
            return false;
    }
    if (controls_->HandleAccessKey(msg))
        return true;
    // A group box holding the focus (the first active control) passes Tab on into its fields.
    HWND focus = ::GetFocus();
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_TAB && focus
        && (focus == controls_->Handle(Ctl::gbxSrc) || focus == controls_->Handle(Ctl::gbxDst))) {
        HWND first = ::GetNextDlgTabItem(focus, nullptr, FALSE);
        HWND next = (KeyShiftState() & kShift) ? ::GetNextDlgTabItem(Handle(), first, TRUE) : first;
        if (next) {
            ::SetFocus(next);
            if (::SendMessageA(next, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL)
                ::SendMessageA(next, EM_SETSEL, 0, -1);
            return true;
        }
    }
    // Tab and arrow keys move between the controls as in a dialog.
    return ::IsDialogMessageA(Handle(), &msg) != FALSE;
}

void TMainWindow::RunAction(bool createTask)
{
    const HCURSOR previous = ScreenCursor();
    SetScreenCursor(::LoadCursorA(nullptr, MAKEINTRESOURCEA(32514))); // the hourglass
    SetIdle(false);
    struct Restore {
        TMainWindow& form;
        HCURSOR cursor;
        ~Restore()
        {
            form.SetIdle(true);
            SetScreenCursor(cursor);
        }
    } restore{*this, previous};
    const std::string folderName = FolderText();
    if (ValidateInput(folderName)) {
        if (createTask)
            SaveScheduledTask();
        else
            SyncContacts(folderName);
    } else {
        outcome_ = stopFlag_ ? kExitInterrupted : kExitFailed;
    }
}

bool TMainWindow::ValidateInput(const std::string& folderName)
{
    SetStatus("Initializing..");
    const std::string sourceCaption = CaptionText(controls_->Text(Ctl::lblSource));
    if (!CheckNotBlank(SourceText(), sourceCaption))
        return false;
    // Other schemes (ftp, file) would be fetched without a status or a length to check.
    if (!ParseWebLink(SourceText())) {
        ShowNotice(NoticeKind::Warning, "Wrong Input:  " + sourceCaption + "\r\n" + kNotWebLink);
        return false;
    }
    const std::string folderCaption = CaptionText(controls_->Text(Ctl::lblTitle));
    if (!CheckNotBlank(folderName, folderCaption))
        return false;
    // Windows Mail's folder is a real folder beside the user's own contact: a path or a
    // name Windows rewrites would reach (and empty) another folder.
    if (DestinationCode() == kWindowsContacts && !IsPlainFolderName(folderName)) {
        ShowNotice(NoticeKind::Warning, "Wrong Input:  " + folderCaption + "\r\n" + kNotAFolderName);
        return false;
    }
    return !StopRequested();
}

bool TMainWindow::CheckNotBlank(const std::string& value, const std::string& caption)
{
    if (HasText(value))
        return true;
    ShowNotice(NoticeKind::Warning, "Wrong Input:  " + caption + "\r\n" + kBlankInput);
    return false;
}

void TMainWindow::SetIdle(bool idle)
{
    ClearStop();
    if (!idle) {
        // Keys must still reach the window once the focused control is disabled.
        HWND focus = ::GetFocus();
        focusBeforeBusy_ = focus && ::IsChild(Handle(), focus) ? focus : nullptr;
    }
    controls_->SetCaption(Ctl::lblESC, kEscapeHint);
    controls_->SetEnabled(Ctl::btnSync, idle);
    ShowAnimation(!idle);
    controls_->SetVisible(Ctl::lblStatus, !idle);
    controls_->SetVisible(Ctl::lblStatusV, !idle);
    controls_->SetVisible(Ctl::lblESC, !idle);
    for (Ctl c : kIdleOnly)
        controls_->SetEnabled(c, idle);
    if (!idle) {
        if (::GetActiveWindow() == Handle())
            ::SetFocus(Handle());
    } else if (focusBeforeBusy_ && ::IsWindow(focusBeforeBusy_) && ::GetActiveWindow() == Handle()) {
        ::SetFocus(focusBeforeBusy_);
    }
}

void TMainWindow::ShowAnimation(bool on)
{
    controls_->ShowAnimation(on);
}

void TMainWindow::SaveScheduledTask()
{
    const int seconds = controls_->StartTime();
    tessaly::SaveScheduledTask(IntervalDays(), StartTime{seconds / 3600, seconds / 60 % 60}, *this);
}

// --- Settings --------------------------------------------------------------------------

void TMainWindow::LoadSettings(const TIniFile& settings)
{
    const SettingsValues values = ReadSettings(settings, controls_->StartTime());
    ::SetWindowTextA(controls_->Handle(Ctl::edtSource), values.source.c_str());
    ::SetWindowTextA(controls_->Handle(Ctl::edtUser), values.user.c_str());
    ::SetWindowTextA(controls_->Handle(Ctl::edtPass), values.password.c_str());
    ::SetWindowTextA(controls_->Handle(Ctl::edtTitle), values.folder.c_str());
    controls_->SelectCombos(values.emailClient, values.interval);
    controls_->SetStartTime(values.startTime);
}

void TMainWindow::SaveSettings(TIniFile& settings)
{
    SettingsValues values;
    values.source = SourceText();
    values.user = UserText();
    values.password = PasswordText();
    values.folder = FolderText();
    values.emailClient = DestinationCode();
    values.interval = IntervalDays();
    values.startTime = controls_->StartTime();
    WriteSettings(settings, values);
    ReplaceFileContent(SettingsFilePath(), settings.ToText());
}

std::string TMainWindow::SourceText() const
{
    return Trim(controls_->Text(Ctl::edtSource));
}

std::string TMainWindow::UserText() const
{
    return Trim(controls_->Text(Ctl::edtUser));
}

std::string TMainWindow::PasswordText() const
{
    return Trim(controls_->Text(Ctl::edtPass));
}

std::string TMainWindow::FolderText() const
{
    return Trim(controls_->Text(Ctl::edtTitle));
}

int TMainWindow::DestinationCode() const
{
    return controls_->cmbTo().SelectedCode();
}

int TMainWindow::IntervalDays() const
{
    return controls_->cmbScheduler().SelectedCode();
}

double TMainWindow::StartTimeValue() const
{
    return controls_->StartTime() / 86400.0;
}

void TMainWindow::SetRunInputs(const RunInputs& inputs)
{
    ::SetWindowTextA(controls_->Handle(Ctl::edtSource), inputs.source.c_str());
    ::SetWindowTextA(controls_->Handle(Ctl::edtUser), inputs.user.c_str());
    ::SetWindowTextA(controls_->Handle(Ctl::edtPass), inputs.password.c_str());
    ::SetWindowTextA(controls_->Handle(Ctl::edtTitle), inputs.folder.c_str());
    // A code the list does not hold leaves nothing selected.
    controls_->cmbTo().SetItemIndex(controls_->cmbTo().IndexOfCode(inputs.destinationCode));
}

} // namespace tessaly
