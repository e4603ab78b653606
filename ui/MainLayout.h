#pragma once
// Where every control of the main window goes, computed from the controls' own sizes
// and the spacing unit. Positions are relative to each control's parent.
#include "ui/ControlIds.h"
#include "ui/PixelGeometry.h"

#include <array>

namespace tessaly {

struct LayoutInput {
    int spacing = 5;          // S: 5 at 96 pixels per inch, scaled otherwise
    int sourceLabelTop = 25;  // lblSource's top from the window's description, scaled
    bool scheduleHasGlyph = true;
    std::array<PixelSize, kControlCount> own{}; // each control's size for its font and text
};

struct LayoutResult {
    std::array<PixelRect, kControlCount> rects{};
    int clientWidth = 0;
    int clientHeight = 0;
    const PixelRect& operator[](Ctl c) const { return rects[Index(c)]; }
};

LayoutResult ArrangeMainWindow(const LayoutInput& input);

// The width of btnSchedule: room for its glyph, or a little less without.
constexpr int ScheduleButtonWidth(bool hasGlyph) { return hasGlyph ? 150 : 145; }

} // namespace tessaly
