#pragma once
#include <cstdint>

// A window rectangle in screen pixels (right and bottom exclusive, as the window system has it).
struct Rect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    int32_t Width() const { return right - left; }
    int32_t Height() const { return bottom - top; }
    bool operator==(const Rect&) const = default;

    Rect Intersected(const Rect& o) const {
        Rect r{left > o.left ? left : o.left, top > o.top ? top : o.top,
               right < o.right ? right : o.right, bottom < o.bottom ? bottom : o.bottom};
        if (r.right < r.left || r.bottom < r.top)
            return Rect{};
        return r;
    }
};
