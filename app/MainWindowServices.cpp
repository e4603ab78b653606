// The services the main window gives a run: the status line, the throttled stop check,
// and the one funnel for user messages.
#include "app/MainWindow.h"

#include "app/LastRunText.h"
#include "app/LocalTimeText.h"
#include "base/WideText.h"
#include "ui/MessageDialog.h"

namespace tessaly {

void MainWindow::SetStatus(const std::string& text)
{
    // The label sizes itself to its text. Status texts are UTF-8 (they name the folder);
    // the label is an ANSI control.
    controls_->status.SetText(Utf8ToAnsi(text));
    ::UpdateWindow(Handle());
    // The loop does not run between the steps of a run, so paint now.
    controls_->status.RedrawNow();
}

void MainWindow::ShowLastRun()
{
    if (unattended_ || runLogPath_.empty())
        return;
    const std::optional<RunLogEntry> last = ReadLastRun(runLogPath_);
    if (!last)
        return;
    // As far from the window's right edge as the caption is from its left; a longer line is
    // cut short there rather than under the window's border.
    RECT client{};
    ::GetClientRect(Handle(), &client);
    const int right = client.right - controls_->statusCaption.RectInParent().left;
    controls_->status.SetTextWithin(Utf8ToAnsi(LastRunText(*last, UserDateTimeText)), right);
    controls_->statusCaption.SetVisible(true);
    controls_->status.SetVisible(true);
}

bool MainWindow::StopRequested()
{
    // Each message query is a round trip to the window server; once per CSV row would
    // dominate a long parse. So the queue is emptied every few tens of ms, and sooner when
    // a key press or click waits in it: an Escape is not left waiting for the throttle.
    if (pumpDue_ || ::GetTickCount() - lastPump_ >= pumpInterval_ || InputWaiting()) {
        pumpDue_ = false;
        ProcessMessages();
        lastPump_ = ::GetTickCount();
    }
    return stopFlag_;
}

bool MainWindow::InputWaiting() noexcept
{
    if (++checksSinceInputLook_ < kChecksPerInputLook)
        return false;
    checksSinceInputLook_ = 0;
    return ::GetInputState() != FALSE;
}

void MainWindow::ClearStop() noexcept
{
    stopFlag_ = false;
    pumpDue_ = true;
}

void MainWindow::ProcessMessages()
{
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // Not ours to take: the main loop must still see it and end the program.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        if (!PreTranslateMessage(msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
}

void MainWindow::ShowNotice(NoticeKind kind, const std::string& text)
{
    if (unattended_)
        return;
    if (noticeDisplay_) {
        noticeDisplay_(kind, text);
        return;
    }
    switch (kind) {
    case NoticeKind::Warning:
        ShowWarning(text);
        break;
    case NoticeKind::Information:
        ShowInformation(text);
        break;
    case NoticeKind::Error:
        ShowError(text);
        break;
    }
}

IRunHooks::RemovalAnswer MainWindow::ConfirmRemoval(const std::string& question)
{
    if (unattended_)
        return RemovalAnswer::NobodyToAsk;
    // UTF-8, as the folder name in it; the dialog shows ANSI text.
    return ShowMessageDlg(Utf8ToAnsi(question), MsgKind::Confirmation, mbYes | mbNo) == mrYes
               ? RemovalAnswer::Remove
               : RemovalAnswer::Keep;
}

void MainWindow::HideStopHint()
{
    controls_->escapeHint.SetVisible(false);
}

} // namespace tessaly
