#include "ui/MainWindowControls.h"
#include "ui/GdiScopes.h"

#include "base/TextHelpers.h"
#include "resources/resource.h"
#include "resources/version.h"
#include "ui/FontHelpers.h"

#include <commctrl.h>

#include <cctype>
#include <vector>

namespace tessaly {

namespace {

constexpr COLORREF kNavy = RGB(0, 0, 128);
constexpr const char* kPanelClass = "TessalyPanel";
// The caption says the version; the taskbar button and the banner only the name.
constexpr const char* kWindowCaption = " " TESSALY_PRODUCT_NAME " v" TESSALY_VERSION_TEXT;
constexpr const char* kApplicationTitle = TESSALY_PRODUCT_NAME;

HINSTANCE Instance()
{
    return ::GetModuleHandleA(nullptr);
}

bool IsChildNotification(UINT message)
{
    switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
        return true;
    default:
        return false;
    }
}

// Panels and group boxes hand their children's notifications to the window, which
// owns the controls' behaviour and colours.
LRESULT CALLBACK ForwardingSubclass(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR)
{
    if (message == WM_ERASEBKGND) {
        // A group box paints only its frame and caption; the face under the controls is ours.
        RECT client{};
        ::GetClientRect(hwnd, &client);
        ::FillRect(reinterpret_cast<HDC>(wParam), &client, ::GetSysColorBrush(COLOR_BTNFACE));
        return 1;
    }
    if (IsChildNotification(message)) {
        if (HWND root = ::GetAncestor(hwnd, GA_ROOT); root && root != hwnd)
            return ::SendMessageA(root, message, wParam, lParam);
    }
    return ::DefSubclassProc(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK PanelProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::DefWindowProcA(hwnd, message, wParam, lParam);
}

void RegisterPanelClass()
{
    WNDCLASSA existing{};
    if (::GetClassInfoA(Instance(), kPanelClass, &existing))
        return;
    WNDCLASSA wc{};
    wc.lpfnWndProc = PanelProc;
    wc.hInstance = Instance();
    wc.hCursor = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    wc.lpszClassName = kPanelClass;
    ::RegisterClassA(&wc);
}

std::string WindowText(HWND hwnd)
{
    const int length = ::GetWindowTextLengthA(hwnd);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    text.resize(static_cast<size_t>(::GetWindowTextA(hwnd, text.data(), length + 1)));
    return text;
}

int TextHeightOf(HWND hwnd, HFONT font)
{
    FontDC dc(hwnd, font);
    TEXTMETRICA metrics{};
    ::GetTextMetricsA(dc.get(), &metrics);
    return metrics.tmHeight;
}

HFONT MakeFont(const LOGFONTA& font)
{
    return ::CreateFontIndirectA(&font);
}

BITMAPINFO TopDown32BitInfo(int width, int height)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

// 32-bit top-down pixels of a bitmap.
std::vector<DWORD> PixelsOf(HBITMAP bitmap, int width, int height)
{
    std::vector<DWORD> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
    BITMAPINFO info = TopDown32BitInfo(width, height);
    WindowDC screen(nullptr);
    ::GetDIBits(screen.get(), bitmap, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS);
    return pixels;
}

HBITMAP BitmapFromPixels(const std::vector<DWORD>& pixels, int width, int height)
{
    BITMAPINFO info = TopDown32BitInfo(width, height);
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap && bits)
        std::copy(pixels.begin(), pixels.end(), static_cast<DWORD*>(bits));
    return bitmap;
}

DWORD ToPixel(COLORREF colour)
{
    return (static_cast<DWORD>(GetRValue(colour)) << 16) | (static_cast<DWORD>(GetGValue(colour)) << 8)
           | GetBValue(colour);
}

} // namespace

TMainWindowControls::TMainWindowControls(HWND form, Events events)
    : form_(form), events_(std::move(events)), ppi_(ScreenPixelsPerInch()), spacing_(ScaleByDpi(5, ppi_))
{
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_DATE_CLASSES | ICC_ANIMATE_CLASS | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&icc);
    RegisterPanelClass();
    windowFont_.reset(MakeFont(DefaultLogFont(ppi_)));
}

