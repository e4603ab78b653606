#pragma once
// A sunken single-line text field.
#include "ui/Control.h"

namespace tessaly {

class Edit : public Control {
public:
    void Create(HWND parent, int id, HFONT font);
    // The layout sets the width; the height is the text's plus border and margin.
    PixelSize OwnSize() const override;
    // Focused by its caption's access key, the field selects all its text.
    void Focus() override;
};

} // namespace tessaly
