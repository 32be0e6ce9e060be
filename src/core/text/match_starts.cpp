#include "text/match_starts.h"

#include <bitset>
#include <cctype>
#include <optional>
#include <string>

namespace korval {
namespace {

using CharSet = std::bitset<256>;

CharSet Range(unsigned from, unsigned to)
{
    CharSet s;
    for (unsigned c = from; c <= to; ++c) s.set(c);
    return s;
}

// The classes as the facility matches them: bytes, "\s" the six ASCII white-space characters,
// "." anything but the two line-end characters.
CharSet Digits()
{
    return Range('0', '9');
}
CharSet Spaces()
{
    return Range('\t', '\r') | Range(' ', ' ');
}
CharSet WordCharacters()
{
    return Range('0', '9') | Range('A', 'Z') | Range('a', 'z') | Range('_', '_');
}
CharSet AnyButLineEnd()
{
    CharSet s;
    s.set();
    s.reset('\r');
    s.reset('\n');
    return s;
}

void AddOtherCase(CharSet& s)
{
    for (unsigned c = 'A'; c <= 'Z'; ++c) {
        if (s.test(c)) s.set(c + 32);
        if (s.test(c + 32)) s.set(c);
    }
}

bool IsAlphanumeric(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// The parsed pattern: a tree of character classes, sequences, alternations and repeats.
struct Node {
    enum Kind { Set, Sequence, Alternation, Repeat } kind = Sequence;
    CharSet set;
    std::vector<int> children;
    int min = 0, max = 0;  // Repeat; max -1 for no upper bound
};

// Recursive-descent reader of the pattern; `ok` is cleared at anything it does not follow.
class Parser {
public:
    Parser(std::string_view pattern, bool ignoreCase) : p_(pattern), ignoreCase_(ignoreCase) {}

    std::vector<Node> nodes;
    bool ok = true;

    int ParseAll()
    {
        int root = ParseAlternation();
        if (i_ != p_.size()) ok = false;  // an unbalanced ")"
        return root;
    }

private:
    std::string_view p_;
    std::size_t i_ = 0;
    bool ignoreCase_;

    int Add(Node n)
    {
        nodes.push_back(std::move(n));
        return static_cast<int>(nodes.size() - 1);
    }
    int AddSet(CharSet s)
    {
        if (ignoreCase_) AddOtherCase(s);
        Node n;
        n.kind = Node::Set;
        n.set = s;
        return Add(std::move(n));
    }
    bool More() const { return i_ < p_.size(); }

    int ParseAlternation()
    {
        Node alt;
        alt.kind = Node::Alternation;
        alt.children.push_back(ParseSequence());
        while (ok && More() && p_[i_] == '|') {
            ++i_;
            alt.children.push_back(ParseSequence());
        }
        if (alt.children.size() == 1) return alt.children.front();
        return Add(std::move(alt));
    }

    int ParseSequence()
    {
        Node seq;
        seq.kind = Node::Sequence;
        while (ok && More() && p_[i_] != '|' && p_[i_] != ')') {
            int atom = ParseAtom();
            if (!ok) break;
            seq.children.push_back(ParseQuantifier(atom));
        }
        return Add(std::move(seq));
    }

    int ParseAtom()
    {
        const char c = p_[i_++];
        switch (c) {
            case '(': {
                if (More() && p_[i_] == '?') {
                    if (i_ + 1 < p_.size() && p_[i_ + 1] == ':') {
                        i_ += 2;
                    } else {
                        ok = false;  // look-around, atomic, named or option groups
                        return 0;
                    }
                }
                int inner = ParseAlternation();
                if (!More() || p_[i_] != ')') {
                    ok = false;
                    return 0;
                }
                ++i_;
                return inner;
            }
            case '[':
                return ParseClass();
            case '.':
                return AddSet(AnyButLineEnd());
            case '\\': {
                std::optional<CharSet> s = ParseEscape(false);
                if (!s) return 0;
                return AddSet(*s);
            }
            case '^':
            case '$':
            case '*':
            case '+':
            case '?':
                ok = false;  // anchors, or a quantifier with nothing to repeat
                return 0;
            case '{':
                if (QuantifierAhead(i_ - 1)) {
                    ok = false;
                    return 0;
                }
                return AddSet(Range('{', '{'));
            default:
                return AddSet(Range(static_cast<unsigned char>(c), static_cast<unsigned char>(c)));
        }
    }

    // The class an escape stands for, the backslash already read; nothing (and !ok) for an
    // escape that is not a class or a character (anchors, back-references, properties).
    std::optional<CharSet> ParseEscape(bool inClass)
    {
        if (!More()) {
            ok = false;
            return std::nullopt;
        }
        const char c = p_[i_++];
        switch (c) {
            case 'd':
                return Digits();
            case 'D':
                return ~Digits();
            case 's':
                return Spaces();
            case 'S':
                return ~Spaces();
            case 'w':
                return WordCharacters();
            case 'W':
                return ~WordCharacters();
            case 't':
                return Range('\t', '\t');
            case 'n':
                return Range('\n', '\n');
            case 'r':
                return Range('\r', '\r');
            case 'f':
                return Range('\f', '\f');
            case 'e':
                return Range(0x1B, 0x1B);
            case 'a':
                return Range(0x07, 0x07);
            case 'b':
                if (inClass) return Range(0x08, 0x08);
                break;
            case 'x': {
                unsigned value = 0;
                int digits = 0;
                while (digits < 2 && More() && std::isxdigit(static_cast<unsigned char>(p_[i_]))) {
                    const char h = p_[i_++];
                    value = value * 16 + static_cast<unsigned>(h <= '9' ? h - '0' : (h | 0x20) - 'a' + 10);
                    ++digits;
                }
                if (digits == 0) break;
                return Range(value, value);
            }
            default:
                if (!IsAlphanumeric(c)) return Range(static_cast<unsigned char>(c), static_cast<unsigned char>(c));
                break;
        }
        ok = false;
        return std::nullopt;
    }

    // One character of a class (for a range end), or nothing when it is a class escape.
    std::optional<unsigned> ClassCharacter(const CharSet& s)
    {
        if (s.count() != 1) return std::nullopt;
        for (unsigned c = 0; c < 256; ++c)
            if (s.test(c)) return c;
        return std::nullopt;
    }

    int ParseClass()
    {
        bool negated = false;
        if (More() && p_[i_] == '^') {
            negated = true;
            ++i_;
        }
        CharSet set;
        bool first = true;
        while (ok) {
            if (!More()) {
                ok = false;
                return 0;
            }
            char c = p_[i_];
            if (c == ']' && !first) {
                ++i_;
                break;
            }
            if (c == '[' && i_ + 1 < p_.size() && (p_[i_ + 1] == ':' || p_[i_ + 1] == '.' || p_[i_ + 1] == '=')) {
                ok = false;  // POSIX classes
                return 0;
            }
            first = false;
            ++i_;
            CharSet item;
            if (c == '\\') {
                std::optional<CharSet> e = ParseEscape(true);
                if (!e) return 0;
                item = *e;
            } else {
                item = Range(static_cast<unsigned char>(c), static_cast<unsigned char>(c));
            }
            // A range "a-z": a "-" followed by anything but the closing "]".
            if (More() && p_[i_] == '-' && i_ + 1 < p_.size() && p_[i_ + 1] != ']') {
                std::optional<unsigned> from = ClassCharacter(item);
                ++i_;
                char d = p_[i_++];
                CharSet endItem;
                if (d == '\\') {
                    std::optional<CharSet> e = ParseEscape(true);
                    if (!e) return 0;
                    endItem = *e;
                } else {
                    endItem = Range(static_cast<unsigned char>(d), static_cast<unsigned char>(d));
                }
                std::optional<unsigned> to = ClassCharacter(endItem);
                if (!from || !to || *to < *from) {
                    ok = false;  // a class escape as a range end, or a reversed range
                    return 0;
                }
                item = Range(*from, *to);
            }
            set |= item;
        }
        if (ignoreCase_) AddOtherCase(set);
        if (negated) set = ~set;
        Node n;
        n.kind = Node::Set;
        n.set = set;
        return Add(std::move(n));
    }

    // "{n}", "{n,}" or "{n,m}" at `at`; anything else is a literal "{".
    bool QuantifierAhead(std::size_t at, int* min = nullptr, int* max = nullptr, std::size_t* end = nullptr) const
    {
        std::size_t k = at + 1;
        auto number = [&](int& out) {
            std::size_t start = k;
            out = 0;
            while (k < p_.size() && p_[k] >= '0' && p_[k] <= '9' && k - start < 6) out = out * 10 + (p_[k++] - '0');
            return k > start;
        };
        int lo = 0, hi = 0;
        if (!number(lo)) return false;
        if (k < p_.size() && p_[k] == '}') {
            hi = lo;
        } else if (k < p_.size() && p_[k] == ',') {
            ++k;
            if (k < p_.size() && p_[k] == '}') {
                hi = -1;
            } else if (!number(hi) || k >= p_.size() || p_[k] != '}' || hi < lo) {
                return false;
            }
        } else {
            return false;
        }
        if (min) *min = lo;
        if (max) *max = hi;
        if (end) *end = k + 1;
        return true;
    }

    int ParseQuantifier(int atom)
    {
        if (!More()) return atom;
        int min = 0, max = 0;
        const char c = p_[i_];
        if (c == '*') {
            max = -1;
            ++i_;
        } else if (c == '+') {
            min = 1;
            max = -1;
            ++i_;
        } else if (c == '?') {
            max = 1;
            ++i_;
        } else if (c == '{') {
            std::size_t end = 0;
            if (!QuantifierAhead(i_, &min, &max, &end)) return atom;
            i_ = end;
        } else {
            return atom;
        }
        if (More() && p_[i_] == '?') {
            ++i_;  // lazy: the same matches exist
        } else if (More() && p_[i_] == '+') {
            ok = false;  // possessive
            return atom;
        }
        if (More() && (p_[i_] == '*' || p_[i_] == '+' || p_[i_] == '?' || (p_[i_] == '{' && QuantifierAhead(i_)))) {
            ok = false;  // a quantifier on a quantifier
            return atom;
        }
        Node r;
        r.kind = Node::Repeat;
        r.children.push_back(atom);
        r.min = min;
        r.max = max;
        return Add(std::move(r));
    }
};

// The Glushkov construction: every Set occurrence (each copy of a repeated one) is a position.
class Builder {
public:
    explicit Builder(const std::vector<Node>& nodes) : nodes_(nodes) {}

    struct Fragment {
        bool nullable = true;
        std::uint64_t first = 0, last = 0;
    };

    // The positions and characters of each unbounded repeat built.
    struct Unbounded {
        std::uint64_t positions = 0;
        CharSet characters;
    };
    std::vector<Unbounded> runs;

    bool overflow = false;
    std::vector<CharSet> sets;
    std::array<std::uint64_t, 64> follow{};

    Fragment Build(int index)
    {
        const Node& n = nodes_[static_cast<std::size_t>(index)];
        switch (n.kind) {
            case Node::Set: {
                if (sets.size() == 64) {
                    overflow = true;
                    return {};
                }
                sets.push_back(n.set);
                const std::uint64_t bit = std::uint64_t{1} << (sets.size() - 1);
                return {false, bit, bit};
            }
            case Node::Sequence: {
                Fragment f;
                for (int child : n.children) f = Then(f, Build(child));
                return f;
            }
            case Node::Alternation: {
                Fragment f{false, 0, 0};
                for (int child : n.children) {
                    Fragment c = Build(child);
                    f.nullable = f.nullable || c.nullable;
                    f.first |= c.first;
                    f.last |= c.last;
                }
                return f;
            }
            case Node::Repeat: {
                const int child = n.children.front();
                Fragment f;
                if (n.max < 0) {
                    for (int k = 1; k < n.min; ++k) f = Then(f, Build(child));
                    const std::size_t from = sets.size();
                    Fragment loop = Build(child);
                    Link(loop.last, loop.first);  // x+
                    if (n.min == 0) loop.nullable = true;
                    Unbounded run;
                    for (std::size_t q = from; q < sets.size(); ++q) {
                        run.positions |= std::uint64_t{1} << q;
                        run.characters |= sets[q];
                    }
                    runs.push_back(run);
                    return Then(f, loop);
                }
                for (int k = 0; k < n.min; ++k) f = Then(f, Build(child));
                for (int k = n.min; k < n.max && !overflow; ++k) {
                    Fragment optional = Build(child);
                    optional.nullable = true;
                    f = Then(f, optional);
                }
                return f;
            }
        }
        return {};
    }

private:
    const std::vector<Node>& nodes_;

    void Link(std::uint64_t from, std::uint64_t to)
    {
        for (std::uint64_t b = from; b != 0; b &= b - 1) follow[static_cast<unsigned>(std::countr_zero(b))] |= to;
    }

    Fragment Then(const Fragment& a, const Fragment& b)
    {
        Link(a.last, b.first);
        return {a.nullable && b.nullable, a.first | (a.nullable ? b.first : 0), b.last | (b.nullable ? a.last : 0)};
    }
};

}  // namespace

MatchStarts::MatchStarts(std::string_view pattern, bool ignoreCase)
{
    Parser parser(pattern, ignoreCase);
    const int root = parser.ParseAll();
    if (!parser.ok || parser.nodes.empty()) return;
    Builder builder(parser.nodes);
    const Builder::Fragment f = builder.Build(root);
    if (builder.overflow || f.nullable) return;
    first_ = f.first;
    last_ = f.last;
    // Backtracking runs away where two unbounded repeats can take the same characters (one gives
    // back what the other then scans again, for every length of the first) or where one can
    // begin a match (every start scans the same run again); one inside another counts as both.
    for (std::size_t a = 0; a < builder.runs.size() && !runsAway_; ++a) {
        if (builder.runs[a].positions & first_) runsAway_ = true;
        for (std::size_t b = a + 1; b < builder.runs.size(); ++b)
            if ((builder.runs[a].characters & builder.runs[b].characters).any()) runsAway_ = true;
    }
    for (std::size_t q = 0; q < builder.sets.size(); ++q) {
        const std::uint64_t bit = std::uint64_t{1} << q;
        for (std::size_t p = 0; p < builder.sets.size(); ++p)
            if (builder.follow[p] & bit) prec_[q] |= std::uint64_t{1} << p;
        for (unsigned c = 0; c < 256; ++c)
            if (builder.sets[q].test(c)) charMask_[c] |= bit;
    }
    supported_ = true;
}

std::vector<bool> MatchStarts::Scan(std::string_view text) const
{
    if (!supported_) return {};
    std::vector<bool> starts(text.size() + 1, false);  // a match never starts at the very end
    State state = 0;
    for (std::size_t i = text.size(); i-- > 0;) {
        state = Step(static_cast<unsigned char>(text[i]), state);
        starts[i] = Starts(state);
    }
    return starts;
}

}  // namespace korval
