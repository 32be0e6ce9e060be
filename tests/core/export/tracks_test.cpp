#include <gtest/gtest.h>

#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "export/tracks.h"
#include "test_support.h"

namespace korval::test {
namespace {

using korval::test::PrintTo;
using Line = std::vector<LatLon>;

// Positions as "lat/lon lat/lon" in thousandths, the parts of a cut line joined by " | ".
std::string Text(const Line& line)
{
    std::string out;
    for (const LatLon& p : line) out += (out.empty() ? "" : " ") + std::to_string(p.lat) + "/" + std::to_string(p.lon);
    return out;
}
std::string Text(const std::vector<Line>& parts)
{
    std::string out;
    for (const Line& l : parts) out += (out.empty() ? "" : " | ") + Text(l);
    return out;
}
// The features as "name: positions", one a line.
std::string Text(const TrackSet& set)
{
    std::string out;
    for (const TrackFeature& f : set.features) out += f.name + ": " + Text(f.points) + "\n";
    return out;
}

struct SplitCase {
    const char* name;
    Line line;
    const char* parts;
};

class SplitAtAntimeridianCase : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitAtAntimeridianCase, CutsWhereTheShortWayCrosses)
{
    EXPECT_EQ(Text(SplitAtAntimeridian(GetParam().line)), GetParam().parts);
}

// Crossing latitudes by hand: from 178 W westbound to 179 E is 3 degrees, the meridian two thirds
// of the way: 11 - 2/3 of a degree is 10.333. (The replay's eastbound crossing is pinned there.)
INSTANTIATE_TEST_SUITE_P(
    Export, SplitAtAntimeridianCase,
    ::testing::Values(SplitCase{"westbound",
                                {{11000, -178000}, {10000, 179000}},
                                "11000/-178000 10333/-180000 | 10333/180000 10000/179000"},
                      // Exactly half the globe apart: either way is as short; the line is left whole.
                      SplitCase{"halfTheGlobe", {{0, 90000}, {0, -90000}}, "0/90000 0/-90000"},
                      // Ending on the meridian: the far side holds no second position, so it is dropped.
                      SplitCase{"endsOnTheMeridian", {{20000, 179000}, {21000, -180000}}, "20000/179000 21000/180000"},
                      SplitCase{
                          "twiceAcross",
                          {{0, 179000}, {2000, -179000}, {4000, 179000}},
                          "0/179000 1000/180000 | 1000/-180000 2000/-179000 3000/-180000 | 3000/180000 4000/179000"},
                      SplitCase{"onePosition", {{5000, 5000}, {5000, 5000}}, ""}),
    test::CaseName());

void AddSegment(Station& s, const char* id, const char* from, const char* to, std::int16_t style = 0)
{
    s.RouteLineCol.Add(std::make_shared<RouteLine>(RouteLine{to, from, "", "", style, id}));
}

// Segments of one ID and style that join end to start make one line; the others start lines of
// their own. Refused steps (zero length) add no position.
TEST(CollectTracks, RouteSegmentsJoinIntoLines)
{
    Rig rig;
    Station& s = rig.station;
    AddSegment(s, "A", "50000/-10000", "50000/-11000");
    AddSegment(s, "B", "40000/-10000", "40000/-11000");
    AddSegment(s, "A", "50000/-11000", "50000/-11000");  // refused: stays put
    AddSegment(s, "A", "50000/-11000", "50000/-12000");
    AddSegment(s, "A", "50000/-12000", "51000/-13000", 2);  // a request: its own line
    AddSegment(s, "A", "52000/-20000", "52000/-21000");     // does not join: a new line
    AddSegment(s, "C", "30000/-10000", "30000/-10000");     // only a refused step
    const TrackSet set = CollectTracks(s);
    EXPECT_EQ(Text(set),
              "A: 50000/-10000 50000/-11000 50000/-12000\nB: 40000/-10000 40000/-11000\n"
              "A: 50000/-12000 51000/-13000\nA: 52000/-20000 52000/-21000\n");
    ASSERT_EQ(set.features.size(), 4u);
    EXPECT_EQ(std::get<std::string>(set.features[2].properties[4].value), "request");
    EXPECT_TRUE(set.problems.empty());
}

// A position that cannot be read leaves its record out, names it, and the others still go.
TEST(CollectTracks, UnreadablePositionsAreLeftOutAndNamed)
{
    Rig rig;
    Station& s = rig.station;
    AddAircraft(s, "GOOD", "51500/-1500");
    AddAircraft(s, "POLE", "-90000/-180000");  // the edges of the globe are inside
    AddAircraft(s, "NOSLASH", "51500");
    AddAircraft(s, "NORTHPOLEPLUS", "90001/0");
    AddAircraft(s, "EASTPLUS", "0/180001");
    AddAircraft(s, "LOST", "")->Oceanic = true;  // an estimate whose interpolation failed
    // A segment that cannot be read whose label can still be placed.
    s.RouteLineCol.Add(
        std::make_shared<RouteLine>(RouteLine{"junk", "51500/-1500", "NAT B", "51500/-1500", 0, "GOOD"}));
    // No altitude in feet.
    const SBSAircraft sbs{0, "51600/-1600", "-", "4CA2D1", "", "Ht: FL350 ", "", "", 0, ""};
    s.SBSAircraftCol.Add(std::make_shared<SBSAircraft>(sbs), "4CA2D1");

    const TrackSet set = CollectTracks(s);
    EXPECT_EQ(set.problems, (std::vector<std::string>{
                                "aircraft NOSLASH: position \"51500\" cannot be read",
                                "aircraft NORTHPOLEPLUS: position \"90001/0\" lies outside the globe",
                                "aircraft EASTPLUS: position \"0/180001\" lies outside the globe",
                                "oceanic-estimate LOST: no position",
                                "route line of GOOD: position \"junk\" cannot be read",
                                "SBS-1 trail of 4CA2D1: position \"-\" cannot be read",
                            }));
    EXPECT_EQ(Text(set), "GOOD: 51500/-1500\nPOLE: -90000/-180000\nNAT B: 51500/-1500\n4CA2D1: 51600/-1600\n");
    EXPECT_TRUE(nlohmann::json::parse(GeoJsonText(set))["features"][3]["properties"]["altitude"].is_null());
}

}  // namespace
}  // namespace korval::test
