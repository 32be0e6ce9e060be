#pragma once
// The regular-expression facility's matching done the plain way, straight through PCRE2 with a
// limit no test text reaches: the reference the facility's faster ways are compared with.
#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace korval::test {

class PcreReference {
public:
    struct Found {
        std::size_t begin = 0, end = 0;
        std::vector<std::pair<std::size_t, std::size_t>> groups;  // PCRE2_UNSET where none
    };

    explicit PcreReference(std::string_view pattern)
    {
        std::unique_ptr<pcre2_compile_context, decltype(&pcre2_compile_context_free)> context(
            pcre2_compile_context_create(nullptr), pcre2_compile_context_free);
        pcre2_set_newline(context.get(), PCRE2_NEWLINE_ANYCRLF);
        int error = 0;
        PCRE2_SIZE offset = 0;
        code_.reset(pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(),
                                  PCRE2_MATCH_UNSET_BACKREF | PCRE2_DOLLAR_ENDONLY, &error, &offset, context.get()));
        if (!code_) throw std::invalid_argument("pattern does not compile");
        pcre2_jit_compile(code_.get(), PCRE2_JIT_COMPLETE);
        data_.reset(pcre2_match_data_create_from_pattern(code_.get(), nullptr));
        match_.reset(pcre2_match_context_create(nullptr));
        pcre2_set_match_limit(match_.get(), 4'000'000'000u);
        pcre2_set_depth_limit(match_.get(), 4'000'000'000u);
    }

    // Every non-overlapping match from left to right (after an empty one the search resumes one
    // character on), or the first only.
    std::vector<Found> All(std::string_view text, bool global = true) const
    {
        std::vector<Found> out;
        std::size_t start = 0;
        while (start <= text.size()) {
            int rc = pcre2_match(code_.get(), reinterpret_cast<PCRE2_SPTR>(text.data()), text.size(), start, 0,
                                 data_.get(), match_.get());
            if (rc == PCRE2_ERROR_NOMATCH) break;
            if (rc < 0) throw std::runtime_error("match failed");
            const PCRE2_SIZE* ov = pcre2_get_ovector_pointer(data_.get());
            std::uint32_t groups = 0;
            pcre2_pattern_info(code_.get(), PCRE2_INFO_CAPTURECOUNT, &groups);
            Found f{ov[0], ov[1], {}};
            for (std::uint32_t g = 1; g <= groups; ++g) f.groups.emplace_back(ov[2 * g], ov[2 * g + 1]);
            out.push_back(f);
            if (!global) break;
            start = ov[1] == ov[0] ? ov[1] + 1 : ov[1];
        }
        return out;
    }

    // The global replacement: "$" and one digit n is group n (empty when it took no part) when
    // the pattern has that group; everything else is literal.
    std::string Replace(std::string_view text, std::string_view replacement) const
    {
        std::string out;
        std::size_t copied = 0;
        for (const Found& f : All(text)) {
            out.append(text.substr(copied, f.begin - copied));
            for (std::size_t i = 0; i < replacement.size(); ++i) {
                const char c = replacement[i];
                if (c == '$' && i + 1 < replacement.size() && replacement[i + 1] >= '1' && replacement[i + 1] <= '9') {
                    const auto n = static_cast<std::size_t>(replacement[i + 1] - '0');
                    if (n <= f.groups.size()) {
                        const auto [b, e] = f.groups[n - 1];
                        if (b != PCRE2_UNSET) out.append(text.substr(b, e - b));
                        ++i;
                        continue;
                    }
                }
                out += c;
            }
            copied = f.end;
        }
        out.append(text.substr(std::min(copied, text.size())));
        return out;
    }

    // The passes of a reformat rule: when the pattern matches, the replacement again and again,
    // at most `passes` times, until a pass changes nothing. True when it matched.
    bool Passes(std::string& text, std::string_view replacement, std::size_t passes) const
    {
        if (All(text, false).empty()) return false;
        for (std::size_t pass = 0; pass < passes; ++pass) {
            std::string next = Replace(text, replacement);
            if (next == text) break;
            text.swap(next);
        }
        return true;
    }

private:
    struct CodeFree {
        void operator()(pcre2_code* c) const { pcre2_code_free(c); }
    };
    struct DataFree {
        void operator()(pcre2_match_data* d) const { pcre2_match_data_free(d); }
    };
    struct ContextFree {
        void operator()(pcre2_match_context* c) const { pcre2_match_context_free(c); }
    };
    std::unique_ptr<pcre2_code, CodeFree> code_;
    std::unique_ptr<pcre2_match_data, DataFree> data_;
    std::unique_ptr<pcre2_match_context, ContextFree> match_;
};

}  // namespace korval::test
