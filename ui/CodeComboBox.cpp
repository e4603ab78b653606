#include "ui/CodeComboBox.h"
#include "ui/GdiScopes.h"

#include <vector>

namespace tessaly {

namespace {

constexpr DWORD kBaseStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL;
constexpr DWORD kOwnerDrawStyle = CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS;
constexpr DWORD kEditableStyle = CBS_DROPDOWN | CBS_AUTOHSCROLL;
constexpr DWORD kKindMask = CBS_SIMPLE | CBS_DROPDOWN | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED
                            | CBS_OWNERDRAWVARIABLE | CBS_HASSTRINGS | CBS_AUTOHSCROLL;

} // namespace

int FontTextHeight(HWND window, HFONT font)
{
    FontDC dc(window && ::IsWindow(window) ? window : nullptr, font);
    TEXTMETRICA metrics{};
    if (!dc.get() || !::GetTextMetricsA(dc.get(), &metrics))
        return 0;
    return metrics.tmHeight + metrics.tmExternalLeading;
}

void CodeComboBox::Create(HWND parent, int id, HFONT font)
{
    font_ = font;
    hwnd_ = ::CreateWindowExA(WS_EX_CLIENTEDGE, "COMBOBOX", "", kBaseStyle | kOwnerDrawStyle, 0, 0, 100, 200, parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleA(nullptr), nullptr);
    if (hwnd_ && font_)
        ::SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
}

// The kind of a combo box is fixed when its window is made, so a new kind needs a new window.
void CodeComboBox::Recreate(DWORD style)
{
    const DWORD current = static_cast<DWORD>(::GetWindowLongA(hwnd_, GWL_STYLE));
    if ((current & kKindMask) == style)
        return;
    RECT rect{};
    ::GetWindowRect(hwnd_, &rect);
    HWND parent = ::GetParent(hwnd_);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    const int id = ::GetDlgCtrlID(hwnd_);
    HWND previous = ::GetWindow(hwnd_, GW_HWNDPREV);
    std::vector<std::pair<std::string, int>> items;
    for (int i = 0; i < Count(); ++i)
        items.emplace_back(ItemText(i), CodeAt(i));
    const int selected = ItemIndex();
    const DWORD keep = current & ~kKindMask;
    ::DestroyWindow(hwnd_);
    hwnd_ = ::CreateWindowExA(WS_EX_CLIENTEDGE, "COMBOBOX", "", keep | style, rect.left, rect.top,
                              rect.right - rect.left, 200, parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleA(nullptr), nullptr);
    // Keep the place in the tab order.
    ::SetWindowPos(hwnd_, previous ? previous : HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (font_)
        ::SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    for (const auto& [text, code] : items)
        AddItem(text, code);
    SetItemIndex(selected);
}

void CodeComboBox::SetupCombo(bool editable, bool ownerDraw, ItemEnabledEvent itemEnabled)
{
    OnGetItemEnabled = std::move(itemEnabled);
    if (editable)
        Recreate(kEditableStyle);
    else if (ownerDraw)
        Recreate(kOwnerDrawStyle);
    if (ownerDraw && !editable) {
        const int wanted = FontTextHeight(hwnd_, font_) + 2;
        if (ItemHeight() < wanted) {
            ::SendMessageA(hwnd_, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), wanted);
            ::SendMessageA(hwnd_, CB_SETITEMHEIGHT, 0, wanted);
        }
    }
}

void CodeComboBox::Clear()
{
    ::SendMessageA(hwnd_, CB_RESETCONTENT, 0, 0);
}

int CodeComboBox::AddItem(const std::string& text, int code)
{
    const auto index = static_cast<int>(::SendMessageA(hwnd_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
    if (index >= 0)
        ::SendMessageA(hwnd_, CB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(code));
    return index;
}

int CodeComboBox::Count() const
{
    return static_cast<int>(::SendMessageA(hwnd_, CB_GETCOUNT, 0, 0));
}

std::string CodeComboBox::ItemText(int index) const
{
    const auto length = ::SendMessageA(hwnd_, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == CB_ERR)
        return {};
    std::string text(static_cast<size_t>(length) + 1, '\0');
    const auto copied = ::SendMessageA(hwnd_, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied == CB_ERR ? 0 : static_cast<size_t>(copied));
    return text;
}

int CodeComboBox::ItemIndex() const
{
    return static_cast<int>(::SendMessageA(hwnd_, CB_GETCURSEL, 0, 0));
}

void CodeComboBox::SetItemIndex(int index)
{
    ::SendMessageA(hwnd_, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int CodeComboBox::ItemHeight() const
{
    return static_cast<int>(::SendMessageA(hwnd_, CB_GETITEMHEIGHT, 0, 0));
}

int CodeComboBox::CodeAt(int index) const
{
    if (index < 0)
        return 0;
    const auto data = ::SendMessageA(hwnd_, CB_GETITEMDATA, static_cast<WPARAM>(index), 0);
    return data == CB_ERR ? 0 : static_cast<int>(data);
}

int CodeComboBox::IndexOfCode(int code) const
{
    const int count = Count();
    for (int i = 0; i < count; ++i)
        if (CodeAt(i) == code)
            return i;
    return -1;
}

void CodeComboBox::SetBounds(int left, int top, int width)
{
    // The window's height sets the dropped list; the closed control keeps its own height.
    RECT closed{};
    ::GetWindowRect(hwnd_, &closed);
    const int listHeight = kDropDownCount * ItemHeight() + 2 * ::GetSystemMetrics(SM_CYEDGE) + 2;
    ::SetWindowPos(hwnd_, nullptr, left, top, width, (closed.bottom - closed.top) + listHeight,
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

void CodeComboBox::DrawItem(HDC dc, int index, const RECT& rect, UINT state)
{
    const bool selected = (state & ODS_SELECTED) != 0;
    if (index >= 0 && index < Count() && OnGetItemEnabled) {
        bool enabled = true;
        OnGetItemEnabled(CodeAt(index), enabled);
        DrawItemText(dc, index, rect, selected, enabled);
    } else {
        ::SetBkColor(dc, ::GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
        ::SetTextColor(dc, ::GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        ::ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
        if (index >= 0 && index < Count()) {
            const std::string text = ItemText(index);
            ::ExtTextOutA(dc, rect.left + 2, rect.top + 1, ETO_CLIPPED, &rect, text.c_str(),
                          static_cast<UINT>(text.size()), nullptr);
        }
    }
    if ((state & ODS_FOCUS) && !(state & ODS_NOFOCUSRECT))
        ::DrawFocusRect(dc, &rect);
}

void CodeComboBox::DrawItemText(HDC dc, int index, const RECT& rect, bool selected, bool enabled)
{
    const COLORREF control = ::GetSysColor(COLOR_WINDOW);
    const COLORREF grey = ::GetSysColor(COLOR_GRAYTEXT);
    COLORREF text = ::GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT);
    COLORREF back = selected ? ::GetSysColor(COLOR_HIGHLIGHT) : control;
    if (!enabled) {
        text = selected ? control : grey;
        back = selected ? grey : control;
    } else if (!::IsWindowEnabled(hwnd_)) {
        // The whole control is disabled while the window is busy: draw it as the system does.
        text = grey;
        back = ::GetSysColor(COLOR_BTNFACE);
    }
    ::SetBkColor(dc, back);
    ::SetTextColor(dc, text);
    ::ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
    const std::string caption = ItemText(index);
    ::SetBkMode(dc, TRANSPARENT);
    ::ExtTextOutA(dc, rect.left + 2, rect.top + 1, ETO_CLIPPED, &rect, caption.c_str(),
                  static_cast<UINT>(caption.size()), nullptr);
}

void CodeComboBox::ComboChange()
{
    const int index = ItemIndex();
    if (index == lastIndex_)
        return;
    lastIndex_ = index;
    if (OnSelChange)
        OnSelChange(*this);
}

bool CodeComboBox::HandleParentMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (!hwnd_)
        return false;
    switch (message) {
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item->hwndItem != hwnd_)
            return false;
        UINT state = item->itemState;
        if (!(item->itemAction & ODA_FOCUS) || (item->itemAction & ODA_DRAWENTIRE)) {
            DrawItem(item->hDC, static_cast<int>(item->itemID), item->rcItem, state & ~ODS_FOCUS);
            if (state & ODS_FOCUS)
                ::DrawFocusRect(item->hDC, &item->rcItem);
        } else {
            ::DrawFocusRect(item->hDC, &item->rcItem);
        }
        result = TRUE;
        return true;
    }
    case WM_COMMAND:
        if (reinterpret_cast<HWND>(lParam) != hwnd_)
            return false;
        if (HIWORD(wParam) == CBN_SELCHANGE)
            ComboChange();
        result = 0;
        return true;
    default:
        return false;
    }
}

} // namespace tessaly
