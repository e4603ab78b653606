#pragma once
// Sizes and rectangles in pixels, for the layouts that are computed without a window.
namespace tessaly {

struct PixelSize {
    int width = 0;
    int height = 0;
};

struct PixelRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    int Right() const { return left + width; }
    int Bottom() const { return top + height; }
    bool operator==(const PixelRect&) const = default;
};

} // namespace tessaly
