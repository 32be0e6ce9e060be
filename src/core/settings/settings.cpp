#include "settings/settings.h"

#include "station/station.h"

namespace korval {

void LoadSettings(Station&) {}
void SaveSettings(Station&) {}

}  // namespace korval
