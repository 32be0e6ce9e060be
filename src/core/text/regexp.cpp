#include "text/regexp.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <functional>
#include <string_view>
#include <unordered_map>

#include "text/fault.h"
#include "text/match_starts.h"

namespace korval {
namespace {

struct CodeDeleter {
    void operator()(pcre2_code* c) const { pcre2_code_free(c); }
};

struct Compiled {
    std::unique_ptr<pcre2_code, CodeDeleter> code;
    pcre2_match_data* data = nullptr;
    std::uint32_t groups = 0;
    // Where matches can begin; unsupported patterns search with the full limit only.
    MatchStarts starts;
    ~Compiled() { pcre2_match_data_free(data); }
};

// The compiled forms of a pattern: as searched, and anchored at the start offset.
enum class Form { Search, Anchored };

bool IsLimit(int rc)
{
    return rc == PCRE2_ERROR_MATCHLIMIT || rc == PCRE2_ERROR_DEPTHLIMIT || rc == PCRE2_ERROR_HEAPLIMIT ||
           rc == PCRE2_ERROR_JIT_STACKLIMIT || rc == PCRE2_ERROR_NOMEMORY;
}

[[noreturn]] void RaiseFor(int rc)
{
    if (IsLimit(rc)) Raise(err::OutOfStack, "Out of stack space (regular expression match limit)");
    Raise(err::InvalidCall);
}

// Per-thread compile cache and match context: the result is the same as compiling per call.
class Engine {
public:
    Engine()
    {
        compile_ = pcre2_compile_context_create(nullptr);
        pcre2_set_newline(compile_, PCRE2_NEWLINE_ANYCRLF);
        jitStack_ = pcre2_jit_stack_create(64 * 1024, 16 * 1024 * 1024, nullptr);
        match_ = NewContext(kRegexMatchLimit);
        quick_ = NewContext(kRegexQuickLimit);
    }
    ~Engine()
    {
        for (Cache& cache : cache_) cache.clear();
        pcre2_jit_stack_free(jitStack_);
        pcre2_match_context_free(quick_);
        pcre2_match_context_free(match_);
        pcre2_compile_context_free(compile_);
    }
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    Compiled& Get(const std::string& pattern, bool ignoreCase, Form form = Form::Search)
    {
        Cache& cache = cache_[(ignoreCase ? 1 : 0) + (form == Form::Anchored ? 2 : 0)];
        auto it = cache.find(std::string_view(pattern));  // no key is built for a hit
        if (it != cache.end()) return *it->second;
        if (cache.size() > 4096) cache.clear();  // patterns are a fixed set; bound it anyway
        int code = 0;
        PCRE2_SIZE offset = 0;
        std::uint32_t options = PCRE2_MATCH_UNSET_BACKREF | PCRE2_DOLLAR_ENDONLY;
        if (ignoreCase) options |= PCRE2_CASELESS;
        if (form == Form::Anchored) options |= PCRE2_ANCHORED;
        pcre2_code* re = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(), options, &code,
                                       &offset, compile_);
        if (!re) Raise(err::InvalidCall, "Syntax error in regular expression");
        pcre2_jit_compile(re, PCRE2_JIT_COMPLETE);  // falls back to the interpreter when unavailable
        auto c = std::make_unique<Compiled>();
        c->code.reset(re);
        c->data = pcre2_match_data_create_from_pattern(re, nullptr);
        pcre2_pattern_info(re, PCRE2_INFO_CAPTURECOUNT, &c->groups);
        if (form == Form::Search) c->starts = MatchStarts(pattern, ignoreCase);
        return *cache.emplace(pattern, std::move(c)).first->second;
    }

    // The full match limit.
    pcre2_match_context* match() { return match_; }
    // The limit of a search's first try: the quick one when the pattern has the exact fallback.
    pcre2_match_context* firstTry(const Compiled& c) { return c.starts.Supported() ? quick_ : match_; }
    // Searches of a long text with a pattern whose backtracking can run away go through the scan
    // at once: the match limit counts backtracking steps, not the characters a repeat scans
    // again. A short text is searched faster by backtracking, and costs little even when it
    // runs away.
    static bool ScanFirst(const Compiled& c, std::string_view text)
    {
        return text.size() > kRegexLongText && c.starts.Supported() && c.starts.RunsAway();
    }

private:
    pcre2_match_context* NewContext(unsigned limit)
    {
        pcre2_match_context* context = pcre2_match_context_create(nullptr);
        pcre2_set_match_limit(context, limit);
        pcre2_set_depth_limit(context, limit);
        if (jitStack_) pcre2_jit_stack_assign(context, nullptr, jitStack_);
        return context;
    }

