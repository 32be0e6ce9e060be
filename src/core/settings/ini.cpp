#include "settings/ini.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

#include "station/files.h"
#include "text/convert.h"

namespace korval {
namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr std::size_t npos = std::string::npos;

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Bytes below 32 other than tab, and DEL, cannot stand in a settings line (binary garbage).
bool HasControl(std::string_view s)
{
    for (unsigned char c : s)
        if ((c < 0x20 && c != '\t') || c == 0x7F) return true;
    return false;
}

std::string_view TrimBlanks(std::string_view s)
{
    std::size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b])) ++b;
    while (e > b && IsBlank(s[e - 1])) --e;
    return s.substr(b, e - b);
}

std::string Errno(int code)
{
    return std::strerror(code);
}

std::filesystem::path FolderOf(const std::filesystem::path& file)
{
    return file.parent_path().empty() ? std::filesystem::path(".") : file.parent_path();
}

// True when `real` (a path without links) lies in `folder` or below it.
bool IsInside(const std::filesystem::path& real, const std::filesystem::path& folder)
{
    std::error_code ec;
    const std::filesystem::path base = std::filesystem::canonical(folder, ec);
    if (ec) return false;
    auto r = real.begin();
    for (auto b = base.begin(); b != base.end(); ++b, ++r)
        if (r == real.end() || *r != *b) return false;
    return r != real.end();
}

}  // namespace

IniDocument::Line IniDocument::Classify(std::string text, std::string eol, bool inSection)
{
    Line line;
    line.text = std::move(text);
    line.eol = std::move(eol);
    std::string_view t = TrimBlanks(line.text);
    if (HasControl(line.text)) {
        line.kind = Kind::Bad;
    } else if (t.empty()) {
        line.kind = Kind::Blank;
    } else if (t.front() == ';' || t.front() == '#') {
        line.kind = Kind::Comment;
    } else if (t.front() == '[') {
        std::size_t close = t.find(']');
        std::string_view name = close == npos ? std::string_view{} : TrimBlanks(t.substr(1, close - 1));
        line.kind = name.empty() ? Kind::Bad : Kind::Section;
        line.name = std::string(name);
    } else if (std::size_t eq = line.text.find('='); eq != npos && inSection) {
        std::string_view key = TrimBlanks(std::string_view(line.text).substr(0, eq));
        if (key.empty()) {
            line.kind = Kind::Bad;
        } else {
            line.kind = Kind::Key;
            line.name = std::string(key);
            std::size_t at = eq + 1;
            while (at < line.text.size() && IsBlank(line.text[at])) ++at;
            std::size_t end = line.text.size();
            while (end > at && IsBlank(line.text[end - 1])) --end;
            line.valueAt = at;
            line.valueEnd = end;
        }
    } else {
        line.kind = Kind::Bad;  // no "=", or a key before any section
    }
    return line;
}

IniDocument IniDocument::Parse(std::string_view text)
{
    IniDocument doc;
    if (text.starts_with(kBom)) {
        doc.bom_ = std::string(kBom);
        text.remove_prefix(kBom.size());
    }
    bool eolSeen = false;
    bool inSection = false;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t nl = text.find('\n', start);
        std::string_view piece = text.substr(start, nl == npos ? npos : nl - start);
        std::string_view eol;
        if (nl != npos) {
            eol = "\n";
            if (!piece.empty() && piece.back() == '\r') {
                piece.remove_suffix(1);
                eol = "\r\n";
            }
            if (!eolSeen) {
                doc.eol_ = std::string(eol);
                eolSeen = true;
            }
        }
        Line line = Classify(std::string(piece), std::string(eol), inSection);
        if (line.kind == Kind::Section) inSection = true;
        doc.lines_.push_back(std::move(line));
        if (nl == npos) break;
        start = nl + 1;
    }
    doc.Reindex();
    return doc;
}

void IniDocument::Reindex()
{
    bad_.clear();
    for (std::size_t i = 0; i < lines_.size(); ++i)
        if (lines_[i].kind == Kind::Bad) bad_.push_back(i + 1);
}

std::size_t IniDocument::Find(std::string_view section, std::string_view key, std::size_t& sectionAt) const
{
    section = TrimBlanks(section);
    key = TrimBlanks(key);
    sectionAt = npos;
    bool inMatch = false;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const Line& l = lines_[i];
        if (l.kind == Kind::Section) {
            inMatch = IEquals(l.name, section);
            if (inMatch && sectionAt == npos) sectionAt = i;
        } else if (inMatch && l.kind == Kind::Key && IEquals(l.name, key)) {
            return i;
        }
    }
    return npos;
}

