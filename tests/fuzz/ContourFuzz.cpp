// Feeds arbitrary bytes to the desk's outline reader. An outline it accepts has a bounded number
// of points and gives a window region that stays inside the window (empty for a degenerate one).
#include "desk/Contour.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto points = ParseContour(bytes);
    if (!points)
        return 0;
    if (points->size() < 3 || points->size() > static_cast<size_t>(kMaxContourPoints))
        __builtin_trap();
    const QRect window(0, 0, 640, 480);
    const QRegion region = ContourRegion(*points, window.size());
    if (!region.isEmpty() && !window.contains(region.boundingRect()))
        __builtin_trap();
    return 0;
}
