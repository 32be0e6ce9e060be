// The reformat rules' fast ways against the plain ones. The input's first byte chooses a rule;
// the rest is a message text (cut to 2 KiB so that the plain passes stay quick). For that rule:
// the one-sweep passes of a keyword rule and V1's commas must equal the passes made one by one
// through the plain engine, and the scan for match starts must agree with the engine anchored at
// every position. A difference aborts.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "pcre_reference.h"
#include "reformat/keyword_rule.h"
#include "reformat/line_end_commas.h"
#include "reformat/reformat.h"
#include "text/match_starts.h"
#include "text/regexp.h"

namespace {

constexpr std::size_t kMaxText = 2048;

struct Prepared {
    std::unique_ptr<korval::test::PcreReference> reference;
    std::unique_ptr<korval::KeywordRule> keyword;
    korval::MatchStarts starts;
    korval::RegExp engine;
};

const std::vector<Prepared>& Rules()
{
    static const std::vector<Prepared> prepared = [] {
        std::vector<Prepared> list;
        for (const korval::ReformatRule& rule : korval::ReformatRules()) {
            Prepared p;
            p.reference = std::make_unique<korval::test::PcreReference>(rule.Pattern);
            p.keyword = korval::KeywordRule::Plan(rule.Pattern, rule.Replacement);
            p.starts = korval::MatchStarts(rule.Pattern);
            p.engine = korval::RegExp(std::string(rule.Pattern));
            list.push_back(std::move(p));
        }
        return list;
    }();
    return prepared;
}

void Check(bool condition)
{
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace korval;
    if (size == 0) return 0;
    const std::size_t index = data[0] % Rules().size();
    const ReformatRule& rule = ReformatRules()[index];
    const Prepared& p = Rules()[index];
    const std::string text(reinterpret_cast<const char*>(data) + 1, std::min(size - 1, kMaxText));
    const std::size_t passes = data[0] >= 0x80 ? 1 + data[0] % 4 : text.size() + 1;

    std::string expected = text;
    const bool matched = p.reference->Passes(expected, rule.Replacement, passes);
    if (p.keyword) {
        std::string actual = text;
        Check(p.keyword->Matches(text) == matched);
        Check(p.keyword->Apply(actual, passes) == matched);
        Check(actual == expected);
    }
    if (IsLineEndCommaRule(rule.Pattern, rule.Replacement)) {
        std::string actual = text;
        Check(ApplyLineEndCommas(actual, passes) == matched);
        Check(actual == expected);
    }
    if (p.starts.Supported()) {
        const std::vector<bool> starts = p.starts.Scan(text);
        std::vector<RegExp::Span> spans;
        for (std::size_t at = 0; at <= text.size(); ++at) Check(starts[at] == p.engine.MatchAt(text, at, spans));
        Check(p.engine.Test(text) == matched);
        Check(p.engine.Replace(text, rule.Replacement) == p.reference->Replace(text, rule.Replacement));
    }
    return 0;
}