std::optional<std::string_view> IniDocument::Get(std::string_view section, std::string_view key) const
{
    std::size_t sectionAt = npos;
    std::size_t at = Find(section, key, sectionAt);
    if (at == npos) return std::nullopt;
    const Line& l = lines_[at];
    return std::string_view(l.text).substr(l.valueAt, l.valueEnd - l.valueAt);
}

bool IniDocument::Set(std::string_view section, std::string_view key, std::string_view value)
{
    section = TrimBlanks(section);
    key = TrimBlanks(key);
    if (section.empty() || key.empty() || HasControl(section) || HasControl(key) || HasControl(value)) return false;
    if (section.find(']') != npos || key.find('=') != npos) return false;
    if (key.front() == '[' || key.front() == ';' || key.front() == '#') return false;

    std::size_t sectionAt = npos;
    std::size_t at = Find(section, key, sectionAt);
    if (at != npos) {
        Line& l = lines_[at];
        std::string text = l.text.substr(0, l.valueAt) + std::string(value);
        l = Classify(std::move(text), std::move(l.eol), true);
        return true;
    }

    std::string newLine = std::string(key) + "=" + std::string(value);
    auto terminate = [this](std::size_t i) {
        if (i < lines_.size() && lines_[i].eol.empty()) lines_[i].eol = eol_;
    };
    if (sectionAt != npos) {
        std::size_t last = sectionAt;
        for (std::size_t i = sectionAt + 1; i < lines_.size() && lines_[i].kind != Kind::Section; ++i)
            if (lines_[i].kind == Kind::Key) last = i;
        terminate(last);
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(last + 1), Classify(newLine, eol_, true));
    } else {
        if (!lines_.empty()) {
            terminate(lines_.size() - 1);
            if (lines_.back().kind != Kind::Blank) lines_.push_back(Classify("", eol_, true));
        }
        std::string header(1, '[');
        header.append(section).push_back(']');
        lines_.push_back(Classify(std::move(header), eol_, true));
        lines_.push_back(Classify(newLine, eol_, true));
    }
    Reindex();
    return true;
}

std::string IniDocument::Text() const
{
    std::size_t size = bom_.size();
    for (const Line& l : lines_) size += l.text.size() + l.eol.size();
    std::string out;
    out.reserve(size);
    out += bom_;
    for (const Line& l : lines_) {
        out += l.text;
        out += l.eol;
    }
    return out;
}

// ---- files -------------------------------------------------------------------------------------

IniFileRead ReadIniFile(const std::filesystem::path& file)
{
    IniFileRead r;
    FileRead read = ReadRegularFile(file, IniDocument::kMaxBytes);
    r.reason = std::move(read.reason);
    switch (read.status) {
        case FileStatus::Read:
            r.status = IniFileStatus::Read;
            r.doc = IniDocument::Parse(read.text);
            break;
        case FileStatus::Missing:
            r.status = IniFileStatus::Missing;
            break;
        case FileStatus::TooLarge:
            r.status = IniFileStatus::TooLarge;
            break;
        case FileStatus::NotRegular:
        case FileStatus::Failed:
            r.status = IniFileStatus::Unreadable;
            break;
    }
    return r;
}

bool WriteIniFileAtomically(const std::filesystem::path& file, const IniDocument& doc, std::string& reason)
{
    namespace fs = std::filesystem;
    fs::path target = file;
    std::error_code ec;
    if (fs::is_symlink(file, ec)) {
        // Written through only to a file that exists inside the file's own folder: a link that
        // dangles or leads out of it would make the save create or replace a file elsewhere.
        fs::path real = fs::canonical(file, ec);
        if (ec || !fs::is_regular_file(real, ec) || !IsInside(real, FolderOf(file))) {
            reason = "it is a link that does not lead to a file inside " + FolderOf(file).string();
            return false;
        }
        target = real;
    }
    fs::path temp = target;
    temp += ".tmp-" + std::to_string(::getpid());

    mode_t mode = 0644;
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0) mode = st.st_mode & 07777;

    const std::string text = doc.Text();
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
    if (fd < 0) {
        reason = Errno(errno);
        return false;
    }
    auto fail = [&](int code) {
        reason = Errno(code);
        if (fd >= 0) ::close(fd);
        ::unlink(temp.c_str());
        return false;
    };
    std::size_t done = 0;
    while (done < text.size()) {
        ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return fail(errno);
        done += static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0) return fail(errno);
    int closed = ::close(fd);
    fd = -1;
    if (closed != 0) return fail(errno);
    if (::rename(temp.c_str(), target.c_str()) != 0) return fail(errno);
    // Make the rename itself durable; a failure here leaves a complete file either way.
    fs::path folder = FolderOf(target);
    int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        (void)::fsync(dir);
        ::close(dir);
    }
    return true;
}

}  // namespace korval
