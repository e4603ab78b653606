#include "ui/DialogGeometry.h"

#include "base/TextHelpers.h"

#include <algorithm>

namespace tessaly {

DialogMetrics DialogMetrics::ForDpi(int pixelsPerInch)
{
    DialogMetrics m;
    m.marginX = ScaleByDpi(5, pixelsPerInch);
    m.marginY = ScaleByDpi(5, pixelsPerInch);
    m.buttonWidth = ScaleByDpi(85, pixelsPerInch);
    m.buttonHeight = ScaleByDpi(28, pixelsPerInch);
    m.buttonGap = m.buttonWidth / 5;
    return m;
}

int DialogMetrics::ButtonsWidth(int count) const
{
    return count * buttonWidth + (count + 1) * buttonGap;
}

int TextWrapWidth(int screenWidth)
{
    return screenWidth / 2;
}

DialogLayout LayoutMessageDialog(PixelSize text, PixelSize picture, int buttonCount, int pixelsPerInch)
{
    const DialogMetrics m = DialogMetrics::ForDpi(pixelsPerInch);
    DialogLayout layout;

    // Whichever of picture and text is shorter is centred against the other.
    layout.picture = {2 * m.marginX, 2 * m.marginY, picture.width, picture.height};
    if (text.height > picture.height)
        layout.picture.top += (text.height - picture.height) / 2;

    layout.label = {layout.picture.Right() + 2 * m.marginX, 2 * m.marginY, text.width + m.marginX,
                    text.height + m.marginY};
    if (picture.height > text.height)
        layout.label.top += (picture.height - text.height) / 2;

    const int contentBottom = std::max(layout.label.Bottom(), layout.picture.Bottom());
    layout.buttonTop = contentBottom + 3 * m.marginY;
    layout.client.width = std::max(layout.label.Right() + 2 * m.marginX, m.ButtonsWidth(buttonCount));
    layout.client.height = layout.buttonTop + m.buttonHeight + 2 * m.marginY;

    const int count = std::max(buttonCount, 0);
    const int space = (layout.client.width - count * m.buttonWidth) / (count + 1);
    for (int i = 0; i < count; ++i)
        layout.buttons.push_back({space + i * (space + m.buttonWidth), layout.buttonTop, m.buttonWidth, m.buttonHeight});
    return layout;
}

PixelRect CentreOnScreen(PixelSize window, PixelSize screen)
{
    return {(screen.width - window.width) / 2, (screen.height - window.height) / 2, window.width, window.height};
}

} // namespace tessaly
