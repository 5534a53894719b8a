#pragma once
// Where a picture goes in a window of another shape: as large as fits, its proportions kept,
// centred, with bars on the two sides that are left over.

#include "ovrlib/HeadsetRuntime.h"

#include <algorithm>

namespace ovrlib {

struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

inline PixelRect letterbox(Sizei picture, Sizei window) {
    if (picture.width <= 0 || picture.height <= 0 || window.width <= 0 || window.height <= 0) {
        return {};
    }
    // Compare in 64 bits: width x height of two large sizes overflows an int.
    const long long wideBy = static_cast<long long>(window.width) * picture.height;
    const long long tallBy = static_cast<long long>(window.height) * picture.width;
    PixelRect r;
    if (wideBy > tallBy) {  // window wider than the picture: bars left and right
        r.height = window.height;
        r.width = std::max(1, static_cast<int>(tallBy / picture.height));
    } else {
        r.width = window.width;
        r.height = std::max(1, static_cast<int>(wideBy / picture.width));
    }
    r.x = (window.width - r.width) / 2;
    r.y = (window.height - r.height) / 2;
    return r;
}

}  // namespace ovrlib
