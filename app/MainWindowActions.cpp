// The two actions of the main window behind their input check and busy state.
#include "app/MainWindow.h"

#include "app/CommandSettings.h"
#include "base/TextHelpers.h"
#include "contacts/WebLink.h"
#include "scheduling/ScheduledTask.h"
#include "ui/ScreenCursor.h"

#include <algorithm>
#include <initializer_list>

namespace tessaly {

namespace {

const char* const kBlankInput = "Please make sure you did not leave the text blank.";
const char* const kNotAFolderName =
    "Please enter the name of one folder, without \\ / : * ? \" < > |, not a device name, "
    "and not ending in a dot or a blank.";
const char* const kUnreadableSetting =
    "The settings file holds characters for it that this system cannot show, so it was not used. "
    "Please enter it here.";
const char* const kEscapeHint = "Press <ESC> to Stop";

} // namespace

void MainWindow::RunAction(bool createTask)
{
    const HCURSOR previous = ScreenCursor();
    SetScreenCursor(::LoadCursorA(nullptr, MAKEINTRESOURCEA(32514))); // the hourglass
    SetIdle(false);
    struct Restore {
        MainWindow& form;
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
            outcome_ = run_.Run({SourceText(), UserText(), PasswordText(), folderName, DestinationCode(), removeLimit_,
                                 unattended_ ? SyncRun::Mode::Unattended : SyncRun::Mode::Window});
    } else {
        outcome_ = stopFlag_ ? SyncRun::kExitInterrupted : SyncRun::kExitFailed;
    }
}

bool MainWindow::ValidateInput(const std::string& folderName)
{
    SetStatus("Initializing..");
    if (!CheckSettingsReadable())
        return false;
    const std::string sourceCaption = CaptionText(controls_->linkCaption.Text());
    const std::string folderCaption = CaptionText(controls_->folderCaption.Text());
    // The same check as the windowless -t, with the window's own messages.
    switch (CheckActionInputs(SourceText(), folderName, DestinationCode())) {
    case InputProblem::BlankSource:
        return CheckNotBlank(SourceText(), sourceCaption);
    case InputProblem::NotWebLink:
        ShowNotice(NoticeKind::Warning,
                   "Wrong Input:  " + sourceCaption + "\r\n" + std::string(WebLinkRefusal(SourceText())));
        return false;
    case InputProblem::BlankFolder:
        return CheckNotBlank(folderName, folderCaption);
    case InputProblem::NotPlainFolder:
        ShowNotice(NoticeKind::Warning, "Wrong Input:  " + folderCaption + "\r\n" + kNotAFolderName);
        return false;
    case InputProblem::None:
        break;
    }
    return !StopRequested();
}

bool MainWindow::CheckSettingsReadable()
{
    // An altered link, name or folder would reach another server or folder than the one meant.
    const struct {
        const char* key;
        const Edit& field;
        const Label& caption;
    } fields[] = {{"Source", controls_->link, controls_->linkCaption},
                  {"User", controls_->user, controls_->userCaption},
                  {"PSW", controls_->password, controls_->passwordCaption},
                  {"Folder", controls_->folderName, controls_->folderCaption}};
    for (const auto& field : fields) {
        const bool unreadable = std::find(unreadableSettings_.begin(), unreadableSettings_.end(), field.key)
                                != unreadableSettings_.end();
        if (unreadable && !HasText(field.field.Text())) {
            ShowNotice(NoticeKind::Warning,
                       "Wrong Input:  " + CaptionText(field.caption.Text()) + "\r\n" + kUnreadableSetting);
            return false;
        }
    }
    return true;
}

bool MainWindow::CheckNotBlank(const std::string& value, const std::string& caption)
{
    if (HasText(value))
        return true;
    ShowNotice(NoticeKind::Warning, "Wrong Input:  " + caption + "\r\n" + kBlankInput);
    return false;
}

void MainWindow::SetIdle(bool idle)
{
    ClearStop();
    if (!idle) {
        // Keys must still reach the window once the focused control is disabled.
        HWND focus = ::GetFocus();
        focusBeforeBusy_ = focus && ::IsChild(Handle(), focus) ? focus : nullptr;
    }
    MainWindowControls& c = *controls_;
    c.escapeHint.SetText(kEscapeHint);
    c.syncNow.SetEnabled(idle);
    ShowAnimation(!idle);
    for (Control* shownWhileBusy : std::initializer_list<Control*>{&c.statusCaption, &c.status, &c.escapeHint})
        shownWhileBusy->SetVisible(!idle);
    // A run that just ended is now the log's newest line.
    if (idle)
        ShowLastRun();
    // Everything else a busy window disables; the caption labels stay as they are.
    for (Control* idleOnly : std::initializer_list<Control*>{
             &c.linkHint, &c.link, &c.userHint, &c.user, &c.passwordHint, &c.password, &c.destinationHint,
             &c.folderHint, &c.scheduleHint, &c.destination, &c.folderName, &c.intervalDays, &c.startTime,
             &c.saveTask})
        idleOnly->SetEnabled(idle);
    if (!idle) {
        if (::GetActiveWindow() == Handle())
            ::SetFocus(Handle());
    } else if (focusBeforeBusy_ && ::IsWindow(focusBeforeBusy_) && ::GetActiveWindow() == Handle()) {
        ::SetFocus(focusBeforeBusy_);
    }
}

void MainWindow::ShowAnimation(bool on)
{
    controls_->ShowAnimation(on);
}

void MainWindow::SaveScheduledTask()
{
    const int seconds = controls_->startTime.SecondsAfterMidnight();
    tessaly::SaveScheduledTask(IntervalDays(), StartTime{seconds / 3600, seconds / 60 % 60}, *this);
}

} // namespace tessaly
