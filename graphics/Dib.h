#pragma once

#include <QImage>

#include <cstdint>
#include <string_view>
#include <vector>

// A device-independent bitmap in its packed form, held byte for byte: a 40-byte information
// header, the colour table (blue, green, red, 0 per entry) and the pixel rows, bottom-up, each
// padded to a multiple of 4 bytes. Supported depths are 1, 4, 8 (colour table) and 24, 32
// (true colour, no compression). A Dib built from bad bytes is null.
class Dib {
public:
    static constexpr int kHeaderSize = 40;

    Dib() = default;
    // Takes the bytes when their header, colour table and rows are consistent; otherwise null.
    explicit Dib(std::vector<uint8_t> packed);

    // The bitmap resource of that name, or a null Dib when it is missing or damaged.
    static Dib FromResource(std::string_view name);
    // A zero-filled bitmap; colourCount entries are reserved (0 means 2^bitCount below 16 bits).
    static Dib Create(int width, int height, int bitCount, int colourCount = 0);

    bool isNull() const { return m_bytes.empty(); }
    int width() const { return m_width; }
    int height() const { return m_height; }
    int bitCount() const { return m_bitCount; }
    int colourCount() const { return m_colourCount; }
    int stride() const { return ((m_width * m_bitCount + 31) / 32) * 4; }

    // Colour-table entries as colour references 0x00BBGGRR.
    uint32_t colour(int index) const;
    void setColour(int index, uint32_t colourRef);

    uint8_t* bits() { return m_bytes.data() + bitsOffset(); }
    const uint8_t* bits() const { return m_bytes.data() + bitsOffset(); }
    size_t bitsSize() const {
        return static_cast<size_t>(stride()) * static_cast<size_t>(m_height);
    }

    // The whole packed block (header, table, rows).
    const std::vector<uint8_t>& packed() const { return m_bytes; }

    // Index or colour reference of a pixel, y counted from the top row; 0 outside.
    uint32_t pixel(int x, int y) const;
    void setPixel(int x, int y, uint32_t value);

    // The picture as a top-down RGB32 image (null image for a null Dib).
    QImage toImage() const;

private:
    size_t bitsOffset() const { return kHeaderSize + 4 * static_cast<size_t>(m_colourCount); }

    std::vector<uint8_t> m_bytes;
    int m_width = 0;
    int m_height = 0;
    int m_bitCount = 0;
    int m_colourCount = 0;
};

// Colour reference helpers (0x00BBGGRR).
constexpr uint32_t ColourRef(int red, int green, int blue) {
    return static_cast<uint32_t>(red & 0xFF) | static_cast<uint32_t>(green & 0xFF) << 8 |
           static_cast<uint32_t>(blue & 0xFF) << 16;
}
inline QColor ToQColor(uint32_t ref) {
    return QColor(int(ref & 0xFF), int((ref >> 8) & 0xFF), int((ref >> 16) & 0xFF));
}
