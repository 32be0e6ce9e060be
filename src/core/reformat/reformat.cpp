#include "reformat/reformat.h"

#include <memory>

#include "reformat/keyword_rule.h"
#include "reformat/line_end_commas.h"
#include "reformat/pattern_walk.h"
#include "reformat/waypoints.h"
#include "station/station.h"
#include "text/convert.h"
#include "text/fault.h"
#include "text/fields.h"
#include "text/regexp.h"

namespace korval {
namespace {

constexpr std::string_view kReformat = "Reformat";

constexpr std::size_t kShortestUsefulLiteral = 3;

// A rule ready to run: its engine (Global on, IgnoreCase off), the literal its matches need, and
// the way its passes are made in one sweep where the rule allows one. Built once: a fresh engine
// per run with the same settings matches the same, and the patterns are compiled once per
// process.
struct CompiledRule {
    explicit CompiledRule(const ReformatRule& rule)
        : engine(std::string(rule.Pattern), true, false),
          literal(RequiredLiteral(rule.Pattern)),
          keyword(KeywordRule::Plan(rule.Pattern, rule.Replacement)),
          lineEndCommas(IsLineEndCommaRule(rule.Pattern, rule.Replacement))
    {
    }
    RegExp engine;
    std::string_view literal;
    std::unique_ptr<KeywordRule> keyword;  // "(KEYWORD[\s\S]*)TAIL" rules
    bool lineEndCommas;                    // V1
};

const std::vector<CompiledRule>& CompiledRules()
{
    static const std::vector<CompiledRule> compiled = [] {
        std::vector<CompiledRule> list;
        list.reserve(ReformatRules().size());
        for (const ReformatRule& rule : ReformatRules()) list.emplace_back(rule);
        return list;
    }();
    return compiled;
}

// The table's own rules run on their prepared engines; any other rule gets one of its own.
class Prepared {
public:
    explicit Prepared(const ReformatRule& rule)
    {
        const auto& rules = ReformatRules();
        const auto index = static_cast<std::size_t>(rule.Number - 1);
        if (rule.Number >= 1 && index < rules.size() &&
            (&rules[index] == &rule ||
             (rules[index].Pattern == rule.Pattern && rules[index].Replacement == rule.Replacement))) {
            compiled_ = &CompiledRules()[index];
        } else {
            own_ = std::make_unique<CompiledRule>(rule);
            compiled_ = own_.get();
        }
    }
    Prepared(const Prepared&) = delete;
    Prepared& operator=(const Prepared&) = delete;

    const RegExp& engine() const { return compiled_->engine; }
    // Does the pattern match anywhere in the message? A message without the rule's literal
    // cannot match and costs one plain search instead of a pattern test.
    bool Matches(std::string_view message) const
    {
        if (!compiled_->literal.empty() && message.find(compiled_->literal) == std::string_view::npos) return false;
        if (compiled_->keyword) return compiled_->keyword->Matches(message);
        return compiled_->engine.Test(message);
    }

