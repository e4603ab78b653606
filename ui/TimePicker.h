#pragma once
// A time-of-day picker, its value in seconds after midnight.
#include "ui/Control.h"

namespace tessaly {

class TimePicker : public Control {
public:
    // `format` is the picker's display format, such as " HH:mm".
    void Create(HWND parent, int id, HFONT font, const char* format);
    // 0 when the picker holds no valid time.
    int SecondsAfterMidnight() const;
    // Taken modulo a day; today's date goes with it.
    void SetSecondsAfterMidnight(int seconds);
};

} // namespace tessaly
