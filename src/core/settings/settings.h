#pragma once

namespace korval {

class Station;

// Load every setting of KORVAL.ini into the station; write the close-time settings back.
void LoadSettings(Station& s);
void SaveSettings(Station& s);

}  // namespace korval
