#pragma once

#include "graphics/TPaintCell.h"

#include <QPainter>
#include <QRegion>

#include <array>
#include <memory>

// A hot spot with three visual states (0 normal, 1 pressed, 2 highlighted), each with its own
// picture cell, hit-test region and drawing origin. The owner fills the fields.
class TBitmapRegion {
public:
    static constexpr int kStates = 3;

    // Draws the current state's cell at its origin, or fills its region in the state's colour
    // (light green, light blue, light yellow) when it has no cell.
    void Paint(QPainter& dc) const;
    // Whether point lies in the current state's region.
    bool Contains(const QPoint& point) const;

    std::array<std::unique_ptr<TPaintCell>, kStates> cell;
    std::array<QRegion, kStates> region;
    int state = 0;
    std::array<QPoint, kStates> origin;
    int id = 0;
};
