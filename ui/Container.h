#pragma once
// A panel or a group box: it holds controls, paints its face under them, and hands their
// notifications on to the top-level window, which owns their behaviour and colours.
#include "ui/Control.h"

namespace tessaly {

class Container : public Control {
public:
    enum class Kind { Panel, GroupBox };

    ~Container() override;

    void Create(HWND parent, int id, Kind kind, const char* caption, HFONT font);
    bool IsGroupBox() const { return kind_ == Kind::GroupBox; }

private:
    Kind kind_ = Kind::Panel;
};

} // namespace tessaly
