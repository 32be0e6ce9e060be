#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "decode/format_table.h"
#include "reformat/waypoint_file.h"
#include "station/seams.h"
#include "text/fault.h"
#include "tracking/collection.h"
#include "tracking/records.h"

namespace korval {

class MapView;   // maps/canvas.h
class LinkPort;  // station/links.h

// Windows colour values, 0x00BBGGRR.
namespace colour {
inline constexpr std::uint32_t DarkRed = 0xC0;
inline constexpr std::uint32_t White = 0xFFFFFF;
inline constexpr std::uint32_t PaleYellow = 0xC0FFFF;
inline constexpr std::uint32_t WindowText = 0x80000008;  // system colour
inline constexpr std::uint32_t Navy = 0x800000;
inline constexpr std::uint32_t Orange = 0x80FF;
inline constexpr std::uint32_t Red = 0xFF;
inline constexpr std::uint32_t Yellow = 0xFFFF;
inline constexpr std::uint32_t Cyan = 0xFFFF00;
inline constexpr std::uint32_t Black = 0;
inline constexpr std::uint32_t Green = 0xC000;
inline constexpr std::uint32_t Corrected = 0xC000C0;  // registration/flight corrected
}  // namespace colour

// What changed, for the windows and the outgoing link to repaint or republish.
enum Change : unsigned {
    ChangeBoxes = 1u << 0,     // Aircraft, Flight, txtRepeat texts or colours
    ChangeLiveData = 1u << 1,  // LiveData was set (every processed message, even the same text)
    ChangeCounters = 1u << 2,  // txtCount, txtOCA, RefusedTexts
    ChangeClock = 1u << 3,     // labUTC
    ChangeMaps = 1u << 4,      // what the maps draw (RefreshMaps)
    ChangeOptions = 1u << 5,   // menu check marks, dialog stores, map settings
};
using ChangeFlags = unsigned;

// A text box of the main window.
struct Box {
    std::string Text;
    std::uint32_t ForeColor = colour::WindowText;
    std::uint32_t BackColor = colour::White;
    bool Visible = true;
    int Width = 0;  // twips; 0 when the layout decides
};

// The text boxes and labels of the main window `ACARS` that the core fills.
struct MainBoxes {
    Box LiveData{"", colour::WindowText, colour::PaleYellow};
    Box Aircraft{"", colour::White, colour::DarkRed};
    Box Flight{"", colour::White, colour::DarkRed};
    Box txtCount{"0", colour::White, colour::Navy};
    Box txtOCA{"0", colour::White, colour::Navy};
    Box txtRepeat{"", colour::Black, colour::Yellow, false};
    std::string labUTC = "UTC: 0000";
};

// Option states, named after the menu items whose check marks they are.
struct Options {
    bool mnuAir = false, mnuSky = false, mnuANAD = false, mnuPCHFDL = false, mnuNew = false;
    bool mnuDecErr = false, mnuRepeats = false, mnuSQ = false, mnuTooFar = false, mnuSBS = false;
    bool mnuBeep = false, mnuRegFlight = false, mnuHF_FlNo = false, mnuDailyClearMap = false;
    bool mnuShowMap1 = false, mnuShowMap2 = false, mnuShowMap3 = false, mnuMapSettings = false;
    bool mnuTag = false, mnuRefOCA = false, mnuWaypoints = false;
    // Decode Modern Formats: ADS-C reports and the format table read the message as it arrived,
    // every position keeps its source, implausible positions are refused.
    bool mnuExtendedDecoding = false;
    // The Maps menu offers Export Tracks... (not a check mark: read from the settings, never
    // written).
    bool mnuExportTracks = false;
    // Enabled state of the Show Map items (the map settings dialog disables one without a map).
    bool mnuShowMapEnabled[3] = {true, true, true};

