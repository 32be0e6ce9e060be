#pragma once

#include <cstddef>
#include <string_view>

namespace korval {

// Walks the group structure of a regular expression: calls visit(index, character, depth) for
// every "(", ")" and "|" that stands outside escapes and character classes, depth being the
// number of groups open before that character. A class that opens with "]" or "^]" holds that
// "]". The walk stops, returning true, as soon as visit returns true.
template <class Visit>
bool WalkGroups(std::string_view pattern, Visit visit)
{
    int depth = 0;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '\\') {
            ++i;
        } else if (c == '[') {
            std::size_t j = i + 1;
            if (j < pattern.size() && pattern[j] == '^') ++j;
            if (j < pattern.size() && pattern[j] == ']') ++j;
            while (j < pattern.size() && pattern[j] != ']') j += pattern[j] == '\\' ? 2 : 1;
            i = j;
        } else if (c == '(' || c == ')' || c == '|') {
            if (visit(i, c, depth)) return true;
            depth += c == '(' ? 1 : c == ')' ? -1 : 0;
        }
    }
    return false;
}

}  // namespace korval
