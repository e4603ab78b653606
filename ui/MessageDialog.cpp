#include "ui/MessageDialog.h"
#include "ui/GdiScopes.h"

#include "resources/resource.h"
#include "resources/version.h"
#include "ui/FontHelpers.h"
#include "ui/ScreenCursor.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace tessaly {

namespace {

// A kind's picture is the first message bitmap plus the kind.
static_assert(IDB_MESSAGE_INFORMATION == IDB_MESSAGE_WARNING + static_cast<int>(MsgKind::Information));
static_assert(IDB_MESSAGE_ERROR == IDB_MESSAGE_WARNING + static_cast<int>(MsgKind::Error));
static_assert(IDB_MESSAGE_CONFIRMATION == IDB_MESSAGE_WARNING + static_cast<int>(MsgKind::Confirmation));

struct ButtonKind {
    MsgButton flag;
    int id;
    const char* caption;
};
constexpr ButtonKind kButtonKinds[] = {
    {mbYes, IDYES, "&Yes"},
    {mbNo, IDNO, "&No"},
    {mbOK, IDOK, "OK"},
    {mbCancel, IDCANCEL, "Cancel"},
};

// An empty, hidden modal-frame dialog; its controls are made in code.
struct alignas(4) EmptyDialogTemplate {
    DLGTEMPLATE header;
    WORD menu;
    WORD windowClass;
    WORD title;
};

} // namespace

MessageDialog::MessageDialog(std::string text, WORD helpContext)
    : helpContext_(helpContext),
      text_(std::move(text)),
      title_(TESSALY_PRODUCT_NAME),
      savedCursor_(ScreenCursor()),
      pixelsPerInch_(ScreenPixelsPerInch())
{
}

MessageDialog::~MessageDialog()
{
    SetScreenCursor(savedCursor_);
}

bool MessageDialog::BuildDialog(MsgKind kind, MsgButtons buttons)
{
    if (!CreateDialogWindow(buttons))
        return false;
    ::SetWindowContextHelpId(dialog_.get(), helpContext_);
    ::SetWindowTextA(dialog_.get(), title_.c_str());
    SetDialogFont();
    MeasureText();
    picture_ = ::CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_OWNERDRAW, 0, 0, 0, 0, dialog_.get(),
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(kMessagePictureId)), nullptr, nullptr);
    if (!picture_)
        throw std::runtime_error("The message picture could not be created.");
    PlaceImage(kind, textSize_.height);
    ArrangeDialog();
    SetScreenCursor(::LoadCursorA(nullptr, IDC_ARROW));
    return true;
}

HWND MessageDialog::CreateDialogWindow(MsgButtons buttons)
{
    EmptyDialogTemplate layout{};
    layout.header.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_3DLOOK;
    layout.header.dwExtendedStyle = WS_EX_DLGMODALFRAME;
    // The active window of this thread, if any, owns the message and is disabled while it shows.
    HWND owner = ::GetActiveWindow();
    dialog_.reset(::CreateDialogIndirectParamA(::GetModuleHandleA(nullptr), &layout.header, owner, DialogProc,
                                               reinterpret_cast<LPARAM>(this)));
    if (!dialog_)
        return nullptr;

    label_ = ::CreateWindowExA(0, "STATIC", text_.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 0, 0, 0, 0,
                               dialog_.get(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(kMessageTextId)), nullptr,
                               nullptr);
    bool first = true;
    for (const ButtonKind& kind : kButtonKinds) {
        if (!(buttons & kind.flag))
            continue;
        const DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | (first ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
        HWND button = ::CreateWindowExA(0, "BUTTON", kind.caption, style, 0, 0, 0, 0, dialog_.get(),
                                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kind.id)), nullptr, nullptr);
        if (!button)
            continue;
        if (first)
            ::SendMessageA(dialog_.get(), DM_SETDEFID, static_cast<WPARAM>(kind.id), 0);
        first = false;
        buttons_.push_back(button);
    }
    return dialog_.get();
}