    // The Show Map item of map n (1..3).
    bool& ShowMap(int n) { return n == 1 ? mnuShowMap1 : n == 2 ? mnuShowMap2 : mnuShowMap3; }
    bool ShowMap(int n) const { return n == 1 ? mnuShowMap1 : n == 2 ? mnuShowMap2 : mnuShowMap3; }
};

// Values that live in the controls of dialogs that stay loaded (hidden) for the whole run.
struct DialogStores {
    // frmOtherDDE
    std::string txtServer = "Set";
    std::string txtTopic = "Set";
    int DDEFormat = 3;  // 1 Airmaster, 2 ANAD, anything else neither
    // frmMapSettings: the four map-wide options
    bool chkSBS = false;
    std::string txtSBSOldPlotLimit = "15";
    int comMaxPlot = 0;  // index into All, 20, 40, 60, 80, 100, 125, 150, 200
    std::string txtClearMapTime = "0000";
    // frmTooFarSettings
    std::string txtTooLat = "8";
    std::string txtTooLong = "10";
};

// One map's configuration as loaded from its settings section.
struct MapConfig {
    // Edges in thousandths of a degree as text ("52500", "-007500").
    std::string N, S, E, W;
    std::string MapPath;
    std::string ACIDBackText, ACIDTextText, CircleText, LineText;  // as stored
    std::int32_t ACIDBack = 0xFFFFFF;
    std::int32_t ACIDText = 0;
    std::int32_t Circle = 0xFF;
    std::int32_t Line = 0xFF0000;
};

// A window's placement in twips; `Present` is false when the settings file had none.
struct Placement {
    bool Present = false;
    float Left = 0, Top = 0, Width = 0, Height = 0;
};

// The flags of the message in hand: all false, and no NAT, at the start of every message
// (Clear_Flags), so a flag can never be left standing from the message before.
struct MessageFlags {
    bool PositionReformatted = false;
    bool OceanicMessage = false;
    bool REQPWIMessage = false;
    bool GanderMessage = false;
    bool SBSMessage = false;
    bool SAExpanded = false;
    bool B9Expanded = false;
    bool HFDLMessage = false;
    bool HFFlightAsID = false;
    bool RegFlightCorrected = false;
    std::string CurrentNAT;
    // Log_Message has run for this message, with this header ("" for none; a literal of the
    // header table): the counting step's second call is a repeat unless the header or the text
    // changed in between.
    bool LoggedInHand = false;
    std::string_view LoggedHeader;
};

// The message in hand: its text, the values the chain reads from it, and its flags. Each
// message's chain sets the values before it reads them.
struct MessageInHand : MessageFlags {
    std::string CurrentMessage;
    std::string CurrentReg;    // characters 31-37 with dots
    std::string CurrentMsgNo;  // characters 80-84
    std::string CurrentFlight;
    std::string CurrentID;
    std::string CurrentKey;
    std::string RepeatKey;
    std::string PositionText;
    bool PositionFound = false;  // cleared with the display (Reset_Display)
    std::string CurrentMach, CurrentLevel, CurrentEPT;
    std::string CurrentRoute, CurrentACDetails;

