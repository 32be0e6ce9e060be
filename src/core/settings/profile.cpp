#include "settings/profile.h"

#include "station/station.h"
#include "text/convert.h"

namespace korval {

std::string_view ReaderMessage(SettingsOwner owner)
{
    switch (owner) {
        case SettingsOwner::Main:
            return "An error has occurred checking your Korval settings";
        case SettingsOwner::DDEServer:
            return "You have not set your DDE details";
        case SettingsOwner::WrongPlot:
            return "No Settings";
        case SettingsOwner::MapSettings:
            return "You have not selected a map";
        case SettingsOwner::MapWindow:
            return "An error has occurred while calling the API function";
    }
    return "An error has occurred checking your Korval settings";
}

std::string_view WriterMessage(SettingsOwner owner)
{
    return owner == SettingsOwner::Main ? "An error has occurred saving your settings"
                                        : "An error has occurred while calling the API function";
}

ReadResult ReadSetting(Station& s, const IniDocument& doc, SettingsCursor& c, SettingsOwner owner)
{
    std::optional<std::string_view> raw = doc.Get(c.Section, c.Key);
    if (!raw) {
        c.Value = s.SettingsFile().string();
        return ReadResult::Absent;
    }
    std::string value = Trim(*raw);
    if (value.empty()) {
        s.notifier().Message(ReaderMessage(owner), "KORVAL", Icon::Exclamation);
        return ReadResult::Empty;
    }
    c.Value = std::move(value);
    return ReadResult::Value;
}

ReadResult ReadSetting(Station& s, SettingsCursor& c, SettingsOwner owner)
{
    IniFileRead file = ReadIniFile(s.SettingsFile());
    return ReadSetting(s, file.doc, c, owner);
}

bool WriteSetting(Station& s, const SettingsCursor& c, SettingsOwner owner)
{
    const SettingWrite one{c.Section, c.Key, c.Value};
    return WriteSettings(s, std::span<const SettingWrite>(&one, 1), owner);
}

bool WriteSettings(Station& s, std::span<const SettingWrite> writes, SettingsOwner owner)
{
    IniFileRead file = ReadIniFile(s.SettingsFile());
    bool ok = file.status == IniFileStatus::Read || file.status == IniFileStatus::Missing;
    for (const SettingWrite& w : writes) {
        if (!ok) break;
        ok = file.doc.Set(w.Section, w.Key, w.Value);
    }
    std::string reason;
    if (ok) ok = WriteIniFileAtomically(s.SettingsFile(), file.doc, reason);
    if (!ok) s.notifier().Message(WriterMessage(owner), "KORVAL", Icon::Exclamation);
    return ok;
}

}  // namespace korval
