#include "main_window.h"

#include <algorithm>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTimer>

#include "delete_aircraft_dialog.h"
#include "map_settings_dialog.h"
#include "other_dde_dialog.h"
#include "sbs_key_dialog.h"
#include "settings/settings.h"
#include "splash.h"
#include "station/events.h"
#include "station/links.h"
#include "station/mainwindow.h"
#include "text/convert.h"
#include "too_far_dialog.h"
#include "twips.h"
#include "window_placement.h"

namespace korval::ui {
namespace {

constexpr int kTimer1Ms = 1000;   // the clock and the daily clearing
constexpr int kTimer2Ms = 60000;  // MinuteCount and the oceanic estimate
// LiveData shows at most this much of a message; the message itself is untouched.
constexpr std::size_t kLiveDataShown = 256 * 1024;
// Size of a first start, in twips.
constexpr double kFirstWidth = 10500, kFirstHeight = 4800;
constexpr const char* kModule = "ACARS";

QString LiveText(const std::string& text)
{
    std::string shown = text.size() > kLiveDataShown ? text.substr(0, kLiveDataShown) : text;
    ReplaceAllInPlace(shown, "\r\n", "\n");
    std::replace(shown.begin(), shown.end(), '\r', '\n');
    QString q = FromBytes(shown);
    if (text.size() > kLiveDataShown)
        q += QStringLiteral("\n[%1 more bytes not shown]").arg(static_cast<qulonglong>(text.size() - kLiveDataShown));
    return q;
}

void Colour(QWidget* w, std::uint32_t fore, std::uint32_t back)
{
    QPalette p = w->palette();
    const QPalette system = QApplication::palette();
    const QColor b = FromWindowsColour(back, system);
    const QColor f = FromWindowsColour(fore, system);
    p.setColor(QPalette::Base, b);
    p.setColor(QPalette::Window, b);
    p.setColor(QPalette::Text, f);
    p.setColor(QPalette::WindowText, f);
    w->setPalette(p);
}

QLineEdit* StatusBox(QWidget* parent, const char* name, const char* tip)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    e->setReadOnly(true);
    e->setFocusPolicy(Qt::ClickFocus);
    e->setAlignment(Qt::AlignCenter);
    e->setAutoFillBackground(true);
    if (tip) e->setToolTip(QLatin1String(tip));
    return e;
}

QLabel* StatusLabel(QWidget* parent, const char* name, const char* caption)
{
    auto* l = new QLabel(QLatin1String(caption), parent);
    l->setObjectName(QLatin1String(name));
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return l;
}

// The designed width, or wider when this screen's font needs it (rounded up to whole pixels).
double Fit(const QWidget* w, double designed, const QString& text, int padding)
{
    const double needed = TwipsX(w, w->fontMetrics().horizontalAdvance(text) + padding);
    return std::max(designed, needed);
}

}  // namespace

MainWindow::MainWindow(Station& s, QWidget* parent) : QMainWindow(parent), s_(s)
{
    setObjectName(QStringLiteral("ACARS"));
    setWindowTitle(QStringLiteral("KORVAL SBS - Messages"));
    BuildControls();
    BuildMenus();

    Timer1_ = new QTimer(this);
    Timer1_->setObjectName(QStringLiteral("Timer1"));
    Timer1_->setInterval(kTimer1Ms);
    connect(Timer1_, &QTimer::timeout, this, [this] { RunCommand("Timer1_Timer", [this] { Timer1_Timer(s_); }); });
    Timer2_ = new QTimer(this);
    Timer2_->setObjectName(QStringLiteral("Timer2"));
    Timer2_->setInterval(kTimer2Ms);
    connect(Timer2_, &QTimer::timeout, this, [this] { RunCommand("Timer2_Timer", [this] { Timer2_Timer(s_); }); });

    listener_ = s_.Subscribe([this](ChangeFlags what) { Refresh(what); });
    resize(PixelsX(this, kFirstWidth), PixelsY(this, kFirstHeight));
    RefreshBoxes();
    SyncMenus();
}

