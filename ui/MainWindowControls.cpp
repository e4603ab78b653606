#include "ui/MainWindowControls.h"

#include "base/TextHelpers.h"
#include "resources/resource.h"
#include "resources/version.h"
#include "ui/FontHelpers.h"

#include <commctrl.h>

#include <initializer_list>

namespace tessaly {

namespace {

// The caption says the version; the taskbar button and the banner only the name.
constexpr const char* kWindowCaption = " " TESSALY_PRODUCT_NAME " v" TESSALY_VERSION_TEXT;
constexpr const char* kApplicationTitle = TESSALY_PRODUCT_NAME;

HFONT MakeFont(const LOGFONTA& font)
{
    return ::CreateFontIndirectA(&font);
}

int Id(Ctl c)
{
    return ControlId(c);
}

} // namespace

MainWindowControls::MainWindowControls(HWND form)
    : form_(form), ppi_(ScreenPixelsPerInch()), spacing_(ScaleByDpi(5, ppi_)),
      byId_{&banner,          &sourceGroup,     &linkCaption,      &linkHint,       &userCaption,   &userHint,
            &passwordCaption, &passwordHint,    &link,             &user,           &password,      &destinationGroup,
            &destinationCaption, &destinationHint, &destination,   &folderCaption,  &folderHint,    &folderName,
            &scheduleCaption, &scheduleHint,    &everyLabel,       &daysLabel,      &atLabel,       &startTimeCaption,
            &intervalDays,    &startTime,       &statusCaption,    &escapeHint,     &bannerPicture, &saveTask,
            &syncNow,         &productName,     &status,           &busyLamps},
      labels_{&linkCaption,     &linkHint,     &userCaption,        &userHint,        &passwordCaption,
              &passwordHint,    &destinationCaption, &destinationHint, &folderCaption, &folderHint,
              &scheduleCaption, &scheduleHint, &everyLabel,         &daysLabel,       &atLabel,
              &startTimeCaption, &statusCaption, &escapeHint,       &productName,     &status}
{
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_DATE_CLASSES | ICC_ANIMATE_CLASS | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&icc);
    windowFont_.reset(MakeFont(DefaultLogFont(ppi_)));
}

void MainWindowControls::CreateCaption(HWND group, Label& caption, Ctl captionId, const char* text, Control& field,
                                        Label& hint, Ctl hintId, const char* hintText)
{
    auto* font = static_cast<HFONT>(windowFont_.get());
    caption.Create(group, Id(captionId), text, font);
    caption.SetField(field);
    hint.Create(group, Id(hintId), hintText, font);
}

