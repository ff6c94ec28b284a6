#pragma once

#include "graphics/Dib.h"

#include <QPainter>

#include <memory>
#include <optional>
#include <vector>

// Address of a pixel's first byte in the rows of dib (y counted from the top), or null when the
// point or the address lies outside the picture.
uint8_t* PixelAddress(Dib* dib, int x, int y);
const uint8_t* PixelAddress(const Dib* dib, int x, int y);

// A new block with the same size and contents; none for a null block.
std::optional<std::vector<uint8_t>> CopyDibHandle(const std::vector<uint8_t>* block);

// Composes dib over the area of dc at backgroundOrigin into composite (created at outputSize
// when null). With transparent set, every pixel whose colour equals keyColour shows the
// background and every other pixel shows the picture, drawn from its full extent onto
// drawPosition/drawSize: first with SRCAND over a white-key/black-rest mask of the picture,
// then with SRCPAINT over the picture with its key pixels black. The dib keeps the key pixels
// black afterwards. With keepBackground the background is saved in savedBackground the first
// time and reused from it later. dc must paint on a QImage or QPixmap for the background to be
// read; otherwise the background is black.
void ComposeTransparent(QPainter& dc, const QSize& outputSize, const QSize& drawSize,
                        const QPoint& backgroundOrigin, const QPoint& drawPosition,
                        uint32_t keyColour, bool keepBackground, bool transparent,
                        std::unique_ptr<QImage>& composite,
                        std::unique_ptr<QImage>& savedBackground, Dib* dib);

// Fills rect with copies of dib laid edge to edge from its top-left corner; the tiles at the
// right and bottom edge are drawn whole and cut only by the painter's clipping.
void TileDib(QPainter& dc, const QRect& rect, const Dib* dib);
