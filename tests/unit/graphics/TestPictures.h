#pragma once

// Colours and pictures the graphics tests paint with.
#include "graphics/Dib.h"

#include <QImage>

inline constexpr uint32_t kMagenta = ColourRef(255, 0, 255);
inline const QRgb kDesk = qRgb(120, 70, 30);
inline const QRgb kRed = qRgb(220, 0, 0);

// A plain desk of 64 × 64.
inline QImage Desk() {
    QImage image(64, 64, QImage::Format_RGB32);
    image.fill(kDesk);
    return image;
}

// 4 × 4, 8 bits: magenta (the key colour) with a red line of three pixels in row 2.
inline Dib TwoColourPicture() {
    Dib dib = Dib::Create(4, 4, 8, 256);
    dib.setColour(0, kMagenta);
    dib.setColour(1, ColourRef(220, 0, 0));
    for (int x = 1; x < 4; ++x) {
        dib.setPixel(x, 2, 1);
    }
    return dib;
}