    // The global replacement, made at most `passes` times. A pass that changes nothing would
    // leave every later pass with nothing to change, so the passes stop there; the message takes
    // each pass's result at once, so a fault in a later pass keeps the earlier ones. Rules that
    // allow it make all their passes in one sweep with the same result.
    void Passes(std::string& message, std::string_view replacement, std::size_t passes) const
    {
        if (compiled_->keyword) {
            compiled_->keyword->Apply(message, passes);
            return;
        }
        if (compiled_->lineEndCommas) {
            ApplyLineEndCommas(message, passes);
            return;
        }
        for (std::size_t pass = 0; pass < passes; ++pass) {
            std::string next = compiled_->engine.Replace(message, replacement);
            if (next == message) return;
            message.swap(next);
        }
    }

private:
    const CompiledRule* compiled_ = nullptr;
    std::unique_ptr<CompiledRule> own_;
};

// The repeated, not marking way: test, then the passes.
bool ApplyRepeated(std::string& message, const ReformatRule& rule, std::size_t passes)
{
    const Prepared prepared(rule);
    if (!prepared.Matches(message)) return false;
    prepared.Passes(message, rule.Replacement, passes);
    return true;
}

// Position/weather request keywords (step 4).
bool HasRequestKeyword(std::string_view message)
{
    return Contains(message, "#M1BFPN") || Contains(message, "#M1APWD") || Contains(message, "REQPWI");
}

}  // namespace

std::string_view RequiredLiteral(std::string_view pattern)
{
    constexpr std::string_view kMeta = "\\[](){}|.*+?^$";
    constexpr std::string_view kQuantifiers = "*+?{";
    if (pattern.size() < 2 || pattern[0] != '(') return {};
    // The opening group must be neither quantified nor one branch of an alternation, and must
    // hold no alternation of its own.
    std::size_t close = std::string_view::npos;
    const bool split = WalkGroups(pattern, [&close](std::size_t i, char c, int depth) {
        if (c == ')' && depth == 1 && close == std::string_view::npos) close = i;
        return c == '|' && (depth == 0 || (depth == 1 && close == std::string_view::npos));
    });
    if (split || close == std::string_view::npos) return {};
    if (close + 1 < pattern.size() && kQuantifiers.find(pattern[close + 1]) != std::string_view::npos) return {};
    std::size_t end = 1;
    while (end < close && kMeta.find(pattern[end]) == std::string_view::npos) ++end;
    // "(?" opens a group modifier, not text; a quantifier after the plain run applies to its last
    // character only.
    if (end == 1) return {};
    if (end < close && kQuantifiers.find(pattern[end]) != std::string_view::npos) --end;
    const std::string_view literal = pattern.substr(1, end - 1);
    return literal.size() >= kShortestUsefulLiteral ? literal : std::string_view{};
}

const ReformatRule& Rule(int number)
{
    return ReformatRules().at(static_cast<std::size_t>(number - 1));
}

void FlattenContent(std::string& message)
{
    if (message.size() <= fields::kHeaderLength) return;
    // Pairs are removed left to right without rescanning, so CR CR LF LF keeps one CR LF.
    std::size_t out = fields::kHeaderLength;
    for (std::size_t in = fields::kHeaderLength; in < message.size(); ++in) {
        if (message[in] == '\r' && in + 1 < message.size() && message[in + 1] == '\n') {
            ++in;
            continue;
        }
        message[out++] = message[in];
    }
    message.resize(out);
}

void Reformat_DDE(Station& s, const ReformatRule& rule, std::size_t passes)
{
    s.Guard("Reformat_DDE", kReformat, [&] {
        if (!ApplyRepeated(s.CurrentMessage, rule, passes)) return;
        s.PositionReformatted = true;
        s.RulesFired.push_back(rule.Number);
    });
}

void Reformat_DDE_Quietly(Station& s, const ReformatRule& rule, std::size_t passes)
{
    s.Guard("Reformat_DDE_Quietly", kReformat, [&] {
        if (ApplyRepeated(s.CurrentMessage, rule, passes)) s.RulesFired.push_back(rule.Number);
    });
}

void ReformatData(Station& s)
{
    s.RulesFired.clear();
    s.Guard("ReformatData", kReformat, [&] {
        std::string& message = s.CurrentMessage;
        // The pass count: the matches of an empty pattern over the message as it stands on entry
        // (its length plus one), fixed for the run whatever the rules later do to the length.
        const std::size_t passes = message.size() + 1;

        auto apply = [&](int number) {
            const ReformatRule& rule = Rule(number);
            switch (rule.Mode) {
                case RuleMode::Marking:
                    Reformat_DDE(s, rule, passes);
                    break;
                case RuleMode::Quiet:
                    Reformat_DDE_Quietly(s, rule, passes);
                    break;
                case RuleMode::Repeated:
                    if (ApplyRepeated(message, rule, passes)) s.RulesFired.push_back(number);
                    break;
                case RuleMode::Special:
                    break;  // applied by its own step below
            }
        };

        for (int number = 1; number <= 4; ++number) apply(number);

        // Oceanic clearances: a rewritten clearance ends the run.
        if (s.opt.mnuRefOCA) {
            s.GanderMessage = Contains(message, "/YQXOOYA") || Contains(message, "B919YQX");
            for (int number : {5, 6}) {
                if (!ApplyRepeated(message, Rule(number), passes)) continue;
                s.RulesFired.push_back(number);
                s.OceanicMessage = true;
                ReplaceAllInPlace(message, "B919YQX", "GANDER");
                ReplaceAllInPlace(message, "/YQXOOYA", "GANDER");
                ExpandOCAWaypoints(s);
                return;
            }
        }

        // Position/weather requests.
        if (HasRequestKeyword(message)) {
            FlattenContent(message);
            s.REQPWIMessage = true;
        }
        apply(7);
        apply(8);

        apply(9);

        // Rule 10 works on the flattened message.
        {
            const ReformatRule& rule = Rule(10);
            const Prepared prepared(rule);
            if (prepared.Matches(message)) {
                FlattenContent(message);
                prepared.Passes(message, rule.Replacement, passes);
                s.PositionReformatted = true;
                s.RulesFired.push_back(10);
            }
        }

        for (int number = 11; number <= 66; ++number) apply(number);

        // Rules 67 and 68: one pass each, around the ".BDFM0" spacing.
        {
            const ReformatRule& rule = Rule(67);
            const Prepared prepared(rule);
            if (prepared.Matches(message)) {
                s.RulesFired.push_back(67);
                ReplaceAllInPlace(message, ".BDFM0", ".BD FM0");
                prepared.Passes(message, rule.Replacement, 1);
            }
        }
        {
            const ReformatRule& rule = Rule(68);
            const Prepared prepared(rule);
            if (prepared.Matches(message)) {
                s.RulesFired.push_back(68);
                prepared.Passes(message, rule.Replacement, 1);
                ReplaceAllInPlace(message, ".BDFM0", ".BD FM0");
            }
        }

        apply(69);

        // Rule 70: one pass (a message without a match is unchanged; the test only spares a copy).
        {
            const ReformatRule& rule = Rule(70);
            const Prepared prepared(rule);
            if (prepared.Matches(message)) {
                s.RulesFired.push_back(70);
                prepared.Passes(message, rule.Replacement, 1);
            }
        }

        apply(71);
    });
}

}  // namespace korval
