#pragma once

#include <string_view>
#include <vector>

namespace korval {

class Station;

// How a rule of the table is applied.
enum class RuleMode {
    Marking,    // through Reformat_DDE: passes until nothing changes, sets PositionReformatted
    Quiet,      // through Reformat_DDE_Quietly: the same without the flag
    Repeated,   // the same as Quiet, written out inside ReformatData
    Special,    // applied by its own step of ReformatData (5, 6, 10, 67, 68, 70)
};

struct ReformatRule {
    int Number;
    std::string_view Name;  // empty where the rule has none
    RuleMode Mode;
    std::string_view Pattern;
    std::string_view Replacement;
};

// The 71 rules, in the order in which they are tried.
const std::vector<ReformatRule>& ReformatRules();

// Rewrites every known position notation in CurrentMessage (module "Reformat").
void ReformatData(Station& s);

}  // namespace korval
