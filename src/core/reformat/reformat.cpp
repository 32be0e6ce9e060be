#include "reformat/reformat.h"

#include "station/station.h"

namespace korval {

const std::vector<ReformatRule>& ReformatRules()
{
    static const std::vector<ReformatRule> rules;
    return rules;
}

void ReformatData(Station&) {}

}  // namespace korval
