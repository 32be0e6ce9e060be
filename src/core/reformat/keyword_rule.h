#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "text/match_starts.h"
#include "text/regexp.h"

namespace korval {

// A rule whose pattern opens with a keyword and a greedy run over everything, then the text it
// rewrites (the tail):
//   "(KEYWORD[\s\S]*MID)TAIL"   (MID a plain text, often empty), replacement "X$1REST", or
//   "(K1|K2|...)([\s\S]*)TAIL"  replacement "X$1$2REST",
// with keywords and X plain text and REST naming groups of the tail only.
//
// One pass of the global replacement finds the first keyword and, the run being greedy, the LAST
// position after it at which the tail matches; it rewrites that one place (and puts X in front of
// the keyword). No other match fits in the same pass, since none of the tail begins further on.
// Passes repeated until one changes nothing therefore rewrite the tail's matches from the last
// back to the first. The engine searches that way too: it walks the text from its end towards
// the keyword once, keeping for every position it passed whether a tail match begins there
// (MatchStarts), and after each rewrite goes on from where it stood. Text to the right of a
// rewrite never changes again and was already found to hold no tail match, so each character is
// examined a bounded number of times and the whole run of passes costs time proportional to the
// text, where passes made one by one cost its square. The result is the same text.
class KeywordRule {
public:
    // Nothing when the rule does not have that form or its tail is one MatchStarts cannot follow.
    static std::unique_ptr<KeywordRule> Plan(std::string_view pattern, std::string_view replacement);

    // Does the pattern match anywhere in the text?
    bool Matches(std::string_view text) const;

    // The global replacement made again and again, at most `passes` times, stopping at the first
    // pass that changes nothing; the text takes each pass's result, so a fault (a match limit)
    // keeps the passes made before it. True when the first pass found a match.
    bool Apply(std::string& text, std::size_t passes) const;

private:
    KeywordRule() = default;

    // One piece of the replacement after the keyword's groups: literal text, or a group of the
    // tail pattern.
    struct Piece {
        std::string text;
        std::size_t group = 0;  // 0 for literal text
    };

    struct Head {
        std::size_t at = std::string_view::npos;
        std::size_t keyword = 0;  // index into keywords_
        bool Found() const { return at != std::string_view::npos; }
    };

    Head FirstHead(std::string_view text) const;
    bool CouldMatchElsewhere(std::string_view text, const Head& head, std::size_t tailFrom) const;
    bool KeywordStaysFirst(std::string_view before, std::size_t prefixes) const;
    std::string Expand(std::string_view text, const std::vector<RegExp::Span>& spans) const;
    // The passes one by one, as the rule is written.
    void SlowPasses(std::string& text, std::size_t passes) const;

    class Sweep;

    RegExp whole_;            // the rule as written: the passes made one by one
    RegExp tail_;             // MID and TAIL, matched anchored
    MatchStarts tailStarts_;  // where the tail can begin
    std::vector<std::string> keywords_;
    std::string mid_;          // plain text that closes group 1 after the run
    std::string prefix_;       // X: put in front of the keyword by every pass
    std::vector<Piece> rest_;  // REST
    std::string replacement_;  // the whole replacement, for the passes one by one
};

}  // namespace korval
