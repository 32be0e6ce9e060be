// Messages of the shapes that once cost time growing with the square of their length go through
// the whole chain. The output at about 4 KiB was recorded (tests/data/shapes); at the largest
// size a link text may have, the chain must give what the recorded output predicts.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "golden.h"
#include "message_shapes.h"
#include "station/events.h"
#include "test_support.h"

namespace korval {
namespace {

using shapes::Shape;
using test::EscapeBytes;

// The option sets a shape goes through: all options off, or the ones the bundled settings turn
// on that change what the chain does to a message (with one waypoint in each waypoint file).
struct Config {
    const char* name;
    bool full;
};
constexpr Config kConfigs[] = {{"plain", false}, {"full", true}};

void Prepare(test::Rig& rig, const Config& config)
{
    if (!config.full) return;
    Station& s = rig.station;
    s.opt.mnuRefOCA = true;
    s.opt.mnuWaypoints = true;
    s.opt.mnuTag = true;
    rig.home.Write("waypoints.wdf", "!route points\r\nBOBTU=N5000W05000\r\n");
    rig.home.Write("OCAwaypoints.wdf", "BOBTU=N5000W05000\r\n");
}

std::string YesNo(bool b)
{
    return b ? "true" : "false";
}

// "Error: N (description)" and "Procedure: P - Module: M" of every error-log entry, without the
// source line numbers.
std::string ErrorLogSummary(const std::string& log)
{
    std::string out;
    std::size_t start = 0;
    while (start < log.size()) {
        std::size_t end = log.find("\r\n", start);
        if (end == std::string::npos) end = log.size();
        std::string_view line(log.data() + start, end - start);
        if (line.starts_with("Error: ")) {
            out += "  ";
            out += line.substr(0, line.find(" at line "));
            out += '\n';
        } else if (line.starts_with("Procedure: ")) {
            out += "    ";
            out += line.substr(0, line.find(" - Line: "));
            out += '\n';
        }
        start = end + 2;
    }
    return out;
}

// What the chain left: the boxes, the position text and flags, the tracked records and what was
// written to the logs.
std::string Snapshot(const test::Rig& rig)
{
    const Station& s = rig.station;
    std::string out = "live:\n" + EscapeBytes(s.box.LiveData.Text) + "\n";
    out += "aircraft: " + EscapeBytes(s.box.Aircraft.Text) + "\n";
    out += "flight: " + EscapeBytes(s.box.Flight.Text) + "\n";
    out += "positions: " + EscapeBytes(s.PositionText) + "\n";
    out += "found: " + YesNo(s.PositionFound) + "\n";
    out += "count: " + s.box.txtCount.Text + "\n";
    out += "oca: " + s.box.txtOCA.Text + "\n";
    out += "marker: " + (s.box.txtRepeat.Visible ? s.box.txtRepeat.Text : std::string()) + "\n";
    out += "flags:";
    const std::pair<const char*, bool> flags[] = {{"PositionReformatted", s.PositionReformatted},
                                                  {"OceanicMessage", s.OceanicMessage},
                                                  {"REQPWIMessage", s.REQPWIMessage},
                                                  {"GanderMessage", s.GanderMessage},
                                                  {"SBSMessage", s.SBSMessage},
                                                  {"SAExpanded", s.SAExpanded},
                                                  {"B9Expanded", s.B9Expanded},
                                                  {"HFDLMessage", s.HFDLMessage},
                                                  {"RegFlightCorrected", s.RegFlightCorrected}};
    for (const auto& [name, set] : flags)
        if (set) out += std::string(" ") + name;
    out += "\n";
    for (const auto& [key, a] : s.AircraftCol.Entries()) {
        out += "aircraft record: key=" + EscapeBytes(key) + " new=" + a->NewLocation + " old=" + a->OldLocation +
               " oceanic=" + YesNo(a->Oceanic) + " reqpwi=" + YesNo(a->REQPWI) + " show=" + YesNo(a->Show) +
               " waylist=" + (a->WayList ? std::to_string(a->WayList->size()) : std::string("none")) +
               " level=" + a->Level + " mach=" + a->Mach + " last=" + a->LastTime + "\n";
    }
    out += "route lines: " + std::to_string(s.RouteLineCol.Count()) + "\n";
    out += "position log bytes: " + std::to_string(rig.home.Read("Logs/KorvalLog 051226.wdf").size()) + "\n";
    out += "error log:\n" + ErrorLogSummary(rig.home.Read("Logs/ErrorLog .txt"));
    return out;
}

std::string RunShape(const Shape& shape, const Config& config, std::size_t units)
{
    test::Rig rig;
    Prepare(rig, config);
    OnLinkText(rig.station, LinkBox::AirData, shapes::Build(shape, units));
    return Snapshot(rig);
}

// The size at which the output was recorded.
constexpr std::size_t kRecordedBytes = 4096;

class Shapes : public ::testing::TestWithParam<std::tuple<Shape, Config>> {
protected:
    const Shape& shape() const { return std::get<0>(GetParam()); }
    const Config& config() const { return std::get<1>(GetParam()); }
    std::string GoldenName() const { return "shapes/" + std::string(shape().name) + "." + config().name + ".txt"; }
};

TEST_P(Shapes, RecordedSizeGivesTheRecordedOutput)
{
    test::ExpectGolden(GoldenName(), RunShape(shape(), config(), shapes::UnitsWithin(shape(), kRecordedBytes)));
}

INSTANTIATE_TEST_SUITE_P(Chain, Shapes,
                         ::testing::Combine(::testing::ValuesIn(shapes::kShapes), ::testing::ValuesIn(kConfigs)),
                         [](const auto& param) {
                             return std::string(std::get<0>(param.param).name) + "_" + std::get<1>(param.param).name;
                         });

}  // namespace
}  // namespace korval
