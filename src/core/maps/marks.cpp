#include "maps/marks.h"

#include "station/station.h"
#include "text/fault.h"

namespace korval {
namespace {

constexpr int kInvalidPropertyValue = 380;

constexpr float kDotRadius = 20;     // end dots of segments and the NAT marker
constexpr float kMarkerRadius = 50;  // aircraft markers
constexpr float kLabelSize = 7;      // points, bold
// The aircraft ID's top-left corner relative to the marker's centre.
constexpr int kIdDx = 70, kIdDy = -150;
// The NAT text's top-left corner relative to the NAT point.
constexpr int kNatDx = -500, kNatDy = -40;

constexpr Colour kWhite = 0xFFFFFF;   // RGB(255,255,255)
constexpr Colour kYellow = 0x00FFFF;  // RGB(255,255,0)
constexpr Colour kCyan = 0xFFFF00;    // RGB(0,255,255)
constexpr Colour kRed = 0x0000FF;     // RGB(255,0,0)

void SolidFill(Canvas& c, Colour fill)
{
    c.SetDrawWidth(1);
    c.SetDrawStyle(DrawSolid);
    c.SetFillStyle(FillStyle::Solid);
    c.SetFillColour(fill);
}

void Segment(Canvas& c, const Station& s, Colour line, int style)
{
    SolidFill(c, line);
    c.Circle(s.LineX1, s.LineY1, kDotRadius, line);
    if (style < DrawSolid || style > DrawInsideSolid) Raise(kInvalidPropertyValue, "Invalid property value");
    c.SetDrawStyle(style);
    c.SetDrawWidth(1);
    c.Line(s.LineX1, s.LineY1, s.LineX2, s.LineY2, line);
}

// Offsets are added to the whole-number point before it becomes a single.
float Offset(std::int32_t v, int d)
{
    return static_cast<float>(static_cast<std::int64_t>(v) + d);
}

void Label(Canvas& c, const Station& s, int dx, int dy, const std::string& text)
{
    c.SetTextPosition(Offset(s.PlotX, dx), Offset(s.PlotY, dy));
    c.SetFontBold(true);
    c.SetFontSize(kLabelSize);
    c.Print(text);
}

void Marker(Canvas& c, const Station& s, Colour fill, const std::string& id)
{
    SolidFill(c, fill);
    c.Circle(static_cast<float>(s.PlotX), static_cast<float>(s.PlotY), kMarkerRadius, kWhite);
    Label(c, s, kIdDx, kIdDy, id);
}

}  // namespace

Colour TrendColour(std::int16_t altChange)
{
    switch (altChange) {
        case 1:
            return kYellow;
        case 2:
            return kCyan;
        default:
            return kRed;
    }
}

void DrawRouteLineSegment(Canvas& c, const Station& s, Colour line, int style)
{
    Segment(c, s, line, style);
}

void DrawNatMarker(Canvas& c, const Station& s, Colour line, const std::string& natTrack)
{
    Label(c, s, kNatDx, kNatDy, natTrack);
    SolidFill(c, line);
    c.Circle(static_cast<float>(s.PlotX), static_cast<float>(s.PlotY), kDotRadius, line);
}

void DrawAircraftMarker(Canvas& c, const Station& s, Colour circle, const std::string& id)
{
    Marker(c, s, circle, id);
}

void DrawSBSTrackSegment(Canvas& c, const Station& s, Colour line)
{
    Segment(c, s, line, DrawSolid);
}

void DrawSBSAircraftMarker(Canvas& c, const Station& s, std::int16_t altChange, const std::string& id)
{
    Marker(c, s, TrendColour(altChange), id);
}

}  // namespace korval