void MessageDialog::SetDialogFont()
{
    boldFont_ = CreateDefaultFont(pixelsPerInch_, true);
    regularFont_ = CreateDefaultFont(pixelsPerInch_, false);
    SetWindowFont(dialog_.get(), static_cast<HFONT>(boldFont_.get()));
}

void MessageDialog::MeasureText()
{
    WindowDC dc(dialog_.get());
    SelectObjectScope font(dc.get(), boldFont_.get());
    RECT bounds{0, 0, TextWrapWidth(::GetSystemMetrics(SM_CXSCREEN)), 0};
    ::DrawTextA(dc.get(), text_.c_str(), static_cast<int>(text_.size()), &bounds,
                DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    textSize_ = {bounds.right, bounds.bottom};
}

void MessageDialog::PlaceImage(MsgKind kind, int textHeight)
{
    const int index = static_cast<int>(kind);
    if (index < 0 || index > 3)
        throw std::out_of_range("Unknown message kind " + std::to_string(index) + ".");
    const int resource = IDB_MESSAGE_WARNING + index;
    bitmap_.reset(::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(resource), IMAGE_BITMAP, 0, 0,
                               LR_DEFAULTCOLOR));
    if (!bitmap_)
        throw std::runtime_error("Bitmap resource " + std::to_string(resource) + " not found.");
    BITMAP info{};
    ::GetObjectA(bitmap_.get(), sizeof info, &info);
    pictureSize_ = {info.bmWidth, info.bmHeight};

    layout_ = LayoutMessageDialog({textSize_.width, textHeight}, pictureSize_, static_cast<int>(buttons_.size()),
                                  pixelsPerInch_);
    const PixelRect& r = layout_.picture;
    ::SetWindowPos(picture_, nullptr, r.left, r.top, r.width, r.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void MessageDialog::ArrangeDialog()
{
    if (!label_)
        return;
    const PixelRect& r = layout_.label;
    ::SetWindowPos(label_, nullptr, r.left, r.top, r.width, r.height, SWP_NOZORDER | SWP_NOACTIVATE);
    // The text stays bold; the buttons take the regular weight.
    SetWindowFont(label_, static_cast<HFONT>(boldFont_.get()));
    SetWindowFont(dialog_.get(), static_cast<HFONT>(regularFont_.get()));
    for (HWND button : buttons_)
        SetWindowFont(button, static_cast<HFONT>(regularFont_.get()));

    RECT outer{0, 0, layout_.client.width, layout_.client.height};
    ::AdjustWindowRectEx(&outer, static_cast<DWORD>(::GetWindowLongA(dialog_.get(), GWL_STYLE)), FALSE,
                         static_cast<DWORD>(::GetWindowLongA(dialog_.get(), GWL_EXSTYLE)));
    const PixelRect window = CentreOnScreen({outer.right - outer.left, outer.bottom - outer.top},
                                          {::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)});
    ::SetWindowPos(dialog_.get(), nullptr, window.left, window.top, window.width, window.height,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    PlaceButtons();
}

void MessageDialog::PlaceButtons()
{
    for (size_t i = 0; i < buttons_.size() && i < layout_.buttons.size(); ++i) {
        const PixelRect& r = layout_.buttons[i];
        ::SetWindowPos(buttons_[i], nullptr, r.left, r.top, r.width, r.height, SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

bool MessageDialog::DialogKeyDown(WPARAM key)
{
    if (key != VK_ESCAPE)
        return false;
    // Ctrl+Escape is swallowed too: the dialog manager would otherwise turn it into Cancel.
    if (::GetKeyState(VK_CONTROL) >= 0)
        End(mrCancel);
    return true;
}

int MessageDialog::ShowDialog()
{
    if (!dialog_)
        return mrNone;
    HWND dialog = dialog_.get();
    HWND owner = ::GetWindow(dialog, GW_OWNER);
    const bool disableOwner = owner && ::IsWindowEnabled(owner);
    if (disableOwner)
        ::EnableWindow(owner, FALSE);

    ::ShowWindow(dialog, SW_SHOW);
    if (!buttons_.empty())
        ::SetFocus(buttons_.front());
    ended_ = false;
    result_ = mrNone;
    MSG msg;
    while (!ended_) {
        const BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
        if (got == -1)
            break;
        if (got == 0) {
            // The program is ending: give the quit back to the main loop.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            result_ = mrCancel;
            break;
        }
        if (msg.message == WM_KEYDOWN && (msg.hwnd == dialog || ::IsChild(dialog, msg.hwnd)) &&
            DialogKeyDown(msg.wParam))
            continue;
        if (!::IsDialogMessageA(dialog, &msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
    // The owner comes back before the dialog hides, so activation returns to it.
    if (disableOwner && ::IsWindow(owner))
        ::EnableWindow(owner, TRUE);
    if (dialog_)
        ::ShowWindow(dialog, SW_HIDE);
    if (failure_)
        std::rethrow_exception(std::exchange(failure_, nullptr));
    return result_;
}

void MessageDialog::End(int result)
{
    result_ = result;
    ended_ = true;
}

void MessageDialog::DrawPicture(const DRAWITEMSTRUCT& item) const
{
    ::FillRect(item.hDC, &item.rcItem, ::GetSysColorBrush(COLOR_BTNFACE));
    if (!bitmap_)
        return;
    MemoryDC source(item.hDC);
    SelectObjectScope select(source.get(), bitmap_.get());
    // The lower-left pixel holds the background colour.
    const COLORREF transparent = ::GetPixel(source.get(), 0, pictureSize_.height - 1);
    ::TransparentBlt(item.hDC, item.rcItem.left, item.rcItem.top, pictureSize_.width, pictureSize_.height,
                     source.get(), 0, 0, pictureSize_.width, pictureSize_.height, transparent);
}

INT_PTR CALLBACK MessageDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        ::SetWindowLongPtrA(window, DWLP_USER, lParam);
        return FALSE;
    }
    auto* self = reinterpret_cast<MessageDialog*>(::GetWindowLongPtrA(window, DWLP_USER));
    if (!self)
        return FALSE;
    try {
        switch (message) {
        case WM_COMMAND:
            if (HIWORD(wParam) == BN_CLICKED) {
                switch (LOWORD(wParam)) {
                case IDOK:
                case IDCANCEL: // also the close box
                case IDYES:
                case IDNO:
                    self->End(LOWORD(wParam));
                    return TRUE;
                }
            }
            break;
        case WM_DRAWITEM:
            if (wParam == kMessagePictureId) {
                self->DrawPicture(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
                return TRUE;
            }
            break;
        case WM_SETCURSOR:
            if (ApplyScreenCursor()) {
                ::SetWindowLongPtrA(window, DWLP_MSGRESULT, TRUE);
                return TRUE;
            }
            break;
        case WM_DESTROY:
            // Destroyed from outside (say with its owner): end the modal loop, forget the handle.
            if (self->dialog_.get() == window) {
                self->dialog_.release();
                self->End(mrCancel);
            }
            break;
        case WM_NCDESTROY:
            ::SetWindowLongPtrA(window, DWLP_USER, 0);
            break;
        }
    } catch (...) {
        // Nothing may unwind into the dialog manager: end the dialog and rethrow from ShowDialog.
        self->failure_ = std::current_exception();
        self->End(mrNone);
    }
    return FALSE;
}

int ShowMessageDlg(const std::string& text, MsgKind kind, MsgButtons buttons)
{
    MessageDialog dialog(text, 0);
    if (!dialog.BuildDialog(kind, buttons))
        return mrNone;
    return dialog.ShowDialog();
}

bool ShowWarning(const std::string& text)
{
    return ShowMessageDlg(text, MsgKind::Warning, mbOK) == mrOk;
}

int ShowInformation(const std::string& text)
{
    return ShowMessageDlg(text, MsgKind::Information, mbOK);
}

int ShowError(const std::string& text)
{
    return ShowMessageDlg(text, MsgKind::Error, mbOK);
}

} // namespace tessaly
