#include "maps/redraw.h"

#include <memory>
#include <new>
#include <string>

#include "maps/canvas.h"
#include "maps/marks.h"
#include "maps/projection.h"
#include "station/station.h"
#include "text/fault.h"

namespace korval {
namespace {

constexpr int kMaxObjects = 2000;  // per kind and redraw, the runaway-loop guard
constexpr const char* kProcedure[3] = {"NewPlot1", "NewPlot2", "NewPlot3"};
constexpr const char* kNoMap[3] = {"You haven't selected a map1", "You haven't selected a map2",
                                   "You haven't selected a map3"};
constexpr const char* kLowMemory =
    "You appear to be low on memmory.  The map cannot refresh. Close down other applications then restart Korval.";

// Forwards every drawing call; a call that runs out of stack space (error 28) is skipped and
// the redraw goes on with the next one.
class SkippingCanvas final : public Canvas {
public:
    explicit SkippingCanvas(Canvas& inner) : c_(inner) {}

    void SetColours(Colour fore, Colour back) override
    {
        Do([&] { c_.SetColours(fore, back); });
    }
    ImageLoad LoadImage(const std::string& path) override
    {
        ImageLoad r = ImageLoad::Ok;
        Do([&] { r = c_.LoadImage(path); });
        return r;
    }
    bool PaintImage(float width, float height) override
    {
        bool r = true;
        Do([&] { r = c_.PaintImage(width, height); });
        return r;
    }
    void SetOrigin(float left, float top) override
    {
        Do([&] { c_.SetOrigin(left, top); });
    }
    void SetDrawWidth(int pixels) override
    {
        Do([&] { c_.SetDrawWidth(pixels); });
    }
    void SetDrawStyle(int style) override
    {
        Do([&] { c_.SetDrawStyle(style); });
    }
    void SetFillStyle(FillStyle style) override
    {
        Do([&] { c_.SetFillStyle(style); });
    }
    void SetFillColour(Colour colour) override
    {
        Do([&] { c_.SetFillColour(colour); });
    }
    void Circle(float x, float y, float radius, Colour outline) override
    {
        Do([&] { c_.Circle(x, y, radius, outline); });
    }
    void Line(float x1, float y1, float x2, float y2, Colour colour) override
    {
        Do([&] { c_.Line(x1, y1, x2, y2, colour); });
    }
    void SetTextPosition(float x, float y) override
    {
        Do([&] { c_.SetTextPosition(x, y); });
    }
    void SetFontBold(bool bold) override
    {
        Do([&] { c_.SetFontBold(bold); });
    }
    void SetFontSize(float points) override
    {
        Do([&] { c_.SetFontSize(points); });
    }
    void Print(const std::string& text) override
    {
        Do([&] { c_.Print(text); });
    }
    float Width() const override { return c_.Width(); }
    float Height() const override { return c_.Height(); }

private:
    template <class F>
    static void Do(F&& call)
    {
        try {
            call();
        } catch (const Fault& f) {
            if (f.number() != err::OutOfStack) throw;
        }
    }
    Canvas& c_;
};

// Calls f for the first kMaxObjects records in order; false when f asked to stop.
template <class T, class F>
bool ForFirst(const KeyedCollection<T>& col, F f)
{
    int count = 0;
    bool finished = true;
    col.ForEach([&](const std::shared_ptr<T>& item) {
        if (++count > kMaxObjects) return false;
        if (!f(item)) finished = false;
        return finished;
    });
    return finished;
}

// Steps 4 and 5 of a redraw; false when a coordinate procedure failed (the redraw ends).
bool DrawObjects(Station& s, int n, Canvas& c)
{
    const MapConfig& m = s.map[n - 1];
    const Colour line = static_cast<Colour>(m.Line);
    const Colour circle = static_cast<Colour>(m.Circle);
    auto origin = [&] { c.SetOrigin(OriginLeft(s), OriginTop(s)); };

    if (!(n == 1 && s.dlg.chkSBS)) {
        bool ok = ForFirst(s.RouteLineCol, [&](const std::shared_ptr<RouteLine>& r) {
            s.CurrentRouteLine = r;
            if (!MapRouteline(s)) return false;
            origin();
            DrawRouteLineSegment(c, s, line, r->Style);
            if (!r->NATPos.empty()) {
                if (!MapNatPlot(s)) return false;
                DrawNatMarker(c, s, line, r->NATrack);
            }
            return true;
        });
        if (!ok) return false;
        ok = ForFirst(s.AircraftCol, [&](const std::shared_ptr<Aircraft>& a) {
            if (!a->Show || a->NewLocation.empty()) return true;
            s.CurrentAircraft = a;
            if (!MapAircraft(s)) return false;
            origin();
            DrawAircraftMarker(c, s, circle, a->ID);
            return true;
        });
        if (!ok) return false;
    }

    if (n == 1 && s.opt.mnuSBS) {
        return ForFirst(s.SBSAircraftCol, [&](const std::shared_ptr<SBSAircraft>& a) {
            s.CurrentSBSAircraft = a;
            if (!a->OldPosition.empty()) {
                if (!MapSBSTrack(s)) return false;
                origin();
                DrawSBSTrackSegment(c, s, line);
            }
            if (!a->NewPosition.empty()) {
                if (!mapSBSAircraft(s)) return false;
                origin();
                DrawSBSAircraftMarker(c, s, a->AltChange, a->ID);
            }
            return true;
        });
    }
    return true;
}

void Redraw(Station& s, int n, MapView& view)
{
    const int width = view.ClientWidthTwips(), height = view.ClientHeightTwips();
    SetupProjection(s, n, width, height);
    if (!s.opt.ShowMap(n) || view.Minimised()) return;

    SkippingCanvas c(view.Surface());
    const MapConfig& m = s.map[n - 1];
    c.SetColours(static_cast<Colour>(m.ACIDText), static_cast<Colour>(m.ACIDBack));
    switch (c.LoadImage(m.MapPath)) {
        case ImageLoad::Ok:
            break;
        case ImageLoad::MissingFile:
            s.notifier().Message(kNoMap[n - 1]);
            return;
        case ImageLoad::OutOfResources:
            s.notifier().Message(kLowMemory);
            return;
    }
    if (!c.PaintImage(static_cast<float>(width), static_cast<float>(height))) {
        s.notifier().Message(kLowMemory);
        return;
    }
    DrawObjects(s, n, c);
}

void NewPlot(Station& s, int n)
{
    MapView* view = s.mapView[n - 1];
    if (!view) return;
    s.Guard(kProcedure[n - 1], "ProcessMess", [&] {
        try {
            Redraw(s, n, *view);
        } catch (const std::bad_alloc&) {
            s.notifier().Message(kLowMemory);
        } catch (const Fault& f) {
            if (f.number() != err::OutOfMemory) throw;
            s.notifier().Message(kLowMemory);
        }
    });
}

}  // namespace

void NewPlot1(Station& s)
{
    NewPlot(s, 1);
}
void NewPlot2(Station& s)
{
    NewPlot(s, 2);
}
void NewPlot3(Station& s)
{
    NewPlot(s, 3);
}

void RedrawShownMaps(Station& s)
{
    if (s.opt.mnuShowMap1) NewPlot1(s);
    if (s.opt.mnuShowMap2) NewPlot2(s);
    if (s.opt.mnuShowMap3) NewPlot3(s);
}

}  // namespace korval