MainWindow::~MainWindow()
{
    s_.Unsubscribe(listener_);
    // The dialogs are windows of their own; they go with the main window.
    delete otherDde_;
    delete tooFar_;
    delete deleteAircraft_;
    delete sbsKey_;
    delete mapSettings_;
    delete splash_;
}

void MainWindow::BuildControls()
{
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);
    client->installEventFilter(this);

    // The hidden DDE input boxes: the link layer delivers into the station, these show nothing.
    for (const char* name :
         {"AirData", "SkyData", "ANAData", "HFDL", "HFACARSData", "txtNewData", "ZData", "AcarsDData"}) {
        auto* box = new QLineEdit(client);
        box->setObjectName(QLatin1String(name));
        box->hide();
        linkBoxes_.push_back(box);
    }

    LiveData_ = new QPlainTextEdit(client);
    LiveData_->setObjectName(QStringLiteral("LiveData"));
    LiveData_->setToolTip(QStringLiteral("Reformatted Data"));
    LiveData_->setReadOnly(true);
    LiveData_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    LiveData_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    labAircraft_ = StatusLabel(client, "labAircraft", "Aircraft Reg.");
    Aircraft_ = StatusBox(client, "Aircraft", "Current Aircraft Registration No.");
    labFlight_ = StatusLabel(client, "labFlight", "Flight No.");
    Flight_ = StatusBox(client, "Flight", "Current Flight number");
    labCount_ = StatusLabel(client, "labCount", "Count");
    txtCount_ = StatusBox(client, "txtCount", "Number of reformatted messages");
    txtOCA_ = StatusBox(client, "txtOCA", "Number of Oceanic Reformats");
    txtRepeat_ = StatusBox(client, "txtRepeat", nullptr);
    txtRepeat_->hide();
    labUTC_ = StatusLabel(client, "labUTC", "UTC: 0000");

    // The design's sizes, widened where this screen's font would cut a caption.
    design_.boxHeight = std::max(design_.boxHeight, TwipsY(this, Aircraft_->fontMetrics().height() + 6));
    design_.labelHeight = std::max(design_.labelHeight, TwipsY(this, labAircraft_->fontMetrics().height()));
    design_.labAircraft = Fit(labAircraft_, design_.labAircraft, labAircraft_->text(), 2);
    design_.labFlight = Fit(labFlight_, design_.labFlight, labFlight_->text(), 2);
    design_.labCount = Fit(labCount_, design_.labCount, labCount_->text(), 2);
    design_.labUTC = Fit(labUTC_, design_.labUTC, QStringLiteral("UTC: 0000"), 2);
    design_.Aircraft = Fit(Aircraft_, design_.Aircraft, QStringLiteral("WWWWWWWW"), 10);
    design_.Flight = Fit(Flight_, design_.Flight, QStringLiteral("WWWWWWWW"), 10);
    design_.txtCount = Fit(txtCount_, design_.txtCount, QStringLiteral("000000"), 10);
    design_.txtOCA = Fit(txtOCA_, design_.txtOCA, QStringLiteral("000000"), 10);

    // Below this the status row would run off the window.
    const MainLayout l = LayOutMainWindow(0, 0, design_);
    const double rowWidth = l.txtRepeat.right() - l.labAircraft.left + design_.labUTC + 200;
    client->setMinimumSize(PixelsX(this, rowWidth), PixelsY(this, design_.boxHeight * 4));
}

double MainWindow::InnerWidthTwips() const
{
    return TwipsX(this, centralWidget()->width());
}
double MainWindow::InnerHeightTwips() const
{
    return TwipsY(this, centralWidget()->height());
}

