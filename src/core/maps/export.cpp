#include "maps/export.h"

#include <new>
#include <string>

#include "station/station.h"
#include "text/convert.h"
#include "text/fault.h"

namespace korval {
namespace {

constexpr std::int32_t kMaxSide = 32767;

}  // namespace

std::int64_t BytesPerScanLine(std::int32_t width)
{
    if (width < 0) Raise(err::InvalidCall);
    return (static_cast<std::int64_t>(width) * 3 + 3) / 4 * 4;
}

void DibSection::Create(std::int32_t width, std::int32_t height)
{
    if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide) Raise(err::InvalidCall);
    ClearUp();
    try {
        bits_.assign(static_cast<std::size_t>(korval::BytesPerScanLine(width) * height), 0);
    } catch (const std::bad_alloc&) {
        Raise(err::OutOfMemory);
    }
    width_ = width;
    height_ = height;
}

void DibSection::ClearUp()
{
    std::vector<std::uint8_t>().swap(bits_);
    width_ = height_ = 0;
}

std::uint8_t* DibSection::Row(std::int32_t y)
{
    if (y < 0 || y >= height_) Raise(err::Subscript);
    return bits_.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(BytesPerScanLine());
}

std::filesystem::path DefaultMapFileName(const Station& s, int n)
{
    DateTime d = s.clock().Local();
    std::string name = "KorvalMap" + std::to_string(n);
    name += Format(d.day, "00") + Format(d.month, "00") + Format(d.year % 100, "00") + ",";
    name += Mid(s.box.labUTC, 6, 4);
    name += "Z.jpg";
    return s.Home() / name;
}

}  // namespace korval
