#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <string_view>
#include <vector>

namespace korval {

// Where matches of a regular expression can begin. One right-to-left scan over a text tells, for
// every position, whether some match of the pattern starts there, in time proportional to the
// text's length whatever the pattern's backtracking would cost. Which match the backtracking
// engine would report is not its business: it only says where one exists, and the engine is
// then run anchored at such a position.
//
// It follows the pattern's language through a position automaton: one state per character class
// of the pattern (at most 64). It understands what the system's patterns use: literals and
// escaped punctuation, ".", "\d \D \s \S \w \W", classes with ranges and negation, groups
// (capturing or "(?:"), alternation and the quantifiers "* + ? {n} {n,} {n,m}" (greedy or lazy,
// which decide which match but not whether there is one). Anything that can make a match depend
// on more than the text from its start on (anchors, word boundaries, look-around,
// back-references, atomic groups, possessive quantifiers) makes it unsupported; so does a
// pattern with more than 64 classes or one that matches the empty text.
class MatchStarts {
public:
    // The pattern positions from which the text from here on can be matched to some end.
    using State = std::uint64_t;

    MatchStarts() = default;
    // The pattern in the regular-expression facility's syntax, case-sensitive or not.
    explicit MatchStarts(std::string_view pattern, bool ignoreCase = false);

    bool Supported() const { return supported_; }
    // The pattern has repeats whose backtracking can cost the square of the text: two unbounded
    // repeats that can take the same characters, or one that can begin a match. Searching such
    // a pattern through the scan is the cheaper way.
    bool RunsAway() const { return runsAway_; }

    // The state of a position from its character and the state of the next position (0 past the
    // end of the text).
    State Step(unsigned char c, State next) const
    {
        State reach = last_;
        for (State n = next; n != 0; n &= n - 1) reach |= prec_[static_cast<unsigned>(std::countr_zero(n))];
        return charMask_[c] & reach;
    }
    // A match begins at the position whose state this is.
    bool Starts(State s) const { return (s & first_) != 0; }

    // One entry per position of the text: true where a match begins. Empty when unsupported.
    std::vector<bool> Scan(std::string_view text) const;

private:
    bool supported_ = false;
    bool runsAway_ = false;
    State first_ = 0;                    // positions a match can begin with
    State last_ = 0;                     // positions a match can end with
    std::array<State, 64> prec_{};       // prec_[q]: positions that q can follow
    std::array<State, 256> charMask_{};  // charMask_[c]: positions whose class holds c
};

}  // namespace korval
