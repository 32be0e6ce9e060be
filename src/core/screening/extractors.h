#pragma once

namespace korval {

class Station;

// Flight data extractors (module "Messages"): CurrentNAT, CurrentMach, CurrentLevel, CurrentEPT.
void NAT(Station& s);
void Mach(Station& s);
void Level(Station& s);
void EPTime(Station& s);

}  // namespace korval
