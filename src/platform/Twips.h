// Layout sizes are given in twips (1440 to the inch); the screen's logical DPI turns them
// into pixels.
#pragma once

#include <QRect>
#include <cmath>

namespace quillmark {

inline constexpr double kTwipsPerInch = 1440.0;

inline int twipsToPixels(int twips, double logicalDpi) {
    return static_cast<int>(std::lround(twips * logicalDpi / kTwipsPerInch));
}

inline QRect twipsRect(int left, int top, int width, int height, double logicalDpi) {
    return QRect(twipsToPixels(left, logicalDpi), twipsToPixels(top, logicalDpi),
                 twipsToPixels(width, logicalDpi), twipsToPixels(height, logicalDpi));
}

// A control's box at design time, relative to its container.
struct TwipsBox {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

inline QRect twipsRect(const TwipsBox& box, double logicalDpi) {
    return twipsRect(box.left, box.top, box.width, box.height, logicalDpi);
}

}  // namespace quillmark
