#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace recovery {

// A sheet's code read from a photo or scan of its QR code. The picture is bounded before it
// is decoded: a file of a few kilobytes can claim an image of gigabytes.
inline constexpr std::uint64_t kMaxPictureBytes = std::uint64_t{50} << 20;
inline constexpr std::int64_t kMaxPicturePixels = 40'000'000;

struct PictureCode {
    enum class Status { Ok, Unreadable, TooLarge, NotAPicture, NoCode, SeveralCodes, ForeignCode };
    Status status = Status::NoCode;
    std::string code; // the QR's text when Ok: a sheet's code as printed
    PictureCode() = default;
    PictureCode(const PictureCode&) = delete;
    PictureCode& operator=(const PictureCode&) = delete;
    PictureCode(PictureCode&&) = default;
    PictureCode& operator=(PictureCode&&) = default;
    ~PictureCode();
};

// The code of the one QR code in the PNG or JPEG file at path.
PictureCode CodeFromPictureFile(const std::string& path);
// The same from the file's bytes.
PictureCode CodeFromPictureBytes(std::string_view bytes);
// What a person is told about a picture that gave no code.
std::string PictureProblem(const PictureCode& read);

} // namespace recovery
