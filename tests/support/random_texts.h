#pragma once
// Random message texts for comparing a fast way of matching with the plain one: pieces the rules
// and parsers look for (keywords, hemisphere letters, digits, blanks, line ends, punctuation),
// often with one group of pieces repeated, since repeats are what passes and backtracking find
// hard. The same seed gives the same texts.
#include <cstdint>
#include <random>
#include <string>
#include <string_view>

namespace korval::test {

class RandomTexts {
public:
    explicit RandomTexts(std::uint32_t seed) : rng_(seed) {}

    // A text of up to `pieces` pieces.
    std::string Next(std::size_t pieces)
    {
        std::string text;
        const std::size_t n = Below(pieces + 1);
        std::string unit;
        const bool repeating = Below(2) == 0;
        for (std::size_t k = 1 + Below(3); k > 0; --k) unit += Piece();
        for (std::size_t k = 0; k < n; ++k) text += repeating && Below(3) != 0 ? unit : Piece();
        return text;
    }

    // Content after a canonical header whose flight id is one the rules look at.
    std::string NextMessage(std::size_t pieces)
    {
        static constexpr std::string_view kFlights[] = {"UA0123", "SK0123", "MP0123", "KL0123", "BD0123", "EI0123"};
        std::string m = "1ACARS mode: 2  Aircraft reg: .N123UA\r\nMessage label: H1  Block id: 5  Msg. no: M41A\r\n";
        m += "Flight id: ";
        m += kFlights[Below(std::size(kFlights))];
        m += "\r\nMessage content:-\r\n";
        return m + Next(pieces);
    }

private:
    std::size_t Below(std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng_); }

    std::string_view Piece()
    {
        static constexpr std::string_view kPieces[] = {"PIREP",
                                                       "PIREPUA",
                                                       "REQPWI",
                                                       "REQPW",
                                                       "#M1APWD",
                                                       "#M1BFPN",
                                                       "CLX ",
                                                       "CLA",
                                                       "RCL",
                                                       "OCEANIC CLEARANCE",
                                                       "ROGER ATC",
                                                       "Flight id: SK",
                                                       "Flight id: MP",
                                                       "Flight id: KL",
                                                       "Flight id: BD",
                                                       "Flight id: EI",
                                                       "#DFBR12/",
                                                       "DFB239",
                                                       "#2UB",
                                                       "#DFB623",
                                                       "#DFBETR1",
                                                       "#DFBA32",
                                                       "Message content:-",
                                                       "POS",
                                                       "/LAT",
                                                       "/LON",
                                                       "LAT",
                                                       "LON",
                                                       "/POS ",
                                                       "FST01",
                                                       "EA",
                                                       "B919YQX",
                                                       " ",
                                                       "  ",
                                                       "   ",
                                                       "-",
                                                       "+",
                                                       ".",
                                                       ",",
                                                       "/",
                                                       "\r\n",
                                                       "\r\n",
                                                       "\r",
                                                       "\n",
                                                       "\t",
                                                       "N",
                                                       "S",
                                                       "E",
                                                       "W",
                                                       "U",
                                                       "R",
                                                       "A",
                                                       "D",
                                                       "L",
                                                       "P",
                                                       "M",
                                                       "X",
                                                       "1",
                                                       "12",
                                                       "123",
                                                       "1234",
                                                       "12345",
                                                       "123456",
                                                       "1234567",
                                                       "0",
                                                       "00",
                                                       "000",
                                                       "5520N",
                                                       "55N020W",
                                                       "55/20",
                                                       "N5130W00145",
                                                       "N 51.234,W001.456,",
                                                       "5030N.5040N",
                                                       ",ABC,",
                                                       "-1234567 ",
                                                       " -12345",
                                                       "  -12345",
                                                       "S 51.1234,E",
                                                       "W12.",
                                                       "P123456P1234567",
                                                       "U1234N12345E"};
        return kPieces[Below(std::size(kPieces))];
    }

    std::mt19937 rng_;
};

}  // namespace korval::test
