#pragma once
// Reads bench/data/messages.jsonl, the realistic message mix the benchmarks share: one
// {"source": S, "text": T} object a line, bytes as \r \n \t \" \\ \/ or \u00XX escapes.
#include <string>
#include <string_view>

namespace korval::bench {

// The value of "key" in one JSON line (strings only; \r \n \t \" \\ \/ \uXXXX for bytes).
inline bool JsonString(std::string_view line, std::string_view key, std::string& out)
{
    std::string quoted(1, '"');
    quoted += key;
    quoted += '"';
    std::size_t p = line.find(quoted);
    if (p == std::string_view::npos) return false;
    p = line.find(':', p + quoted.size());
    if (p == std::string_view::npos) return false;
    p = line.find('"', p);
    if (p == std::string_view::npos) return false;
    out.clear();
    for (++p; p < line.size(); ++p) {
        char c = line[p];
        if (c == '"') return true;
        if (c != '\\') {
            out.push_back(c);
            continue;
        }
        if (++p == line.size()) return false;
        switch (line[p]) {
            case 'r':
                out.push_back('\r');
                break;
            case 'n':
                out.push_back('\n');
                break;
            case 't':
                out.push_back('\t');
                break;
            case 'u':
                if (p + 4 >= line.size()) return false;
                out.push_back(static_cast<char>(std::stoi(std::string(line.substr(p + 1, 4)), nullptr, 16)));
                p += 4;
                break;
            default:
                out.push_back(line[p]);
                break;
        }
    }
    return false;
}

}  // namespace korval::bench
