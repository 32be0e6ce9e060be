#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "decode/format_table.h"
#include "positions_text.h"
#include "test_support.h"

namespace korval {
namespace {

using korval::test::PrintTo;
std::vector<std::string> bundledErrors;  // the bundled file has none
const FormatTable& Bundled()
{
    static const FormatTable table =
        FormatTable::Load(std::filesystem::path(KORVAL_SOURCE_DIR) / "data" / "formats.wdf", bundledErrors);
    return table;
}

// ---- one message per family, written from its public description ----------------------------
// The families the message chain's own tests send (FMC, POS decimal, seconds, hundredths, FM3,
// LOC, POSRPT, AGFSR, 4N, 58, ICAO, several points) are not repeated here.

struct FamilyCase {
    const char* name;
    const char* label;
    const char* content;
    const char* expected;  // the positions, worked out by hand from the notation
};

// clang-format off
const FamilyCase kFamilies[] = {
    {"fm5OnLabel2P", "2P", "FM5 EIDW,OMAA,101522,1540,+46.210, +20.955,35002,116.24,502 ,36900,ETD46 ,",
     "FM5 flight report 46.21,20.955; "},
    // 33 + 56/60 + 46/3600 = 33.9461111; 151 + 10/60 + 38/3600 = 151.177222.
    {"inEventLocSouth", "16", "/16 1ST PDOOR OPEN / NZAA YSSY 05 101822/TIME 1018\r\n/BR SET 1015\r\n/LOC S335646,E1511038",
     "Event report LOC -33.9461111,151.177222; "},
    {"label4NSigned", "4N",
     "285,B,69005074-507,12/05,+41.250,-072.530,35014,002.3,BOS,JFK,JFK,31L/,4R/,0,0,,,,,,0,0,0,0,1,,,,,247.0,014.2,261.2,1A2B",
     "4N position report decimal 41.25,-72.53; "},
    // 52 + 15.4/60 = 52.2566667; 20 + 45.8/60 = 20.7633333.
    {"label4ASatellitePrefix", "4A", "M22ABA0117N52154W020458BURAK ,101512370DOGAL ,103020,M52,270045858,46904221",
     "4A position report 52.2566667,-20.7633333; "},
    {"label1LLongitudeFirst", "1L",
     "00012213200/GS 451500/DEP EGLL/DES KJFK/ETA 1745/GW 512/ALT 37002\r\n"
     "CAS 251/SAT - 56.0/FN BAW117/TFQ 61/DAY 05DEC26/UTC 101512\r\nLON W 20.458/LAT N 52.154/WD 270/WS  85",
     "1L position report 52.154,-20.458; "},
    {"label83Minutes", "83", "001PR05101512N5215.4W02045.8370020000", "83 position report 52.2566667,-20.7633333; "},
    {"icaoPositionDegrees", "5Z", "(POS-BAW117  -52N020W/101512 F370)", "ICAO position report degrees 52,-20; "},
    // Other messages are left alone: no format fits, a format bound to label 80 does not read the
    // same text under another label, the 1L form with its fields missing holds no position.
    {"noFormatFits", "H1", "#DFBA32/1883/FUEL 120 OIL 14", ""},
    {"label80FormUnderOtherLabel", "5Z", "/POS N52154W020458/ALT 350", ""},
    {"label1LFieldsMissing", "1L", "LON MMMM.MMM/LAT MMMM.MMM/WD ---", ""},
};
// clang-format on

class FormatFamily : public ::testing::TestWithParam<FamilyCase> {};

// No altitude: the table reads positions only.
TEST_P(FormatFamily, ReadsItsPositions)
{
    EXPECT_EQ(test::PositionsText(Bundled().Match(GetParam().label, GetParam().content)), GetParam().expected);
    EXPECT_EQ(bundledErrors, std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(FormatTable, FormatFamily, ::testing::ValuesIn(kFamilies), test::CaseName());

// ---- the file's syntax -----------------------------------------------------------------------

constexpr const char* kGoodLine = "Good;H1;1:DMT;2:DMT;POS([NS]\\d{5})([EW]\\d{6})";

struct SyntaxCase {
    const char* name;
    std::string line;
    std::string reason;
};

const SyntaxCase kSyntax[] = {
    {"fourFields", "Name;H1;1:DMT;2:DMT", "not NAME;LABELS;LATITUDE;LONGITUDE;PATTERN"},
    {"threeCharacterLabel", "X;H11;1:DMT;2:DMT;([NS]\\d{5})([EW]\\d{6})", "label \"H11\" is not two characters"},
    {"unknownNotation", "X;;1:DMX;2:DMT;([NS]\\d{5})([EW]\\d{6})",
     "latitude notation \"DMX\" is unknown (DEC, DECn, DM, DMn, DMT, DMS)"},
    {"badPattern", "X;;1:DMT;2:DMT;POS([NS]\\d{5}", "the pattern is not a valid regular expression"},
    {"groupBeyondPattern", "X;;1:DMT;3:DMT;([NS]\\d{5})([EW]\\d{6})", "group 3 named, but the pattern has 2"},
    {"tooLong", "X;;1:DMT;2:DMT;" + std::string(5000, 'A'), "longer than 4096 characters"},
};

class FormatSyntax : public ::testing::TestWithParam<SyntaxCase> {};

TEST_P(FormatSyntax, BadLineIsNamedAndSkippedTheRestWorks)
{
    std::vector<std::string> errors;
    const FormatTable table =
        FormatTable::Parse("!formats\r\n\r\n" + GetParam().line + "\r\n" + kGoodLine + "\r\n", "formats.wdf", errors);
    EXPECT_EQ(errors, std::vector<std::string>{"formats.wdf line 3: " + GetParam().reason + "; line skipped"});
    EXPECT_EQ(table.formats().at(0).line, 4u);
    // 51 degrees 28.6 minutes, 0 degrees 27.0 minutes west.
    EXPECT_EQ(test::PositionsText(table.Match("H1", "POSN51286W000270,")), "Good 51.4766667,-0.45; ");
}

INSTANTIATE_TEST_SUITE_P(FormatTable, FormatSyntax, ::testing::ValuesIn(kSyntax), test::CaseName());

TEST(FormatTable, FieldsLabelsLineEndsAndOrder)
{
    std::vector<std::string> errors;
    // LF and CR line ends, blanks around fields, labels split by blanks, a ";" in the pattern.
    const FormatTable table = FormatTable::Parse(
        "  ! indented comment\n Semi ; 80 H1 ;1:DEC ; 2 : dec ;([NS]\\d+\\.\\d+);([EW]\\d+\\.\\d+) \rX;;9;9;x\n"
        "Minutes;;1:DM;2:DM;P(\\d{4}[NS])(\\d{5}[EW])\r\n"
        "Hundredths;;1:DEC2;2:DEC2;P(\\d{4}[NS])(\\d{5}[EW])\r\n"
        "Later;;1:DEC;2:DEC;Q(\\d+[NS])(\\d+[EW])\r\n",
        "f.wdf", errors);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].rfind("f.wdf line 3: ", 0), 0u) << errors[0];
    EXPECT_EQ(table.formats().at(0).labels, (std::vector<std::string>{"80", "H1"}));
    EXPECT_EQ(test::PositionsText(table.Match("H1", "A N51.5;W0.5 B S1.25;E2.5")), "Semi 51.5,-0.5; Semi -1.25,2.5; ");
    // Both Minutes and Hundredths fit: the first one in the file gives the positions.
    EXPECT_EQ(test::PositionsText(table.Match("H1", "P5130N00030W Q10N20E")), "Minutes 51.5,-0.5; ");
    // 75 minutes is no position in minutes: the next format reads it.
    EXPECT_EQ(test::PositionsText(table.Match("H1", "P5175N00030W")), "Hundredths 51.75,-0.3; ");
    // Neither reads 95 degrees; the last format finds nothing.
    EXPECT_TRUE(table.Match("H1", "P9575N00030W").empty());
}

TEST(FormatTable, LoadMissingFileIsSilentAndUnreadableGivesOneMessage)
{
    test::TempHome home;
    std::vector<std::string> errors;
    EXPECT_TRUE(FormatTable::Load(home.path() / "formats.wdf", errors).formats().empty());
    EXPECT_TRUE(errors.empty());
    std::filesystem::create_directory(home.path() / "formats.wdf");
    EXPECT_TRUE(FormatTable::Load(home.path() / "formats.wdf", errors).formats().empty());
    EXPECT_EQ(errors, (std::vector<std::string>{"formats.wdf: cannot be read; no formats used"}));
}

// ---- the text every match begins with, which spares the pattern a message without it ------------

TEST(FormatTable, RequiredPrefixIsTheLeadingLiteralThatNoQuantifierMakesOptional)
{
    struct Row {
        const char *name, *pattern, *prefix;
    };
    for (const Row& r :
         {Row{"quantifiedBlank", "FM3 ?\\d{4,6},", "FM3"}, Row{"blankKept", "/LOC ([NS]\\d{6})", "/LOC "},
          Row{"escapedParenthesis", "\\(POS-[A-Z0-9]+", "(POS-"}, Row{"escapedClassLetter", "\\d{3}PR", ""},
          Row{"topLevelAlternation", "POS(\\d)|FIX(\\d)", ""}, Row{"alternationInAGroup", "POS(N|S)(\\d)", "POS"},
          Row{"barInAClass", "POS[|](\\d)", "POS"}})
        EXPECT_EQ(RequiredPrefix(r.pattern), r.prefix) << r.name;
}

}  // namespace
}  // namespace korval
