#include "graphics/TBitmapRegion.h"

#include "tests/unit/graphics/TestPictures.h"

#include <gtest/gtest.h>

namespace {

TEST(TBitmapRegion, StateWithoutCellFillsItsRegionInTheStateColour) {
    TBitmapRegion spot;
    const QRect rect(4, 4, 10, 6);
    for (int s = 0; s < 3; ++s) {
        spot.region[size_t(s)] = QRegion(rect);
        spot.origin[size_t(s)] = rect.topLeft();
    }
    spot.cell[2] = std::make_unique<TPaintCell>(TwoColourPicture(), 0);
    const QRgb expected[2] = {qRgb(0, 255, 0), qRgb(0, 0, 255)};
    for (int s = 0; s < 2; ++s) {
        spot.state = s;
        QImage desk = Desk();
        QPainter dc(&desk);
        spot.Paint(dc);
        dc.end();
        EXPECT_EQ(desk.pixel(4, 4), expected[s]);
        EXPECT_EQ(desk.pixel(13, 9), expected[s]);
        EXPECT_EQ(desk.pixel(14, 9), kDesk);
    }
    spot.state = 2; // with a cell: its picture at the origin
    QImage desk = Desk();
    QPainter dc(&desk);
    spot.cell[2]->Prepare(dc, spot.origin[2], QPoint(0, 0), true, false);
    spot.Paint(dc);
    dc.end();
    EXPECT_EQ(desk.pixel(4 + 1, 4 + 2), kRed);
    EXPECT_EQ(desk.pixel(4, 4), kDesk);

    spot.state = 3;
    EXPECT_FALSE(spot.Contains(QPoint(5, 5)));
    spot.region[1] = QRegion(QRect(50, 50, 2, 2));
    spot.state = 1;
    EXPECT_FALSE(spot.Contains(QPoint(5, 5)));
    EXPECT_TRUE(spot.Contains(QPoint(51, 51)));
    spot.state = 0;
    EXPECT_TRUE(spot.Contains(QPoint(5, 5)));
    EXPECT_FALSE(spot.Contains(QPoint(14, 5)));
}

} // namespace
