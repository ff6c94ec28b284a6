#pragma once

#include <QImage>
#include <QString>

// Reduces an RGB image to 256 colours (median cut, Floyd-Steinberg dithering). Pixels equal to
// key, when given, keep index 0 with exactly that colour and no other entry has it.
QImage QuantiseTo256(const QImage& image, const QRgb* key);

// Writes an 8-bit indexed image as a Windows BMP (file header, 40-byte header, 256 entries).
bool WriteBmp8(const QImage& indexed, const QString& path);
