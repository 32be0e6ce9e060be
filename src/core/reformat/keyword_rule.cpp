#include "reformat/keyword_rule.h"

#include <algorithm>
#include <optional>

#include "reformat/pattern_walk.h"

namespace korval {
namespace {

constexpr std::string_view kMeta = "\\[](){}|.*+?^$";
constexpr std::string_view kRun = "[\\s\\S]*";
constexpr std::string_view kRunGroup = "([\\s\\S]*)";

bool IsPlain(std::string_view text)
{
    return !text.empty() && text.find_first_of(kMeta) == std::string_view::npos;
}

// True when the pattern has a "|" outside every group and class: it would split the pattern
// rather than the tail.
bool HasTopLevelAlternation(std::string_view pattern)
{
    return WalkGroups(pattern, [](std::size_t, char c, int depth) { return c == '|' && depth == 0; });
}

std::vector<std::string> SplitKeywords(std::string_view alternatives)
{
    std::vector<std::string> out;
    std::size_t from = 0;
    while (true) {
        std::size_t bar = alternatives.find('|', from);
        out.emplace_back(alternatives.substr(from, bar == std::string_view::npos ? bar : bar - from));
        if (bar == std::string_view::npos) return out;
        from = bar + 1;
    }
}

}  // namespace

// The text to the right of the search, kept in a buffer that grows to the left, with the
// MatchStarts state of every position in it (which depends on the text to its right only).
// `fresh` positions at its front were written by the last rewrite and not yet searched; every
// position after them was searched and begins no tail match.
class KeywordRule::Sweep {
public:
    Sweep(std::string_view original, const MatchStarts& starts)
        : original_(original), gap_(original.size()), starts_(starts)
    {
    }

    // The offset from the front of the buffer of the last position at or after `from` (in the
    // original text, left of the buffer) where a tail match begins.
    std::optional<std::size_t> FindTail(std::size_t from)
    {
        for (std::size_t k = fresh_; k-- > 0;) {
            if (starts_.Starts(states_[front_ + k])) {
                fresh_ = 0;
                return k;
            }
        }
        fresh_ = 0;
        while (gap_ > from) {
            Push(original_[--gap_]);
            if (starts_.Starts(states_[front_])) return 0;
        }
        return std::nullopt;
    }

    // The text from offset `at` of the buffer to the end.
    std::string_view From(std::size_t at) const { return std::string_view(buffer_).substr(front_ + at); }

    // Keeps the buffer's text before `keep`, drops it from there to `end` and puts `text` there.
    void Replace(std::size_t keep, std::size_t end, std::string_view text)
    {
        const std::string kept(buffer_, front_, keep);
        front_ += end;
        for (std::size_t k = text.size(); k-- > 0;) Push(text[k]);
        for (std::size_t k = kept.size(); k-- > 0;) Push(kept[k]);
        fresh_ = text.size() + kept.size();
    }

    // The whole text: the original up to the search, `prefixes` copies of `prefix` put in front
    // of the keyword at `keywordAt`, and the buffer.
    std::string Text(std::size_t keywordAt, std::string_view prefix, std::size_t prefixes) const
    {
        std::string out;
        out.reserve(gap_ + prefix.size() * prefixes + buffer_.size() - front_);
        out.append(original_.substr(0, keywordAt));
        for (std::size_t i = 0; i < prefixes; ++i) out.append(prefix);
        out.append(original_.substr(keywordAt, gap_ - keywordAt));
        out.append(buffer_, front_, std::string::npos);
        return out;
    }

private:
    void Push(char c)
    {
        if (front_ == 0) Grow();
        --front_;
        buffer_[front_] = c;
        const MatchStarts::State next = front_ + 1 < states_.size() ? states_[front_ + 1] : 0;
        states_[front_] = starts_.Step(static_cast<unsigned char>(c), next);
    }

    void Grow()
    {
        const std::size_t used = buffer_.size() - front_;
        const std::size_t size = std::max<std::size_t>(2 * buffer_.size(), std::max<std::size_t>(64, gap_ / 2));
        std::string buffer(size, '\0');
        std::vector<MatchStarts::State> states(size, 0);
        std::copy(buffer_.begin() + static_cast<std::ptrdiff_t>(front_), buffer_.end(),
                  buffer.begin() + static_cast<std::ptrdiff_t>(size - used));
        std::copy(states_.begin() + static_cast<std::ptrdiff_t>(front_), states_.end(),
                  states.begin() + static_cast<std::ptrdiff_t>(size - used));
        buffer_.swap(buffer);
        states_.swap(states);
        front_ = size - used;
    }

