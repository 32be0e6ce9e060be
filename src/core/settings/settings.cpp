#include "settings/settings.h"

#include <cmath>
#include <optional>
#include <variant>
#include <vector>

#include "settings/profile.h"
#include "station/station.h"
#include "text/convert.h"

namespace korval {
namespace {

// ---- the settings table ----------------------------------------------------------------------

// Menu check marks, in the order they are written at close. `MapSettings` and `ExportTracks` are
// read, never written.
// An option added after the settings files of the first users existed is written only once it is
// on or its key is in the file, so a file that never had it stays as it was.
struct OptionRow {
    const char* section;
    const char* key;
    bool Options::*member;
    bool writtenAtClose;
    bool writtenOnceUsed = false;
};

const OptionRow kOptionRows[] = {
    {"KORVAL", "Airmaster", &Options::mnuAir, true},
    {"KORVAL", "SkySpy", &Options::mnuSky, true},
    {"KORVAL", "ANAD", &Options::mnuANAD, true},
    {"KORVAL", "PCHFDL", &Options::mnuPCHFDL, true},
    {"KORVAL", "New", &Options::mnuNew, true},
    {"Menus", "Map1", &Options::mnuShowMap1, true},
    {"Menus", "Map2", &Options::mnuShowMap2, true},
    {"Menus", "Map3", &Options::mnuShowMap3, true},
    {"Menus", "Tag", &Options::mnuTag, true},
    {"Menus", "RefOCA", &Options::mnuRefOCA, true},
    {"Menus", "DailyClearMap", &Options::mnuDailyClearMap, true},
    {"Menus", "Waypoints", &Options::mnuWaypoints, true},
    {"Menus", "Beep", &Options::mnuBeep, true},
    {"Menus", "RegFlight", &Options::mnuRegFlight, true},
    {"Menus", "FlightNo", &Options::mnuHF_FlNo, true},
    {"Filters", "Errors", &Options::mnuDecErr, true},
    {"Filters", "Repeats", &Options::mnuRepeats, true},
    {"Filters", "SQ", &Options::mnuSQ, true},
    {"Filters", "SBS", &Options::mnuSBS, true},
    {"Filters", "TooFar", &Options::mnuTooFar, true},
    {"Menus", "ExtendedDecoding", &Options::mnuExtendedDecoding, true, true},
    {"Menus", "MapSettings", &Options::mnuMapSettings, false},
    {"Menus", "ExportTracks", &Options::mnuExportTracks, false},
};

// Placement keys (single-precision twips) in the order they are written.
struct PlacementKey {
    const char* key;
    float Placement::*member;
};
const PlacementKey kMainPlacement[] = {
    {"Left", &Placement::Left}, {"Top", &Placement::Top}, {"Height", &Placement::Height}, {"Width", &Placement::Width}};
const PlacementKey kMapPlacement[] = {
    {"Top", &Placement::Top}, {"Left", &Placement::Left}, {"Height", &Placement::Height}, {"Width", &Placement::Width}};
const char* const kMapPlacementSection[] = {"Map1", "Map2", "Map3"};

// Values kept in the controls of the dialogs.
enum class Conv {
    Text,       // as typed
    ClockTime,  // hours and minutes, at least four digits ("30" is "0030")
    Whole,      // 16-bit whole number
    ListIndex,  // index into the plot-limit list, 0 to 8
    Check,      // check box value, a whole number; 0 is unchecked
};
using DialogMember = std::variant<std::string DialogStores::*, int DialogStores::*, bool DialogStores::*>;
struct DialogRow {
    SettingsOwner owner;
    const char* section;
    const char* key;
    Conv conv;
    DialogMember member;
    bool readByMainLoad;  // NewServer and NewTopic belong to the main settings' own rows
};

const DialogRow kDialogRows[] = {
    {SettingsOwner::DDEServer, "Korval", "NewServer", Conv::Text, &DialogStores::txtServer, true},
    {SettingsOwner::DDEServer, "Korval", "NewTopic", Conv::Text, &DialogStores::txtTopic, true},
    {SettingsOwner::DDEServer, "Korval", "Format", Conv::Whole, &DialogStores::DDEFormat, false},
    {SettingsOwner::WrongPlot, "Filters", "TooLat", Conv::Text, &DialogStores::txtTooLat, false},
    {SettingsOwner::WrongPlot, "Filters", "TooLong", Conv::Text, &DialogStores::txtTooLong, false},
    {SettingsOwner::MapSettings, "Menus", "SBSOnly", Conv::Check, &DialogStores::chkSBS, false},
    {SettingsOwner::MapSettings, "Menus", "SBSMins", Conv::Text, &DialogStores::txtSBSOldPlotLimit, false},
    {SettingsOwner::MapSettings, "Menus", "MaxPlots", Conv::ListIndex, &DialogStores::comMaxPlot, false},
    {SettingsOwner::MapSettings, "Menus", "ClearMapTime", Conv::ClockTime, &DialogStores::txtClearMapTime, false},
};
constexpr int kMaxPlotIndex = 8;  // "All", 20, 40, 60, 80, 100, 125, 150, 200

// The nine keys of each "MapN Settings" section.
enum class MapConv { LatitudeEdge, LongitudeEdge, Text, Colour };
struct MapRow {
    const char* key;
    MapConv conv;
    std::string MapConfig::*text;
    std::int32_t MapConfig::*colour;  // colours are held as text and as a number
};
const MapRow kMapRows[] = {
    {"N", MapConv::LatitudeEdge, &MapConfig::N, nullptr},
    {"E", MapConv::LongitudeEdge, &MapConfig::E, nullptr},
    {"S", MapConv::LatitudeEdge, &MapConfig::S, nullptr},
    {"W", MapConv::LongitudeEdge, &MapConfig::W, nullptr},
    {"MapPath", MapConv::Text, &MapConfig::MapPath, nullptr},
    {"ACIDBack", MapConv::Colour, &MapConfig::ACIDBackText, &MapConfig::ACIDBack},
    {"ACIDText", MapConv::Colour, &MapConfig::ACIDTextText, &MapConfig::ACIDText},
    {"Circle", MapConv::Colour, &MapConfig::CircleText, &MapConfig::Circle},
    {"Line", MapConv::Colour, &MapConfig::LineText, &MapConfig::Line},
};
const char* const kMapSection[] = {"Map1 Settings", "Map2 Settings", "Map3 Settings"};

// ---- loading ---------------------------------------------------------------------------------

// Reads keys from one reading of the file and collects the values that could not be used.
class Loader {
public:
    Loader(Station& s, const IniDocument& doc) : s_(s), doc_(doc) {}

