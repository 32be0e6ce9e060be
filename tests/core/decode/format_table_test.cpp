#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "decode/format_table.h"
#include "test_support.h"

namespace korval {
namespace {

using korval::test::PrintTo;
const FormatTable& Bundled()
{
    static const FormatTable table = [] {
        std::vector<std::string> errors;
        FormatTable t = FormatTable::Load(std::filesystem::path(KORVAL_SOURCE_DIR) / "data" / "formats.wdf", errors);
        EXPECT_TRUE(errors.empty()) << errors.front();
        return t;
    }();
    return table;
}

TEST(FormatTable, BundledFileReadsWithoutMessages)
{
    EXPECT_GE(Bundled().formats().size(), 20u);
}

// ---- one message per family, written from its public description ----------------------------

struct LatLon {
    double lat, lon;
};

struct FamilyCase {
    const char* name;
    const char* label;
    const char* content;
    const char* source;
    std::vector<LatLon> expected;  // worked out by hand from the notation
};

// clang-format off
const FamilyCase kFamilies[] = {
    {"h1FmcPosition", "H1",
     "#M1BPOSN51286W000270,BIG,101512,350,LAM,103012,BNN,M47,27060,230/TS101512,0512262B3A",
     "FMC position report", {{51 + 28.6 / 60, -(27.0 / 60)}}},
    {"label20Pos", "20", "POSN52170E004460,,101500,370,SPY,102000,,M48,24070,45,210",
     "FMC position report", {{52 + 17.0 / 60, 4 + 46.0 / 60}}},
    {"label21PosDecimal", "21", "POSN 51.477W  0.461, 270,101512,35000,24010,  45,-52,112000,KJFK",
     "POS report decimal", {{51.477, -0.461}}},
    {"label22Seconds", "22", "N 512840W 0002730,-------,101512,35000, ,      , ,M 45,24010  45, 230,",
     "POS report degrees-minutes-seconds", {{51 + 28.0 / 60 + 40.0 / 3600, -(27.0 / 60 + 30.0 / 3600)}}},
    {"label12Seconds", "12", "POSN 533048W 0021612,-------,1015, 340,,  23,17788  11,FOB   90,ETA 1100,EGCC,LEMD,",
     "POS report degrees-minutes-seconds", {{53 + 30.0 / 60 + 48.0 / 3600, -(2 + 16.0 / 60 + 12.0 / 3600)}}},
    {"label12Decimal", "12", "N 53.354,W  2.275,35000,101512, 109,.G-EUPA,1045",
     "Position decimal", {{53.354, -2.275}}},
    {"label10Hundredths", "10", "POS101500, N 5148,W  046,---,270,26922,  51,22290, 529,  19,-225,6",
     "POS report hundredths", {{51.48, -0.46}}},
    {"label10Decimal", "10",
     "LDR01,101,C,SWA-0000-001,0,N 40.640,W 73.779,12000,  3.5,KJFK,KBOS,KBOS,22L/,22R/,/,0,0,,,,,,,0,0,0,00,,",
     "Position decimal", {{40.640, -73.779}}},
    {"label16SeveralPoints", "16",
     "/P1 1204,N 51.477/W  0.461,  28068,   97/P2 1206,N 51.601/W  0.203,  25047,   96",
     "Position decimal", {{51.477, -0.461}, {51.601, -0.203}}},
    {"fm3OnLabel2P", "2P", "FM3 1015,1240,+ 51.48,-  0.46, 35002, 455, 26",
     "FM3 flight report", {{51.48, -0.46}}},
    {"fm3WithLetters", "2P", "FM3 101512,1240,N 51.480,W  0.460,35002, 455,26",
     "FM3 flight report", {{51.48, -0.46}}},
    {"fm4OnH1", "H1", "FM4EGLL,OMAA,051015,1705, 50.12,   8.68,36000,112,  -56.5, 61200",
     "FM4 flight report", {{50.12, 8.68}}},
    {"fm5OnLabel2P", "2P", "FM5 EIDW,OMAA,101522,1540,+46.210, +20.955,35002,116.24,502 ,36900,ETD46 ,",
     "FM5 flight report", {{46.210, 20.955}}},
    {"offEventLocSeconds", "14", "/14 OFF EVENT      / EGLL KJFK 05 101822/TIME 1018\r\n/LOC N512840,W0002730",
     "Event report LOC", {{51 + 28.0 / 60 + 40.0 / 3600, -(27.0 / 60 + 30.0 / 3600)}}},
    {"onEventLocDecimal", "15", "/15 ON EVENT       / EGLL KJFK 05 173002/TIME 1730\r\n/LOC +40.6413,-073.7781",
     "Event report LOC decimal", {{40.6413, -73.7781}}},
    {"inEventLocSouth", "16", "/16 1ST PDOOR OPEN / NZAA YSSY 05 101822/TIME 1018\r\n/BR SET 1015\r\n/LOC S335646,E1511038",
     "Event report LOC", {{-(33 + 56.0 / 60 + 46.0 / 3600), 151 + 10.0 / 60 + 38.0 / 3600}}},
    {"posrptLabel80", "80",
     "3N01 POSRPT 0117/05 EGLL/KJFK .G-STBA\r\n/POS N52154W020458/ALT 350/MCH 084/FOB 0410/ETA 1745",
     "Airline POSRPT", {{52 + 15.4 / 60, -(20 + 45.8 / 60)}}},
    {"agfsrLabel4T", "4T",
     "AGFSR AC0851/05/05/YYZLHR/1015Z/621/5312.4N03015.6W/370/CRUISE/0412/0012/-52/260045/0480/122/480/0951/1611/****",
     "AGFSR position report", {{53 + 12.4 / 60, -(30 + 15.6 / 60)}}},
    {"label4NMinutes", "4N", "05024N  BOS  JFK1\r\n0013  0072 N041250 W072318   240",
     "4N position report", {{41 + 25.0 / 60, -(72 + 31.8 / 60)}}},
    {"label4NSigned", "4N",
     "285,B,69005074-507,12/05,+41.250,-072.530,35014,002.3,BOS,JFK,JFK,31L/,4R/,0,0,,,,,,0,0,0,0,1,,,,,247.0,014.2,261.2,1A2B",
     "4N position report decimal", {{41.25, -72.53}}},
    {"label4ACompact", "4A", "N51286W000270LHR/27R,101512370VECTORS,,P04,270045858,46904221",
     "4A position report", {{51 + 28.6 / 60, -(27.0 / 60)}}},
    {"label4ASatellitePrefix", "4A", "M22ABA0117N52154W020458BURAK ,101512370DOGAL ,103020,M52,270045858,46904221",
     "4A position report", {{52 + 15.4 / 60, -(20 + 45.8 / 60)}}},
    {"label4ADecimal", "4A", "101512,1320, 138,33467,N 51.477,W  0.461", "Position decimal", {{51.477, -0.461}}},
    {"label1LLongitudeFirst", "1L",
     "00012213200/GS 451500/DEP EGLL/DES KJFK/ETA 1745/GW 512/ALT 37002\r\n"
     "CAS 251/SAT - 56.0/FN BAW117/TFQ 61/DAY 05DEC26/UTC 101512\r\nLON W 20.458/LAT N 52.154/WD 270/WS  85",
     "1L position report", {{52.154, -20.458}}},
    {"label58", "58", "BA0117/05/101512/N52.154/W20.458/37002/N/", "58 position report", {{52.154, -20.458}}},
    {"label83Signed", "83", "EGLL,KJFK,051015, 52.15,- 20.46,37002,480, 270.0, 61200",
     "83 flight report", {{52.15, -20.46}}},
    {"label83Minutes", "83", "001PR05101512N5215.4W02045.8370020000", "83 position report",
     {{52 + 15.4 / 60, -(20 + 45.8 / 60)}}},
    {"icaoPosition", "H1", "(POS-BAW117 -5215N02046W/101512 F370\r\nRMK/FUEL 41.0 M0.84)",
     "ICAO position report", {{52 + 15.0 / 60, -(20 + 46.0 / 60)}}},
    {"icaoPositionDegrees", "5Z", "(POS-BAW117  -52N020W/101512 F370)", "ICAO position report degrees",
     {{52.0, -20.0}}},
};
// clang-format on

class FormatFamily : public ::testing::TestWithParam<FamilyCase> {};

TEST_P(FormatFamily, ReadsItsPositions)
{
    const FamilyCase& c = GetParam();
    const std::vector<DecodedPosition> got = Bundled().Match(c.label, c.content);
    ASSERT_EQ(got.size(), c.expected.size()) << c.content;
    for (std::size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].source, c.source);
        EXPECT_NEAR(got[i].lat, c.expected[i].lat, 1e-9);
        EXPECT_NEAR(got[i].lon, c.expected[i].lon, 1e-9);
        EXPECT_FALSE(got[i].altitudeFt.has_value());
    }
}