    pcre2_compile_context* compile_ = nullptr;
    pcre2_match_context* match_ = nullptr;
    pcre2_match_context* quick_ = nullptr;
    pcre2_jit_stack* jitStack_ = nullptr;
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const noexcept { return std::hash<std::string_view>{}(text); }
    };
    using Cache = std::unordered_map<std::string, std::unique_ptr<Compiled>, Hash, std::equal_to<>>;
    Cache cache_[4];  // [IgnoreCase + 2 * anchored]
};

Engine& ThisThread()
{
    thread_local Engine engine;
    return engine;
}

// The search finished exactly after the quick limit was hit: the match found from `start` is the
// one beginning at the first position from `start` where a match begins, and the engine's first
// match there.
template <class F>
void ForEachMatchFromStarts(const RegExp& re, Compiled& c, std::string_view text, std::size_t start, F&& onMatch)
{
    Engine& engine = ThisThread();
    Compiled& anchored = engine.Get(re.Pattern, re.IgnoreCase, Form::Anchored);
    const std::vector<bool> starts = c.starts.Scan(text);
    auto subject = reinterpret_cast<PCRE2_SPTR>(text.data());
    for (std::size_t at = start; at < text.size(); ++at) {
        if (!starts[at]) continue;
        int rc = pcre2_match(anchored.code.get(), subject, text.size(), at, 0, anchored.data, engine.match());
        if (rc == PCRE2_ERROR_NOMATCH) continue;  // cannot happen: a match begins here
        if (rc < 0) RaiseFor(rc);
        const PCRE2_SIZE* ov = pcre2_get_ovector_pointer(anchored.data);
        onMatch(ov, anchored.groups);
        if (!re.Global) return;
        at = ov[1] - 1;  // matches are never empty
    }
}

// Runs the pattern over the text, calling `onMatch(ovector, groups)` for each match in order.
template <class F>
void ForEachMatch(const RegExp& re, std::string_view text, F&& onMatch)
{
    Engine& engine = ThisThread();
    Compiled& c = engine.Get(re.Pattern, re.IgnoreCase);
    if (Engine::ScanFirst(c, text)) {
        ForEachMatchFromStarts(re, c, text, 0, onMatch);
        return;
    }
    auto subject = reinterpret_cast<PCRE2_SPTR>(text.data());
    std::size_t start = 0;
    while (start <= text.size()) {
        int rc = pcre2_match(c.code.get(), subject, text.size(), start, 0, c.data, engine.firstTry(c));
        if (rc == PCRE2_ERROR_NOMATCH) return;
        if (rc < 0) {
            if (IsLimit(rc) && c.starts.Supported()) {
                ForEachMatchFromStarts(re, c, text, start, onMatch);
                return;
            }
            RaiseFor(rc);
        }
        const PCRE2_SIZE* ov = pcre2_get_ovector_pointer(c.data);
        onMatch(ov, c.groups);
        if (!re.Global) return;
        start = ov[1] == ov[0] ? ov[1] + 1 : ov[1];
    }
}

// A match begins somewhere in the text.
bool AnyStart(const MatchStarts& starts, std::string_view text)
{
    MatchStarts::State state = 0;
    for (std::size_t i = text.size(); i-- > 0;) {
        state = starts.Step(static_cast<unsigned char>(text[i]), state);
        if (starts.Starts(state)) return true;
    }
    return false;
}

std::string_view Group(std::string_view text, const PCRE2_SIZE* ov, std::uint32_t n)
{
    if (ov[2 * n] == PCRE2_UNSET) return {};
    return text.substr(ov[2 * n], ov[2 * n + 1] - ov[2 * n]);
}

}  // namespace

