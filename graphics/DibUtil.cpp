#include "graphics/DibUtil.h"

#include <QPixmap>

namespace {

// The pixels of dc's device in the rectangle (logical coordinates), black where unreadable.
QImage ReadArea(QPainter& dc, const QRect& area) {
    QImage result(area.size(), QImage::Format_RGB32);
    result.fill(Qt::black);
    QPaintDevice* device = dc.device();
    if (!device) {
        return result;
    }
    const QPoint at = dc.deviceTransform().map(area.topLeft());
    QImage source;
    if (device->devType() == QInternal::Image) {
        const QImage* image = static_cast<QImage*>(device);
        source = image->copy(QRect(at, area.size()));
    } else if (device->devType() == QInternal::Pixmap) {
        source = static_cast<QPixmap*>(device)->copy(QRect(at, area.size())).toImage();
    } else {
        return result;
    }
    // copy() pads the parts outside the device with transparent pixels; they stay black.
    QPainter p(&result);
    p.drawImage(0, 0, source);
    return result;
}

void CopyInto(QImage& target, const QImage& source) {
    QPainter p(&target);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(0, 0, source);
}

void DrawDib(QPainter& mem, const Dib& dib, const QRect& target, QPainter::CompositionMode mode) {
    mem.setCompositionMode(mode);
    mem.drawImage(target, dib.toImage(), QRect(0, 0, dib.width(), dib.height()));
}

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kBlack = 0x000000;

void ComposeColourTable(QPainter& mem, Dib& dib, const QRect& target, uint32_t key) {
    const int count = dib.colourCount();
    std::vector<uint32_t> saved(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        saved[size_t(i)] = dib.colour(i);
        dib.setColour(i, saved[size_t(i)] == key ? kWhite : kBlack);
    }
    DrawDib(mem, dib, target, QPainter::RasterOp_SourceAndDestination);
    for (int i = 0; i < count; ++i) {
        dib.setColour(i, dib.colour(i) == kWhite ? kBlack : saved[size_t(i)]);
    }
    DrawDib(mem, dib, target, QPainter::RasterOp_SourceOrDestination);
}

// Walks the pixels row by row: the padding at the end of a row is never taken for a pixel, so
// rows whose byte length is no multiple of the pixel size stay aligned.
void ComposeTrueColour(QPainter& mem, Dib& dib, const QRect& target, uint32_t key) {
    const std::optional<std::vector<uint8_t>> copy = CopyDibHandle(&dib.packed());
    if (!copy) {
        return;
    }
    const int w = dib.width();
    const int h = dib.height();
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            dib.setPixel(x, y, dib.pixel(x, y) == key ? kWhite : kBlack);
        }
    }
    DrawDib(mem, dib, target, QPainter::RasterOp_SourceAndDestination);
    const Dib original(*copy);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            dib.setPixel(x, y, dib.pixel(x, y) == kWhite ? kBlack : original.pixel(x, y));
        }
    }
    DrawDib(mem, dib, target, QPainter::RasterOp_SourceOrDestination);
}

} // namespace

uint8_t* PixelAddress(Dib* dib, int x, int y) {
    return const_cast<uint8_t*>(PixelAddress(static_cast<const Dib*>(dib), x, y));
}

const uint8_t* PixelAddress(const Dib* dib, int x, int y) {
    if (!dib || dib->isNull() || x < 0 || y < 0 || x >= dib->width() || y >= dib->height()) {
        return nullptr;
    }
    const size_t offset = size_t(dib->bitCount()) * size_t(x) / 8 +
                          size_t(dib->height() - 1 - y) * size_t(dib->stride());
    return offset < dib->bitsSize() ? dib->bits() + offset : nullptr;
}

std::optional<std::vector<uint8_t>> CopyDibHandle(const std::vector<uint8_t>* block) {
    if (!block) {
        return std::nullopt;
    }
    return *block;
}

void ComposeTransparent(QPainter& dc, const QSize& outputSize, const QSize& drawSize,
                        const QPoint& backgroundOrigin, const QPoint& drawPosition,
                        uint32_t keyColour, bool keepBackground, bool transparent,
                        std::unique_ptr<QImage>& composite,
                        std::unique_ptr<QImage>& savedBackground, Dib* dib) {
    if (!dib || dib->isNull()) {
        return;
    }
    if (!composite) {
        composite = std::make_unique<QImage>(outputSize, QImage::Format_RGB32);
        composite->fill(Qt::black);
    }
    const QRect area(backgroundOrigin, outputSize);
    if (keepBackground) {
        if (!savedBackground) {
            savedBackground = std::make_unique<QImage>(ReadArea(dc, area));
        }
        CopyInto(*composite, *savedBackground);
    } else {
        CopyInto(*composite, ReadArea(dc, area));
    }

    QPainter mem(composite.get());
    const QRect target(drawPosition, drawSize);
    if (!transparent) {
        DrawDib(mem, *dib, target, QPainter::CompositionMode_Source);
    } else if (dib->bitCount() < 16) {
        ComposeColourTable(mem, *dib, target, keyColour);
    } else {
        ComposeTrueColour(mem, *dib, target, keyColour);
    }
}

void TileDib(QPainter& dc, const QRect& rect, const Dib* dib) {
    if (!dib || dib->isNull() || rect.isEmpty()) {
        return;
    }
    const int w = dib->width();
    const int h = dib->height();
    const int columns = rect.width() / w + (rect.width() % w ? 1 : 0);
    const int rows = rect.height() / h + (rect.height() % h ? 1 : 0);
    const QImage tile = dib->toImage();
    const QPainter::CompositionMode mode = dc.compositionMode();
    dc.setCompositionMode(QPainter::CompositionMode_SourceOver);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            dc.drawImage(QPoint(rect.left() + c * w, rect.top() + r * h), tile);
        }
    }
    dc.setCompositionMode(mode);
}