INSTANTIATE_TEST_SUITE_P(FormatTable, FormatFamily, ::testing::ValuesIn(kFamilies), test::CaseName());

TEST(FormatTable, BundledFormatsLeaveOtherMessagesAlone)
{
    EXPECT_TRUE(Bundled().Match("H1", "#DFBA32/1883/FUEL 120 OIL 14").empty());
    EXPECT_TRUE(Bundled().Match("30", "292208 29 EDI  CGN  P540250P0020756////255052").empty());
    // A format bound to label 80 does not read the same text under another label.
    EXPECT_TRUE(Bundled().Match("5Z", "/POS N52154W020458/ALT 350").empty());
    // No position: the 1L form with its fields missing.
    EXPECT_TRUE(Bundled().Match("1L", "LON MMMM.MMM/LAT MMMM.MMM/WD ---").empty());
}

// ---- the file's syntax -----------------------------------------------------------------------

constexpr const char* kGoodLine = "Good;H1;1:DMT;2:DMT;POS([NS]\\d{5})([EW]\\d{6})";

struct SyntaxCase {
    const char* name;
    std::string line;
    std::string reason;
};

const SyntaxCase kSyntax[] = {
    {"fourFields", "Name;H1;1:DMT;2:DMT", "not NAME;LABELS;LATITUDE;LONGITUDE;PATTERN"},
    {"noSeparators", "just some words", "not NAME;LABELS;LATITUDE;LONGITUDE;PATTERN"},
    {"emptyName", " ;H1;1:DMT;2:DMT;POS([NS]\\d{5})([EW]\\d{6})", "the name is empty"},
    {"threeCharacterLabel", "X;H11;1:DMT;2:DMT;([NS]\\d{5})([EW]\\d{6})", "label \"H11\" is not two characters"},
    {"groupNotANumber", "X;;one:DMT;2:DMT;([NS]\\d{5})([EW]\\d{6})",
     "latitude \"one:DMT\" is not GROUP:NOTATION (for example 1:DMT)"},
    {"noColon", "X;;1:DMT;2;([NS]\\d{5})([EW]\\d{6})", "longitude \"2\" is not GROUP:NOTATION (for example 1:DMT)"},
    {"groupZero", "X;;0:DMT;2:DMT;([NS]\\d{5})([EW]\\d{6})", "latitude group 0 is not 1 to 99"},
    {"unknownNotation", "X;;1:DMX;2:DMT;([NS]\\d{5})([EW]\\d{6})",
     "latitude notation \"DMX\" is unknown (DEC, DECn, DM, DMn, DMT, DMS)"},
    {"emptyPattern", "X;;1:DMT;2:DMT;   ", "the pattern is empty"},
    {"badPattern", "X;;1:DMT;2:DMT;POS([NS]\\d{5}", "the pattern is not a valid regular expression"},
    {"groupBeyondPattern", "X;;1:DMT;3:DMT;([NS]\\d{5})([EW]\\d{6})", "group 3 named, but the pattern has 2"},
    {"tooLong", "X;;1:DMT;2:DMT;" + std::string(5000, 'A'), "longer than 4096 characters"},
};

