// A link text longer than a link box holds is refused whole, with one error-log entry and a
// count, and the next text is processed as usual.
#include <gtest/gtest.h>

#include <string>

#include "station/events.h"
#include "test_support.h"

namespace korval {
namespace {

using test::Canonical;
using test::Rig;

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
    const char* event;
};

constexpr SourceCase kSources[] = {
    {"airmaster", LinkBox::AirData, &Station::AirData, "AirData_Change"},
    {"skyspy", LinkBox::SkyData, &Station::SkyData, "SkyData_Change"},
    {"anad", LinkBox::ANAData, &Station::ANAData, "ANAData_Change"},
    {"hfdl", LinkBox::HFDL, &Station::HFDL, "HFDL_Change"},
    {"hfacars", LinkBox::HFACARSData, &Station::HFACARSData, "HFACARSData_Change"},
    {"other", LinkBox::txtNewData, &Station::txtNewData, "txtNewData_Change"},
};

class Ceiling : public ::testing::TestWithParam<SourceCase> {};

TEST_P(Ceiling, OneMebibyteIsRefusedWithOneEntryAndTheNextTextGoesOn)
{
    Rig rig;
    Station& s = rig.station;
    int counters = 0;
    s.Subscribe([&](ChangeFlags what) { counters += (what & ChangeCounters) ? 1 : 0; });
    s.*GetParam().store = "before";

    OnLinkText(s, GetParam().box, std::string(1 << 20, 'X'));

    EXPECT_EQ(s.*GetParam().store, "before");  // the box keeps what it had
    EXPECT_EQ(s.box.LiveData.Text, "");
    EXPECT_EQ(s.RefusedTexts, 1);
    EXPECT_EQ(counters, 1);
    const std::string event = GetParam().event;
    const std::string source = event.substr(0, event.find('_'));  // the box: "AirData" of "AirData_Change"
    EXPECT_EQ(rig.home.Read("Logs/ErrorLog .txt"),
              "Error: 6 (Text of 1048576 characters from " + source +
                  " refused; a link text holds at most 65535) at line 0 in procedure " + event +
                  " of Module ACARS\r\n\r\n");

    OnLinkText(s, GetParam().box, "next");
    EXPECT_EQ(s.*GetParam().store, "next");
    EXPECT_EQ(s.RefusedTexts, 1);
}

INSTANTIATE_TEST_SUITE_P(Events, Ceiling, ::testing::ValuesIn(kSources),
                         [](const auto& param) { return std::string(param.param.name); });

struct LengthCase {
    const char* name;
    std::size_t length;
    bool processed;
};

class CeilingLength : public ::testing::TestWithParam<LengthCase> {};

TEST_P(CeilingLength, TextsUpToTheLimitAreProcessed)
{
    Rig rig;
    Station& s = rig.station;
    const std::string text = DownlinkOf(GetParam().length);
    OnLinkText(s, LinkBox::AirData, text);
    EXPECT_EQ(s.box.LiveData.Text == text, GetParam().processed);
    EXPECT_EQ(s.RefusedTexts, GetParam().processed ? 0 : 1);
    EXPECT_EQ(rig.home.Exists("Logs/ErrorLog .txt"), !GetParam().processed);
}

INSTANTIATE_TEST_SUITE_P(Events, CeilingLength,
                         ::testing::Values(LengthCase{"Ordinary", 300, true}, LengthCase{"AtTheLimit", 65535, true},
                                           LengthCase{"OneOver", 65536, false}),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(Ceiling, EveryRefusalIsCounted)
{
    Rig rig;
    for (int i = 0; i < 3; ++i) OnLinkText(rig.station, LinkBox::SkyData, std::string(70000, 'A'));
    OnLinkText(rig.station, LinkBox::SkyData, DownlinkOf(200));
    EXPECT_EQ(rig.station.RefusedTexts, 3);
    EXPECT_EQ(rig.station.box.Aircraft.Text, "D-ALCA");
}

}  // namespace
}  // namespace korval
