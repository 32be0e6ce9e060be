#pragma once

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
// error 5; a match limit bounds every call, and hitting it raises error 28.
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
    // Number of capture groups in the pattern (the size of every SubMatches).
    std::size_t GroupCount() const;
};

// Match limit applied to every call (backtracking steps of one match attempt).
inline constexpr unsigned kRegexMatchLimit = 20'000'000;

}  // namespace korval