void MainWindow::Form_Resize()
{
    for (QLineEdit* box : linkBoxes_) box->hide();
    layout_ = LayOutMainWindow(InnerWidthTwips(), InnerHeightTwips(), design_, s_.box.txtRepeat.Width);
    const std::pair<QWidget*, const TwipsRect*> placed[] = {
        {LiveData_, &layout_.LiveData},   {labAircraft_, &layout_.labAircraft}, {Aircraft_, &layout_.Aircraft},
        {labFlight_, &layout_.labFlight}, {Flight_, &layout_.Flight},           {labCount_, &layout_.labCount},
        {txtCount_, &layout_.txtCount},   {txtOCA_, &layout_.txtOCA},           {txtRepeat_, &layout_.txtRepeat},
        {labUTC_, &layout_.labUTC},
    };
    for (const auto& [w, r] : placed) w->setGeometry(ToPixels(this, *r));
}

bool MainWindow::CopiesSelection(const QKeyEvent* key) const
{
    return key->matches(QKeySequence::Copy) && LiveData_->textCursor().hasSelection();
}

bool MainWindow::event(QEvent* event)
{
    // Asked before a key becomes a shortcut: taken here, Ctrl+C reaches the keyboard focus as a
    // key press instead of choosing "Clear Maps Now".
    if (event->type() == QEvent::ShortcutOverride && CopiesSelection(static_cast<QKeyEvent*>(event))) {
        event->accept();
        return true;
    }
    return QMainWindow::event(event);
}

void MainWindow::keyPressEvent(QKeyEvent* event)
{
    // LiveData copies for itself when it has the focus; from anywhere else it is done here.
    if (CopiesSelection(event)) {
        LiveData_->copy();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == centralWidget() && event->type() == QEvent::Resize) Form_Resize();
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::Refresh(ChangeFlags what)
{
    if (what & (ChangeBoxes | ChangeLiveData | ChangeCounters | ChangeClock)) RefreshBoxes();
    if (what & ChangeOptions) SyncMenus();
}

void MainWindow::RefreshBoxes()
{
    auto bind = [this](QWidget* w, const Box& b, Shown& shown, auto setText) {
        if (!shown.painted || shown.fore != b.ForeColor || shown.back != b.BackColor)
            Colour(w, b.ForeColor, b.BackColor);
        if (!shown.painted || shown.text != b.Text) setText(b.Text);
        if (!shown.painted || shown.visible != b.Visible) w->setVisible(b.Visible);
        if (shown.painted && shown.width != b.Width) Form_Resize();
        shown = {b.Text, b.ForeColor, b.BackColor, b.Visible, true, b.Width};
    };
    const MainBoxes& box = s_.box;
    bind(LiveData_, box.LiveData, shownLive_, [this](const std::string& t) { LiveData_->setPlainText(LiveText(t)); });
    auto line = [](QLineEdit* e) { return [e](const std::string& t) { e->setText(FromBytes(t)); }; };
    bind(Aircraft_, box.Aircraft, shownAircraft_, line(Aircraft_));
    bind(Flight_, box.Flight, shownFlight_, line(Flight_));
    bind(txtCount_, box.txtCount, shownCount_, line(txtCount_));
    bind(txtOCA_, box.txtOCA, shownOCA_, line(txtOCA_));
    bind(txtRepeat_, box.txtRepeat, shownRepeat_, line(txtRepeat_));
    if (shownUTC_ != box.labUTC) {
        labUTC_->setText(FromBytes(box.labUTC));
        shownUTC_ = box.labUTC;
    }
}

void MainWindow::RunCommand(const char* procedure, const std::function<void()>& body)
{
    // Nothing escapes a menu command or a timer tick: a fault is logged and the program goes on.
    s_.Guard(procedure, kModule, body);
    RefreshBoxes();
    SyncMenus();
}

// ---- start-up and closing -------------------------------------------------------------------

void MainWindow::StartUp()
{
    splash_ = new SplashWindow(s_);
    splash_->show();
    QCoreApplication::processEvents();
    try {
        korval::StartUp(s_);  // settings, route and aircraft tables, the correction table
        ApplyPlacement();
        RefreshBoxes();
        SyncMenus();
        // Kept hidden for the whole run: both are stores the message chain reads.
        MapSettings()->LoadFromStore();
        DeleteAircraft();
        RelinkSources(s_);
        for (int n = 1; n <= 3; ++n)
            if (s_.opt.ShowMap(n) && mapHooks.showMap) mapHooks.showMap(n);
        if (splash_) splash_->close();
        Timer1_Timer(s_);
    } catch (...) {
        const Fault f = CurrentFault();
        s_.notifier().Message("Error " + std::to_string(f.number()) + " (" + f.description() + ") at line " +
                                  std::to_string(f.line()) + " in procedure Form_Load of Form ACARS",
                              "KORVAL", Icon::None);
    }
    RefreshBoxes();
    SyncMenus();
    Timer1_->start();
    Timer2_->start();
}

void MainWindow::ApplyPlacement()
{
    const Placement& p = s_.mainPlacement;
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!p.Present) {
        if (screen) move(screen->availableGeometry().center() - rect().center());
        return;
    }
    const QRect placed = FromStoredTwips(p, TwipsPerPixelX(this), TwipsPerPixelY(this));
    // A placement on a screen that is no longer there would open the window out of reach.
    bool reachable = false;
    for (QScreen* sc : QGuiApplication::screens()) reachable = reachable || sc->availableGeometry().intersects(placed);
    resize(placed.size());
    if (reachable)
        move(placed.topLeft());
    else if (screen)
        move(screen->availableGeometry().center() - rect().center());
}

