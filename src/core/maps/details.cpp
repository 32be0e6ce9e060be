#include "maps/details.h"

#include <memory>
#include <vector>

#include "maps/projection.h"
#include "station/station.h"
#include "text/convert.h"
#include "text/fault.h"

namespace korval {
namespace {

constexpr std::size_t kMaxObjects = 2000;  // per collection, the runaway-loop guard
constexpr const char* kCrLf = "\r\n";
constexpr const char* kGap = "  ";

// Clearances of the label from the click and from the client area's edges, in twips.
constexpr float kClickGap = 60;
constexpr float kEdgeGap = 100;
constexpr float kMap1TopLeftGap = 100;  // map 1 keeps further from a click near the top

bool Reads(const WindowProjection& p, const std::string& position, std::int32_t& px, std::int32_t& py)
{
    try {
        p.Marker(position, px, py);
        return true;
    } catch (const Fault&) {
        return false;
    }
}

// The first kMaxObjects records, safe to walk while records are removed.
template <class T>
std::vector<std::shared_ptr<T>> FirstRecords(const KeyedCollection<T>& col)
{
    std::vector<std::shared_ptr<T>> all = col.Snapshot();
    if (all.size() > kMaxObjects) all.resize(kMaxObjects);
    return all;
}

}  // namespace

WindowProjection ComputeWindowProjection(const Station& s, int n, int clientWidthTwips, int clientHeightTwips)
{
    return ComputeProjection(s.map[n - 1], clientWidthTwips, clientHeightTwips);
}

bool HitsMarker(std::int32_t px, std::int32_t py, float x, float y)
{
    const double dx = static_cast<double>(x) - px, dy = static_cast<double>(y) - py;
    return dx > -kHitHalfSide && dx < kHitHalfSide && dy > -kHitHalfSide && dy < kHitHalfSide;
}

namespace {

// The four passes; `unreadable` (when given) gets the ACARS aircraft whose location cannot be read.
Details Passes(const Station& s, int n, const WindowProjection& p, MouseButton button, float x, float y,
               std::vector<const Aircraft*>* unreadable)
{
    Details d;
    if (button != MouseButton::Left && button != MouseButton::Right) return d;
    const bool left = button == MouseButton::Left;
    std::int32_t px = 0, py = 0;

    if (!s.AircraftCol.Empty()) {
        for (const auto& a : FirstRecords(s.AircraftCol)) {
            if (!Reads(p, a->NewLocation, px, py)) {
                if (unreadable) unreadable->push_back(a.get());
                continue;
            }
            if (!HitsMarker(px, py, x, y)) continue;
            if (left) {
                d.BackColour = kFlightDataBack;
                d.Caption += kCrLf + a->FNo + kGap + a->Mach + kGap + a->Level + kGap + a->Route;
            } else {
                d.BackColour = kIdentityBack;
                d.Caption += kCrLf + a->ID + kCrLf + a->ACDetails;
            }
        }
    }

    if (n == 1 && !s.SBSAircraftCol.Empty()) {
        for (const auto& a : FirstRecords(s.SBSAircraftCol)) {
            if (!Reads(p, a->NewPosition, px, py) || !HitsMarker(px, py, x, y)) continue;
            if (left) {
                d.BackColour = kFlightDataBack;
                d.Caption += kCrLf + a->FNo + kGap + a->Level + kCrLf + a->Route;
            } else {
                d.BackColour = kIdentityBack;
                d.Caption += kCrLf + a->ID + kCrLf + a->ACDetails;
            }
        }
    }
    return d;
}

}  // namespace

Details BuildDetails(Station& s, int n, const WindowProjection& p, MouseButton button, float x, float y)
{
    std::vector<const Aircraft*> unreadable;
    Details d = Passes(s, n, p, button, x, y, &unreadable);
    if (!unreadable.empty()) {
        s.AircraftCol.RemoveIf([&](const Aircraft& a) {
            for (const Aircraft* u : unreadable)
                if (u == &a) return true;
            return false;
        });
    }
    return d;
}

Details PeekDetails(const Station& s, int n, const WindowProjection& p, MouseButton button, float x, float y)
{
    return Passes(s, n, p, button, x, y, nullptr);
}

LabelPlace PlaceDetailsLabel(int n, float x, float y, float w, float h, float left, float top, float width,
                             float height)
{
    const bool below = y + h > top + height;
    const bool above = y - h < top;
    const bool right = width - (x - left) - w < 0;
    const float leftOfClick = x - (w + kClickGap);
    if (above) return {right ? x - (w + (n == 1 ? kMap1TopLeftGap : kClickGap)) : x + kClickGap, top + kEdgeGap};
    if (below) return {right ? leftOfClick : x + kClickGap, top + height - h - kEdgeGap};
    return {right ? leftOfClick : x + kClickGap, y};
}

std::string CaptionLines(std::string_view caption)
{
    return ReplaceAll(std::string(caption), "\r\n", "\n");
}

}  // namespace korval
