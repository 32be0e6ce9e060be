#pragma once

namespace korval {

class Station;

// Reads every position in the content of the LiveData box into PositionText and sets
// PositionFound (module "Position").
void GetPos(Station& s);

}  // namespace korval
