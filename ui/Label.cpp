#include "ui/Label.h"

#include "ui/GdiScopes.h"

#include <cctype>

namespace tessaly {

namespace {

constexpr COLORREF kNavy = RGB(0, 0, 128);

int UpperCase(char c)
{
    return std::toupper(static_cast<unsigned char>(c));
}

} // namespace

void Label::Create(HWND parent, int id, const char* caption, HFONT font, Align align)
{
    align_ = align;
    const DWORD style = WS_CHILD | WS_VISIBLE | (align == Align::Right ? SS_RIGHT : SS_LEFT);
    Control::Create(parent, id, "STATIC", caption, style, 0, font);
}

bool Label::HasAccessKey(char key) const
{
    const std::string caption = Text();
    const size_t amp = caption.find('&');
    return amp != std::string::npos && amp + 1 < caption.size() && UpperCase(caption[amp + 1]) == UpperCase(key);
}

void Label::SetText(const std::string& text)
{
    if (!hwnd_)
        return;
    ::SetWindowTextA(hwnd_, text.c_str());
    const RECT old = RectInParent();
    const PixelSize size = OwnSize();
    const int left = align_ == Align::Right ? old.right - size.width : old.left;
    ::SetWindowPos(hwnd_, nullptr, left, old.top, size.width, size.height, SWP_NOZORDER | SWP_NOACTIVATE);
    // The parent shows through where the old, longer text was.
    ::InvalidateRect(::GetParent(hwnd_), &old, TRUE);
    ::InvalidateRect(hwnd_, nullptr, TRUE);
}

void Label::SetTextWithin(const std::string& text, int right)
{
    if (!hwnd_)
        return;
    const int room = right - RectInParent().left;
    std::string shown = text;
    if (TextWidth(shown) > room) {
        constexpr char kMore[] = "...";
        std::string kept = text;
        // Back one character at a time: CharPrevA never splits a double-byte one.
        while (!kept.empty()) {
            const char* end = ::CharPrevA(kept.c_str(), kept.c_str() + kept.size());
            kept.resize(static_cast<size_t>(end - kept.c_str()));
            while (!kept.empty() && kept.back() == ' ')
                kept.pop_back();
            if (TextWidth(kept + kMore) <= room)
                break;
        }
        shown = kept + kMore;
    }
    SetText(shown);
}

int Label::TextWidth(const std::string& text) const
{
    FontDC dc(hwnd_, font_);
    RECT rect{0, 0, 0, 0};
    ::DrawTextA(dc.get(), text.c_str(), static_cast<int>(text.size()), &rect, DT_CALCRECT | DT_SINGLELINE | DT_LEFT);
    return rect.right - rect.left;
}

PixelSize Label::OwnSize() const
{
    const std::string text = Text();
    return PixelSize{TextWidth(text.empty() ? std::string(1, ' ') : text), TextHeightOf(hwnd_, font_)};
}

COLORREF Label::TextColour() const
{
    return navy_ ? kNavy : ::GetSysColor(COLOR_WINDOWTEXT);
}

} // namespace tessaly
