#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korval {

// A settings file in the INI layout: section lines "[name]" and key lines "key=value", with
// blank lines and ";" or "#" comments between them. Section and key names are matched without
// regard to letter case; values are text. The document keeps every line as it stands (its text
// and its own line end), so changing one key rewrites that one line and leaves comments,
// unknown keys, odd lines and their order exactly as they were.
class IniDocument {
public:
    // Larger files are not settings files; they are refused whole rather than cut.
    static constexpr std::size_t kMaxBytes = 1u << 20;

    // Never fails: lines that are no section, key, comment or blank line (binary bytes, a key
    // before the first section, "[" without "]") are kept verbatim and listed in BadLines().
    static IniDocument Parse(std::string_view text);

    // The value of the first `key` in the first section called `section` that has it, with
    // blanks and tabs around it removed; nullopt when there is none. The view lives as long as
    // the document is neither changed nor destroyed.
    std::optional<std::string_view> Get(std::string_view section, std::string_view key) const;

    // Sets `key` of `section`: the existing line is rewritten from its value on; a new key goes
    // after the section's last key; a new section is appended at the end. False (and nothing
    // changed) when the names or value cannot be held by one line: empty names, line breaks or
    // control characters, "=" in a key, "]" in a section name, a key starting with "[", ";", "#".
    bool Set(std::string_view section, std::string_view key, std::string_view value);

    // The whole file as bytes, byte for byte what was parsed where nothing was set.
    std::string Text() const;

    // 1-based numbers of the lines that are not settings.
    const std::vector<std::size_t>& BadLines() const { return bad_; }
    bool Empty() const { return lines_.empty(); }

private:
    enum class Kind { Blank, Comment, Section, Key, Bad };
    struct Line {
        std::string text;  // without the line end
        std::string eol;   // "\r\n", "\n", or "" for a last line without one
        Kind kind = Kind::Blank;
        std::string name;          // section name or key, trimmed
        std::size_t valueAt = 0;   // key lines: offset of the value's first character
        std::size_t valueEnd = 0;  // key lines: offset just past the value's last character
    };

    static Line Classify(std::string text, std::string eol, bool inSection);
    // Index of the line holding `key` in a section called `section`, or npos; `sectionAt` gets
    // the first such section's header line (npos when there is none).
    std::size_t Find(std::string_view section, std::string_view key, std::size_t& sectionAt) const;
    void Reindex();

    std::vector<Line> lines_;
    std::vector<std::size_t> bad_;
    std::string bom_;           // a UTF-8 byte-order mark at the start, kept for the write
    std::string eol_ = "\r\n";  // line end for new lines: the file's first, else CR LF
};

// What reading a settings file gave.
enum class IniFileStatus {
    Read,        // read and parsed (possibly with bad lines)
    Missing,     // no file: every key is absent
    Unreadable,  // exists but cannot be read (a folder, FIFO or device, no permission, an I/O error)
    TooLarge,    // more than IniDocument::kMaxBytes
};

struct IniFileRead {
    IniFileStatus status = IniFileStatus::Missing;
    IniDocument doc;
    std::string reason;  // why it could not be read
};

IniFileRead ReadIniFile(const std::filesystem::path& file);

// Replaces `file` by the document in one step: the text goes to a temporary file in the same
// folder, is flushed to the disk and renamed over the file, so a crash leaves either the old or
// the new settings, never half a file. A symbolic link is followed, not replaced, when it leads
// to a file that exists inside the folder of `file`; any other link (dangling, to a folder, out
// of the folder) is refused. On failure the file is untouched, the temporary file removed, and
// `reason` says why.
bool WriteIniFileAtomically(const std::filesystem::path& file, const IniDocument& doc, std::string& reason);

}  // namespace korval
