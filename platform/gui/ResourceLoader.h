#pragma once

#include <QIcon>

#include <cstdint>
#include <string_view>
#include <vector>

// The packed DIB of a bitmap resource (the .bmp file without its 14-byte file header); empty
// when the bitmap is missing or not a bitmap file.
std::vector<uint8_t> LoadBitmapResource(std::string_view name);

// The icon resource of that id; a null icon when missing.
QIcon LoadIconResource(int id);
