#include "ui/GlyphButton.h"

#include "ui/GdiScopes.h"

#include <algorithm>
#include <vector>

namespace tessaly {

namespace {

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

void GlyphButton::Create(HWND parent, int id, const char* caption, HFONT font)
{
    Control::Create(parent, id, "BUTTON", caption, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW, 0, font);
}

bool GlyphButton::LoadGlyph(int bitmapResource, int images)
{
    UniqueGdiObject source(
        ::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(bitmapResource), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    BITMAP info{};
    if (!source || !::GetObjectA(source.get(), sizeof info, &info) || info.bmWidth < images)
        return false;
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
    normal_.reset(BitmapFromPixels(normal, width, height));
    disabled_.reset(BitmapFromPixels(disabled, width, height));
    glyphWidth_ = width;
    glyphHeight_ = height;
    return true;
}

void GlyphButton::Draw(const DRAWITEMSTRUCT& item) const
{
    const bool pushed = (item.itemState & ODS_SELECTED) != 0;
    const bool disabled = (item.itemState & ODS_DISABLED) != 0;
    HDC dc = item.hDC;
    RECT rect = item.rcItem;
    ::DrawFrameControl(dc, &rect, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0));

    const std::string caption = Text();
    SelectObjectScope font(dc, font_);
    SIZE textSize{};
    ::GetTextExtentPoint32A(dc, caption.c_str(), static_cast<int>(caption.size()), &textSize);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    const bool glyph = HasGlyph();
    const int glyphWidth = glyph ? glyphWidth_ : 0;
    // Automatic spacing: the room left is shared before the glyph, between, and after the text.
    const int parts = glyph ? 3 : 2;
    const int gap = (width - glyphWidth - textSize.cx) / parts;
    const int shift = pushed ? 1 : 0;
    int x = rect.left + gap + shift;
    if (glyph) {
        MemoryDC memory(dc);
        SelectObjectScope picture(memory.get(), disabled ? disabled_.get() : normal_.get());
        ::BitBlt(dc, x, rect.top + (height - glyphHeight_) / 2 + shift, glyphWidth_, glyphHeight_, memory.get(), 0, 0,
                 SRCCOPY);
        x += glyphWidth_ + gap;
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

bool GlyphButton::HandleParentMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (!hwnd_)
        return false;
    switch (message) {
    case WM_COMMAND:
        if (reinterpret_cast<HWND>(lParam) != hwnd_ || HIWORD(wParam) != BN_CLICKED || !OnClick)
            return false;
        OnClick();
        result = 0;
        return true;
    case WM_DRAWITEM: {
        const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item.hwndItem != hwnd_)
            return false;
        Draw(item);
        result = TRUE;
        return true;
    }
    default:
        return false;
    }
}

} // namespace tessaly
