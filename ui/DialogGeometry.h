#pragma once
// Positions and sizes of the message dialog, computed from the measured text, the
// picture and the screen alone, so they can be checked without a window.
#include "ui/PixelGeometry.h"

#include <vector>

namespace tessaly {

// The dialog's measures in pixels for the screen's pixels per inch.
struct DialogMetrics {
    int marginX = 0;
    int marginY = 0;
    int buttonWidth = 0;
    int buttonHeight = 0;
    int buttonGap = 0;

    static DialogMetrics ForDpi(int pixelsPerInch);
    // Room for n buttons side by side with a gap before, between and after them.
    int ButtonsWidth(int count) const;
};

struct DialogLayout {
    PixelRect picture;
    PixelRect label;
    std::vector<PixelRect> buttons;
    int buttonTop = 0;
    PixelSize client;
};

// The width the text is wrapped in: half the screen.
int TextWrapWidth(int screenWidth);

// Lays the dialog out around a text already measured (wrapped in TextWrapWidth) and a
// picture; the buttons share the width evenly, so a single one is centred.
DialogLayout LayoutMessageDialog(PixelSize text, PixelSize picture, int buttonCount, int pixelsPerInch);

// Top-left corner that centres a window of the given outer size on the screen.
PixelRect CentreOnScreen(PixelSize window, PixelSize screen);

} // namespace tessaly