    // Where each entry of PositionText came from, one per entry, in order (PositionSources[i]
    // names entry i): the rewrite rules that fired, a format of the table, "ADS-C basic",
    // "HFDL", "SBS-1". Set with PositionText; never read by the specified chain.
    std::vector<std::string> PositionSources;
    // Numbers of the rewrite rules whose patterns matched during the last ReformatData, in order.
    std::vector<int> RulesFired;
    // With Decode Modern Formats on: the label and the content (characters 125 on) of the message
    // as it arrived, before anything rewrote it; and the positions the decoders read from it.
    std::string ArrivedLabel, ArrivedContent;
    bool ArrivedUplink = false;
    bool Decoded = false;  // a decoder recognised the message: DecodedPositions replace the rules' result
    std::vector<DecodedPosition> DecodedPositions;
};

// The state of Decode Modern Formats (screening/extended.h): the format table, the counters and
// what the plausibility gate remembers of each aircraft.
struct ExtendedState {
    FormatTable formats;  // formats.wdf of the program folder
    bool formatsLoaded = false;
    std::int64_t adscCrcFailures = 0;   // ADS-C reports refused for their check sum
    std::int64_t positionsRefused = 0;  // positions refused by the plausibility gate
    // The last position the gate accepted for each tracking key: thousandths of a degree and the
    // clock's time in seconds since 1970.
    struct Fix {
        std::int32_t lat = 0, lon = 0;
        std::int64_t seconds = 0;
    };
    std::unordered_map<std::string, Fix> lastAccepted;
    std::unordered_set<std::string> refusalLogged;  // keys whose first refusal is in the error log
    // The last position taken and its source, for the position count's tool tip.
    std::string lastPosition, lastSource;
};

// The boxes a decoder link delivers into.
enum class LinkBox { AirData, SkyData, ANAData, HFDL, HFACARSData, txtNewData };
inline constexpr std::size_t kLinkBoxes = 6;
constexpr std::size_t BoxIndex(LinkBox box)
{
    return static_cast<std::size_t>(box);
}

// Running totals since start, for views of the station's health (the headless status line):
// the texts each link box delivered, how many of them Fill_Boxes counted, and the error-log
// entries written for faults. Never reset; a view keeps the copy it showed last to tell what
// changed since.
struct TrafficCounts {
    std::array<std::uint64_t, kLinkBoxes> received{};
    std::array<std::uint64_t, kLinkBoxes> counted{};
    std::uint64_t errorsLogged = 0;
};

// What "Clear Maps Now" took off the maps, in collection order with the records' keys, kept
// so that it can be put back.
struct ClearedPlots {
    std::vector<KeyedCollection<korval::Aircraft>::Kept> aircraft;
    std::vector<KeyedCollection<korval::RouteLine>::Kept> routeLines;
    bool Empty() const { return aircraft.empty() && routeLines.empty(); }
};

// The one object that owns all state of a running KORVAL: what the windows show, the option
// states, the dialog stores, the message in hand with its flags, the tables and the tracked
// records. The procedures of the message chain are free functions over a Station; the seams
// (clock, notifier, program folder) are the only ways it meets the world.
class Station : public MessageInHand {
public:
    Station(std::filesystem::path home, Clock& clock, Notifier& notifier);
    Station(const Station&) = delete;
    Station& operator=(const Station&) = delete;

    // ---- seams ---------------------------------------------------------------------------
    const std::filesystem::path& Home() const { return home_; }
    std::filesystem::path SettingsFile() const { return home_ / "KORVAL.ini"; }
    std::filesystem::path LogsFolder() const { return home_ / "Logs"; }
    Clock& clock() const { return *clock_; }
    Notifier& notifier() const { return *notifier_; }

    using Listener = std::function<void(ChangeFlags)>;
    int Subscribe(Listener listener);
    void Unsubscribe(int id);
    void Notify(ChangeFlags what);

    // ---- the standard error handler -----------------------------------------------------
    // Runs `body`; on a fault sets ErrProcedure/ErrModule, writes the full error-log entry and
    // returns false (the procedure's default); true when the body finished.
    template <class F>
    bool Guard(std::string_view procedure, std::string_view module, F&& body)
    {
        try {
            body();
            return true;
        } catch (...) {
            LogFault(CurrentFault(), procedure, module);
            return false;
        }
    }
    // The same with the one-line entry.
    template <class F>
    bool GuardLine(std::string_view procedure, std::string_view module, F&& body)
    {
        try {
            body();
            return true;
        } catch (...) {
            LogFaultLine(CurrentFault(), procedure, module);
            return false;
        }
    }
    void LogFault(const Fault& fault, std::string_view procedure, std::string_view module);
    void LogFaultLine(const Fault& fault, std::string_view procedure, std::string_view module);
    // Write one full / short entry for `fault` with the current ErrProcedure and ErrModule.
    void Write_ErrorLog(const Fault& fault);
    void Write_ErrorLine(const Fault& fault);
    // The entry texts (without the final CR LF that the write adds).
    std::string FullErrorEntry(const Fault& fault) const;
    std::string ShortErrorEntry(const Fault& fault) const;

