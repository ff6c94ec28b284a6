#include "recovery/ShareQr.h"

#include <qrencode.h>
#include <sodium.h>

namespace recovery {

QrMatrix::~QrMatrix() {
    if (!dark.empty())
        sodium_memzero(dark.data(), dark.size());
}

QrMatrix QrCodeOf(const std::string& text) {
    QrMatrix m;
    QRcode* code = QRcode_encodeString(text.c_str(), 0, QR_ECLEVEL_M, QR_MODE_8, 1);
    if (!code)
        return m;
    const size_t cells = static_cast<size_t>(code->width) * code->width;
    m.size = code->width;
    m.dark.resize(cells);
    for (size_t i = 0; i < cells; ++i)
        m.dark[i] = code->data[i] & 1;
    sodium_memzero(code->data, cells);
    QRcode_free(code);
    return m;
}

} // namespace recovery
