#include "graphics/TBitmapRegion.h"

#include <gtest/gtest.h>

namespace {

constexpr uint32_t kMagenta = ColourRef(255, 0, 255);
const QRgb kDesk = qRgb(120, 70, 30);
const QRgb kRed = qRgb(220, 0, 0);

QImage Desk() {
    QImage image(64, 64, QImage::Format_RGB32);
    image.fill(kDesk);
    return image;
}

Dib TwoColourPicture() {
    Dib dib = Dib::Create(4, 4, 8, 256);
    dib.setColour(0, kMagenta);
    dib.setColour(1, ColourRef(220, 0, 0));
    for (int x = 1; x < 4; ++x) {
        dib.setPixel(x, 2, 1);
    }
    return dib;
}

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
