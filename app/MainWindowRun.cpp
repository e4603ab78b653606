#include "app/MainWindow.h"

#include "base/ExceptionText.h"
#include "base/FileHelpers.h"
#include "app/SyncLock.h"
#include "base/TextHelpers.h"
#include "contacts/CsvReader.h"
#include "contacts/Contact.h"
#include "destinations/outlook/OutlookDestination.h"
#include "destinations/outlook_express/AddressBookDestination.h"
#include "destinations/windows_contacts/WindowsContactsSync.h"
#include "resources/resource.h"
#include "resources/version.h"
#include "ui/MessageDialog.h"
#include "ui/FontHelpers.h"
#include "ui/ScreenCursor.h"

#include <memory>
#include <system_error>
#include <vector>

namespace tessaly {

namespace {

const char* const kClassName = "TForm1";
const char* const kProductName = TESSALY_PRODUCT_NAME;
const char* const kTemporaryFileName = "CorvaneTessaly";

const char* const kCompleted = "Operation completed successfully.";
const char* const kInterrupted = "Sync operation has been interrupted by user";
const char* const kAlreadyRunning = "A synchronisation is already running.\r\nPlease try again when it has ended.";
const char* const kNoContacts = "The downloaded file holds no contacts.";
const char* const kFailed = "Sync operation failed.\r\nPlease try to connect later or contact Corvane technical support";

} // namespace

TMainWindow::TMainWindow(bool unattended)
    : unattended_(unattended), owner_(::LoadIconA(::GetModuleHandleA(nullptr), IDI_MAIN_ICON))
{
    destinations_[kOutlook] = [this](const TContactList& list, const std::string& folder) {
        return SyncOutlook(list, folder);
    };
    destinations_[kOutlookExpress] = [this](const TContactList& list, const std::string& folder) {
        return SyncOutlookExpress(list, folder);
    };
    destinations_[kWindowsContacts] = [this](const TContactList& list, const std::string& folder) {
        return SyncWindowsContacts(list, folder);
    };

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

TMainWindow::~TMainWindow()
{
    DestroyHandle();
}

void TMainWindow::Show(int showCommand)
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

LRESULT TMainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        // A window without its controls is of no use: fail the creation, the constructor rethrows.
        try {
            FormCreate();
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
        WMStartSync();
        return 0;
    case WM_ACTIVATE:
        if (WMActivate(wParam))
            return 0;
        break;
    case WM_SYSCOMMAND:
        if (!WMSysCommand(wParam))
            return 0;
        break;
    case WM_CLOSE:
        if (!FormCloseQuery())
            return 0;
        FormClose();
        break;
    case WM_ENDSESSION:
        // A log-off or shutdown ends the process without closing the window.
        if (wParam)
            FormClose();
        return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        // Keys reach the window itself while its controls are disabled.
        FormKeyDown(wParam, KeyShiftState());
        break;
    case WM_DESTROY:
        FormDestroy();
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

void TMainWindow::HandleException(std::exception_ptr error) noexcept
{
    try {
        AppException(error);
    } catch (...) {
        // The message dialog itself failed: fall back to the system's box.
        if (!unattended_)
            ::MessageBoxA(Handle(), ExceptionText(error).c_str(), kProductName, MB_OK | MB_ICONERROR);
    }
}

void TMainWindow::AppException(std::exception_ptr error)
{
    ShowNotice(NoticeKind::Error, ExceptionText(error));
}

// --- The run -------------------------------------------------------------------------

std::string TMainWindow::TemporaryFilePath()
{
    return ExecutableFolder() + kTemporaryFileName;
}

void TMainWindow::SyncContacts(const std::string& folderName)
{
    // Held to the end, the download included; the other run's file is left alone.
    const TSyncLock lock;
    if (!lock.Held()) {
        ::ShowWindow(lblESC, SW_HIDE);
        outcome_ = kExitFailed;
        ShowNotice(NoticeKind::Warning, kAlreadyRunning);
        return;
    }
    const std::string path = TemporaryFilePath();
    auto list = std::make_unique<TContactList>(kListCapacity);
    const auto cleanUp = [&] {
        FreeWithItems(list);
        // A file that cannot go now is replaced by the next download before it is read.
        (void)ForceDeleteFile(path);
    };
    pumpDue_ = true;
    try {
        bool success = DownloadAndParse(path, *list);
        if (success)
            success = WriteToDestination(*list, folderName);
        ShowResult(success, stopFlag_);
    } catch (...) {
        cleanUp();
        throw;
    }
    cleanUp();
}

bool TMainWindow::DownloadAndParse(const std::string& path, TContactList& list)
{
    const DownloadServices services{
        [this] { return StopRequested(); },
        [this](NoticeKind kind, const std::string& text) { ShowNotice(kind, text); },
    };
    const bool ok = DownloadFile(SourceText(), path, UserText(), PasswordText(), readBuffer_, services);
    if (!ok)
        return false;
    std::vector<std::string> lines = SplitBody(list, ReadTextFile(path));
    ParseRows(list, lines, [this] { return StopRequested(); });
    // A sign-in page, a binary file or a bare header would otherwise empty the folder.
    if (list.Count() == 0 && !stopFlag_) {
        ShowNotice(NoticeKind::Warning, kNoContacts);
        return false;
    }
    return true;
}

bool TMainWindow::WriteToDestination(const TContactList& list, const std::string& folderName)
{
    const auto entry = destinations_.find(DestinationCode());
    if (entry == destinations_.end() || !entry->second)
        return false;
    // The destination's one stop check comes just before it empties the folder: it must
    // see an Escape pressed a moment ago, whatever the throttle says.
    pumpDue_ = true;
    return entry->second(list, folderName);
}

void TMainWindow::ShowResult(bool success, bool interrupted)
{
    ::ShowWindow(lblESC, SW_HIDE);
    outcome_ = success ? kExitSucceeded : interrupted ? kExitInterrupted : kExitFailed;
    if (success)
        ShowNotice(NoticeKind::Information, kCompleted);
    else
        ShowNotice(NoticeKind::Warning, std::string(interrupted ? kInterrupted : kFailed) + ".");
}

bool TMainWindow::SyncOutlook(const TContactList& list, const std::string& folderName)
{
    return tessaly::SyncOutlook(list, folderName, *this);
}

bool TMainWindow::SyncOutlookExpress(const TContactList& list, const std::string& folderName)
{
    return tessaly::SyncOutlookExpress(list, folderName, *this);
}

bool TMainWindow::SyncWindowsContacts(const TContactList& list, const std::string& folderName)
{
    return tessaly::SyncWindowsContacts(list, folderName, *this);
}

void TMainWindow::SetDestination(int code, Destination entry)
{
    destinations_[code] = std::move(entry);
}

// --- Services ------------------------------------------------------------------------

void TMainWindow::SetStatus(const std::string& text)
{
    // The label sizes itself to its text.
    controls_->SetCaption(Ctl::lblStatusV, text);
    ::UpdateWindow(Handle());
    // The loop does not run between the steps of a run, so paint now.
    ::RedrawWindow(lblStatusV, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

bool TMainWindow::StopRequested()
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

bool TMainWindow::InputWaiting() noexcept
{
    if (++checksSinceInputLook_ < kChecksPerInputLook)
        return false;
    checksSinceInputLook_ = 0;
    return ::GetInputState() != FALSE;
}

void TMainWindow::ClearStop() noexcept
{
    stopFlag_ = false;
    pumpDue_ = true;
}

void TMainWindow::ProcessMessages()
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

void TMainWindow::ShowNotice(NoticeKind kind, const std::string& text)
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

} // namespace tessaly
