#include "bridge_text.h"

#include <algorithm>

namespace korval::bridge {

std::string Trim(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const std::size_t last = text.find_last_not_of(" \t");
    return std::string(text.substr(first, last - first + 1));
}

char HeaderChar(char c)
{
    return static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
}

std::string Fixed(std::string_view text, std::size_t width)
{
    std::string field(text.substr(0, width));
    for (char& c : field) c = HeaderChar(c);
    field.resize(width, ' ');
    return field;
}

std::string Registration(std::string_view reg)
{
    const std::string trimmed = Trim(reg);
    std::string_view bare = trimmed;
    while (!bare.empty() && bare.front() == '.') bare.remove_prefix(1);
    if (bare.size() >= 7) return Fixed(bare, 7);
    return std::string(7 - bare.size(), '.') + Fixed(bare, bare.size());
}

std::string Label(std::string_view label)
{
    if (label == "_d") return "_\x7f";
    return Fixed(label, 2);
}

void AppendLines(std::string& out, std::string_view text, std::string_view eol)
{
    if (text.empty()) return;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
            out += eol;
        } else if (c == '\n') {
            out += eol;
        } else {
            out.push_back(c);
        }
    }
    const char last = text.back();
    if (last != '\n' && last != '\r') out += eol;
}

JsonExtent ScanJsonValue(std::string_view json, std::size_t start)
{
    int depth = 0, deepest = 0;
    bool inString = false;
    std::size_t i = start;
    for (; i < json.size(); ++i) {
        const char c = json[i];
        if (inString) {
            if (c == '\\') {
                ++i;
            } else if (c == '"') {
                inString = false;
            }
        } else if (c == '"') {
            inString = true;
        } else if (c == '{' || c == '[') {
            deepest = std::max(deepest, ++depth);
        } else if ((c == '}' || c == ']') && --depth == 0) {
            ++i;
            break;
        }
    }
    return {std::min(i, json.size()), deepest};
}

}  // namespace korval::bridge