// Made in the order of the window's description, which is also the order Tab follows.
void MainWindowControls::CreateFormControls()
{
    auto* font = static_cast<HFONT>(windowFont_.get());
    banner.Create(form_, Id(Ctl::pnlTop), Container::Kind::Panel, "", font);
    sourceGroup.Create(form_, Id(Ctl::gbxSrc), Container::Kind::GroupBox, " Source ", font);
    HWND source = sourceGroup.Handle();
    CreateCaption(source, linkCaption, Ctl::lblSource, "&Download Link:", link, linkHint, Ctl::lblSourceV, "");
    CreateCaption(source, userCaption, Ctl::lblUser, "&Username:", user, userHint, Ctl::lblUserV, "Optional");
    CreateCaption(source, passwordCaption, Ctl::lblPass, "&Password:", password, passwordHint, Ctl::lblPassV,
                  "Optional");
    link.Create(source, Id(Ctl::edtSource), font);
    user.Create(source, Id(Ctl::edtUser), font);
    password.Create(source, Id(Ctl::edtPass), font);

    destinationGroup.Create(form_, Id(Ctl::gbxDst), Container::Kind::GroupBox, " Destination ", font);
    HWND target = destinationGroup.Handle();
    CreateCaption(target, destinationCaption, Ctl::lblTo, "Sync &To:", destination, destinationHint, Ctl::lblToV,
                  "Specify e-mail program you want to use");
    destination.Create(target, Id(Ctl::cmbTo), font);
    CreateCaption(target, folderCaption, Ctl::lblTitle, "&Contact Folder:", folderName, folderHint, Ctl::lblTitleV, "");
    folderName.Create(target, Id(Ctl::edtTitle), font);
    CreateCaption(target, scheduleCaption, Ctl::lblScheduler, "&Schedule Sync:", intervalDays, scheduleHint,
                  Ctl::lblSchedulerV, "");
    everyLabel.Create(target, Id(Ctl::lblEvery), "Every", font);
    daysLabel.Create(target, Id(Ctl::lblDay), "day(s)", font);
    atLabel.Create(target, Id(Ctl::lblAT), "at", font);
    startTimeCaption.Create(target, Id(Ctl::lblTime), "Start &Time:", font);
    startTimeCaption.SetField(startTime);
    intervalDays.Create(target, Id(Ctl::cmbScheduler), font);
    startTime.Create(target, Id(Ctl::dtScheduler), font, " HH:mm");
    startTime.SetSecondsAfterMidnight(15 * 3600);

    statusCaption.Create(form_, Id(Ctl::lblStatus), "Status:", font);
    statusCaption.SetVisible(false);
    escapeHint.Create(form_, Id(Ctl::lblESC), "", font, Label::Align::Right);
    escapeHint.SetVisible(false);
    // The only position the description fixes: the first label.
    ::SetWindowPos(linkCaption.Handle(), nullptr, MulDiv(20, ppi_, 96), MulDiv(25, ppi_, 96), 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindowControls::BuildControls()
{
    auto* font = static_cast<HFONT>(windowFont_.get());
    bannerPicture.Create(banner.Handle(), Id(Ctl::imgTop), IDB_BANNER, font);
    if (spacing_ == 5)
        saveTask.LoadGlyph(IDB_SCHEDULE_GLYPH, 2);
    saveTask.Create(destinationGroup.Handle(), Id(Ctl::btnSchedule), "Save Scheduled Task", font);
    syncNow.LoadGlyph(IDB_SYNC_GLYPH, 1);
    syncNow.Create(destinationGroup.Handle(), Id(Ctl::btnSync), "Sync Now", font);

    productName.Create(banner.Handle(), Id(Ctl::lblProduct), "", font);
    HWND product = productName.Handle();
    ::SetWindowLongA(product, GWL_STYLE, ::GetWindowLongA(product, GWL_STYLE) | WS_CLIPSIBLINGS);
    ::SetWindowPos(product, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    status.Create(form_, Id(Ctl::lblStatusV), "", font);
    status.SetVisible(false);

    // The Source group is the active control: it gets the focus when the window is first
    // activated, and Tab goes on from there to the first field of the group.
    activeControl_ = sourceGroup.Handle();
}

void MainWindowControls::SetFonts()
{
    auto* plain = static_cast<HFONT>(windowFont_.get());
    SetWindowFont(form_, plain);

    LOGFONTA product = DefaultLogFont(ppi_);
    product.lfWeight = FW_BOLD;
    const int points = MulDiv(-product.lfHeight, 72, ppi_);
    product.lfHeight = -MulDiv(points + 2, ppi_, 72);
    productFont_.reset(MakeFont(product));
    LOGFONTA bold = DefaultLogFont(ppi_);
    bold.lfWeight = FW_BOLD;
    captionFont_.reset(MakeFont(bold));
    boldFont_.reset(MakeFont(bold));
    auto* caption = static_cast<HFONT>(captionFont_.get());
    auto* strong = static_cast<HFONT>(boldFont_.get());

    productName.SetFont(static_cast<HFONT>(productFont_.get()));
    for (Label* label : {&linkCaption, &userCaption, &passwordCaption, &destinationCaption, &folderCaption,
                         &scheduleCaption, &startTimeCaption, &status}) {
        label->SetFont(caption);
        label->SetNavy(true);
    }
    for (Control* control : std::initializer_list<Control*>{&sourceGroup, &destinationGroup, &statusCaption, &syncNow})
        control->SetFont(strong);
    for (Control* control : std::initializer_list<Control*>{
             &linkHint, &userHint, &passwordHint, &link, &user, &password, &destinationHint, &folderHint,
             &scheduleHint, &everyLabel, &daysLabel, &atLabel, &destination, &folderName, &intervalDays, &startTime,
             &saveTask, &escapeHint})
        control->SetFont(plain);
}

void MainWindowControls::SetCaptions()
{
    ::SetWindowTextA(form_, kWindowCaption);
    // The window that owns the main window carries the taskbar button and its text.
    if (HWND owner = ::GetWindow(form_, GW_OWNER))
        ::SetWindowTextA(owner, kApplicationTitle);
    productName.SetText(kApplicationTitle);
}

void MainWindowControls::SelectCombos(std::span<const CodeItem> destinations, int destinationCode, int interval)
{
    const auto itemEnabled = [](int code, bool& enabled) { enabled = code != 0; };
    const auto fill = [&](CodeComboBox& combo, int code, const auto& add) {
        combo.SetupCombo(false, true, itemEnabled);
        ::SendMessageA(combo.Handle(), WM_SETREDRAW, FALSE, 0);
        combo.Clear();
        add(combo);
        ::SendMessageA(combo.Handle(), WM_SETREDRAW, TRUE, 0);
        const int index = combo.IndexOfCode(code);
        combo.SetItemIndex(index < 0 ? 0 : index);
        ::InvalidateRect(combo.Handle(), nullptr, TRUE);
    };
    fill(destination, destinationCode, [destinations](CodeComboBox& combo) {
        for (const CodeItem& item : destinations)
            combo.AddItem(std::string(item.text), item.code);
    });
    fill(intervalDays, interval, [](CodeComboBox& combo) {
        for (int i = 1; i <= 7; ++i)
            combo.AddItem(std::string(1, ' ').append(1, static_cast<char>('0' + i)), i);
    });
}

void MainWindowControls::ArrangeControls()
{
    LayoutInput input;
    input.spacing = spacing_;
    input.sourceLabelTop = linkCaption.RectInParent().top;
    input.scheduleHasGlyph = saveTask.HasGlyph();
    for (size_t i = 0; i < kControlCount; ++i) {
        const Control& control = *byId_[i];
        if (control.Handle())
            input.own[i] = control.OwnSize();
    }
    input.own[Index(Ctl::aniBusy)] = PixelSize{107, 31};
    layout_ = ArrangeMainWindow(input);

    RECT frame{0, 0, layout_.clientWidth, layout_.clientHeight};
    const auto style = static_cast<DWORD>(::GetWindowLongA(form_, GWL_STYLE));
    const auto exStyle = static_cast<DWORD>(::GetWindowLongA(form_, GWL_EXSTYLE));
    ::AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    RECT work{};
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    ::SetWindowPos(form_, nullptr, work.left + (work.right - work.left - width) / 2,
                   work.top + (work.bottom - work.top - height) / 2, width, height, SWP_NOZORDER | SWP_NOACTIVATE);

    for (Ctl c : {Ctl::pnlTop, Ctl::imgTop, Ctl::gbxSrc, Ctl::lblProduct, Ctl::lblSource, Ctl::edtSource,
                  Ctl::lblUser, Ctl::edtUser, Ctl::lblPass, Ctl::edtPass, Ctl::lblSourceV, Ctl::lblUserV,
                  Ctl::lblPassV})
        At(c).Move(layout_[c]);
    ArrangeDestination(layout_[Ctl::gbxSrc].Bottom() + 4 * spacing_);
}

void MainWindowControls::ArrangeDestination(int top)
{
    if (top != layout_[Ctl::gbxDst].top)
        return; // the layout is computed as a whole; a different top means it was not
    for (Ctl c : {Ctl::gbxDst, Ctl::lblTo, Ctl::lblToV, Ctl::cmbTo, Ctl::lblTitle, Ctl::lblTitleV, Ctl::edtTitle,
                  Ctl::lblScheduler, Ctl::lblSchedulerV, Ctl::lblEvery, Ctl::cmbScheduler, Ctl::lblDay, Ctl::lblAT,
                  Ctl::dtScheduler, Ctl::lblTime, Ctl::btnSchedule, Ctl::btnSync, Ctl::lblStatus, Ctl::lblStatusV,
                  Ctl::lblESC})
        At(c).Move(layout_[c]);
}

void MainWindowControls::ShowAnimation(bool on)
{
    HWND panel = banner.Handle();
    if (on && !busyLamps.Handle())
        busyLamps.Create(panel, Id(Ctl::aniBusy), IDR_BUSY_CLIP, layout_[Ctl::aniBusy]);
    ::SendMessageA(panel, WM_SETREDRAW, FALSE, 0);
    struct Resume {
        HWND panel;
        ~Resume()
        {
            ::SendMessageA(panel, WM_SETREDRAW, TRUE, 0);
            ::RedrawWindow(panel, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        }
    } resume{panel};
    productName.SetVisible(!on);
    if (busyLamps.Handle()) {
        if (on)
            busyLamps.Play();
        else
            busyLamps.Stop();
    }
}

void MainWindowControls::RememberFocus()
{
    HWND focus = ::GetFocus();
    if (focus && ::IsChild(form_, focus))
        activeControl_ = focus;
}

void MainWindowControls::FocusActiveControl()
{
    HWND target = activeControl_;
    if (!target || !::IsWindow(target) || !::IsWindowEnabled(target))
        target = sourceGroup.Handle();
    ::SetFocus(target);
}

HBRUSH MainWindowControls::BannerBrush(HWND label, HDC dc)
{
    if (!bannerBrush_ && bannerPicture.Bitmap())
        bannerBrush_.reset(::CreatePatternBrush(bannerPicture.Bitmap()));
    if (!bannerBrush_)
        return ::GetSysColorBrush(COLOR_BTNFACE);
    // Line the banner up with the label, so the label looks painted onto it.
    RECT rect{};
    ::GetWindowRect(label, &rect);
    ::MapWindowPoints(nullptr, bannerPicture.Handle(), reinterpret_cast<POINT*>(&rect), 2);
    ::SetBrushOrgEx(dc, -rect.left, -rect.top, nullptr);
    return static_cast<HBRUSH>(bannerBrush_.get());
}

// Labels and group boxes paint on the button face, in their own text colour; the product
// name on the banner.
bool MainWindowControls::PaintStatic(HWND from, HDC dc, LRESULT& result)
{
    const Label* label = nullptr;
    for (const Label* candidate : labels_)
        if (candidate->Handle() == from)
            label = candidate;
    if (!label && from != sourceGroup.Handle() && from != destinationGroup.Handle())
        return false;
    ::SetTextColor(dc, label ? label->TextColour() : ::GetSysColor(COLOR_WINDOWTEXT));
    ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
    if (label)
        ::SetBkMode(dc, TRANSPARENT);
    const HBRUSH brush = label == &productName ? BannerBrush(from, dc) : ::GetSysColorBrush(COLOR_BTNFACE);
    result = reinterpret_cast<LRESULT>(brush);
    return true;
}

bool MainWindowControls::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (destination.HandleParentMessage(message, wParam, lParam, result)
        || intervalDays.HandleParentMessage(message, wParam, lParam, result)
        || syncNow.HandleParentMessage(message, wParam, lParam, result)
        || saveTask.HandleParentMessage(message, wParam, lParam, result))
        return true;
    if (message == WM_CTLCOLORSTATIC)
        return PaintStatic(reinterpret_cast<HWND>(lParam), reinterpret_cast<HDC>(wParam), result);
    return false;
}

bool MainWindowControls::HandleAccessKey(const MSG& msg)
{
    if (msg.message != WM_SYSCHAR || !(msg.hwnd == form_ || ::IsChild(form_, msg.hwnd)))
        return false;
    const auto key = static_cast<char>(msg.wParam);
    for (const Label* label : labels_) {
        Control* field = label->Field();
        if (!field || !label->HasAccessKey(key))
            continue;
        if (!field->Handle() || !field->IsEnabled() || !::IsWindowVisible(field->Handle()))
            continue;
        field->Focus();
        return true;
    }
    return false;
}

bool MainWindowControls::HandleGroupTab(const MSG& msg)
{
    HWND focus = ::GetFocus();
    if (msg.message != WM_KEYDOWN || msg.wParam != VK_TAB || !focus
        || (focus != sourceGroup.Handle() && focus != destinationGroup.Handle()))
        return false;
    HWND first = ::GetNextDlgTabItem(focus, nullptr, FALSE);
    const bool backwards = ::GetKeyState(VK_SHIFT) < 0;
    HWND next = backwards ? ::GetNextDlgTabItem(form_, first, TRUE) : first;
    if (!next)
        return false;
    ::SetFocus(next);
    if (::SendMessageA(next, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL)
        ::SendMessageA(next, EM_SETSEL, 0, -1);
    return true;
}

} // namespace tessaly