class FormatSyntax : public ::testing::TestWithParam<SyntaxCase> {};

TEST_P(FormatSyntax, BadLineIsNamedAndSkippedTheRestWorks)
{
    std::vector<std::string> errors;
    const std::string text = "!formats\r\n\r\n" + GetParam().line + "\r\n" + kGoodLine + "\r\n";
    const FormatTable table = FormatTable::Parse(text, "formats.wdf", errors);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "formats.wdf line 3: " + GetParam().reason + "; line skipped");
    ASSERT_EQ(table.formats().size(), 1u);
    EXPECT_EQ(table.formats()[0].line, 4u);
    const std::vector<DecodedPosition> got = table.Match("H1", "POSN51286W000270,");
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].source, "Good");
}

INSTANTIATE_TEST_SUITE_P(FormatTable, FormatSyntax, ::testing::ValuesIn(kSyntax), test::CaseName());

TEST(FormatTable, FieldsLabelsAndLineEnds)
{
    std::vector<std::string> errors;
    // LF and CR line ends, blanks around fields, labels split by blanks, a ";" in the pattern.
    const FormatTable table = FormatTable::Parse(
        "  ! indented comment\n Semi ; 80 H1 ;1:DEC ; 2 : dec ;([NS]\\d+\\.\\d+);([EW]\\d+\\.\\d+) \rX;;9;9;x\n",
        "f.wdf", errors);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].rfind("f.wdf line 3: ", 0), 0u) << errors[0];
    ASSERT_EQ(table.formats().size(), 1u);
    const PositionFormat& f = table.formats()[0];
    EXPECT_EQ(f.name, "Semi");
    EXPECT_EQ(f.labels, (std::vector<std::string>{"80", "H1"}));
    EXPECT_EQ(f.pattern.Pattern, "([NS]\\d+\\.\\d+);([EW]\\d+\\.\\d+)");
    const std::vector<DecodedPosition> got = table.Match("H1", "A N51.5;W0.5 B S1.25;E2.5");
    ASSERT_EQ(got.size(), 2u);
    EXPECT_DOUBLE_EQ(got[1].lat, -1.25);
    EXPECT_DOUBLE_EQ(got[1].lon, 2.5);
    EXPECT_TRUE(table.Match("20", "N51.5;W0.5").empty());
}

