#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace korval {

// One match: the matched text, its 0-based offset, and the group texts (SubMatches[0] is
// group 1). A group that took no part in the match gives the empty text.
struct Match {
    std::string Value;
    std::size_t FirstIndex = 0;
    std::vector<std::string> SubMatches;
};

// The regular-expression engine every text rewrite and test goes through.
//
// Matching is ECMAScript-style over bytes: greedy backtracking, leftmost alternation,
// back-references (a reference to a group that took no part matches empty), "." matches any
// byte but CR and LF, "\s" is [ \t\n\v\f\r]. Messages are never decoded as UTF-8.
// Patterns are compiled once per thread and cached. A pattern that does not compile raises
// error 5.
//
// Work is bounded. A pattern whose backtracking can run away (two unbounded repeats that can take
// the same characters, or one that can begin a match) searches a long text through a scan that
// finds every position where a match begins in one pass (MatchStarts), the engine running
// anchored at those positions only: the same matches, in time proportional to the text. Other
// searches first run with a small match limit and, when they hit it, are finished the same way.
// A pattern that scan cannot follow (back-references) keeps the full match limit, and hitting
// that raises error 28.
class RegExp {
public:
    RegExp() = default;
    explicit RegExp(std::string pattern, bool global = true, bool ignoreCase = false);

    std::string Pattern;
    bool Global = true;
    bool IgnoreCase = false;

    // The pattern matches somewhere in the text.
    bool Test(std::string_view text) const;
    // Every non-overlapping match from left to right (Global on) or the first only. After an
    // empty match the search resumes one character further on, so an empty pattern over a text
    // of length L gives L + 1 matches.
    std::vector<Match> Execute(std::string_view text) const;
    // Every match (Global on) or the first replaced. In the replacement "$" and ONE digit n is
    // group n (empty when it took no part); digits after it are literal ("$20" is group 2 then
    // "0"); "$0", "$" before a number above the pattern's group count, and every other
    // character are literal.
    std::string Replace(std::string_view text, std::string_view replacement) const;
    // Replace on `text` itself: the same result, but nothing is copied when nothing matches.
    // True when something was replaced.
    bool ReplaceIn(std::string& text, std::string_view replacement) const;
    // Number of matches Execute would return, without building them.
    std::size_t Count(std::string_view text) const;

    // Where a group of a match lies in the text; npos for a group that took no part.
    struct Span {
        std::size_t begin = std::string_view::npos;
        std::size_t end = std::string_view::npos;
    };
    // The match that begins exactly at `start` (the first one the backtracking finds there):
    // spans[0] the whole match, spans[n] group n. False when none begins there.
    bool MatchAt(std::string_view text, std::size_t start, std::vector<Span>& spans) const;
    // The number of capturing groups of the pattern.
    std::size_t GroupCount() const;
};

// Match limit of a search whose pattern has no exact fallback, and of an anchored match.
inline constexpr unsigned kRegexMatchLimit = 20'000'000;
// Match limit of the first try of a search that can fall back to the scan for match starts: far
// above what a search of a real message needs, reached within a millisecond or two.
inline constexpr unsigned kRegexQuickLimit = 200'000;
// Texts up to this length are searched by backtracking first whatever the pattern: faster for
// the messages decoders send, and a search that runs away over so short a text still ends within
// a millisecond. Longer texts go through the scan when the pattern's backtracking can run away.
inline constexpr std::size_t kRegexLongText = 1024;

}  // namespace korval
