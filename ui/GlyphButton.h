#pragma once
// An owner-drawn push button with an optional picture (its glyph) left of its caption,
// drawn greyed while the button is disabled.
#include "base/WinHandles.h"
#include "ui/Control.h"

#include <functional>

namespace tessaly {

class GlyphButton : public Control {
public:
    void Create(HWND parent, int id, const char* caption, HFONT font);
    // Cuts the glyph from a bitmap resource holding `images` pictures side by side: the
    // first for the enabled button, the second, if any, for the disabled one (otherwise
    // it is made from the first). False when the resource could not be used.
    bool LoadGlyph(int bitmapResource, int images);
    bool HasGlyph() const { return static_cast<bool>(normal_); }

    std::function<void()> OnClick;

    // The parent passes on what the button sends it; true when the message was the button's.
    bool HandleParentMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

private:
    void Draw(const DRAWITEMSTRUCT& item) const;

    UniqueGdiObject normal_;
    UniqueGdiObject disabled_;
    int glyphWidth_ = 0;
    int glyphHeight_ = 0;
};

} // namespace tessaly