    // ---- main window state ---------------------------------------------------------------
    MainBoxes box;
    Options opt;
    DialogStores dlg;
    MapConfig map[3];
    Placement mainPlacement;
    Placement mapPlacement[3];
    bool mainMinimised = false;

    // The link layer the DDE menu drives; null when the station runs without links.
    LinkPort* links = nullptr;

    // The hidden link boxes: the last text each delivered.
    std::string AirData, SkyData, ANAData, HFDL, HFACARSData, txtNewData;
    // The box the message in hand came from (none for a message the station made itself).
    std::optional<LinkBox> SourceInHand;
    TrafficCounts traffic;

    // ---- the message in hand (MessageInHand) -------------------------------------------------
    MessageInHand& Message() { return *this; }
    MessageFlags& Flags() { return *this; }

    // The repeat store (text of the hidden txtMessCheck): CR LF + key, oldest first.
    std::string txtMessCheck;

    // waypoints.wdf and OCAwaypoints.wdf, kept while each file is unchanged.
    WaypointFile waypointsFile, ocaWaypointsFile;

    // Decode Modern Formats.
    ExtendedState extended;

    // ---- error-log state ---------------------------------------------------------------------
    std::string ErrProcedure, ErrModule, ErrorFile, ErrorText;
    // The missing-Logs-folder message was shown and no position-log write has succeeded since.
    bool LogsFolderMissingShown = false;
    // Link texts refused since start for being longer than a link box holds (for a status line).
    std::int64_t RefusedTexts = 0;

    // ---- tables loaded at start ------------------------------------------------------------
    std::vector<std::string> RoutesFileLines, AircraftFileLines, RegFlightLines;

    // ---- tracked records and shared tracking variables ------------------------------------
    KeyedCollection<korval::Aircraft> AircraftCol;
    KeyedCollection<korval::SBSAircraft> SBSAircraftCol;
    KeyedCollection<korval::RouteLine> RouteLineCol;
    std::shared_ptr<korval::Aircraft> CurrentAircraft;
    std::shared_ptr<korval::SBSAircraft> CurrentSBSAircraft;
    std::shared_ptr<korval::RouteLine> CurrentRouteLine;
    // What the last "Clear Maps Now" took away, until it is put back or the maps are cleared
    // again.
    ClearedPlots MapsCleared;
    std::vector<std::string> PositionArray;
    std::int16_t PosIndex = 0;
    std::string RouteOldPos, RouteNewPos, UpdatedLocation;
    std::int16_t AltChangeCode = 0;
    std::int16_t MinuteCount = 0;   // minutes since the last 00:00 UTC seen
    std::int64_t OceanicCount = 0;  // clearances taken since start
    bool ShowNewAircraft = false;
    int Timer2Ticks = 0;

    // ---- maps ------------------------------------------------------------------------------
    // Projection of the map being redrawn, recomputed by every redraw: edges in thousandths of a
    // degree, scales in twips per thousandth of a degree (LatScale negative for a north-up map).
    std::int32_t EdgeW = 0, EdgeN = 0, EdgeE = 0, EdgeS = 0;
    float LatScale = 0, LonScale = 0;
    // Results of the coordinate procedures, in twips: line ends (single precision) and the
    // marker point (rounded, halves to even).
    float LineX1 = 0, LineY1 = 0, LineX2 = 0, LineY2 = 0;
    std::int32_t PlotX = 0, PlotY = 0;
    // The map windows, map n at [n - 1]; a map with no view is not drawn.
    MapView* mapView[3] = {};

    // Minutes since the station started, never going back: adds 1440 whenever the clock's
    // HHMM is earlier than the one seen before. Updated by TimelineNow().
    std::int64_t TimelineNow();

private:
    std::filesystem::path home_;
    Clock* clock_;
    Notifier* notifier_;
    std::vector<std::pair<int, Listener>> listeners_;
    int nextListener_ = 1;
    bool errorLogWarned_ = false;
    bool timelineStarted_ = false;
    int timelineLastHHMM_ = 0;  // minutes of the day last seen
    std::int64_t timelineDayBase_ = 0;
};

}  // namespace korval
