#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace korval {

// The rule V1: a comma before the line end that follows a latitude letter "N" after the content
// label, an east position "S 51.1234,E" or a west longitude "W 1.2" and its decimals:
//   "(Message content:-[\s\S]*N|S\s+\d+\.\d{3,4}\,E|W\s*\d*\.[\s\d]*)(\r\n)" -> "$1,$2",
// applied pass after pass until a pass changes nothing.
//
// Passes one by one cost the square of the text when many lines qualify: the content label's
// greedy branch reaches only the last line still without its comma, and the west branch's run of
// decimals takes in line ends, each pass giving a comma to the last line end of the run that has
// none. What the passes come to can be said directly: every pass adds commas and never takes one
// away, no match contains an "N", an "M" or another branch's first letter, so the branches work
// on separate stretches of text and each line end receives at most one comma; in the end a comma
// stands before
//   1. every CR LF after an "N" that stands after the first "Message content:-" (when one does),
//   2. the CR LF that ends "S", blanks, digits, ".", three or four digits, ",E",
//   3. every CR LF within the run of blanks and digits after "W", blanks, digits and ".",
// all found in one scan of the text as it was. Each pass adds at least one comma, so that end is
// reached within the pass limit whenever the limit is at least the number of commas; otherwise
// the passes are made one by one.

// True for V1's pattern and replacement.
bool IsLineEndCommaRule(std::string_view pattern, std::string_view replacement);

// The passes of V1 over `text`, at most `passes`; true when the pattern matched.
bool ApplyLineEndCommas(std::string& text, std::size_t passes);

}  // namespace korval