TEST(FormatTable, FirstFittingFormatWinsAndUnreadableMatchesFallThrough)
{
    std::vector<std::string> errors;
    const FormatTable table = FormatTable::Parse(
        "Minutes;;1:DM;2:DM;P(\\d{4}[NS])(\\d{5}[EW])\r\n"
        "Hundredths;;1:DEC2;2:DEC2;P(\\d{4}[NS])(\\d{5}[EW])\r\n"
        "Later;;1:DEC;2:DEC;Q(\\d+[NS])(\\d+[EW])\r\n",
        "f.wdf", errors);
    ASSERT_TRUE(errors.empty());
    // Both of the first two fit: the first one in the file gives the positions.
    std::vector<DecodedPosition> got = table.Match("H1", "P5130N00030W Q10N20E");
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].source, "Minutes");
    EXPECT_DOUBLE_EQ(got[0].lat, 51.5);
    EXPECT_DOUBLE_EQ(got[0].lon, -0.5);
    // 75 minutes is no position in minutes: the next format reads it.
    got = table.Match("H1", "P5175N00030W");
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].source, "Hundredths");
    EXPECT_DOUBLE_EQ(got[0].lat, 51.75);
    EXPECT_DOUBLE_EQ(got[0].lon, -0.3);
    // Neither reads 95 degrees; the last format finds nothing.
    EXPECT_TRUE(table.Match("H1", "P9575N00030W").empty());
}

