#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace recovery {

// The modules of a QR code (error correction level M), row by row; dark is 1. Wiped when it
// goes, as it holds a share.
struct QrMatrix {
    int size = 0;
    std::vector<uint8_t> dark;
    QrMatrix() = default;
    QrMatrix(const QrMatrix&) = delete;
    QrMatrix& operator=(const QrMatrix&) = delete;
    QrMatrix(QrMatrix&&) = default;
    QrMatrix& operator=(QrMatrix&&) = default;
    ~QrMatrix();
    bool Dark(int x, int y) const { return dark[static_cast<size_t>(y) * size + x] != 0; }
};

// The QR code of text; size 0 when it cannot be made.
QrMatrix QrCodeOf(const std::string& text);

} // namespace recovery
