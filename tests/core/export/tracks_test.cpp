#include <gtest/gtest.h>

#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "export/tracks.h"
#include "export_support.h"
#include "test_support.h"

namespace korval::test {
namespace {

using korval::test::PrintTo;
using Line = std::vector<LatLon>;
using Pairs = std::vector<std::pair<std::int32_t, std::int32_t>>;  // (latitude, longitude)

Pairs AsPairs(const Line& line)
{
    Pairs out;
    for (const LatLon& p : line) out.emplace_back(p.lat, p.lon);
    return out;
}
std::vector<Pairs> AsPairs(const std::vector<Line>& parts)
{
    std::vector<Pairs> out;
    for (const Line& l : parts) out.push_back(AsPairs(l));
    return out;
}

struct SplitCase {
    const char* name;
    Line line;
    std::vector<Line> parts;
};

class SplitAtAntimeridianCase : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitAtAntimeridianCase, CutsWhereTheShortWayCrosses)
{
    EXPECT_EQ(AsPairs(SplitAtAntimeridian(GetParam().line)), AsPairs(GetParam().parts));
}

// Crossing latitudes by hand: from 178 W westbound to 179 E is 3 degrees, the meridian two thirds
// of the way: 11 - 2/3 of a degree is 10.333. (The replay's eastbound crossing is pinned there.)
INSTANTIATE_TEST_SUITE_P(
    Export, SplitAtAntimeridianCase,
    ::testing::Values(
        SplitCase{"westbound",
                  {{11000, -178000}, {10000, 179000}},
                  {{{11000, -178000}, {10333, -180000}}, {{10333, 180000}, {10000, 179000}}}},
        // Exactly half the globe apart: either way is as short; the line is left whole.
        SplitCase{"halfTheGlobe", {{0, 90000}, {0, -90000}}, {{{0, 90000}, {0, -90000}}}},
        // Ending on the meridian: the far side holds no second position, so it is dropped.
        SplitCase{"endsOnTheMeridian", {{20000, 179000}, {21000, -180000}}, {{{20000, 179000}, {21000, 180000}}}},
        SplitCase{"twiceAcross",
                  {{0, 179000}, {2000, -179000}, {4000, 179000}},
                  {{{0, 179000}, {1000, 180000}},
                   {{1000, -180000}, {2000, -179000}, {3000, -180000}},
                   {{3000, 180000}, {4000, 179000}}}},
        SplitCase{"onePosition", {{5000, 5000}, {5000, 5000}}, {}}),
    test::CaseName());

std::shared_ptr<RouteLine> Segment(const char* id, const char* from, const char* to, std::int16_t style = 0)
{
    auto r = std::make_shared<RouteLine>();
    r->ID = id;
    r->OldPosition = from;
    r->NewPosition = to;
    r->Style = style;
    return r;
}

std::vector<const TrackFeature*> OfKind(const TrackSet& set, FeatureKind kind)
{
    std::vector<const TrackFeature*> out;
    for (const TrackFeature& f : set.features)
        if (f.kind == kind) out.push_back(&f);
    return out;
}

// Segments of one ID and style that join end to start make one line; the others start lines of
// their own. Refused steps (zero length) add no position.
TEST(CollectTracks, RouteSegmentsJoinIntoLines)
{
    Rig rig;
    Station& s = rig.station;
    s.RouteLineCol.Add(Segment("A", "50000/-10000", "50000/-11000"));
    s.RouteLineCol.Add(Segment("B", "40000/-10000", "40000/-11000"));
    s.RouteLineCol.Add(Segment("A", "50000/-11000", "50000/-11000"));  // refused: stays put
    s.RouteLineCol.Add(Segment("A", "50000/-11000", "50000/-12000"));
    s.RouteLineCol.Add(Segment("A", "50000/-12000", "51000/-13000", 2));  // a request: its own line
    s.RouteLineCol.Add(Segment("A", "52000/-20000", "52000/-21000"));     // does not join: a new line
    s.RouteLineCol.Add(Segment("C", "30000/-10000", "30000/-10000"));     // only a refused step
    const TrackSet set = CollectTracks(s);
    const auto routes = OfKind(set, FeatureKind::Route);
    ASSERT_EQ(routes.size(), 4u);
    EXPECT_EQ(routes[0]->name, "A");
    EXPECT_EQ(AsPairs(routes[0]->points), AsPairs(Line{{50000, -10000}, {50000, -11000}, {50000, -12000}}));
    EXPECT_EQ(routes[1]->name, "B");
    EXPECT_EQ(AsPairs(routes[2]->points), AsPairs(Line{{50000, -12000}, {51000, -13000}}));
    EXPECT_EQ(std::get<std::string>(routes[2]->properties[4].value), "request");
    EXPECT_EQ(AsPairs(routes[3]->points), AsPairs(Line{{52000, -20000}, {52000, -21000}}));
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
    auto labelled = Segment("GOOD", "51500/-1500", "junk");
    labelled->NATPos = "51500/-1500";  // the label can still be placed
    labelled->NATrack = "NAT B";
    s.RouteLineCol.Add(labelled);
    auto sbs = std::make_shared<SBSAircraft>();
    sbs->ID = "4CA2D1";
    sbs->NewPosition = "51600/-1600";
    sbs->OldPosition = "-";
    sbs->Level = "Ht: FL350 ";  // no altitude in feet
    s.SBSAircraftCol.Add(sbs, "4CA2D1");

    const TrackSet set = CollectTracks(s);
    EXPECT_EQ(set.problems, (std::vector<std::string>{
                                "aircraft NOSLASH: position \"51500\" cannot be read",
                                "aircraft NORTHPOLEPLUS: position \"90001/0\" lies outside the globe",
                                "aircraft EASTPLUS: position \"0/180001\" lies outside the globe",
                                "oceanic-estimate LOST: no position",
                                "route line of GOOD: position \"junk\" cannot be read",
                                "SBS-1 trail of 4CA2D1: position \"-\" cannot be read",
                            }));
    ASSERT_EQ(set.features.size(), 4u);
    EXPECT_EQ(set.features[0].name, "GOOD");
    EXPECT_EQ(AsPairs(set.features[1].points), AsPairs(Line{{-90000, -180000}}));
    EXPECT_EQ(set.features[2].name, "NAT B");
    EXPECT_EQ(set.features[3].name, "4CA2D1");
    const nlohmann::json doc = nlohmann::json::parse(GeoJsonText(set));
    EXPECT_EQ(GeoJsonProblem(doc), "");
    EXPECT_TRUE(doc["features"][3]["properties"]["altitude"].is_null());
}

}  // namespace
}  // namespace korval::test
