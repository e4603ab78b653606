#pragma once
// Every control of the main window: construction, fonts, captions, the two lists,
// the layout, the banner's busy animation and the looks of the window's controls.
// The window object owns one of these and passes it the messages its children send.
#include "base/WinHandles.h"
#include "ui/CodeComboBox.h"
#include "ui/ControlIds.h"
#include "ui/MainLayout.h"

#include <windows.h>

#include <array>
#include <functional>
#include <span>
#include <string>

namespace tessaly {

class TMainWindowControls {
public:
    enum class Kind { Panel, GroupBox, Label, Edit, Combo, TimePicker, Image, Button, Animation };

    struct Events {
        std::function<void()> syncNowClick;
        std::function<void()> saveTaskClick;
    };

    TMainWindowControls(HWND form, Events events);
    TMainWindowControls(const TMainWindowControls&) = delete;
    TMainWindowControls& operator=(const TMainWindowControls&) = delete;
    ~TMainWindowControls();

    // The controls the window's description holds: names, parents, captions, focus links.
    void CreateFormControls();
    // imgTop, the two glyph buttons, lblProduct and lblStatusV; gbxSrc becomes active.
    void BuildControls();
    void SetFonts();
    void SetCaptions();
    // Fills the Sync To list with `destinations` and the interval list with 1 to 7 days,
    // and selects the items of these codes (the first where none has the code).
    void SelectCombos(std::span<const CodeItem> destinations, int destinationCode, int interval);
    void ArrangeControls();
    void ArrangeDestination(int top);

    HWND CreateAnimation(HWND panel, int resource);
    static void SetRedraw(HWND panel, bool on);
    // The banner part of the busy switch: product name or running lamps.
    void ShowAnimation(bool on);

    HWND Handle(Ctl c) const { return items_[Index(c)].hwnd; }
    Kind KindOf(Ctl c) const { return items_[Index(c)].kind; }
    HFONT FontOf(Ctl c) const { return items_[Index(c)].font; }
    COLORREF TextColourOf(Ctl c) const;
    TCodeComboBox& cmbTo() { return cmbTo_; }
    TCodeComboBox& cmbScheduler() { return cmbScheduler_; }
    const TCodeComboBox& cmbTo() const { return cmbTo_; }
    const TCodeComboBox& cmbScheduler() const { return cmbScheduler_; }

    // The control that gets the focus when the window is activated.
    HWND ActiveControl() const { return activeControl_; }
    void SetActiveControl(HWND control) { activeControl_ = control; }

    bool ScheduleHasGlyph() const { return static_cast<bool>(scheduleGlyph_); }

    std::string Text(Ctl c) const;
    // Labels size themselves to their text; lblESC keeps its right edge.
    void SetCaption(Ctl c, const std::string& text);
    void SetEnabled(Ctl c, bool enabled);
    void SetVisible(Ctl c, bool visible);
    bool IsEnabled(Ctl c) const;
    bool IsVisible(Ctl c) const;

    // Seconds after midnight shown by dtScheduler.
    int StartTime() const;
    void SetStartTime(int secondsAfterMidnight);

    // Messages that children send their parent, passed on to the window; true when handled.
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // Access keys of the caption labels; call before IsDialogMessage. True when handled.
    bool HandleAccessKey(const MSG& msg);

private:
    struct Item {
        HWND hwnd = nullptr;
        Kind kind = Kind::Label;
        HFONT font = nullptr;
        bool navy = false;
        Ctl focus = Ctl::Count;
    };

    struct Glyph {
        UniqueGdiObject normal;
        UniqueGdiObject disabled;
        int width = 0;
        int height = 0;
        explicit operator bool() const { return static_cast<bool>(normal); }
    };

    Item& At(Ctl c) { return items_[Index(c)]; }
    HWND Create(Ctl c, Kind kind, Ctl parent, const char* caption, Ctl focus = Ctl::Count);
    HWND ParentHandle(Ctl parent) const;
    PixelSize OwnSize(Ctl c) const;
    PixelSize LabelSize(Ctl c) const;
    void Move(Ctl c, const PixelRect& rect);
    void UseFont(Ctl c, HFONT font, bool navy);
    Glyph LoadGlyph(int resource, int images);
    void DrawButton(const DRAWITEMSTRUCT& item);
    HBRUSH BannerBrush(HWND label, HDC dc);

    HWND form_;
    Events events_;
    int ppi_;
    int spacing_;
    std::array<Item, kControlCount> items_{};
    TCodeComboBox cmbTo_;
    TCodeComboBox cmbScheduler_;
    UniqueGdiObject windowFont_;
    UniqueGdiObject productFont_;
    UniqueGdiObject captionFont_;
    UniqueGdiObject boldFont_;
    UniqueGdiObject banner_;
    UniqueGdiObject bannerBrush_;
    Glyph scheduleGlyph_;
    Glyph syncGlyph_;
    LayoutResult layout_;
    HWND activeControl_ = nullptr;
};

} // namespace tessaly