    std::string_view original_;
    std::size_t gap_;  // the original's text before this is left of the buffer
    const MatchStarts& starts_;
    std::string buffer_;
    std::vector<MatchStarts::State> states_;
    std::size_t front_ = 0;
    std::size_t fresh_ = 0;
};

std::unique_ptr<KeywordRule> KeywordRule::Plan(std::string_view pattern, std::string_view replacement)
{
    if (pattern.size() < 2 || pattern[0] != '(') return nullptr;
    std::unique_ptr<KeywordRule> rule(new KeywordRule());
    std::size_t headGroups = 0;
    std::string_view tail;
    const std::size_t close = pattern.find(')');
    if (close != std::string_view::npos && pattern.substr(close + 1).starts_with(kRunGroup)) {
        // "(K1|K2|...)([\s\S]*)TAIL"
        rule->keywords_ = SplitKeywords(pattern.substr(1, close - 1));
        headGroups = 2;
        tail = pattern.substr(close + 1 + kRunGroup.size());
    } else {
        // "(KEYWORD[\s\S]*MID)TAIL"
        const std::size_t run = pattern.find(kRun);
        if (run == std::string_view::npos) return nullptr;
        rule->keywords_ = {std::string(pattern.substr(1, run - 1))};
        const std::size_t midFrom = run + kRun.size();
        const std::size_t midEnd = pattern.find(')', midFrom);
        if (midEnd == std::string_view::npos) return nullptr;
        rule->mid_ = std::string(pattern.substr(midFrom, midEnd - midFrom));
        if (!rule->mid_.empty() && !IsPlain(rule->mid_)) return nullptr;
        headGroups = 1;
        tail = pattern.substr(midEnd + 1);
    }
    for (const std::string& keyword : rule->keywords_)
        if (!IsPlain(keyword)) return nullptr;
    if (tail.empty() || HasTopLevelAlternation(tail)) return nullptr;

    const std::string tailPattern = rule->mid_ + std::string(tail);
    rule->tailStarts_ = MatchStarts(tailPattern);
    if (!rule->tailStarts_.Supported()) return nullptr;
    rule->whole_ = RegExp(std::string(pattern), true, false);
    rule->tail_ = RegExp(tailPattern, true, false);
    const std::size_t groups = rule->whole_.GroupCount();
    if (groups != headGroups + rule->tail_.GroupCount()) return nullptr;

    // The replacement: X, then the keyword's groups, then REST.
    const std::string_view opening = headGroups == 1 ? "$1" : "$1$2";
    const std::size_t dollar = replacement.find('$');
    if (dollar == std::string_view::npos || !replacement.substr(dollar).starts_with(opening)) return nullptr;
    rule->prefix_ = std::string(replacement.substr(0, dollar));
    // Keeping the keyword first after X is checked for one keyword only.
    if (!rule->prefix_.empty() && rule->keywords_.size() > 1) return nullptr;
    const std::string_view rest = replacement.substr(dollar + opening.size());
    for (std::size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] == '$' && i + 1 < rest.size() && rest[i + 1] >= '1' && rest[i + 1] <= '9') {
            const auto n = static_cast<std::size_t>(rest[i + 1] - '0');
            if (n <= groups) {
                if (n <= headGroups) return nullptr;  // REST would repeat the keyword's text
                rule->rest_.push_back({std::string(), n - headGroups});
                ++i;
                continue;
            }
        }
        if (rule->rest_.empty() || rule->rest_.back().group != 0) rule->rest_.push_back({});
        rule->rest_.back().text += rest[i];
    }
    rule->replacement_ = std::string(replacement);
    return rule;
}

KeywordRule::Head KeywordRule::FirstHead(std::string_view text) const
{
    Head head;
    for (std::size_t k = 0; k < keywords_.size(); ++k) {
        const std::size_t at = text.find(keywords_[k]);
        if (at < head.at) head = {at, k};  // a tie keeps the keyword written first
    }
    return head;
}

