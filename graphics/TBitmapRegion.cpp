#include "graphics/TBitmapRegion.h"

namespace {

const QColor kStateColours[TBitmapRegion::kStates] = {QColor(0, 255, 0), QColor(0, 0, 255),
                                                      QColor(255, 255, 0)};

} // namespace

void TBitmapRegion::Paint(QPainter& dc) const {
    if (state < 0 || state >= kStates) {
        return;
    }
    const size_t s = size_t(state);
    if (cell[s]) {
        cell[s]->Paint(dc, origin[s]);
        return;
    }
    for (const QRect& rect : region[s]) {
        dc.fillRect(rect, kStateColours[s]);
    }
}

bool TBitmapRegion::Contains(const QPoint& point) const {
    return state >= 0 && state < kStates && region[size_t(state)].contains(point);
}
