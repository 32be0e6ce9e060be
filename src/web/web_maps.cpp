#include "web/web_maps.h"

#include <algorithm>
#include <utility>

#include <QBuffer>
#include <QImageWriter>

#include "maps/redraw.h"
#include "ui/map_canvas.h"
#include "ui/map_image.h"

namespace korval::web {
namespace {

constexpr double kDpi = 96;
constexpr double kTwipsPerPixel = 1440 / kDpi;

bool& ShowItem(Options& opt, int n)
{
    return n == 1 ? opt.mnuShowMap1 : n == 2 ? opt.mnuShowMap2 : opt.mnuShowMap3;
}

// For one redraw: map n's view slot holds `view` and its Show item is checked; afterwards they,
// and every station field the redraw writes as scratch, are as they were.
class Borrowed {
public:
    Borrowed(Station& s, int n, MapView& view)
        : s_(s),
          index_(n - 1),
          show_(ShowItem(s.opt, n)),
          wasShown_(show_),
          view_(s.mapView[index_]),
          aircraft_(s.CurrentAircraft),
          sbs_(s.CurrentSBSAircraft),
          route_(s.CurrentRouteLine),
          edges_{s.EdgeW, s.EdgeN, s.EdgeE, s.EdgeS},
          scales_{s.LatScale, s.LonScale},
          line_{s.LineX1, s.LineY1, s.LineX2, s.LineY2},
          plot_{s.PlotX, s.PlotY},
          errProcedure_(s.ErrProcedure),
          errModule_(s.ErrModule),
          errorFile_(std::exchange(s.ErrorFile, std::string())),
          errorText_(s.ErrorText)
    {
        s_.mapView[index_] = &view;
        show_ = true;
    }
    ~Borrowed()
    {
        s_.mapView[index_] = view_;
        show_ = wasShown_;
        s_.CurrentAircraft = aircraft_;
        s_.CurrentSBSAircraft = sbs_;
        s_.CurrentRouteLine = route_;
        s_.EdgeW = edges_[0], s_.EdgeN = edges_[1], s_.EdgeE = edges_[2], s_.EdgeS = edges_[3];
        s_.LatScale = scales_[0], s_.LonScale = scales_[1];
        s_.LineX1 = line_[0], s_.LineY1 = line_[1], s_.LineX2 = line_[2], s_.LineY2 = line_[3];
        s_.PlotX = plot_[0], s_.PlotY = plot_[1];
        s_.ErrProcedure = errProcedure_;
        s_.ErrModule = errModule_;
        s_.ErrorFile = errorFile_;
        s_.ErrorText = errorText_;
    }
    Borrowed(const Borrowed&) = delete;
    Borrowed& operator=(const Borrowed&) = delete;

    // The redraw wrote an error-log entry.
    bool Faulted() const { return !s_.ErrorFile.empty(); }

private:
    Station& s_;
    int index_;
    bool& show_;
    bool wasShown_;
    MapView* view_;
    std::shared_ptr<Aircraft> aircraft_;
    std::shared_ptr<SBSAircraft> sbs_;
    std::shared_ptr<RouteLine> route_;
    std::int32_t edges_[4];
    float scales_[2];
    float line_[4];
    std::int32_t plot_[2];
    std::string errProcedure_, errModule_, errorFile_, errorText_;
};

QByteArray Jpeg(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(kJpegQuality);
    if (!writer.write(image)) return {};
    return bytes;
}

}  // namespace

MapPainter::MapPainter(Station& s) : s_(s), cache_(std::make_shared<ui::BackgroundCache>()) {}

MapPainter::~MapPainter() = default;

QSize MapPainter::Clamped(QSize pixels)
{
    return {std::clamp(pixels.width(), kMinSide, kMaxSide), std::clamp(pixels.height(), kMinSide, kMaxSide)};
}

MapPicture MapPainter::Draw(int n, QSize pixels)
{
    MapPicture out;
    out.size = Clamped(pixels);
    if (n < 1 || n > 3) {
        out.problem = QStringLiteral("there are maps 1, 2 and 3 only");
        return out;
    }
    // What would end the redraw with a message box is found out first, so the view never
    // raises one: no picture, or a frame that cannot be projected.
    const std::string& path = s_.map[n - 1].MapPath;
    const ImageLoad load = cache_->Load(path).status;
    if (load != ImageLoad::Ok) {
        out.problem = load == ImageLoad::MissingFile
                          ? QStringLiteral("no usable map picture at \"%1\"").arg(QString::fromStdString(path))
                          : QStringLiteral("the map picture is too large to draw");
        return out;
    }
    const int widthTwips = static_cast<int>(out.size.width() * kTwipsPerPixel);
    const int heightTwips = static_cast<int>(out.size.height() * kTwipsPerPixel);
    try {
        ComputeWindowProjection(s_, n, widthTwips, heightTwips);
    } catch (...) {
        out.problem = QStringLiteral("the map's edges in the settings give no frame to draw");
        return out;
    }

    auto& view = views_[static_cast<std::size_t>(n - 1)];
    if (!view) view = std::make_unique<ui::CanvasMapView>(QSize(), kDpi, cache_);
    view->SetClientSize(out.size);
    if (view->canvas().Failed()) {
        out.problem = QStringLiteral("not enough memory for the picture");
        return out;
    }
    {
        Borrowed borrowed(s_, n, *view);
        if (n == 1) NewPlot1(s_);
        if (n == 2) NewPlot2(s_);
        if (n == 3) NewPlot3(s_);
        out.faulted = borrowed.Faulted();
    }
    out.jpeg = Jpeg(view->canvas().Image());
    if (out.jpeg.isEmpty()) out.problem = QStringLiteral("the picture could not be encoded");
    return out;
}

std::optional<Details> MapPainter::Click(int n, QSize pixels, QPointF at, MouseButton button)
{
    if (n < 1 || n > 3) return std::nullopt;
    const QSize size = Clamped(pixels);
    WindowProjection p;
    try {
        p = ComputeWindowProjection(s_, n, static_cast<int>(size.width() * kTwipsPerPixel),
                                    static_cast<int>(size.height() * kTwipsPerPixel));
    } catch (...) {
        return std::nullopt;
    }
    const float x = static_cast<float>(p.OriginLeft() + at.x() * kTwipsPerPixel);
    const float y = static_cast<float>(p.OriginTop() + at.y() * kTwipsPerPixel);
    return PeekDetails(s_, n, p, button, x, y);
}

}  // namespace korval::web
