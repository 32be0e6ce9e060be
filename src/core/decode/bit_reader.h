#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace korval {

// Reads fields of up to 32 bits, most significant bit first, from a run of bytes. The caller
// checks the length first: reading past the end gives zero bits.
class BitReader {
public:
    explicit BitReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::uint32_t Unsigned(int width)
    {
        std::uint32_t value = 0;
        for (int i = 0; i < width; ++i, ++pos_) {
            const std::size_t byte = pos_ / 8;
            const unsigned bit = byte < bytes_.size() ? (bytes_[byte] >> (7 - pos_ % 8)) & 1u : 0u;
            value = (value << 1) | bit;
        }
        return value;
    }

    // Two's complement field of `width` bits, 2 to 31.
    std::int32_t Signed(int width)
    {
        const std::uint32_t raw = Unsigned(width);
        const std::uint32_t sign = 1u << (width - 1);
        return static_cast<std::int32_t>(raw ^ sign) - static_cast<std::int32_t>(sign);
    }

    bool Flag() { return Unsigned(1) != 0; }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t pos_ = 0;
};

}  // namespace korval
