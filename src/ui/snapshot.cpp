#include "ui/snapshot.h"

#include <string>
#include <utility>

#include "maps/redraw.h"
#include "station/station.h"
#include "text/fault.h"
#include "ui/map_canvas.h"
#include "ui/map_image.h"

namespace korval::ui {
namespace {

constexpr int kMaxSide = 32767;  // the largest surface a map window can have, in pixels
constexpr double kSnapshotDpi = 96;

bool Fail(std::string* error, std::string reason)
{
    if (error) *error = std::move(reason);
    return false;
}

// Puts a view and a checked Show item in place for one redraw and gives back what was there,
// whatever the redraw does.
class Borrowed {
public:
    Borrowed(Station& s, int map, MapView& view)
        : s_(s), index_(map - 1), show_(s.opt.ShowMap(map)), view_(s.mapView[index_]), wasShown_(show_)
    {
        s_.mapView[index_] = &view;
        show_ = true;
    }
    ~Borrowed()
    {
        s_.mapView[index_] = view_;
        show_ = wasShown_;
    }
    Borrowed(const Borrowed&) = delete;
    Borrowed& operator=(const Borrowed&) = delete;

private:
    Station& s_;
    int index_;
    bool& show_;
    MapView* view_;
    bool wasShown_;
};

}  // namespace

bool WriteMapSnapshot(Station& s, int map, const std::string& file, int widthPx, int heightPx, std::string* error)
{
    const std::string name = "map " + std::to_string(map);
    if (map < 1 || map > 3) return Fail(error, name + ": there are maps 1, 2 and 3 only");
    if (widthPx < 1 || heightPx < 1 || widthPx > kMaxSide || heightPx > kMaxSide)
        return Fail(error, name + ": a size of " + std::to_string(widthPx) + " x " + std::to_string(heightPx) +
                               " pixels is outside 1 to " + std::to_string(kMaxSide));

    CanvasMapView view(QSize(widthPx, heightPx), kSnapshotDpi);
    if (view.canvas().Failed()) return Fail(error, name + ": not enough memory for the picture");
    {
        Borrowed borrowed(s, map, view);
        if (map == 1) NewPlot1(s);
        if (map == 2) NewPlot2(s);
        if (map == 3) NewPlot3(s);
    }

    const auto loaded = view.canvas().LastLoad();
    if (!loaded) return Fail(error, name + ": not drawn; its frame could not be set up (see the error log)");
    if (*loaded == ImageLoad::MissingFile)
        return Fail(error, name + ": no usable image at \"" + s.map[map - 1].MapPath + "\"");
    if (*loaded == ImageLoad::OutOfResources) return Fail(error, name + ": not enough memory for its image");

    try {
        SaveMapImage(view.canvas().Image(), file);
    } catch (...) {
        const Fault f = CurrentFault();
        return Fail(error, name + ": " + f.description() + " (" + file + ")");
    }
    return true;
}

}  // namespace korval::ui
