#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

namespace korval {

class Station;

// Bytes in one row of a 24-bit bitmap section: three per pixel (blue, green, red), the row
// padded to a multiple of 4 bytes. Error 5 for a negative width.
std::int64_t BytesPerScanLine(std::int32_t width);

// A 24-bit bitmap section in memory: blue-green-red pixels, top row first, each row padded as
// BytesPerScanLine says. What a map surface is copied into before it is saved as JPEG.
class DibSection {
public:
    // A section of width x height pixels, all black. Error 5 for a size below 1 pixel or above
    // 32767 in either direction (the largest surface a map window can have); error 7 when the
    // memory cannot be had.
    void Create(std::int32_t width, std::int32_t height);
    void ClearUp();

    std::int32_t Width() const { return width_; }
    std::int32_t Height() const { return height_; }
    std::int64_t BytesPerScanLine() const { return korval::BytesPerScanLine(width_); }
    // The pixel rows (nullptr when no section was created).
    std::uint8_t* DIBSectionBitsPtr() { return bits_.empty() ? nullptr : bits_.data(); }
    const std::uint8_t* DIBSectionBitsPtr() const { return bits_.empty() ? nullptr : bits_.data(); }
    // Row y (0 = top); error 9 outside the section.
    std::uint8_t* Row(std::int32_t y);

private:
    std::int32_t width_ = 0, height_ = 0;
    std::vector<std::uint8_t> bits_;
};

// The file name a saved map n (1..3) is offered under, in the program's folder:
// "KorvalMap" n, the local date as ddmmyy, ",", the HHMM last shown by the UTC clock label,
// "Z.jpg" (KorvalMap1050326,1432Z.jpg).
std::filesystem::path DefaultMapFileName(const Station& s, int n);

}  // namespace korval
