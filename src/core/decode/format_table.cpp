#include "decode/format_table.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <optional>
#include <system_error>

#include "text/fault.h"

namespace korval {
namespace {

constexpr std::size_t kFieldsBeforePattern = 4;
constexpr std::size_t kMaxGroup = 99;

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view TrimBlanks(std::string_view s)
{
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

// "GROUP:NOTATION"; a reason when it is not one.
struct GroupField {
    std::size_t group = 0;
    Notation notation;
};

std::optional<GroupField> ReadGroupField(std::string_view field, std::string_view what, std::string& reason)
{
    const std::string_view text = TrimBlanks(field);
    const std::size_t colon = text.find(':');
    const std::string_view digits = TrimBlanks(text.substr(0, colon));
    bool number = !digits.empty() && digits.size() <= 2;
    for (char c : digits) number = number && c >= '0' && c <= '9';
    if (colon == std::string_view::npos || !number) {
        reason = std::string(what) + " \"" + std::string(text) + "\" is not GROUP:NOTATION (for example 1:DMT)";
        return std::nullopt;
    }
    GroupField read;
    for (char c : digits) read.group = read.group * 10 + static_cast<std::size_t>(c - '0');
    const std::string_view name = TrimBlanks(text.substr(colon + 1));
    const std::optional<Notation> notation = ParseNotation(name);
    if (read.group == 0 || read.group > kMaxGroup) {
        reason = std::string(what) + " group " + std::string(digits) + " is not 1 to 99";
        return std::nullopt;
    }
    if (!notation) {
        reason =
            std::string(what) + " notation \"" + std::string(name) + "\" is unknown (DEC, DECn, DM, DMn, DMT, DMS)";
        return std::nullopt;
    }
    read.notation = *notation;
    return read;
}

// One line of the file; a reason when it cannot be used.
std::optional<PositionFormat> ReadLine(std::string_view line, std::string& reason)
{
    if (line.size() > kMaxFormatLine) {
        reason = "longer than " + std::to_string(kMaxFormatLine) + " characters";
        return std::nullopt;
    }
    std::string_view fields[kFieldsBeforePattern];
    std::string_view rest = line;
    for (std::string_view& field : fields) {
        const std::size_t semicolon = rest.find(';');
        if (semicolon == std::string_view::npos) {
            reason = "not NAME;LABELS;LATITUDE;LONGITUDE;PATTERN";
            return std::nullopt;
        }
        field = rest.substr(0, semicolon);
        rest.remove_prefix(semicolon + 1);
    }

    PositionFormat format;
    format.name = std::string(TrimBlanks(fields[0]));
    if (format.name.empty()) {
        reason = "the name is empty";
        return std::nullopt;
    }
    std::string_view labels = fields[1];
    while (!labels.empty()) {
        const std::size_t end = std::min(labels.find_first_of(", \t"), labels.size());
        const std::string_view label = labels.substr(0, end);
        labels.remove_prefix(std::min(end + 1, labels.size()));
        if (label.empty()) continue;
        if (label.size() != 2) {
            reason = "label \"" + std::string(label) + "\" is not two characters";
            return std::nullopt;
        }
        format.labels.emplace_back(label);
    }
    const std::optional<GroupField> lat = ReadGroupField(fields[2], "latitude", reason);
    if (!lat) return std::nullopt;
    const std::optional<GroupField> lon = ReadGroupField(fields[3], "longitude", reason);
    if (!lon) return std::nullopt;
    format.latGroup = lat->group;
    format.latNotation = lat->notation;
    format.lonGroup = lon->group;
    format.lonNotation = lon->notation;

    const std::string_view pattern = TrimBlanks(rest);
    if (pattern.empty()) {
        reason = "the pattern is empty";
        return std::nullopt;
    }
    format.pattern = RegExp(std::string(pattern));
    format.prefix = RequiredPrefix(pattern);
    std::size_t groups = 0;
    try {
        groups = format.pattern.GroupCount();
    } catch (const Fault&) {
        reason = "the pattern is not a valid regular expression";
        return std::nullopt;
    }
    const std::size_t highest = std::max(format.latGroup, format.lonGroup);
    if (highest > groups) {
        reason = "group " + std::to_string(highest) + " named, but the pattern has " + std::to_string(groups);
        return std::nullopt;
    }
    return format;
}

bool IsPlain(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
           std::string_view(" ,/:;-_=#@!%&'\"<>~`").find(c) != std::string_view::npos;
}

bool IsQuantifier(char c)
{
    return c == '*' || c == '+' || c == '?' || c == '{';
}

// True when `pattern` has a "|" outside every group and class.
bool TopLevelAlternation(std::string_view pattern)
{
    int depth = 0;
    bool inClass = false;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '\\')
            ++i;
        else if (inClass)
            inClass = c != ']';
        else if (c == '[')
            inClass = true;
        else if (c == '(')
            ++depth;
        else if (c == ')')
            --depth;
        else if (c == '|' && depth == 0)
            return true;
    }
    return false;
}

}  // namespace

