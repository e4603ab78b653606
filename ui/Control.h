#pragma once
// One child control of a window, wrapped by one object that owns it. The typed controls
// derive from it and add what their kind offers.
#include "ui/PixelGeometry.h"

#include <windows.h>

#include <string>

namespace tessaly {

class Control {
public:
    // Destroys the control unless its parent took it along already.
    virtual ~Control();
    Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    // Null until the control is made.
    HWND Handle() const { return hwnd_; }
    HFONT Font() const { return font_; }
    // Gives the control the font without redrawing it yet.
    void SetFont(HFONT font);

    std::string Text() const;
    virtual void SetText(const std::string& text);
    void SetEnabled(bool enabled);
    bool IsEnabled() const;
    void SetVisible(bool visible);
    // Its own visibility, whatever its parent's.
    bool IsVisible() const;

    // Places the control within its parent.
    virtual void Move(const PixelRect& rect);
    // Where the control is within its parent.
    RECT RectInParent() const;
    // What the layout needs of it for its font and text; by default its window's size.
    virtual PixelSize OwnSize() const;
    // Gives it the keyboard focus, as its access key does.
    virtual void Focus();
    // Paints it at once, for the steps of a run, between which no message loop runs.
    void RedrawNow();

protected:
    // Makes the window with this object's font; false when Windows refused.
    bool Create(HWND parent, int id, const char* className, const char* caption, DWORD style, DWORD exStyle,
                HFONT font);

    HWND hwnd_ = nullptr;
    HFONT font_ = nullptr;
};

// Height of the font's characters, measured on the control's device context.
int TextHeightOf(HWND control, HFONT font);

} // namespace tessaly
