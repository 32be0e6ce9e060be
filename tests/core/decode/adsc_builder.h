#pragma once

// Builds ADS-C downlink texts from field values, the way an aircraft packs them, so the tests can
// state the expected values by hand. Independent of the decoder: its own bit packing and its own
// bit-by-bit check sum.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korval::test {

// Packs fields most significant bit first; the last byte is filled with zero bits.
struct BitPacker {
    BitPacker& Put(std::uint32_t value, int width)
    {
        for (int i = width - 1; i >= 0; --i, ++bits) {
            if (bits % 8 == 0) bytes.push_back(0);
            if ((value >> i) & 1u) bytes.back() |= static_cast<std::uint8_t>(0x80u >> (bits % 8));
        }
        return *this;
    }
    // Two's complement in `width` bits.
    BitPacker& PutSigned(std::int32_t value, int width)
    {
        return Put(static_cast<std::uint32_t>(value) & ((1u << width) - 1u), width);
    }
    std::vector<std::uint8_t> bytes;
    std::size_t bits = 0;
};

// CRC-16, polynomial 0x1021, register preset to all ones, each message bit shifted in most
// significant first, the remainder inverted: the check sum ARINC 622 puts after the report.
inline std::uint16_t ReferenceCrc(const std::vector<std::uint8_t>& message)
{
    std::uint32_t reg = 0xFFFF;
    for (std::uint8_t byte : message) {
        for (int i = 7; i >= 0; --i) {
            const bool top = (reg & 0x8000u) != 0;
            reg = (reg << 1) & 0xFFFFu;
            if ((((byte >> i) & 1u) != 0) != top) reg ^= 0x1021u;
        }
    }
    return static_cast<std::uint16_t>(reg ^ 0xFFFFu);
}

// Concatenates groups into one report.
inline std::vector<std::uint8_t> Report(std::initializer_list<std::vector<std::uint8_t>> groups)
{
    std::vector<std::uint8_t> r;
    for (const auto& g : groups) r.insert(r.end(), g.begin(), g.end());
    return r;
}

// Groups: the tag byte followed by the packed fields.
inline std::vector<std::uint8_t> Group(std::uint8_t tag, const BitPacker& fields)
{
    return Report({{tag}, fields.bytes});
}

struct BasicFields {
    std::int32_t lat = 0;    // 21-bit count of 180/2^20 degree
    std::int32_t lon = 0;    // 21-bit count
    std::int32_t alt = 0;    // 16-bit count of 4 ft
    std::uint32_t time = 0;  // 15-bit count of 0.125 s
    bool tcas = false;
    std::uint32_t accuracy = 0;
    bool redundancy = false;
};

inline std::vector<std::uint8_t> BasicGroup(std::uint8_t tag, const BasicFields& f)
{
    BitPacker p;
    p.PutSigned(f.lat, 21).PutSigned(f.lon, 21).PutSigned(f.alt, 16).Put(f.time, 15);
    p.Put(0, 2).Put(f.tcas ? 1 : 0, 1).Put(f.accuracy, 3).Put(f.redundancy ? 1 : 0, 1);
    return Group(tag, p);
}

// The whole text form: "/" ground address ".ADS" registration, then the report in hexadecimal
// with its check sum over "ADS", the registration and the report.
inline std::string AdscText(std::string_view reg7, std::vector<std::uint8_t> report,
                            std::string_view ground = "AKLCDYA")
{
    std::vector<std::uint8_t> covered{'A', 'D', 'S'};
    covered.insert(covered.end(), reg7.begin(), reg7.end());
    covered.insert(covered.end(), report.begin(), report.end());
    const std::uint16_t crc = ReferenceCrc(covered);
    report.push_back(static_cast<std::uint8_t>(crc >> 8));
    report.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    std::string text = "/" + std::string(ground) + ".ADS" + std::string(reg7);
    for (std::uint8_t b : report) text += {"0123456789ABCDEF"[b >> 4], "0123456789ABCDEF"[b & 0xF]};
    return text;
}

}  // namespace korval::test
