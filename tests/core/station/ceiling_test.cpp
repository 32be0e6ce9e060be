// A link text longer than a link box holds is refused whole, with one error-log entry and a
// count, and the next text is processed as usual.
#include <gtest/gtest.h>

#include <string>

#include "station/events.h"
#include "test_support.h"

namespace korval {
namespace {

using korval::test::PrintTo;
using test::Canonical;
using test::Rig;

const std::string kDown = Canonical(".D-ALCA", "5Z", '2', "M20A", "LH8400", "HELLO THERE\r\n");

// A downlink of exactly `length` characters: canonical header, then blank content.
std::string DownlinkOf(std::size_t length)
{
    std::string m = Canonical(".D-ALCA", "5Z", '2', "M20A", "LH8400", "");
    m.resize(length, ' ');
    return m;
}

struct SourceCase {
    const char* name;
    LinkBox box;
    std::string Station::*store;
    const char* source;  // the box, as the error log names it
    bool chained;        // a canonical text passes its normaliser unchanged into the boxes
};

// HFACARS text gets CR before every LF, and an ACARS text is no HFDL record.
constexpr SourceCase kSources[] = {
    {"airmaster", LinkBox::AirData, &Station::AirData, "AirData", true},
    {"skyspy", LinkBox::SkyData, &Station::SkyData, "SkyData", true},
    {"anad", LinkBox::ANAData, &Station::ANAData, "ANAData", true},
    {"hfdl", LinkBox::HFDL, &Station::HFDL, "HFDL", false},
    {"hfacars", LinkBox::HFACARSData, &Station::HFACARSData, "HFACARSData", false},
    {"other", LinkBox::txtNewData, &Station::txtNewData, "txtNewData", true},
};

class Ceiling : public ::testing::TestWithParam<SourceCase> {};

TEST_P(Ceiling, OneMebibyteIsRefusedWithOneEntryAndTheNextTextGoesOn)
{
    const SourceCase& c = GetParam();
    Rig rig;
    Station& s = rig.station;
    int counters = 0;
    s.Subscribe([&](ChangeFlags what) { counters += (what & ChangeCounters) ? 1 : 0; });
    s.*c.store = "before";

    OnLinkText(s, c.box, std::string(1 << 20, 'X'));

    EXPECT_EQ(s.*c.store, "before");  // the box keeps what it had
    EXPECT_EQ(s.box.LiveData.Text, "");
    EXPECT_EQ(s.RefusedTexts, 1);
    EXPECT_EQ(counters, 1);
    EXPECT_EQ(rig.home.Read("Logs/ErrorLog .txt"),
              "Error: 6 (Text of 1048576 characters from " + std::string(c.source) +
                  " refused; a link text holds at most 65535) at line 0 in procedure " + c.source +
                  "_Change of Module ACARS\r\n\r\n");

    OnLinkText(s, c.box, kDown);  // lands in its box and runs that box's chain
    EXPECT_EQ(s.*c.store, kDown);
    EXPECT_EQ(s.box.LiveData.Text == kDown, c.chained);
    EXPECT_EQ(s.RefusedTexts, 1);
}

INSTANTIATE_TEST_SUITE_P(Events, Ceiling, ::testing::ValuesIn(kSources), test::CaseName());

TEST(Ceiling, TextsUpToTheLimitAreProcessedAndEveryRefusalIsCounted)
{
    Rig rig;
    Station& s = rig.station;
    const std::string atLimit = DownlinkOf(65535);
    OnLinkText(s, LinkBox::SkyData, atLimit);
    EXPECT_EQ(s.box.LiveData.Text, atLimit);
    EXPECT_FALSE(rig.home.Exists("Logs/ErrorLog .txt"));
    for (int i = 0; i < 3; ++i) OnLinkText(s, LinkBox::SkyData, DownlinkOf(65536));
    EXPECT_EQ(s.RefusedTexts, 3);
    EXPECT_EQ(s.box.LiveData.Text, atLimit);  // a refused text reaches nothing
}

}  // namespace
}  // namespace korval