TMainWindowControls::~TMainWindowControls()
{
    // The child windows go with the window; only the subclasses must not outlive us.
    for (Ctl c : {Ctl::pnlTop, Ctl::gbxSrc, Ctl::gbxDst})
        if (HWND hwnd = Handle(c); hwnd && ::IsWindow(hwnd))
            ::RemoveWindowSubclass(hwnd, ForwardingSubclass, 0);
}

HWND TMainWindowControls::ParentHandle(Ctl parent) const
{
    return parent == Ctl::Count ? form_ : Handle(parent);
}

HWND TMainWindowControls::Create(Ctl c, Kind kind, Ctl parent, const char* caption, Ctl focus)
{
    const char* className = "STATIC";
    DWORD style = WS_CHILD | WS_VISIBLE;
    DWORD exStyle = 0;
    switch (kind) {
    case Kind::Panel:
        className = kPanelClass;
        style |= WS_CLIPCHILDREN;
        exStyle = WS_EX_CONTROLPARENT;
        break;
    case Kind::GroupBox:
        className = "BUTTON";
        style |= BS_GROUPBOX | WS_CLIPCHILDREN;
        exStyle = WS_EX_CONTROLPARENT;
        break;
    case Kind::Label:
        style |= SS_LEFT;
        break;
    case Kind::Edit:
        className = "EDIT";
        style |= WS_TABSTOP | ES_AUTOHSCROLL;
        exStyle = WS_EX_CLIENTEDGE;
        break;
    case Kind::TimePicker:
        className = DATETIMEPICK_CLASSA;
        style |= WS_TABSTOP | DTS_TIMEFORMAT;
        break;
    case Kind::Image:
        style |= SS_BITMAP | WS_CLIPSIBLINGS;
        break;
    case Kind::Button:
        className = "BUTTON";
        style |= WS_TABSTOP | BS_OWNERDRAW;
        break;
    case Kind::Combo:
    case Kind::Animation:
        break;
    }
    HWND hwnd = ::CreateWindowExA(exStyle, className, caption, style, 0, 0, 10, 10, ParentHandle(parent),
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlId(c))), Instance(), nullptr);
    Item& item = At(c);
    item.hwnd = hwnd;
    item.kind = kind;
    item.focus = focus;
    item.font = static_cast<HFONT>(windowFont_.get());
    if (hwnd)
        ::SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(item.font), FALSE);
    if (hwnd && (kind == Kind::Panel || kind == Kind::GroupBox))
        ::SetWindowSubclass(hwnd, ForwardingSubclass, 0, 0);
    return hwnd;
}

