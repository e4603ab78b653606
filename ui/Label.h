#pragma once
// A static text that sizes itself to its text: a right-aligned one keeps its right edge,
// the others their left. A caption label may be painted navy and may name the field its
// underlined letter focuses.
#include "ui/Control.h"

namespace tessaly {

class Label : public Control {
public:
    enum class Align { Left, Right };

    void Create(HWND parent, int id, const char* caption, HFONT font, Align align = Align::Left);
    // The field that Alt and this label's underlined letter focus.
    void SetField(Control& field) { field_ = &field; }
    Control* Field() const { return field_; }
    // True when `key` (any case) is the letter after the caption's '&'.
    bool HasAccessKey(char key) const;

    void SetText(const std::string& text) override;
    // SetText, with the text cut short and "..." added where it would pass `right` (in the
    // parent's pixels); a left-aligned label only.
    void SetTextWithin(const std::string& text, int right);
    PixelSize OwnSize() const override;

    void SetNavy(bool navy) { navy_ = navy; }
    COLORREF TextColour() const;

private:
    int TextWidth(const std::string& text) const;

    Align align_ = Align::Left;
    bool navy_ = false;
    Control* field_ = nullptr;
};

} // namespace tessaly