    // The converted value, or nullopt when the key is absent, empty (the owner's message) or
    // its text does not convert (noted for Report).
    template <class Convert>
    auto Value(SettingsOwner owner, std::string_view section, std::string_view key, Convert convert)
        -> std::optional<decltype(convert(std::string()))>
    {
        SettingsCursor c{std::string(section), std::string(key), {}};
        if (ReadSetting(s_, doc_, c, owner) != ReadResult::Value) return std::nullopt;
        try {
            return convert(c.Value);
        } catch (const Fault&) {
            unusable_.push_back("[" + c.Section + "] " + c.Key + "=" + c.Value);
            return std::nullopt;
        }
    }

    // One message naming every value that could not be used.
    void Report() const
    {
        if (unusable_.empty()) return;
        constexpr std::size_t kNamed = 8;
        std::string text = "These Korval settings could not be used and have their defaults:";
        for (std::size_t i = 0; i < unusable_.size() && i < kNamed; ++i) {
            text += '\n';
            text += Left(unusable_[i], 120);  // a long garbage value is named, not quoted whole
        }
        if (unusable_.size() > kNamed) {
            text += "\nand ";
            text += std::to_string(unusable_.size() - kNamed);
            text += " more";
        }
        s_.notifier().Message(text, "KORVAL", Icon::Exclamation);
    }

private:
    Station& s_;
    const IniDocument& doc_;
    std::vector<std::string> unusable_;
};

float Single(const std::string& v)
{
    float f = CSng(v);
    if (!std::isfinite(f)) Raise(err::Overflow);
    return f;
}

// The text to write for a placement value: the file's own text while it still reads as that
// value, so a number is saved as the user wrote it ("99999999", which single precision holds
// as 1E+08, stays "99999999"); otherwise the value's shortest text.
std::string PlacementText(const IniDocument& file, const char* section, const char* key, float value)
{
    if (std::optional<std::string_view> written = file.Get(section, key)) {
        try {
            std::string text = Trim(*written);
            if (Single(text) == value) return text;
        } catch (const Fault&) {
            // not a number: the value replaces it
        }
    }
    return SingleText(value);
}

// The placement keys a window writes as it closes.
void AddPlacementWrites(std::vector<SettingWrite>& writes, const IniDocument& file, const char* section,
                        const PlacementKey (&keys)[4], const Placement& p)
{
    for (const PlacementKey& k : keys)
        if (std::isfinite(p.*k.member))
            writes.push_back({section, k.key, PlacementText(file, section, k.key, p.*k.member)});
}

void LoadPlacement(Loader& l, SettingsOwner owner, const char* section, const PlacementKey (&keys)[4],
                   Placement& target)
{
    Placement p;
    int found = 0;
    for (const PlacementKey& k : keys) {
        if (auto v = l.Value(owner, section, k.key, Single)) {
            p.*k.member = *v;
            ++found;
        }
    }
    p.Present = found == 4;  // a window is placed only by a complete set
    target = p;
}

void LoadOptions(Loader& l, Options& opt)
{
    const Options defaults;
    for (const OptionRow& r : kOptionRows)
        opt.*r.member = l.Value(SettingsOwner::Main, r.section, r.key, CBool).value_or(defaults.*r.member);
}

void LoadDialogRows(Loader& l, DialogStores& d, SettingsOwner which, bool mainLoad)
{
    const DialogStores defaults;
    for (const DialogRow& r : kDialogRows) {
        if (r.owner != which) continue;
        SettingsOwner owner = mainLoad && r.readByMainLoad ? SettingsOwner::Main : r.owner;
        std::visit(
            [&](auto member) {
                using T = std::remove_reference_t<decltype(d.*member)>;
                auto convert = [&r](const std::string& v) -> T {
                    if constexpr (std::is_same_v<T, std::string>) {
                        return r.conv == Conv::ClockTime ? Format(v, "0000") : v;
                    } else if constexpr (std::is_same_v<T, bool>) {
                        return CInt(v) != 0;
                    } else {
                        int n = CInt(v);
                        if (r.conv == Conv::ListIndex && (n < 0 || n > kMaxPlotIndex)) Raise(err::InvalidCall);
                        return n;
                    }
                };
                d.*member = l.Value(owner, r.section, r.key, convert).value_or(defaults.*member);
            },
            r.member);
    }
}

void LoadMap(Loader& l, MapConfig& map, const char* section)
{
    const MapConfig defaults;
    for (const MapRow& r : kMapRows) {
        switch (r.conv) {
            case MapConv::LatitudeEdge:
            case MapConv::LongitudeEdge: {
                // Edges that are not numbers stay as text; drawing that map reports them.
                auto edge = r.conv == MapConv::LatitudeEdge ? LatitudeEdge : LongitudeEdge;
                map.*r.text = l.Value(SettingsOwner::Main, section, r.key, edge).value_or(defaults.*r.text);
                break;
            }
            case MapConv::Text:
                map.*r.text = l.Value(SettingsOwner::Main, section, r.key, [](const std::string& v) {
                                   return v;
                               }).value_or(defaults.*r.text);
                break;
            case MapConv::Colour: {
                auto colour = l.Value(SettingsOwner::Main, section, r.key, [](const std::string& v) {
                    return std::pair<std::string, std::int32_t>(v, CLng(v));  // 32-bit signed, 0x00BBGGRR
                });
                map.*r.text = colour ? colour->first : defaults.*r.text;
                map.*r.colour = colour ? colour->second : defaults.*r.colour;
                break;
            }
        }
    }
}

// Reads the file once and tells the user when it exists but is not usable as it stands.
IniDocument ReadForLoad(Station& s)
{
    IniFileRead file = ReadIniFile(s.SettingsFile());
    const std::string path = s.SettingsFile().string();
    switch (file.status) {
        case IniFileStatus::Missing:
            break;  // a first start: the defaults are the settings
        case IniFileStatus::Unreadable:
            s.notifier().Message("Can't read your Korval settings file " + path + " (" + file.reason +
                                     "); the default settings are used",
                                 "KORVAL", Icon::Exclamation);
            break;
        case IniFileStatus::TooLarge:
            s.notifier().Message("Your Korval settings file " + path + " is too large to be a settings file (" +
                                     file.reason + "); the default settings are used",
                                 "KORVAL", Icon::Exclamation);
            break;
        case IniFileStatus::Read:
            if (!file.doc.BadLines().empty()) {
                const auto& bad = file.doc.BadLines();
                s.notifier().Message("Your Korval settings file " + path + " has " + std::to_string(bad.size()) +
                                         " line(s) that are not settings, the first is line " +
                                         std::to_string(bad.front()) + "; they are ignored and kept as they are",
                                     "KORVAL", Icon::Exclamation);
            }
            break;
    }
    return std::move(file.doc);
}

template <class Body>
void LoadFromFile(Station& s, const char* procedure, Body body)
{
    s.Guard(procedure, "ini_settings", [&] {
        IniDocument doc = ReadIniFile(s.SettingsFile()).doc;
        Loader l(s, doc);
        body(l);
        l.Report();
    });
    s.Notify(ChangeOptions);
}

}  // namespace

std::string LatitudeEdge(std::string_view degrees)
{
    return ReplaceAll(Format(degrees, "00.000;-00.000"), ".", "");
}

std::string LongitudeEdge(std::string_view degrees)
{
    return ReplaceAll(Format(degrees, "000.000;-000.000"), ".", "");
}

void LoadSettings(Station& s)
{
    s.Guard("LoadSettings", "ini_settings", [&] {
        IniDocument doc = ReadForLoad(s);
        Loader l(s, doc);
        LoadPlacement(l, SettingsOwner::Main, "Korval", kMainPlacement, s.mainPlacement);
        LoadOptions(l, s.opt);
        LoadDialogRows(l, s.dlg, SettingsOwner::DDEServer, true);
        LoadDialogRows(l, s.dlg, SettingsOwner::WrongPlot, true);
        LoadDialogRows(l, s.dlg, SettingsOwner::MapSettings, true);
        for (int n = 0; n < 3; ++n) LoadMap(l, s.map[n], kMapSection[n]);
        for (int n = 0; n < 3; ++n)
            LoadPlacement(l, SettingsOwner::MapWindow, kMapPlacementSection[n], kMapPlacement, s.mapPlacement[n]);
        l.Report();
    });
    s.Notify(ChangeOptions);
}

void SaveSettings(Station& s)
{
    s.Guard("SaveSettings", "ini_settings", [&] {
        std::vector<SettingWrite> writes;
        const Placement& p = s.mainPlacement;
        std::optional<IniDocument> current;  // read only when it is needed
        auto currentDoc = [&]() -> const IniDocument& {
            if (!current) current = ReadIniFile(s.SettingsFile()).doc;
            return *current;
        };
        if (!s.mainMinimised && p.Present) AddPlacementWrites(writes, currentDoc(), "KORVAL", kMainPlacement, p);
        for (const OptionRow& r : kOptionRows) {
            if (!r.writtenAtClose) continue;
            if (r.writtenOnceUsed && !(s.opt.*r.member) && !currentDoc().Get(r.section, r.key)) continue;
            writes.push_back({r.section, r.key, BoolText(s.opt.*r.member)});
        }
        WriteSettings(s, writes, SettingsOwner::Main);
    });
}

void LoadDDEServerSettings(Station& s)
{
    LoadFromFile(s, "frmOtherDDE_Load", [&](Loader& l) { LoadDialogRows(l, s.dlg, SettingsOwner::DDEServer, false); });
}

void LoadWrongPlotSettings(Station& s)
{
    LoadFromFile(s, "frmTooFarSettings_Load",
                 [&](Loader& l) { LoadDialogRows(l, s.dlg, SettingsOwner::WrongPlot, false); });
}

void LoadMapWideSettings(Station& s)
{
    LoadFromFile(s, "frmMapSettings_Load",
                 [&](Loader& l) { LoadDialogRows(l, s.dlg, SettingsOwner::MapSettings, false); });
}

void LoadMapWindowPlacement(Station& s, int n)
{
    if (n < 1 || n > 3) return;
    LoadFromFile(s, "frmMap_Load", [&](Loader& l) {
        LoadPlacement(l, SettingsOwner::MapWindow, kMapPlacementSection[n - 1], kMapPlacement, s.mapPlacement[n - 1]);
    });
}

bool SaveMapWindowPlacement(Station& s, int n)
{
    if (n < 1 || n > 3) return false;
    Placement& p = s.mapPlacement[n - 1];
    std::vector<SettingWrite> writes;
    AddPlacementWrites(writes, ReadIniFile(s.SettingsFile()).doc, kMapPlacementSection[n - 1], kMapPlacement, p);
    bool ok = WriteSettings(s, writes, SettingsOwner::MapWindow);
    if (ok) p.Present = writes.size() == 4;
    return ok;
}

}  // namespace korval