std::string RequiredPrefix(std::string_view pattern)
{
    if (TopLevelAlternation(pattern)) return {};
    std::string prefix;
    std::size_t i = 0;
    while (i < pattern.size()) {
        char c = pattern[i];
        std::size_t next = i + 1;
        if (c == '\\') {
            // An escaped punctuation character stands for itself; "\d", "\b" and the like do not.
            if (next >= pattern.size() || IsPlain(pattern[next]) || pattern[next] == ' ') break;
            c = pattern[next];
            ++next;
        } else if (!IsPlain(c)) {
            break;
        }
        if (next < pattern.size() && IsQuantifier(pattern[next])) break;  // this one may be missing
        prefix.push_back(c);
        i = next;
    }
    return prefix;
}

FormatTable FormatTable::Parse(std::string_view text, std::string_view fileName, std::vector<std::string>& errors)
{
    FormatTable table;
    std::size_t number = 0;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find_first_of("\r\n"), text.size());
        const std::string_view raw = text.substr(0, end);
        text.remove_prefix(end);
        if (text.starts_with("\r\n"))
            text.remove_prefix(2);
        else if (!text.empty())
            text.remove_prefix(1);
        ++number;

        const std::string_view line = TrimBlanks(raw);
        if (line.empty() || line.front() == '!') continue;
        std::string reason;
        std::optional<PositionFormat> format = ReadLine(line, reason);
        if (!format) {
            errors.push_back(std::string(fileName) + " line " + std::to_string(number) + ": " + reason +
                             "; line skipped");
            continue;
        }
        format->line = number;
        table.formats_.push_back(std::move(*format));
    }
    return table;
}

FormatTable FormatTable::Load(const std::filesystem::path& file, std::vector<std::string>& errors)
{
    const std::string fileName = file.filename().string();
    std::error_code ec;
    const auto status = std::filesystem::status(file, ec);
    if (!std::filesystem::exists(status)) return {};
    std::ifstream in;
    if (std::filesystem::is_regular_file(status)) in.open(file, std::ios::binary);
    std::string text;
    if (in) text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (!in.is_open() || !in || in.bad()) {
        errors.push_back(fileName + ": cannot be read; no formats used");
        return {};
    }
    return Parse(text, fileName, errors);
}

std::vector<DecodedPosition> FormatTable::Match(std::string_view label, std::string_view content) const
{
    std::vector<DecodedPosition> positions;
    for (const PositionFormat& format : formats_) {
        if (!format.labels.empty() &&
            std::find(format.labels.begin(), format.labels.end(), label) == format.labels.end())
            continue;
        if (!format.prefix.empty() && content.find(format.prefix) == std::string_view::npos) continue;
        for (const korval::Match& m : format.pattern.Execute(content)) {
            const auto lat = ReadCoordinate(m.SubMatches[format.latGroup - 1], format.latNotation, Axis::Latitude);
            const auto lon = ReadCoordinate(m.SubMatches[format.lonGroup - 1], format.lonNotation, Axis::Longitude);
            if (!lat || !lon) continue;
            DecodedPosition p;
            p.lat = *lat;
            p.lon = *lon;
            p.source = format.name;
            positions.push_back(std::move(p));
        }
        if (!positions.empty()) return positions;
    }
    return positions;
}

}  // namespace korval