RegExp::RegExp(std::string pattern, bool global, bool ignoreCase)
    : Pattern(std::move(pattern)), Global(global), IgnoreCase(ignoreCase)
{
}

bool RegExp::Test(std::string_view text) const
{
    Engine& engine = ThisThread();
    Compiled& c = engine.Get(Pattern, IgnoreCase);
    if (Engine::ScanFirst(c, text)) return AnyStart(c.starts, text);
    int rc = pcre2_match(c.code.get(), reinterpret_cast<PCRE2_SPTR>(text.data()), text.size(), 0, 0, c.data,
                         engine.firstTry(c));
    if (rc == PCRE2_ERROR_NOMATCH) return false;
    if (rc < 0) {
        if (IsLimit(rc) && c.starts.Supported()) return AnyStart(c.starts, text);
        RaiseFor(rc);
    }
    return true;
}

bool RegExp::MatchAt(std::string_view text, std::size_t start, std::vector<Span>& spans) const
{
    Engine& engine = ThisThread();
    Compiled& c = engine.Get(Pattern, IgnoreCase, Form::Anchored);
    if (start > text.size()) return false;
    int rc = pcre2_match(c.code.get(), reinterpret_cast<PCRE2_SPTR>(text.data()), text.size(), start, 0, c.data,
                         engine.match());
    if (rc == PCRE2_ERROR_NOMATCH) return false;
    if (rc < 0) RaiseFor(rc);
    const PCRE2_SIZE* ov = pcre2_get_ovector_pointer(c.data);
    spans.assign(c.groups + 1, Span{});
    for (std::uint32_t g = 0; g <= c.groups; ++g)
        if (ov[2 * g] != PCRE2_UNSET) spans[g] = {ov[2 * g], ov[2 * g + 1]};
    return true;
}

std::size_t RegExp::GroupCount() const
{
    return ThisThread().Get(Pattern, IgnoreCase).groups;
}

std::vector<Match> RegExp::Execute(std::string_view text) const
{
    std::vector<Match> matches;
    ForEachMatch(*this, text, [&](const PCRE2_SIZE* ov, std::uint32_t groups) {
        Match m;
        m.FirstIndex = ov[0];
        m.Value = std::string(text.substr(ov[0], ov[1] - ov[0]));
        m.SubMatches.reserve(groups);
        for (std::uint32_t g = 1; g <= groups; ++g) m.SubMatches.emplace_back(Group(text, ov, g));
        matches.push_back(std::move(m));
    });
    return matches;
}

std::size_t RegExp::Count(std::string_view text) const
{
    std::size_t n = 0;
    ForEachMatch(*this, text, [&](const PCRE2_SIZE*, std::uint32_t) { ++n; });
    return n;
}

namespace {

// Builds the replaced text into `out`; false (and `out` untouched) when nothing matched.
bool ReplaceInto(const RegExp& re, std::string_view text, std::string_view replacement, std::string& out)
{
    std::size_t copied = 0;
    bool any = false;
    ForEachMatch(re, text, [&](const PCRE2_SIZE* ov, std::uint32_t groups) {
        if (!any) {
            out.clear();
            out.reserve(text.size() + replacement.size());
        }
        any = true;
        out.append(text.substr(copied, ov[0] - copied));
        for (std::size_t i = 0; i < replacement.size(); ++i) {
            char ch = replacement[i];
            if (ch == '$' && i + 1 < replacement.size() && replacement[i + 1] >= '1' && replacement[i + 1] <= '9') {
                auto n = static_cast<std::uint32_t>(replacement[i + 1] - '0');
                if (n <= groups) {
                    out.append(Group(text, ov, n));
                    ++i;
                    continue;
                }
            }
            out.push_back(ch);
        }
        copied = ov[1];
    });
    if (any) out.append(text.substr(copied));
    return any;
}

}  // namespace

std::string RegExp::Replace(std::string_view text, std::string_view replacement) const
{
    std::string out;
    if (!ReplaceInto(*this, text, replacement, out)) return std::string(text);
    return out;
}

bool RegExp::ReplaceIn(std::string& text, std::string_view replacement) const
{
    std::string out;
    if (!ReplaceInto(*this, text, replacement, out)) return false;
    text.swap(out);
    return true;
}

}  // namespace korval
