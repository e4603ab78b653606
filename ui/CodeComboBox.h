#pragma once
// CodeComboBox: a drop-down list whose items carry integer codes. It draws its own items, so
// a callback can show any item greyed, and it reports a change of selection only when
// the selected position really changes.
#include "ui/Control.h"

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

namespace tessaly {

// One item of a list: what it shows and the code it stands for.
struct CodeItem {
    std::string_view text;
    int code;
};

// Height of the font's characters plus its external leading, measured on the window's
// device context (the screen's when the window does not exist yet).
int FontTextHeight(HWND window, HFONT font);

class CodeComboBox : public Control {
public:
    using SelChangeEvent = std::function<void(CodeComboBox& sender)>;
    // Asked before an item is drawn with the item's code; may clear `enabled`.
    using ItemEnabledEvent = std::function<void(int code, bool& enabled)>;

    static constexpr int kDropDownCount = 12;

    // Creates the control as an owner-drawn list of fixed item height.
    void Create(HWND parent, int id, HFONT font);

    void SetupCombo(bool editable, bool ownerDraw, ItemEnabledEvent itemEnabled);

    void Clear();
    int AddItem(const std::string& text, int code);
    int Count() const;
    std::string ItemText(int index) const;
    int ItemIndex() const;
    void SetItemIndex(int index);
    int ItemHeight() const;

    int SelectedCode() const { return CodeAt(ItemIndex()); }
    int CodeAt(int index) const;
    int IndexOfCode(int code) const;

    // Places the closed control; the list below it is sized for kDropDownCount items.
    void SetBounds(int left, int top, int width);
    // The rectangle's height is the closed control's own; the list is sized as above.
    void Move(const PixelRect& rect) override { SetBounds(rect.left, rect.top, rect.width); }

    void DrawItem(HDC dc, int index, const RECT& rect, UINT state);
    void DrawItemText(HDC dc, int index, const RECT& rect, bool selected, bool enabled);
    void ComboChange();

    SelChangeEvent OnSelChange;
    ItemEnabledEvent OnGetItemEnabled;

    // The parent passes on what the control sends it; true when the message was the combo's.
    bool HandleParentMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

private:
    void Recreate(DWORD style);

    int lastIndex_ = -1;
};

} // namespace tessaly
