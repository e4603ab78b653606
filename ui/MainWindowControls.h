#pragma once
// Every control of the main window, one typed member each: construction, fonts, captions,
// the two lists, the layout, the banner's busy animation, and what the controls send the
// window. The window object owns one of these and talks to its members.
#include "base/WinHandles.h"
#include "ui/Animation.h"
#include "ui/CodeComboBox.h"
#include "ui/Container.h"
#include "ui/ControlIds.h"
#include "ui/Edit.h"
#include "ui/GlyphButton.h"
#include "ui/Label.h"
#include "ui/MainLayout.h"
#include "ui/Picture.h"
#include "ui/TimePicker.h"

#include <windows.h>

#include <array>
#include <span>
#include <string>

namespace tessaly {

class MainWindowControls {
public:
    explicit MainWindowControls(HWND form);
    MainWindowControls(const MainWindowControls&) = delete;
    MainWindowControls& operator=(const MainWindowControls&) = delete;

    // The controls the window's description holds: ids, parents, captions, focus links.
    void CreateFormControls();
    // The banner's picture, the two glyph buttons, the product name and the status text;
    // the Source group becomes the active control.
    void BuildControls();
    void SetFonts();
    void SetCaptions();
    // Fills the Sync To list with `destinations` and the interval list with 1 to 7 days,
    // and selects the items of these codes (the first where none has the code).
    void SelectCombos(std::span<const CodeItem> destinations, int destinationCode, int interval);
    void ArrangeControls();
    void ArrangeDestination(int top);

    // The banner part of the busy switch: product name or running lamps.
    void ShowAnimation(bool on);

    // The window loses the activation: the focused control, if one of ours, is remembered.
    void RememberFocus();
    // The window is activated: the remembered control, or the Source group, gets the focus.
    void FocusActiveControl();

    // Messages that children send their parent, passed on to the window; true when handled.
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // Access keys of the caption labels; call before IsDialogMessage. True when handled.
    bool HandleAccessKey(const MSG& msg);
    // A group box holding the focus (the first active control) passes Tab on into its
    // fields, and Shift+Tab to the control before them. True when handled.
    bool HandleGroupTab(const MSG& msg);

    // The banner.
    Container banner;
    Picture bannerPicture;
    Label productName;
    Animation busyLamps; // made with the first busy look

    // Where the list comes from.
    Container sourceGroup;
    Label linkCaption;
    Label linkHint;
    Label userCaption;
    Label userHint;
    Label passwordCaption;
    Label passwordHint;
    Edit link;
    Edit user;
    Edit password;

    // Where it goes, and the schedule.
    Container destinationGroup;
    Label destinationCaption;
    Label destinationHint;
    CodeComboBox destination;
    Label folderCaption;
    Label folderHint;
    Edit folderName;
    Label scheduleCaption;
    Label scheduleHint;
    Label everyLabel;
    Label daysLabel;
    Label atLabel;
    Label startTimeCaption;
    CodeComboBox intervalDays;
    TimePicker startTime;
    GlyphButton saveTask;
    GlyphButton syncNow;

    // Below the groups, while busy.
    Label statusCaption;
    Label escapeHint;
    Label status;

private:
    // Each control under its id, for what is done to all of them: layout, colours, keys.
    Control& At(Ctl c) const { return *byId_[Index(c)]; }
    // A field's caption label, its access key leading to the field, and the hint beside it.
    void CreateCaption(HWND group, Label& caption, Ctl captionId, const char* text, Control& field, Label& hint,
                       Ctl hintId, const char* hintText);
    HBRUSH BannerBrush(HWND label, HDC dc);
    bool PaintStatic(HWND from, HDC dc, LRESULT& result);

    HWND form_;
    int ppi_;
    int spacing_;
    std::array<Control*, kControlCount> byId_;
    std::array<Label*, 20> labels_;
    UniqueGdiObject windowFont_;
    UniqueGdiObject productFont_;
    UniqueGdiObject captionFont_;
    UniqueGdiObject boldFont_;
    UniqueGdiObject bannerBrush_;
    LayoutResult layout_;
    HWND activeControl_ = nullptr;
};

} // namespace tessaly