TEST(FormatTable, LoadMissingFileIsEmptyAndSilent)
{
    test::TempHome home;
    std::vector<std::string> errors;
    EXPECT_TRUE(FormatTable::Load(home.path() / "formats.wdf", errors).formats().empty());
    EXPECT_TRUE(errors.empty());
}

TEST(FormatTable, LoadUnreadableFileGivesOneMessage)
{
    test::TempHome home;
    std::filesystem::create_directory(home.path() / "formats.wdf");
    std::vector<std::string> errors;
    EXPECT_TRUE(FormatTable::Load(home.path() / "formats.wdf", errors).formats().empty());
    EXPECT_EQ(errors, (std::vector<std::string>{"formats.wdf: cannot be read; no formats used"}));
}

TEST(FormatTable, LoadNamesTheFileInItsMessages)
{
    test::TempHome home;
    home.Write("formats.wdf", "Broken;;1:DMT;2:DMT;(\r\n");
    std::vector<std::string> errors;
    FormatTable::Load(home.path() / "formats.wdf", errors);
    EXPECT_EQ(
        errors,
        (std::vector<std::string>{"formats.wdf line 1: the pattern is not a valid regular expression; line skipped"}));
}

}  // namespace
}  // namespace korval

namespace korval {
namespace {

// ---- the text every match begins with, which spares the pattern a message without it ------------

struct PrefixCase {
    const char* name;
    const char* pattern;
    const char* prefix;
};

class FormatPrefix : public ::testing::TestWithParam<PrefixCase> {};

TEST_P(FormatPrefix, IsTheLeadingLiteralThatNoQuantifierMakesOptional)
{
    EXPECT_EQ(RequiredPrefix(GetParam().pattern), GetParam().prefix);
}

INSTANTIATE_TEST_SUITE_P(FormatTable, FormatPrefix,
                         ::testing::Values(PrefixCase{"plain", "POS([NS]\\d{5})", "POS"},
                                           PrefixCase{"quantifiedBlank", "FM3 ?\\d{4,6},", "FM3"},
                                           PrefixCase{"blankKept", "/LOC ([NS]\\d{6})", "/LOC "},
                                           PrefixCase{"escapedParenthesis", "\\(POS-[A-Z0-9]+", "(POS-"},
                                           PrefixCase{"escapedClassLetter", "\\d{3}PR", ""},
                                           PrefixCase{"starOnLast", "ABC*D", "AB"},
                                           PrefixCase{"lookBehindFirst", "(?<!\\d)([NS] ?\\d{6})", ""},
                                           PrefixCase{"anchor", "^M\\d{2}", ""},
                                           PrefixCase{"topLevelAlternation", "POS(\\d)|FIX(\\d)", ""},
                                           PrefixCase{"alternationInAGroup", "POS(N|S)(\\d)", "POS"},
                                           PrefixCase{"barInAClass", "POS[|](\\d)", "POS"}),
                         [](const auto& param) { return std::string(param.param.name); });

// The prefix only spares work: every format of the bundled file reads what it read without it.
TEST(FormatTable, PrefixesOfTheBundledFileAreInTheirFamiliesMessages)
{
    for (const FamilyCase& c : kFamilies) {
        const std::vector<DecodedPosition> got = Bundled().Match(c.label, c.content);
        ASSERT_FALSE(got.empty()) << c.name;
        for (const PositionFormat& f : Bundled().formats())
            if (f.name == got.front().source) {
                EXPECT_NE(std::string_view(c.content).find(f.prefix), std::string_view::npos) << c.name;
            }
    }
}

}  // namespace
}  // namespace korval
