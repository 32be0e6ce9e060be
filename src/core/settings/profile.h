#pragma once

#include <span>
#include <string>
#include <string_view>

#include "settings/ini.h"

namespace korval {

class Station;

// Who reads or writes KORVAL.ini: the main settings module and the windows that keep their
// own copies of the two primitives. Each tells the user of a failure in its own words.
enum class SettingsOwner { Main, DDEServer, WrongPlot, MapSettings, MapWindow };

// Shown (exclamation icon, title "KORVAL") when a key is present with an empty value.
std::string_view ReaderMessage(SettingsOwner owner);
// Shown when the file cannot be written.
std::string_view WriterMessage(SettingsOwner owner);

// The current section, current key and the value last read or to be written: the primitives
// take their arguments from here and leave their result here.
struct SettingsCursor {
    std::string Section;
    std::string Key;
    std::string Value;
};

enum class ReadResult {
    Value,   // Value holds the text, blanks around it removed, never cut
    Absent,  // no such key (or no readable file): Value holds the settings file's full path
    Empty,   // the key is there with nothing after "=": the owner's message, Value unchanged
};

// Reads the cursor's key from the settings file.
ReadResult ReadSetting(Station& s, SettingsCursor& c, SettingsOwner owner = SettingsOwner::Main);
// The same from a document already read (a load reads the file once for all its keys).
ReadResult ReadSetting(Station& s, const IniDocument& doc, SettingsCursor& c,
                       SettingsOwner owner = SettingsOwner::Main);

// Writes the cursor's value under its key; false, after the owner's message, when it failed.
bool WriteSetting(Station& s, const SettingsCursor& c, SettingsOwner owner = SettingsOwner::Main);

struct SettingWrite {
    std::string Section;
    std::string Key;
    std::string Value;
};
// Writes several keys in one replacement of the file: all of them or, after the owner's one
// message, none. An existing file that cannot be read is never replaced, so nothing of it is lost.
bool WriteSettings(Station& s, std::span<const SettingWrite> writes, SettingsOwner owner = SettingsOwner::Main);

}  // namespace korval
