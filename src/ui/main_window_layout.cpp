#include "main_window_layout.h"

#include <algorithm>

namespace korval::ui {
namespace {

// Gaps of the status row, in twips.
constexpr double kBelowLiveData = 80;  // LiveData's bottom to the labels' top
constexpr double kLabelToBox = 20;     // a label to its box
constexpr double kBetweenGroups = 80;  // Aircraft to labFlight, Flight to labCount
constexpr double kCountToBox = 60;     // labCount to txtCount
constexpr double kBetweenCounters = 40;
constexpr double kBoxesRaised = 40;   // the row's text boxes sit this much higher than its labels
constexpr double kRepeatRaised = 30;  // txtRepeat
constexpr double kClockInset = 40;    // labUTC inside the right edge
// All the gaps from labAircraft to txtOCA.
constexpr double kRowGaps =
    kLabelToBox + kBetweenGroups + kLabelToBox + kBetweenGroups + kCountToBox + kBetweenCounters;

}  // namespace

MainLayout LayOutMainWindow(double innerWidth, double innerHeight, const MainDesign& d, double repeatWidth)
{
    MainLayout l;
    const double m = d.liveDataLeft;
    // A window shrunk below the row leaves LiveData empty rather than of negative size.
    const double h = std::max(0.0, innerHeight - d.boxHeight - 60);
    l.LiveData = {m, m, std::max(0.0, innerWidth - 2 * m), h};

    const double labelTop = l.LiveData.bottom() + kBelowLiveData;
    const double boxTop = labelTop - kBoxesRaised;
    const double rowWidth =
        d.labAircraft + d.Aircraft + d.labFlight + d.Flight + d.labCount + d.txtCount + d.txtOCA + kRowGaps;

    double x = (innerWidth - rowWidth - d.labUTC) / 2;
    auto place = [&](TwipsRect& r, double gapBefore, double width, double top, double height) {
        x += gapBefore;
        r = {x, top, width, height};
        x += width;
    };
    place(l.labAircraft, 0, d.labAircraft, labelTop, d.labelHeight);
    place(l.Aircraft, kLabelToBox, d.Aircraft, boxTop, d.boxHeight);
    place(l.labFlight, kBetweenGroups, d.labFlight, labelTop, d.labelHeight);
    place(l.Flight, kLabelToBox, d.Flight, boxTop, d.boxHeight);
    place(l.labCount, kBetweenGroups, d.labCount, labelTop, d.labelHeight);
    place(l.txtCount, kCountToBox, d.txtCount, boxTop, d.boxHeight);
    place(l.txtOCA, kBetweenCounters, d.txtOCA, boxTop, d.boxHeight);
    place(l.txtRepeat, kBetweenCounters, repeatWidth > 0 ? repeatWidth : d.txtRepeat, labelTop - kRepeatRaised,
          d.boxHeight);
    l.labUTC = {innerWidth - d.labUTC - kClockInset, labelTop, d.labUTC, d.labelHeight};
    return l;
}

}  // namespace korval::ui
