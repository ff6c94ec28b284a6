#pragma once

#include "graphics/Dib.h"

#include <QImage>
#include <QPainter>

#include <memory>

// One picture of a hot spot. Its key-coloured pixels are made transparent by composing the
// picture once over the background it stands on; afterwards the cell paints that composite.
class TPaintCell {
public:
    static constexpr int kComposed = 2;

    // Loads the bitmap resource; the key colour comes from the top-left pixel of a 256-colour
    // or true-colour picture, otherwise initialKey stays.
    TPaintCell(const char* resourceName, uint32_t initialKey);
    TPaintCell(Dib picture, uint32_t initialKey);

    // Composes the picture over dc at backgroundOrigin (the picture at drawOffset inside the
    // cell). Does nothing when already prepared (unless force) or without a picture. With
    // releasePicture the picture is dropped afterwards; otherwise it is kept unchanged.
    void Prepare(QPainter& dc, const QPoint& backgroundOrigin, const QPoint& drawOffset,
                 bool releasePicture, bool force);
    // Draws the composite (composed mode) or the picture with its top-left corner at origin.
    void Paint(QPainter& dc, const QPoint& origin) const;

    const Dib* picture() const { return m_picture.get(); }
    const QImage* composite() const { return m_composite.get(); }
    uint32_t keyColour() const { return m_keyColour; }
    bool prepared() const { return m_prepared; }
    QSize size() const { return m_size; }
    int mode() const { return m_mode; }

private:
    void TakeKeyColour();

    std::unique_ptr<Dib> m_picture;
    std::unique_ptr<QImage> m_composite;
    uint32_t m_keyColour;
    QSize m_size;
    int m_mode = kComposed;
    bool m_prepared = false;
};
