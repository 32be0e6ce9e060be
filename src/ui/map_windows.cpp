#include "ui/map_windows.h"

#include <filesystem>
#include <string>
#include <system_error>

#include <QtCore/QMetaObject>
#include <QtCore/QRegularExpression>
#include <QtGui/QImageReader>
#include <QtWidgets/QFileDialog>

#include "maps/export.h"
#include "maps/map_window_rules.h"
#include "maps/redraw.h"
#include "station/station.h"
#include "text/fault.h"
#include "ui/map_image.h"

namespace korval::ui {
namespace {

constexpr int kSaveQuality = 90;
const char* const kSaveProcedure[3] = {"mnuMap1Save_Click", "mnuMap2Save_Click", "mnuMap3Save_Click"};

QString JpegFilter()
{
    return QStringLiteral("JPEG Files (*.jpg *.jpe *.jpeg)");
}

std::optional<QString> Ask(const FileDialogRequest& r)
{
    QFileDialog d(nullptr, r.title);
    d.setNameFilter(r.filter);
    d.setDefaultSuffix(r.defaultSuffix);
    // With a choice of filters a name typed without an extension gets the chosen filter's.
    QObject::connect(&d, &QFileDialog::filterSelected, &d, [&d](const QString& filter) {
        const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("\\*\\.(\\w+)")).match(filter);
        if (m.hasMatch()) d.setDefaultSuffix(m.captured(1));
    });
    d.setAcceptMode(r.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    d.setFileMode(r.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (r.save)
        d.selectFile(r.initialPath);
    else
        d.setDirectory(r.initialPath);
    if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty()) return std::nullopt;
    return d.selectedFiles().constFirst();
}

}  // namespace

std::optional<QString> AskSaveFile(const FileDialogRequest& request)
{
    return Ask(request);
}
std::optional<QString> AskOpenFile(const FileDialogRequest& request)
{
    return Ask(request);
}

MapWindows::MapWindows(Station& s)
    : s_(s), cache_(std::make_shared<BackgroundCache>()), saveDialog_(AskSaveFile), openDialog_(AskOpenFile)
{
    subscription_ = s_.Subscribe([this](ChangeFlags what) {
        if (what & ChangeMaps) ScheduleRedraw();
    });
}

MapWindows::~MapWindows()
{
    s_.Unsubscribe(subscription_);
}

void MapWindows::SetFileDialogs(FileDialog save, FileDialog open)
{
    if (save) saveDialog_ = std::move(save);
    if (open) openDialog_ = std::move(open);
}

MapWindow* MapWindows::Existing(int n) const
{
    if (n < 1 || n > 3) return nullptr;
    return windows_[static_cast<std::size_t>(n - 1)].get();
}

MapWindow& MapWindows::Window(int n)
{
    auto& w = windows_[static_cast<std::size_t>(n - 1)];
    if (!w) w = std::make_unique<MapWindow>(s_, n, cache_, [this](int m, bool c) { ShowChanged(m, c); });
    if (!w->Loaded()) w->Load();
    return *w;
}

void MapWindows::ShowChanged(int n, bool checked)
{
    if (showChanged_) showChanged_(n, checked);
}

void MapWindows::ShowMapClicked(int n)
{
    if (n < 1 || n > 3) return;
    bool& item = s_.opt.ShowMap(n);
    MapWindow* existing = Existing(n);
    if (item) {
        item = false;
        if (existing) existing->hide();
        ShowChanged(n, false);
        return;
    }
    // A map without its picture is not shown at all; the settings dialog is where to fix it.
    if (!MapPictureExists(s_, n)) {
        if (existing) existing->hide();
        ShowChanged(n, false);
        return;
    }
    item = true;
    ShowChanged(n, true);
    MapWindow& w = Window(n);
    const int before = w.RedrawCount();
    w.show();  // the first show resizes the surface, which redraws
    w.raise();
    if (w.RedrawCount() == before) w.Redraw();
}

void MapWindows::ShowCheckedMaps()
{
    for (int n = 1; n <= 3; ++n) {
        bool& item = s_.opt.ShowMap(n);
        if (!item) continue;
        item = false;
        ShowMapClicked(n);
    }
}

void MapWindows::ScheduleRedraw()
{
    if (redrawPending_) return;
    redrawPending_ = true;
    QMetaObject::invokeMethod(
        &context_, [this] { FlushRedraws(); }, Qt::QueuedConnection);
}

void MapWindows::FlushRedraws()
{
    if (!redrawPending_) return;
    redrawPending_ = false;
    for (int n = 1; n <= 3; ++n) {
        MapWindow* w = Existing(n);
        if (!w || !s_.opt.ShowMap(n)) continue;
        w->Redraw();
    }
}

bool MapWindows::SaveMap(int n)
{
    if (n < 1 || n > 3) return false;
    bool saved = false;
    s_.Guard(kSaveProcedure[n - 1], "ACARS", [&] {
        // The map as drawn, copied before the dialog opens (a redraw may run meanwhile).
        MapWindow* w = Existing(n);
        const QImage picture = w ? w->SurfaceImage().copy() : QImage();
        DibSection dib;
        CreateFromPicture(dib, picture);  // error 5 for a map never drawn

        FileDialogRequest r;
        r.title = QStringLiteral("Save Map %1").arg(n);
        r.filter = JpegFilter();
        r.defaultSuffix = QStringLiteral("jpg");
        r.initialPath = QString::fromStdString(DefaultMapFileName(s_, n).string());
        r.save = true;
        const std::optional<QString> file = saveDialog_(r);
        if (!file || file->isEmpty()) return;
        try {
            SaveJPG(dib, file->toStdString(), kSaveQuality);
        } catch (const Fault& f) {
            s_.notifier().Message(f.description(), "KORVAL", Icon::Critical);
            throw;
        }
        saved = true;
    });
    return saved;
}

bool MapWindows::ViewMap()
{
    FileDialogRequest r;
    r.title = QStringLiteral("View Map");
    r.filter = JpegFilter();
    r.defaultSuffix = QStringLiteral("jpg");
    r.initialPath = QString::fromStdString(s_.Home().string());
    const std::optional<QString> file = openDialog_(r);
    if (!file || file->isEmpty()) return false;

    QImageReader reader(*file);
    const QImage picture = reader.read();
    if (picture.isNull()) {
        s_.notifier().Message("That file holds no picture that can be shown.", "KORVAL", Icon::Exclamation);
        return false;
    }
    if (!viewer_) viewer_ = std::make_unique<MapViewWindow>();
    viewer_->SetPicture(picture);
    viewer_->show();
    viewer_->raise();
    return true;
}

void MapWindows::CloseAll()
{
    for (int n = 1; n <= 3; ++n)
        if (MapWindow* w = Existing(n); w && w->Loaded()) w->Unload();
    if (viewer_) viewer_->close();
}

}  // namespace korval::ui
