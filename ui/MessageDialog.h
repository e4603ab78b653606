#pragma once
// The program's message dialog: the product name as title, the picture of the message's
// kind, the text in bold beside it and a centred row of buttons, all sized in code.
#include "base/WinHandles.h"
#include "ui/DialogGeometry.h"

#include <windows.h>

#include <exception>
#include <string>
#include <vector>

namespace tessaly {

// The kind picks the picture: the message bitmaps follow the kinds' order.
enum class MsgKind { Warning = 0, Information = 1, Error = 2, Confirmation = 3 };

// Buttons to show, combined with |; they appear in the order Yes, No, OK, Cancel.
enum MsgButton : unsigned { mbYes = 1, mbNo = 2, mbOK = 4, mbCancel = 8 };
using MsgButtons = unsigned;

// Dialog results (0: no dialog could be built).
enum MsgResult : int { mrNone = 0, mrOk = IDOK, mrCancel = IDCANCEL, mrYes = IDYES, mrNo = IDNO };

// Control identifiers of the dialog's picture and text.
constexpr int kMessagePictureId = 1001;
constexpr int kMessageTextId = 1002;

class MessageDialog {
public:
    MessageDialog(std::string text, WORD helpContext);
    ~MessageDialog();
    MessageDialog(const MessageDialog&) = delete;
    MessageDialog& operator=(const MessageDialog&) = delete;

    // Builds and lays out the (hidden) dialog; false when no window could be made.
    // Throws for an unknown kind or a missing picture.
    [[nodiscard]] bool BuildDialog(MsgKind kind, MsgButtons buttons);
    // Runs the dialog modally; its result, or mrNone when it was never built.
    int ShowDialog();

    HWND Window() const noexcept { return dialog_.get(); }

private:
    HWND CreateDialogWindow(MsgButtons buttons);
    void SetDialogFont();
    void MeasureText();
    void PlaceImage(MsgKind kind, int textHeight);
    void ArrangeDialog();
    void PlaceButtons();
    // True when the key was taken (Escape), so the controls never see it.
    bool DialogKeyDown(WPARAM key);

    void End(int result);
    void DrawPicture(const DRAWITEMSTRUCT& item) const;
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    WORD helpContext_;
    std::string text_;
    std::string title_;
    std::vector<HWND> buttons_;
    HCURSOR savedCursor_;
    int pixelsPerInch_;

    PixelSize textSize_;
    PixelSize pictureSize_;
    DialogLayout layout_;
    UniqueGdiObject boldFont_;
    UniqueGdiObject regularFont_;
    UniqueGdiObject bitmap_;
    HWND label_ = nullptr;
    HWND picture_ = nullptr;
    int result_ = mrNone;
    bool ended_ = false;
    std::exception_ptr failure_;
    // Last, so the window goes before the fonts and the bitmap it uses.
    UniqueWindow dialog_;
};

// Each shows one modal message with the OK button.
bool ShowWarning(const std::string& text);
int ShowInformation(const std::string& text);
int ShowError(const std::string& text);
int ShowMessageDlg(const std::string& text, MsgKind kind, MsgButtons buttons);

} // namespace tessaly
