#include "replay.h"

#include <istream>
#include <ostream>

namespace korval {

int RunReplay(const ReplayOptions&, std::istream&, std::ostream&, std::ostream& err)
{
    err << "korval-replay: not built yet\n";
    return 2;
}

}  // namespace korval
