#include "station/events.h"

namespace korval {

void StartUp(Station&) {}
void OnLinkText(Station&, LinkBox, std::string) {}
void AirData_Change(Station&) {}
void SkyData_Change(Station&) {}
void ANAData_Change(Station&) {}
void HFACARSData_Change(Station&) {}
void HFDL_Change(Station&) {}
void txtNewData_Change(Station&) {}

}  // namespace korval