bool KeywordRule::CouldMatchElsewhere(std::string_view text, const Head& head, std::size_t tailFrom) const
{
    // Another keyword (or the same at another place) that ends before this one: the engine would
    // try it when this one finds no tail. Never so for the table's rules.
    for (std::size_t k = 0; k < keywords_.size(); ++k) {
        for (std::size_t at = text.find(keywords_[k], head.at); at != std::string_view::npos && at < tailFrom;
             at = text.find(keywords_[k], at + 1)) {
            if ((at != head.at || k != head.keyword) && at + keywords_[k].size() < tailFrom) return true;
        }
    }
    return false;
}

bool KeywordRule::KeywordStaysFirst(std::string_view before, std::size_t prefixes) const
{
    // The text before the keyword is what it was, with X put in front of the keyword `prefixes`
    // times; no copy of the keyword may now begin before it. Past a few copies of X the answer
    // no longer changes.
    const std::string& keyword = keywords_.front();
    const std::size_t enough = keyword.size() / prefix_.size() + 2;
    std::string window(before.substr(before.size() - std::min(before.size(), keyword.size() - 1)));
    for (std::size_t i = 0; i < std::min(prefixes, enough); ++i) window += prefix_;
    window += keyword;
    return window.find(keyword) == window.size() - keyword.size();
}

std::string KeywordRule::Expand(std::string_view text, const std::vector<RegExp::Span>& spans) const
{
    std::string out;
    for (const Piece& piece : rest_) {
        if (piece.group == 0) {
            out += piece.text;
        } else if (piece.group < spans.size() && spans[piece.group].begin != std::string_view::npos) {
            const RegExp::Span& s = spans[piece.group];
            out.append(text.substr(s.begin, s.end - s.begin));
        }
    }
    return out;
}

bool KeywordRule::Matches(std::string_view text) const
{
    const Head head = FirstHead(text);
    if (!head.Found()) return false;
    const std::size_t tailFrom = head.at + keywords_[head.keyword].size();
    MatchStarts::State state = 0;
    for (std::size_t i = text.size(); i-- > tailFrom;) {
        state = tailStarts_.Step(static_cast<unsigned char>(text[i]), state);
        if (tailStarts_.Starts(state)) return true;
    }
    return CouldMatchElsewhere(text, head, tailFrom) && whole_.Test(text);
}

void KeywordRule::SlowPasses(std::string& text, std::size_t passes) const
{
    for (std::size_t pass = 0; pass < passes; ++pass) {
        std::string next = whole_.Replace(text, replacement_);
        if (next == text) return;
        text.swap(next);
    }
}

bool KeywordRule::Apply(std::string& text, std::size_t passes) const
{
    const Head head = FirstHead(text);
    if (!head.Found()) return false;
    const std::size_t tailFrom = head.at + keywords_[head.keyword].size();
    // Another keyword could begin the match: the passes one by one (never for the table's rules).
    if (CouldMatchElsewhere(text, head, tailFrom)) {
        if (!whole_.Test(text)) return false;
        SlowPasses(text, passes);
        return true;
    }

    Sweep sweep(text, tailStarts_);
    std::optional<std::size_t> at = sweep.FindTail(tailFrom);
    if (!at) return false;
    if (passes == 0) return true;

    std::size_t done = 0, prefixes = 0;
    std::vector<RegExp::Span> spans;
    bool unsure = false;  // the engine disagrees with the scan: finish the passes one by one
    while (true) {
        const std::string_view from = sweep.From(*at);
        bool found = false;
        try {
            found = tail_.MatchAt(from, 0, spans);
        } catch (...) {
            // A match limit: the text keeps the passes made before this one. (Out of memory
            // anywhere else leaves the text as it came.)
            text = sweep.Text(head.at, prefix_, prefixes);
            throw;
        }
        if (!found) {
            unsure = true;
            break;
        }
        const std::size_t keep = *at + mid_.size();
        const std::size_t end = *at + spans[0].end;
        const std::string rewritten = Expand(from, spans);
        if (prefix_.empty() && rewritten == from.substr(mid_.size(), spans[0].end - mid_.size())) break;
        sweep.Replace(keep, end, rewritten);
        ++done;
        if (!prefix_.empty()) ++prefixes;
        if (done == passes) break;
        if (!prefix_.empty() && !KeywordStaysFirst(std::string_view(text).substr(0, head.at), prefixes)) {
            unsure = true;
            break;
        }
        at = sweep.FindTail(tailFrom);
        if (!at) break;
    }
    text = sweep.Text(head.at, prefix_, prefixes);
    if (unsure) SlowPasses(text, passes - done);
    return true;
}

}  // namespace korval
