#include "settings/dialog_saves.h"

#include <iterator>
#include <utility>

#include "maps/redraw.h"
#include "settings/profile.h"
#include "settings/settings.h"
#include "station/station.h"
#include "text/convert.h"

namespace korval {

bool SaveDDEServerSettings(Station& s, const std::string& server, const std::string& topic, int format)
{
    const SettingWrite writes[] = {
        {"Korval", "NewServer", server}, {"Korval", "NewTopic", topic}, {"Korval", "Format", std::to_string(format)}};
    if (!WriteSettings(s, writes, SettingsOwner::DDEServer)) return false;
    // What the link to "Other" and its change event use from now on.
    s.dlg.txtServer = server;
    s.dlg.txtTopic = topic;
    s.dlg.DDEFormat = format;
    s.Notify(ChangeOptions);
    return true;
}

void SaveWrongPlotSettings(Station& s, const std::string& tooLat, const std::string& tooLong)
{
    const SettingWrite writes[] = {{"Filters", "TooLat", tooLat}, {"Filters", "TooLong", tooLong}};
    WriteSettings(s, writes, SettingsOwner::WrongPlot);  // as typed; a failure has its message
    s.dlg.txtTooLat = Format(tooLat, "00");
    s.dlg.txtTooLong = Format(tooLong, "00");
    s.Notify(ChangeOptions);
}

void SaveMapWideSettings(Station& s, const MapWideValues& v)
{
    const SettingWrite writes[] = {{"Menus", "MaxPlots", std::to_string(v.maxPlotIndex)},
                                   {"Menus", "ClearMapTime", v.clearMapTime},
                                   {"Menus", "SBSMins", v.sbsMins},
                                   {"Menus", "SBSOnly", v.sbsOnly ? "1" : "0"}};
    WriteSettings(s, writes, SettingsOwner::MapSettings);
    // The store the redraws, SBS-1 ageing, plot limit and daily clearing read.
    s.dlg.comMaxPlot = v.maxPlotIndex;
    s.dlg.txtClearMapTime = v.clearMapTime;
    s.dlg.txtSBSOldPlotLimit = v.sbsMins;
    s.dlg.chkSBS = v.sbsOnly;
    s.Notify(ChangeOptions);
}

void SaveMapSettings(Station& s, int n, const MapValues& v, const std::function<void()>& showWindow)
{
    const std::string section = "Map" + std::to_string(n) + " Settings";
    const std::pair<std::int32_t, std::string MapConfig::*> colours[] = {{v.ACIDBack, &MapConfig::ACIDBackText},
                                                                         {v.ACIDText, &MapConfig::ACIDTextText},
                                                                         {v.Circle, &MapConfig::CircleText},
                                                                         {v.Line, &MapConfig::LineText}};
    const SettingWrite writes[] = {
        {section, "N", v.N},
        {section, "E", v.E},
        {section, "S", v.S},
        {section, "W", v.W},
        {section, "MapPath", v.MapPath},
        {section, "ACIDBack", std::to_string(v.ACIDBack)},
        {section, "ACIDText", std::to_string(v.ACIDText)},
        {section, "Circle", std::to_string(v.Circle)},
        {section, "Line", std::to_string(v.Line)},
    };
    WriteSettings(s, writes, SettingsOwner::MapSettings);

    // The running map takes the new values at once, whether or not the file could be written.
    MapConfig& m = s.map[n - 1];
    m.N = LatitudeEdge(v.N);
    m.E = LongitudeEdge(v.E);
    m.S = LatitudeEdge(v.S);
    m.W = LongitudeEdge(v.W);
    m.MapPath = v.MapPath;
    for (const auto& [value, text] : colours) m.*text = std::to_string(value);
    m.ACIDBack = v.ACIDBack;
    m.ACIDText = v.ACIDText;
    m.Circle = v.Circle;
    m.Line = v.Line;

    if (v.MapPath == kNoMapChosen) {
        s.opt.mnuShowMapEnabled[n - 1] = false;
        s.Notify(ChangeOptions | ChangeMaps);
        return;
    }
    s.opt.mnuShowMapEnabled[n - 1] = true;
    if (showWindow) s.Guard("cmdSave_Click", "frmMapSettings", showWindow);
    s.opt.ShowMap(n) = true;
    s.Notify(ChangeOptions | ChangeMaps);
    void (*const redraw[])(Station&) = {NewPlot1, NewPlot2, NewPlot3};
    redraw[n - 1](s);
}

}  // namespace korval
