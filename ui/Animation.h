#pragma once
// An animation control playing a clip from the program's resources, hidden while stopped.
#include "ui/Control.h"

namespace tessaly {

class Animation : public Control {
public:
    // Made hidden, at `rect`, above its siblings; false when Windows refused.
    bool Create(HWND parent, int id, int clipResource, const PixelRect& rect);
    // Shows it and plays the clip over and over.
    void Play();
    // Stops the clip and hides it.
    void Stop();
};

} // namespace tessaly
