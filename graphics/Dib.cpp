#include "graphics/Dib.h"

#include "platform/gui/ResourceLoader.h"

#include <cstring>

namespace {

uint32_t ReadU32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
uint16_t ReadU16(const uint8_t* p) {
    return uint16_t(p[0] | p[1] << 8);
}
void WriteU32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        p[i] = uint8_t(v >> (8 * i));
    }
}
void WriteU16(uint8_t* p, uint16_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

} // namespace

Dib::Dib(std::vector<uint8_t> packed) {
    if (packed.size() < kHeaderSize) {
        return;
    }
    const uint8_t* h = packed.data();
    const uint32_t headerSize = ReadU32(h);
    const int32_t width = int32_t(ReadU32(h + 4));
    const int32_t height = int32_t(ReadU32(h + 8));
    const int planes = ReadU16(h + 12);
    const int bitCount = ReadU16(h + 14);
    const uint32_t compression = ReadU32(h + 16);
    const uint32_t used = ReadU32(h + 32);
    if (headerSize != kHeaderSize || width <= 0 || height <= 0 || width > 32768 || height > 32768 ||
        planes != 1 || compression != 0) {
        return;
    }
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24 && bitCount != 32) {
        return;
    }
    uint32_t colours = used;
    if (bitCount <= 8) {
        const uint32_t full = 1u << bitCount;
        if (colours == 0) {
            colours = full;
        }
        if (colours > full) {
            return;
        }
    } else if (colours > 256) {
        return;
    }
    m_width = width;
    m_height = height;
    m_bitCount = bitCount;
    m_colourCount = int(colours);
    if (packed.size() < bitsOffset() + bitsSize()) {
        *this = Dib();
        return;
    }
    packed.resize(bitsOffset() + bitsSize());
    m_bytes = std::move(packed);
}

Dib Dib::FromResource(std::string_view name) {
    return Dib(LoadBitmapResource(name));
}

Dib Dib::Create(int width, int height, int bitCount, int colourCount) {
    if (width <= 0 || height <= 0) {
        return Dib();
    }
    if (colourCount == 0 && bitCount <= 8) {
        colourCount = 1 << bitCount;
    }
    const size_t stride = size_t((width * bitCount + 31) / 32) * 4;
    std::vector<uint8_t> bytes(kHeaderSize + 4 * size_t(colourCount) + stride * size_t(height));
    uint8_t* h = bytes.data();
    WriteU32(h, kHeaderSize);
    WriteU32(h + 4, uint32_t(width));
    WriteU32(h + 8, uint32_t(height));
    WriteU16(h + 12, 1);
    WriteU16(h + 14, uint16_t(bitCount));
    WriteU32(h + 20, uint32_t(stride * size_t(height)));
    WriteU32(h + 24, 2835); // 72 dpi
    WriteU32(h + 28, 2835);
    WriteU32(h + 32, uint32_t(colourCount));
    return Dib(std::move(bytes));
}

uint32_t Dib::colour(int index) const {
    if (index < 0 || index >= m_colourCount) {
        return 0;
    }
    const uint8_t* e = m_bytes.data() + kHeaderSize + 4 * size_t(index);
    return uint32_t(e[2]) | uint32_t(e[1]) << 8 | uint32_t(e[0]) << 16;
}

void Dib::setColour(int index, uint32_t ref) {
    if (index < 0 || index >= m_colourCount) {
        return;
    }
    uint8_t* e = m_bytes.data() + kHeaderSize + 4 * size_t(index);
    e[0] = uint8_t(ref >> 16);
    e[1] = uint8_t(ref >> 8);
    e[2] = uint8_t(ref);
    e[3] = 0;
}

uint32_t Dib::pixel(int x, int y) const {
    if (isNull() || x < 0 || y < 0 || x >= m_width || y >= m_height) {
        return 0;
    }
    const uint8_t* row = bits() + size_t(m_height - 1 - y) * size_t(stride());
    switch (m_bitCount) {
    case 1:
        return (row[x / 8] >> (7 - x % 8)) & 1;
    case 4:
        return (row[x / 2] >> (x % 2 ? 0 : 4)) & 0xF;
    case 8:
        return row[x];
    case 24: {
        const uint8_t* p = row + 3 * size_t(x);
        return uint32_t(p[2]) | uint32_t(p[1]) << 8 | uint32_t(p[0]) << 16;
    }
    default: {
        const uint8_t* p = row + 4 * size_t(x);
        return uint32_t(p[2]) | uint32_t(p[1]) << 8 | uint32_t(p[0]) << 16;
    }
    }
}

void Dib::setPixel(int x, int y, uint32_t value) {
    if (isNull() || x < 0 || y < 0 || x >= m_width || y >= m_height) {
        return;
    }
    uint8_t* row = bits() + size_t(m_height - 1 - y) * size_t(stride());
    switch (m_bitCount) {
    case 1: {
        const uint8_t mask = uint8_t(0x80 >> (x % 8));
        row[x / 8] = uint8_t(value & 1 ? row[x / 8] | mask : row[x / 8] & ~mask);
        break;
    }
    case 4: {
        const int shift = x % 2 ? 0 : 4;
        row[x / 2] = uint8_t((row[x / 2] & ~(0xF << shift)) | (value & 0xF) << shift);
        break;
    }
    case 8:
        row[x] = uint8_t(value);
        break;
    default: {
        uint8_t* p = row + size_t(m_bitCount / 8) * size_t(x);
        p[0] = uint8_t(value >> 16);
        p[1] = uint8_t(value >> 8);
        p[2] = uint8_t(value);
        break;
    }
    }
}

QImage Dib::toImage() const {
    if (isNull()) {
        return QImage();
    }
    QImage image(m_width, m_height, QImage::Format_RGB32);
    std::vector<QRgb> table(static_cast<size_t>(m_colourCount));
    for (int i = 0; i < m_colourCount; ++i) {
        table[size_t(i)] = ToQColor(colour(i)).rgb();
    }
    for (int y = 0; y < m_height; ++y) {
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < m_width; ++x) {
            const uint32_t v = pixel(x, y);
            if (m_bitCount <= 8) {
                out[x] = v < table.size() ? table[v] : qRgb(0, 0, 0);
            } else {
                out[x] = ToQColor(v).rgb();
            }
        }
    }
    return image;
}
