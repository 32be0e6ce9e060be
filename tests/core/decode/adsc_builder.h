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
class BitPacker {
public:
    BitPacker& Put(std::uint32_t value, int width)
    {
        for (int i = width - 1; i >= 0; --i) bits_.push_back(((value >> i) & 1u) != 0);
        return *this;
    }
    // Two's complement in `width` bits.
    BitPacker& PutSigned(std::int32_t value, int width)
    {
        return Put(static_cast<std::uint32_t>(value) & ((1u << width) - 1u), width);
    }
    std::vector<std::uint8_t> Bytes() const
    {
        std::vector<std::uint8_t> out((bits_.size() + 7) / 8, 0);
        for (std::size_t i = 0; i < bits_.size(); ++i)
            if (bits_[i]) out[i / 8] |= static_cast<std::uint8_t>(0x80u >> (i % 8));
        return out;
    }

private:
    std::vector<bool> bits_;
};

// CRC-16, polynomial 0x1021, register preset to all ones, each message bit shifted in most
// significant first, the remainder inverted: the check sum ARINC 622 puts after the report.
inline std::uint16_t ReferenceCrc(const std::vector<std::uint8_t>& message)
{
    std::uint32_t reg = 0xFFFF;
    for (std::uint8_t byte : message) {
        for (int i = 7; i >= 0; --i) {
            const bool in = ((byte >> i) & 1u) != 0;
            const bool top = (reg & 0x8000u) != 0;
            reg = (reg << 1) & 0xFFFFu;
            if (in != top) reg ^= 0x1021u;
        }
    }
    return static_cast<std::uint16_t>(reg ^ 0xFFFFu);
}

// Groups: the tag byte followed by the packed fields.
inline std::vector<std::uint8_t> Group(std::uint8_t tag, const BitPacker& fields)
{
    std::vector<std::uint8_t> g{tag};
    const std::vector<std::uint8_t> body = fields.Bytes();
    g.insert(g.end(), body.begin(), body.end());
    return g;
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

// Concatenates groups into one report.
inline std::vector<std::uint8_t> Report(std::initializer_list<std::vector<std::uint8_t>> groups)
{
    std::vector<std::uint8_t> r;
    for (const auto& g : groups) r.insert(r.end(), g.begin(), g.end());
    return r;
}

// The hexadecimal report with its check sum over "ADS", the registration and the report.
inline std::string SignedHex(std::string_view reg7, std::vector<std::uint8_t> report)
{
    std::vector<std::uint8_t> covered{'A', 'D', 'S'};
    covered.insert(covered.end(), reg7.begin(), reg7.end());
    covered.insert(covered.end(), report.begin(), report.end());
    const std::uint16_t crc = ReferenceCrc(covered);
    report.push_back(static_cast<std::uint8_t>(crc >> 8));
    report.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    std::string hex;
    for (std::uint8_t b : report) hex += {"0123456789ABCDEF"[b >> 4], "0123456789ABCDEF"[b & 0xF]};
    return hex;
}

// The whole text form: "/" ground address ".ADS" registration hex-with-CRC.
inline std::string AdscText(std::string_view reg7, const std::vector<std::uint8_t>& report,
                            std::string_view ground = "AKLCDYA")
{
    return "/" + std::string(ground) + ".ADS" + std::string(reg7) + SignedHex(reg7, report);
}

}  // namespace korval::test