void TMainWindowControls::CreateFormControls()
{
    Create(Ctl::pnlTop, Kind::Panel, Ctl::Count, "");
    Create(Ctl::gbxSrc, Kind::GroupBox, Ctl::Count, " Source ");
    Create(Ctl::lblSource, Kind::Label, Ctl::gbxSrc, "&Download Link:", Ctl::edtSource);
    Create(Ctl::lblSourceV, Kind::Label, Ctl::gbxSrc, "");
    Create(Ctl::lblUser, Kind::Label, Ctl::gbxSrc, "&Username:", Ctl::edtUser);
    Create(Ctl::lblUserV, Kind::Label, Ctl::gbxSrc, "Optional");
    Create(Ctl::lblPass, Kind::Label, Ctl::gbxSrc, "&Password:", Ctl::edtPass);
    Create(Ctl::lblPassV, Kind::Label, Ctl::gbxSrc, "Optional");
    Create(Ctl::edtSource, Kind::Edit, Ctl::gbxSrc, "");
    Create(Ctl::edtUser, Kind::Edit, Ctl::gbxSrc, "");
    Create(Ctl::edtPass, Kind::Edit, Ctl::gbxSrc, "");
    Create(Ctl::gbxDst, Kind::GroupBox, Ctl::Count, " Destination ");
    Create(Ctl::lblTo, Kind::Label, Ctl::gbxDst, "Sync &To:", Ctl::cmbTo);
    Create(Ctl::lblToV, Kind::Label, Ctl::gbxDst, "Specify e-mail program you want to use");
    cmbTo_.Create(Handle(Ctl::gbxDst), ControlId(Ctl::cmbTo), static_cast<HFONT>(windowFont_.get()));
    At(Ctl::cmbTo) = Item{cmbTo_.Handle(), Kind::Combo, static_cast<HFONT>(windowFont_.get()), false, Ctl::Count};
    Create(Ctl::lblTitle, Kind::Label, Ctl::gbxDst, "&Contact Folder:", Ctl::edtTitle);
    Create(Ctl::lblTitleV, Kind::Label, Ctl::gbxDst, "");
    Create(Ctl::edtTitle, Kind::Edit, Ctl::gbxDst, "");
    Create(Ctl::lblScheduler, Kind::Label, Ctl::gbxDst, "&Schedule Sync:", Ctl::cmbScheduler);
    Create(Ctl::lblSchedulerV, Kind::Label, Ctl::gbxDst, "");
    Create(Ctl::lblEvery, Kind::Label, Ctl::gbxDst, "Every");
    Create(Ctl::lblDay, Kind::Label, Ctl::gbxDst, "day(s)");
    Create(Ctl::lblAT, Kind::Label, Ctl::gbxDst, "at");
    Create(Ctl::lblTime, Kind::Label, Ctl::gbxDst, "Start &Time:", Ctl::dtScheduler);
    cmbScheduler_.Create(Handle(Ctl::gbxDst), ControlId(Ctl::cmbScheduler), static_cast<HFONT>(windowFont_.get()));
    At(Ctl::cmbScheduler) =
        Item{cmbScheduler_.Handle(), Kind::Combo, static_cast<HFONT>(windowFont_.get()), false, Ctl::Count};
    HWND picker = Create(Ctl::dtScheduler, Kind::TimePicker, Ctl::gbxDst, "");
    ::SendMessageA(picker, DTM_SETFORMATA, 0, reinterpret_cast<LPARAM>(" HH:mm"));
    SetStartTime(15 * 3600);
    Create(Ctl::lblStatus, Kind::Label, Ctl::Count, "Status:");
    ::ShowWindow(Handle(Ctl::lblStatus), SW_HIDE);
    HWND esc = Create(Ctl::lblESC, Kind::Label, Ctl::Count, "");
    ::SetWindowLongA(esc, GWL_STYLE, (::GetWindowLongA(esc, GWL_STYLE) & ~SS_LEFT) | SS_RIGHT);
    ::ShowWindow(esc, SW_HIDE);
    // The only position the description fixes: the first label.
    ::SetWindowPos(Handle(Ctl::lblSource), nullptr, MulDiv(20, ppi_, 96), MulDiv(25, ppi_, 96), 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

TMainWindowControls::Glyph TMainWindowControls::LoadGlyph(int resource, int images)
{
    Glyph glyph;
    UniqueGdiObject source(::LoadImageA(Instance(), MAKEINTRESOURCEA(resource), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    BITMAP info{};
    if (!source || !::GetObjectA(source.get(), sizeof info, &info) || info.bmWidth < images)
        return glyph;
    const int total = info.bmWidth;
    const int height = info.bmHeight;
    const int width = total / images;
    const std::vector<DWORD> pixels = PixelsOf(static_cast<HBITMAP>(source.get()), total, height);
    // The lower-left pixel names the colour drawn as the button face.
    const DWORD transparent = pixels[static_cast<size_t>(height - 1) * static_cast<size_t>(total)] & 0xFFFFFF;
    const DWORD face = ToPixel(::GetSysColor(COLOR_BTNFACE));
    const DWORD shadow = ToPixel(::GetSysColor(COLOR_BTNSHADOW));
    std::vector<DWORD> normal(static_cast<size_t>(width) * static_cast<size_t>(height));
    std::vector<DWORD> disabled(normal.size());
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const size_t to = static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x);
            const DWORD pixel = pixels[static_cast<size_t>(y) * static_cast<size_t>(total) + static_cast<size_t>(x)] & 0xFFFFFF;
            normal[to] = pixel == transparent ? face : pixel;
            if (images > 1) {
                const DWORD second =
                    pixels[static_cast<size_t>(y) * static_cast<size_t>(total) + static_cast<size_t>(x + width)] & 0xFFFFFF;
                disabled[to] = second == transparent ? face : second;
            } else {
                const int light = (((pixel >> 16) & 0xFF) * 3 + ((pixel >> 8) & 0xFF) * 6 + (pixel & 0xFF)) / 10;
                disabled[to] = pixel == transparent || light > 192 ? face : shadow;
            }
        }
    }
    glyph.normal.reset(BitmapFromPixels(normal, width, height));
    glyph.disabled.reset(BitmapFromPixels(disabled, width, height));
    glyph.width = width;
    glyph.height = height;
    return glyph;
}

void TMainWindowControls::BuildControls()
{
    HWND image = Create(Ctl::imgTop, Kind::Image, Ctl::pnlTop, nullptr);
    banner_.reset(::LoadImageA(Instance(), MAKEINTRESOURCEA(IDB_BANNER), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    ::SendMessageA(image, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(banner_.get()));

    if (spacing_ == 5)
        scheduleGlyph_ = LoadGlyph(IDB_SCHEDULE_GLYPH, 2);
    Create(Ctl::btnSchedule, Kind::Button, Ctl::gbxDst, "Save Scheduled Task");
    syncGlyph_ = LoadGlyph(IDB_SYNC_GLYPH, 1);
    Create(Ctl::btnSync, Kind::Button, Ctl::gbxDst, "Sync Now");

    HWND product = Create(Ctl::lblProduct, Kind::Label, Ctl::pnlTop, "");
    ::SetWindowLongA(product, GWL_STYLE, ::GetWindowLongA(product, GWL_STYLE) | WS_CLIPSIBLINGS);
    ::SetWindowPos(product, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    HWND status = Create(Ctl::lblStatusV, Kind::Label, Ctl::Count, "");
    ::ShowWindow(status, SW_HIDE);

    // gbxSrc is the active control: it gets the focus when the window is first activated,
    // and Tab goes on from there to the first field of the group.
    activeControl_ = Handle(Ctl::gbxSrc);
}

void TMainWindowControls::UseFont(Ctl c, HFONT font, bool navy)
{
    Item& item = At(c);
    item.font = font;
    item.navy = navy;
    if (item.hwnd)
        ::SendMessageA(item.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

void TMainWindowControls::SetFonts()
{
    HFONT plain = static_cast<HFONT>(windowFont_.get());
    ::SendMessageA(form_, WM_SETFONT, reinterpret_cast<WPARAM>(plain), FALSE);
    for (Item& item : items_)
        item.font = plain;

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

    UseFont(Ctl::lblProduct, static_cast<HFONT>(productFont_.get()), false);
    for (Ctl c : {Ctl::lblSource, Ctl::lblUser, Ctl::lblPass, Ctl::lblTo, Ctl::lblTitle, Ctl::lblScheduler,
                  Ctl::lblTime, Ctl::lblStatusV})
        UseFont(c, caption, true);
    for (Ctl c : {Ctl::gbxSrc, Ctl::gbxDst, Ctl::lblStatus, Ctl::btnSync})
        UseFont(c, strong, false);
    for (Ctl c : {Ctl::lblSourceV, Ctl::lblUserV, Ctl::lblPassV, Ctl::edtSource, Ctl::edtUser, Ctl::edtPass,
                  Ctl::lblToV, Ctl::lblTitleV, Ctl::lblSchedulerV, Ctl::lblEvery, Ctl::lblDay, Ctl::lblAT,
                  Ctl::cmbTo, Ctl::edtTitle, Ctl::cmbScheduler, Ctl::dtScheduler, Ctl::btnSchedule, Ctl::lblESC})
        UseFont(c, plain, false);
}

void TMainWindowControls::SetCaptions()
{
    ::SetWindowTextA(form_, kWindowCaption);
    // The window that owns the main window carries the taskbar button and its text.
    if (HWND owner = ::GetWindow(form_, GW_OWNER))
        ::SetWindowTextA(owner, kApplicationTitle);
    SetCaption(Ctl::lblProduct, kApplicationTitle);
}

void TMainWindowControls::SelectCombos(std::span<const CodeItem> destinations, int destinationCode, int interval)
{
    const auto itemEnabled = [](int code, bool& enabled) { enabled = code != 0; };
    const auto fill = [&](TCodeComboBox& combo, int code, const auto& add) {
        combo.SetupCombo(false, true, itemEnabled);
        At(combo.Handle() == cmbTo_.Handle() ? Ctl::cmbTo : Ctl::cmbScheduler).hwnd = combo.Handle();
        ::SendMessageA(combo.Handle(), WM_SETREDRAW, FALSE, 0);
        combo.Clear();
        add(combo);
        ::SendMessageA(combo.Handle(), WM_SETREDRAW, TRUE, 0);
        const int index = combo.IndexOfCode(code);
        combo.SetItemIndex(index < 0 ? 0 : index);
        ::InvalidateRect(combo.Handle(), nullptr, TRUE);
    };
    fill(cmbTo_, destinationCode, [destinations](TCodeComboBox& combo) {
        for (const CodeItem& item : destinations)
            combo.AddItem(std::string(item.text), item.code);
    });
    fill(cmbScheduler_, interval, [](TCodeComboBox& combo) {
        for (int i = 1; i <= 7; ++i)
            combo.AddItem(std::string(1, ' ').append(1, static_cast<char>('0' + i)), i);
    });
}

PixelSize TMainWindowControls::LabelSize(Ctl c) const
{
    const Item& item = items_[Index(c)];
    std::string text = WindowText(item.hwnd);
    if (text.empty())
        text.assign(1, ' ');
    FontDC dc(item.hwnd, item.font);
    RECT rect{0, 0, 0, 0};
    ::DrawTextA(dc.get(), text.c_str(), static_cast<int>(text.size()), &rect, DT_CALCRECT | DT_SINGLELINE | DT_LEFT);
    return PixelSize{rect.right - rect.left, TextHeightOf(item.hwnd, item.font)};
}

PixelSize TMainWindowControls::OwnSize(Ctl c) const
{
    const Item& item = items_[Index(c)];
    RECT rect{};
    switch (item.kind) {
    case Kind::Label:
        return LabelSize(c);
    case Kind::Edit:
        // A sunken single-line field: the text plus 4 pixels of border and margin above and below.
        return PixelSize{0, TextHeightOf(item.hwnd, item.font) + 8};
    default:
        ::GetWindowRect(item.hwnd, &rect);
        return PixelSize{rect.right - rect.left, rect.bottom - rect.top};
    }
}

void TMainWindowControls::Move(Ctl c, const PixelRect& rect)
{
    HWND hwnd = Handle(c);
    if (!hwnd)
        return;
    if (c == Ctl::cmbTo)
        cmbTo_.SetBounds(rect.left, rect.top, rect.width);
    else if (c == Ctl::cmbScheduler)
        cmbScheduler_.SetBounds(rect.left, rect.top, rect.width);
    else
        ::SetWindowPos(hwnd, nullptr, rect.left, rect.top, rect.width, rect.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TMainWindowControls::ArrangeControls()
{
    LayoutInput input;
    input.spacing = spacing_;
    RECT design{};
    ::GetWindowRect(Handle(Ctl::lblSource), &design);
    ::MapWindowPoints(nullptr, Handle(Ctl::gbxSrc), reinterpret_cast<POINT*>(&design), 2);
    input.sourceLabelTop = design.top;
    input.scheduleHasGlyph = ScheduleHasGlyph();
    for (size_t i = 0; i < kControlCount; ++i) {
        const auto c = static_cast<Ctl>(i);
        if (Handle(c))
            input.own[i] = OwnSize(c);
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
        Move(c, layout_[c]);
    ArrangeDestination(layout_[Ctl::gbxSrc].Bottom() + 4 * spacing_);
}

void TMainWindowControls::ArrangeDestination(int top)
{
    if (top != layout_[Ctl::gbxDst].top)
        return; // the layout is computed as a whole; a different top means it was not
    for (Ctl c : {Ctl::gbxDst, Ctl::lblTo, Ctl::lblToV, Ctl::cmbTo, Ctl::lblTitle, Ctl::lblTitleV, Ctl::edtTitle,
                  Ctl::lblScheduler, Ctl::lblSchedulerV, Ctl::lblEvery, Ctl::cmbScheduler, Ctl::lblDay, Ctl::lblAT,
                  Ctl::dtScheduler, Ctl::lblTime, Ctl::btnSchedule, Ctl::btnSync, Ctl::lblStatus, Ctl::lblStatusV,
                  Ctl::lblESC})
        Move(c, layout_[c]);
}

HWND TMainWindowControls::CreateAnimation(HWND panel, int resource)
{
    HWND animation = ::CreateWindowExA(0, ANIMATE_CLASSA, nullptr, WS_CHILD | WS_CLIPSIBLINGS, 15, 5, 107, 31, panel,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlId(Ctl::aniBusy))),
                                       Instance(), nullptr);
    if (!animation)
        return nullptr;
    ::SendMessageA(animation, ACM_OPENA, reinterpret_cast<WPARAM>(Instance()),
                   reinterpret_cast<LPARAM>(MAKEINTRESOURCEA(resource)));
    ::SetWindowPos(animation, HWND_TOP, 15, 5, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    return animation;
}

void TMainWindowControls::SetRedraw(HWND panel, bool on)
{
    ::SendMessageA(panel, WM_SETREDRAW, on ? TRUE : FALSE, 0);
}

void TMainWindowControls::ShowAnimation(bool on)
{
    HWND panel = Handle(Ctl::pnlTop);
    if (on && !Handle(Ctl::aniBusy)) {
        At(Ctl::aniBusy) = Item{CreateAnimation(panel, IDR_BUSY_CLIP), Kind::Animation, nullptr, false, Ctl::Count};
    }
    HWND animation = Handle(Ctl::aniBusy);
    SetRedraw(panel, false);
    struct Resume {
        HWND panel;
        ~Resume()
        {
            SetRedraw(panel, true);
            ::RedrawWindow(panel, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        }
    } resume{panel};
    ::ShowWindow(Handle(Ctl::lblProduct), on ? SW_HIDE : SW_SHOWNA);
    if (animation) {
        if (on) {
            ::ShowWindow(animation, SW_SHOWNA);
            ::SendMessageA(animation, ACM_PLAY, static_cast<WPARAM>(-1), MAKELONG(0, 0xFFFF));
        } else {
            ::SendMessageA(animation, ACM_STOP, 0, 0);
            ::ShowWindow(animation, SW_HIDE);
        }
    }
}

COLORREF TMainWindowControls::TextColourOf(Ctl c) const
{
    return items_[Index(c)].navy ? kNavy : ::GetSysColor(COLOR_WINDOWTEXT);
}

std::string TMainWindowControls::Text(Ctl c) const
{
    return WindowText(Handle(c));
}

void TMainWindowControls::SetCaption(Ctl c, const std::string& text)
{
    HWND hwnd = Handle(c);
    if (!hwnd)
        return;
    ::SetWindowTextA(hwnd, text.c_str());
    if (KindOf(c) != Kind::Label)
        return;
    RECT old{};
    ::GetWindowRect(hwnd, &old);
    HWND parent = ::GetParent(hwnd);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&old), 2);
    const PixelSize size = LabelSize(c);
    const int left = c == Ctl::lblESC ? old.right - size.width : old.left;
    ::SetWindowPos(hwnd, nullptr, left, old.top, size.width, size.height, SWP_NOZORDER | SWP_NOACTIVATE);
    // The parent shows through where the old, longer text was.
    ::InvalidateRect(parent, &old, TRUE);
    ::InvalidateRect(hwnd, nullptr, TRUE);
}

void TMainWindowControls::SetEnabled(Ctl c, bool enabled)
{
    if (HWND hwnd = Handle(c))
        ::EnableWindow(hwnd, enabled ? TRUE : FALSE);
}

void TMainWindowControls::SetVisible(Ctl c, bool visible)
{
    if (HWND hwnd = Handle(c))
        ::ShowWindow(hwnd, visible ? SW_SHOWNA : SW_HIDE);
}

bool TMainWindowControls::IsEnabled(Ctl c) const
{
    return Handle(c) && ::IsWindowEnabled(Handle(c));
}

bool TMainWindowControls::IsVisible(Ctl c) const
{
    return Handle(c) && (::GetWindowLongA(Handle(c), GWL_STYLE) & WS_VISIBLE) != 0;
}

int TMainWindowControls::StartTime() const
{
    SYSTEMTIME time{};
    if (::SendMessageA(Handle(Ctl::dtScheduler), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time)) != GDT_VALID)
        return 0;
    return time.wHour * 3600 + time.wMinute * 60 + time.wSecond;
}

void TMainWindowControls::SetStartTime(int secondsAfterMidnight)
{
    SYSTEMTIME time{};
    ::GetLocalTime(&time);
    const int value = ((secondsAfterMidnight % 86400) + 86400) % 86400;
    time.wHour = static_cast<WORD>(value / 3600);
    time.wMinute = static_cast<WORD>(value / 60 % 60);
    time.wSecond = static_cast<WORD>(value % 60);
    time.wMilliseconds = 0;
    ::SendMessageA(Handle(Ctl::dtScheduler), DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&time));
}

HBRUSH TMainWindowControls::BannerBrush(HWND label, HDC dc)
{
    if (!bannerBrush_ && banner_)
        bannerBrush_.reset(::CreatePatternBrush(static_cast<HBITMAP>(banner_.get())));
    if (!bannerBrush_)
        return ::GetSysColorBrush(COLOR_BTNFACE);
    // Line the banner up with the label, so the label looks painted onto it.
    RECT rect{};
    ::GetWindowRect(label, &rect);
    ::MapWindowPoints(nullptr, Handle(Ctl::imgTop), reinterpret_cast<POINT*>(&rect), 2);
    ::SetBrushOrgEx(dc, -rect.left, -rect.top, nullptr);
    return static_cast<HBRUSH>(bannerBrush_.get());
}

void TMainWindowControls::DrawButton(const DRAWITEMSTRUCT& item)
{
    const bool schedule = item.hwndItem == Handle(Ctl::btnSchedule);
    const Glyph& glyph = schedule ? scheduleGlyph_ : syncGlyph_;
    const bool pushed = (item.itemState & ODS_SELECTED) != 0;
    const bool disabled = (item.itemState & ODS_DISABLED) != 0;
    HDC dc = item.hDC;
    RECT rect = item.rcItem;
    ::DrawFrameControl(dc, &rect, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0));

    const std::string caption = WindowText(item.hwndItem);
    SelectObjectScope font(dc, FontOf(schedule ? Ctl::btnSchedule : Ctl::btnSync));
    SIZE textSize{};
    ::GetTextExtentPoint32A(dc, caption.c_str(), static_cast<int>(caption.size()), &textSize);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    const int glyphWidth = glyph ? glyph.width : 0;
    // Automatic spacing: the room left is shared before the glyph, between, and after the text.
    const int parts = glyph ? 3 : 2;
    const int gap = (width - glyphWidth - textSize.cx) / parts;
    const int shift = pushed ? 1 : 0;
    int x = rect.left + gap + shift;
    if (glyph) {
        MemoryDC memory(dc);
        SelectObjectScope picture(memory.get(), disabled ? glyph.disabled.get() : glyph.normal.get());
        ::BitBlt(dc, x, rect.top + (height - glyph.height) / 2 + shift, glyph.width, glyph.height, memory.get(), 0, 0,
                 SRCCOPY);
        x += glyph.width + gap;
    }
    ::SetBkMode(dc, TRANSPARENT);
    const int y = rect.top + (height - textSize.cy) / 2 + shift;
    if (disabled) {
        ::SetTextColor(dc, ::GetSysColor(COLOR_BTNHIGHLIGHT));
        ::TextOutA(dc, x + 1, y + 1, caption.c_str(), static_cast<int>(caption.size()));
        ::SetTextColor(dc, ::GetSysColor(COLOR_GRAYTEXT));
    } else {
        ::SetTextColor(dc, ::GetSysColor(COLOR_BTNTEXT));
    }
    ::TextOutA(dc, x, y, caption.c_str(), static_cast<int>(caption.size()));
    if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT)) {
        RECT focus = rect;
        ::InflateRect(&focus, -4, -4);
        ::DrawFocusRect(dc, &focus);
    }
}

bool TMainWindowControls::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (cmbTo_.HandleParentMessage(message, wParam, lParam, result)
        || cmbScheduler_.HandleParentMessage(message, wParam, lParam, result))
        return true;
    switch (message) {
    case WM_COMMAND: {
        const auto from = reinterpret_cast<HWND>(lParam);
        if (!from || HIWORD(wParam) != BN_CLICKED)
            return false;
        if (from == Handle(Ctl::btnSync) && events_.syncNowClick)
            events_.syncNowClick();
        else if (from == Handle(Ctl::btnSchedule) && events_.saveTaskClick)
            events_.saveTaskClick();
        else
            return false;
        result = 0;
        return true;
    }
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item->hwndItem != Handle(Ctl::btnSchedule) && item->hwndItem != Handle(Ctl::btnSync))
            return false;
        DrawButton(*item);
        result = TRUE;
        return true;
    }
    case WM_CTLCOLORSTATIC: {
        const auto from = reinterpret_cast<HWND>(lParam);
        const auto dc = reinterpret_cast<HDC>(wParam);
        for (size_t i = 0; i < kControlCount; ++i) {
            const Item& item = items_[i];
            if (item.hwnd != from || (item.kind != Kind::Label && item.kind != Kind::GroupBox))
                continue;
            ::SetTextColor(dc, TextColourOf(static_cast<Ctl>(i)));
            ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
            if (item.kind == Kind::Label)
                ::SetBkMode(dc, TRANSPARENT);
            const HBRUSH brush = static_cast<Ctl>(i) == Ctl::lblProduct ? BannerBrush(from, dc)
                                                                        : ::GetSysColorBrush(COLOR_BTNFACE);
            result = reinterpret_cast<LRESULT>(brush);
            return true;
        }
        return false;
    }
    default:
        return false;
    }
}

bool TMainWindowControls::HandleAccessKey(const MSG& msg)
{
    if (msg.message != WM_SYSCHAR || !(msg.hwnd == form_ || ::IsChild(form_, msg.hwnd)))
        return false;
    const int key = std::toupper(static_cast<unsigned char>(msg.wParam));
    for (size_t i = 0; i < kControlCount; ++i) {
        const Item& item = items_[i];
        if (item.kind != Kind::Label || item.focus == Ctl::Count)
            continue;
        const std::string caption = WindowText(item.hwnd);
        const size_t amp = caption.find('&');
        if (amp == std::string::npos || amp + 1 >= caption.size()
            || std::toupper(static_cast<unsigned char>(caption[amp + 1])) != key)
            continue;
        HWND target = Handle(item.focus);
        if (!target || !::IsWindowEnabled(target) || !::IsWindowVisible(target))
            continue;
        ::SetFocus(target);
        if (KindOf(item.focus) == Kind::Edit)
            ::SendMessageA(target, EM_SETSEL, 0, -1);
        return true;
    }
    return false;
}

} // namespace tessaly
