#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "bridge_sbs.h"
#include "test_support.h"
#include "text/fields.h"

namespace korval::bridge {
namespace {

using korval::test::PrintTo;
using Drops = std::map<std::string, long long>;

constexpr std::int64_t kNow = 1796472000;  // 2026-12-05 12:00:00 UTC

// A BaseStation MSG line as dump1090 writes it (22 fields).
std::string Msg(int type, const std::string& icao, const std::string& callsign, const std::string& altitude,
                const std::string& lat, const std::string& lon)
{
    return "MSG," + std::to_string(type) + ",1,1," + icao + ",1,2026/12/05,11:58:42.123,2026/12/05,11:58:42.125," +
           callsign + "," + altitude + ",451,87," + lat + "," + lon + ",0,,0,0,0,0\r\n";
}

struct Fed {
    std::vector<Message> out;
    Counters counters;
};

Fed Feed(SbsConverter& sbs, const std::string& bytes, double steady = 0)
{
    Fed r;
    sbs.Feed(bytes, steady, kNow, r.out, r.counters);
    return r;
}

struct LineCase {
    const char* name;
    std::string bytes;
    long long published;
    std::string piece;  // a piece of the last report published
    std::string drops;  // "reason count, ..." in the order of the reasons' names
};

class SbsLines : public ::testing::TestWithParam<LineCase> {};

TEST_P(SbsLines, AreConvertedOrDroppedWithTheirReason)
{
    const LineCase& c = GetParam();
    SbsConverter sbs;
    Fed r = Feed(sbs, c.bytes);
    ASSERT_EQ(static_cast<long long>(r.out.size()), c.published) << r.counters.Summary();
    if (!r.out.empty()) {
        EXPECT_NE(r.out.back().text.find(c.piece), std::string::npos) << r.out.back().text;
    }
    std::string drops;
    for (const auto& [reason, n] : r.counters.dropped)
        drops += (drops.empty() ? "" : ", ") + reason + " " + std::to_string(n);
    EXPECT_EQ(drops, c.drops);
    EXPECT_EQ(r.counters.received, c.published + r.counters.DroppedTotal());
}

INSTANTIATE_TEST_SUITE_P(
    Bridge, SbsLines,
    ::testing::Values(
        LineCase{"addressInCapitalsCallsignWithoutPadding",
                 Msg(3, "4ca123", "EIN123@@", "35000H", "53.12345", "-6.54321"), 1,
                 "report 4CA123 EIN123\r\nN53.12345E-6.54321 FL35000 ft\r\n", ""},
        // The callsign (six characters of it fit the flight id) and the altitude of other records
        // go with the next position.
        LineCase{"callsignAndAltitudeOfOtherRecords",
                 Msg(1, "4CA123", "EIN12AB ", "", "", "") + Msg(5, "4CA123", "", "24975", "", "") +
                     Msg(3, "4CA123", "", "", "53.1", "-6.5"),
                 1,
                 "Flight id: EIN12A\r\nMessage content:-\r\nSBS-1 position report 4CA123 EIN12AB\r\n"
                 "N53.10000E-6.50000 FL24975 ft\r\n",
                 "not an airborne position 2"},
        LineCase{"roundsAwayTheSignOfZero", Msg(3, "4CA123", "", "0", "-0.000001", "-0.000004"), 1,
                 "\r\nN0.00000E0.00000 FL0 ft\r\n", ""},
        LineCase{"belowSeaLevelHasNoLevel", Msg(3, "4CA123", "", "-1200", "31.5", "35.5"), 1,
                 "\r\nN31.50000E35.50000\r\n", ""},
        LineCase{"noAltitude", Msg(3, "4CA123", "", "", "51.5", "-0.1"), 1, "\r\nN51.50000E-0.10000\r\n", ""},
        LineCase{"heartbeats", "\r\n\n   \r\n", 0, "", ""},
        LineCase{"tenFields", "MSG,3,1,1,4CA123,1,2026/12/05,11:58:42.123,2026/12/05,11:58:42.125\r\n", 0, "",
                 "too few fields 1"},
        LineCase{"identification", Msg(1, "4CA123", "EIN123", "", "", ""), 0, "", "not an airborne position 1"},
        LineCase{"positionMissing", Msg(3, "4CA123", "", "35000", "", ""), 0, "", "no position 1"},
        LineCase{"nonIcaoAddress", Msg(3, "~4CA12", "", "35000", "53.1", "-6.5"), 0, "", "not an ICAO address 1"},
        LineCase{"badAltitude", Msg(3, "4CA123", "", "35x00", "53.1", "-6.5"), 0, "", "bad altitude 1"},
        LineCase{"badLatitude", Msg(3, "4CA123", "", "35000", "53.1x", "-6.5"), 0, "", "bad position 1"},
        LineCase{"latitudeOutOfRange", Msg(3, "4CA123", "", "35000", "95.0", "-6.5"), 0, "", "position out of range 1"},
        LineCase{"binary", std::string("\x00\xff\xfe,3,\x01\r\n", 9), 0, "", "not a MSG record 1"},
        LineCase{"overLongLine", std::string(3000, 'M') + "\r\n" + Msg(3, "4CA123", "", "35000", "53.1", "-6.5"), 1,
                 "4CA123", "line over 1024 bytes 1"}),
    test::CaseName());

TEST(Sbs, RateLimitKeepsOneReportPerAircraftPerInterval)
{
    SbsConverter sbs(SbsOptions{5});
    Counters counters;
    std::vector<Message> out;
    for (double t : {0.0, 1.0, 4.9, 5.0, 9.0, 10.0}) {
        sbs.Feed(Msg(3, "4CA123", "", "35000", "53.1", "-6.5"), t, kNow, out, counters);
        sbs.Feed(Msg(3, "400AE7", "", "35000", "51.1", "-1.5"), t, kNow, out, counters);
    }
    EXPECT_EQ(out.size(), 6u);  // each at 0, 5 and 10 s
    EXPECT_EQ(counters.dropped, (Drops{{"rate limit", 6}}));
    std::vector<std::string> numbers;
    for (const Message& m : out) numbers.push_back(fields::MessageNumber(m.text));
    EXPECT_EQ(numbers, (std::vector<std::string>{"0001", "0002", "0003", "0004", "0005", "0006"}));

    SbsConverter every(SbsOptions{0});
    out.clear();
    for (int i = 0; i < 3; ++i) every.Feed(Msg(3, "4CA123", "", "35000", "53.1", "-6.5"), 0, kNow, out, counters);
    EXPECT_EQ(out.size(), 3u);
}

// A report that would bring KORVAL the aircraft's first callsign or altitude is not held back
// by the rate limit; once they are known, the limit holds again.
TEST(Sbs, RateLimitLetsThroughTheFirstCallsignAndAltitude)
{
    SbsConverter sbs(SbsOptions{5});
    Counters counters;
    std::vector<Message> out;
    auto feed = [&](const std::string& line, double t) { sbs.Feed(line, t, kNow, out, counters); };
    feed(Msg(3, "4CA123", "", "", "53.1", "-6.5"), 0);        // published: neither known yet
    feed(Msg(1, "4CA123", "EIN123", "", "", ""), 1);          // the callsign, no position
    feed(Msg(3, "4CA123", "", "", "53.2", "-6.5"), 2);        // published: brings the callsign
    feed(Msg(3, "4CA123", "", "", "53.3", "-6.5"), 3);        // held back
    feed(Msg(3, "4CA123", "", "35000", "53.4", "-6.5"), 4);   // published: brings the altitude
    feed(Msg(3, "4CA123", "", "35100", "53.5", "-6.5"), 5);   // held back: only a new altitude
    feed(Msg(3, "4CA123", "EIN124", "", "53.6", "-6.5"), 6);  // held back: only a new callsign
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(fields::FlightField(out[0].text), "      ");
    EXPECT_EQ(fields::FlightField(out[1].text), "EIN123");
    EXPECT_NE(out[2].text.find("N53.40000E-6.50000 FL35000 ft"), std::string::npos) << out[2].text;
    EXPECT_EQ(counters.dropped, (Drops{{"not an airborne position", 1}, {"rate limit", 3}}));
}

TEST(Sbs, LinesSplitAcrossReadsAreJoinedAndACutLineIsDroppedOnClose)
{
    SbsConverter sbs;
    const std::string line = Msg(3, "4CA123", "EIN123", "35000", "53.1", "-6.5");
    Counters counters;
    std::vector<Message> out;
    for (char c : line) sbs.Feed(std::string(1, c), 0, kNow, out, counters);
    EXPECT_EQ(out.size(), 1u);

    sbs.Feed(line.substr(0, 40), 10, kNow, out, counters);
    sbs.Close(counters);
    EXPECT_EQ(counters.dropped, (Drops{{"line cut short by the connection", 1}}));
    sbs.Feed(line.substr(40), 20, kNow, out, counters);  // a new connection: the old half is gone
    EXPECT_EQ(out.size(), 1u);
    EXPECT_EQ(counters.dropped.at("not a MSG record"), 1);
    EXPECT_EQ(counters.received, static_cast<long long>(out.size()) + counters.DroppedTotal());
}

TEST(Sbs, SilentAircraftAreForgotten)
{
    SbsConverter sbs(SbsOptions{5, 1024, 600});
    Feed(sbs, Msg(1, "4CA123", "EIN123", "", "", ""), 0);
    Feed(sbs, Msg(1, "400AE7", "BAW1", "", "", ""), 500);
    EXPECT_EQ(sbs.Tracked(), 2u);
    Fed r = Feed(sbs, Msg(3, "400AE7", "", "35000", "51.1", "-1.5"), 700);
    EXPECT_EQ(sbs.Tracked(), 1u);
    ASSERT_EQ(r.out.size(), 1u);
    EXPECT_EQ(fields::FlightField(r.out[0].text), "BAW1  ");
}

}  // namespace
}  // namespace korval::bridge