void MainWindow::RecordPlacement()
{
    s_.mainMinimised = isMinimized();
    if (s_.mainMinimised) return;  // the placement of the last normal close stays
    std::optional<QRect> normal;
    if (isMaximized() || isFullScreen()) normal = normalGeometry();  // the size it comes back to
    s_.mainPlacement = ToStoredTwips(PlacementToStore(frameGeometry(), geometry(), normal), TwipsPerPixelX(this),
                                     TwipsPerPixelY(this));
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // Form_QueryUnload: the settings, then the end of the program with its windows and links.
    RecordPlacement();
    SaveSettings(s_);
    Timer1_->stop();
    Timer2_->stop();
    if (mapHooks.closeMaps) s_.Guard("Form_QueryUnload", kModule, [this] { mapHooks.closeMaps(); });
    if (s_.links) {
        for (LinkBox b : {LinkBox::AirData, LinkBox::SkyData, LinkBox::ANAData, LinkBox::HFDL, LinkBox::HFACARSData,
                          LinkBox::txtNewData})
            s_.Guard("Form_QueryUnload", kModule, [&] { s_.links->Unlink(b); });
    }
    for (QWidget* w : std::initializer_list<QWidget*>{otherDde_, tooFar_, deleteAircraft_, sbsKey_, splash_})
        if (w) w->hide();
    if (mapSettings_) mapSettings_->hide();
    event->accept();
    if (quitOnClose_) QCoreApplication::quit();
}

// ---- dialogs ----------------------------------------------------------------------------------

OtherDdeDialog* MainWindow::OtherDde()
{
    if (!otherDde_) otherDde_ = new OtherDdeDialog(s_);
    return otherDde_;
}

TooFarDialog* MainWindow::TooFar()
{
    if (!tooFar_) tooFar_ = new TooFarDialog(s_);
    return tooFar_;
}

DeleteAircraftDialog* MainWindow::DeleteAircraft()
{
    if (!deleteAircraft_) deleteAircraft_ = new DeleteAircraftDialog(s_);
    return deleteAircraft_;
}

SbsKeyDialog* MainWindow::SbsKey()
{
    if (!sbsKey_) sbsKey_ = new SbsKeyDialog();
    return sbsKey_;
}

SplashWindow* MainWindow::Splash() const
{
    return splash_;
}

MapSettingsDialog* MainWindow::MapSettings()
{
    if (!mapSettings_) mapSettings_ = new MapSettingsDialog(s_, mapHooks);
    return mapSettings_;
}

}  // namespace korval::ui
