#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace korval {

class Station;

// How a rule of the table is applied.
enum class RuleMode {
    Marking,   // through Reformat_DDE: passes until nothing changes, sets PositionReformatted
    Quiet,     // through Reformat_DDE_Quietly: the same without the flag
    Repeated,  // the same as Quiet, written out inside ReformatData
    Special,   // applied by its own step of ReformatData (5, 6, 10, 67, 68, 70)
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

// Rule `number` (1 to 71) of the table.
const ReformatRule& Rule(int number);

// Applies `rule` as a marking rule: when its pattern matches anywhere in CurrentMessage, the
// global replacement is made again and again, at most `passes` times, stopping at the first pass
// that changes nothing, and PositionReformatted is set. A fault is logged under this procedure's
// name and the message keeps the passes made so far.
void Reformat_DDE(Station& s, const ReformatRule& rule, std::size_t passes);
// The same, never setting PositionReformatted.
void Reformat_DDE_Quietly(Station& s, const ReformatRule& rule, std::size_t passes);

// A literal text that every match of `pattern` contains, found where the pattern opens with a
// group that begins with plain characters ("(PIREP[\s\S]*)..." needs "PIREP"); empty when there
// is none (an alternation, a quantified group or too short a text). A message without it cannot
// match, which spares the test.
std::string_view RequiredLiteral(std::string_view pattern);

// Keeps the 124 header characters and removes every CR LF pair from the content after them.
void FlattenContent(std::string& message);

// Rewrites every known position notation in CurrentMessage (module "Reformat").
void ReformatData(Station& s);

}  // namespace korval
