#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "decode/coordinates.h"
#include "decode/decoded_position.h"
#include "text/regexp.h"

namespace korval {

// One line of the format table: which messages it reads and how.
struct PositionFormat {
    std::string name;                 // the positions' source
    std::vector<std::string> labels;  // two-character ACARS labels; empty: every label
    std::size_t latGroup = 0;         // 1-based capture group of the latitude
    Notation latNotation;
    std::size_t lonGroup = 0;  // 1-based capture group of the longitude
    Notation lonNotation;
    RegExp pattern;        // matched globally: every match is one position
    std::size_t line = 0;  // 1-based line in the file
    // Text every match begins with (RequiredPrefix); content without it is not tried.
    std::string prefix;
};

// The plain text every match of `pattern` begins with: its leading literal characters ("\("
// counts as "("), up to the first one that is quantified or is no literal; empty when there is
// none or when an alternation at the top level makes it optional.
std::string RequiredPrefix(std::string_view pattern);

// The user-editable table of position notations (formats.wdf), one format a line:
//     NAME;LABELS;LATITUDE;LONGITUDE;PATTERN
// NAME is any text without ";". LABELS lists two-character ACARS labels separated by commas or
// blanks; empty means every label. LATITUDE and LONGITUDE are GROUP:NOTATION, the capture group
// (1-based) and how it is written (see Notation). PATTERN is the rest of the line, ";" included,
// a PCRE2 pattern as the system's regular expressions read it (case-sensitive). Blanks around
// every field are dropped: a pattern that must begin or end with a blank writes it as [ ].
// Lines starting with "!" and blank lines are comments. A line of at most kMaxFormatLine bytes.
class FormatTable {
public:
    // Reads the table from a file. A missing file gives an empty table and no message (as for the
    // other .wdf files); a file that cannot be read gives an empty table and one message.
    static FormatTable Load(const std::filesystem::path& file, std::vector<std::string>& errors);
    // Reads the table from text. Every bad line adds one message "FILE line N: reason; line
    // skipped" to `errors` (FILE being `fileName`) and is left out; the other lines still work.
    static FormatTable Parse(std::string_view text, std::string_view fileName, std::vector<std::string>& errors);

    // The positions of the first format, in file order, whose labels admit `label` and whose
    // pattern gives at least one readable position in `content` (the message content as it
    // arrived): one per match, in order, each named after that format. Matches whose groups do
    // not read as coordinates are skipped. None when no format fits. A pattern that hits the
    // regular-expression match limit raises error 28, as every match does.
    std::vector<DecodedPosition> Match(std::string_view label, std::string_view content) const;

    const std::vector<PositionFormat>& formats() const { return formats_; }

private:
    std::vector<PositionFormat> formats_;
};

inline constexpr std::size_t kMaxFormatLine = 4096;

}  // namespace korval
