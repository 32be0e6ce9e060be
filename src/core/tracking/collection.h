#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <unordered_map>
#include <vector>

#include "text/convert.h"
#include "text/fault.h"

namespace korval {

// An insertion-ordered collection of shared records with 1-based positions and optional unique
// text keys compared without regard to letter case. Looking up a missing key or position raises
// error 5 (invalid procedure call or argument), which callers can tell apart.
//
// Removal leaves a hole that a Fenwick tree over the live slots skips, so positional access and
// removal by position or key cost O(log n); the holes are compacted away once they outnumber the
// live records. A plot limit that trims thousands of records is therefore never quadratic.
namespace detail {
// Keys fold the 26 letters A-Z only, whatever the process locale says, so a key stored and a
// key looked up always fold alike.
constexpr char FoldKeyChar(char c) noexcept
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
inline std::string FoldKey(std::string_view key)
{
    std::string out(key);
    for (char& c : out) c = FoldKeyChar(c);
    return out;
}
// Hash and equality of collection keys without regard to letter case, usable with any text
// (heterogeneous lookup), so a lookup never builds a folded copy of the key.
struct CaseBlindHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view key) const noexcept
    {
        std::uint64_t h = 1469598103934665603ull;  // FNV-1a
        for (char c : key) {
            h ^= static_cast<unsigned char>(FoldKeyChar(c));
            h *= 1099511628211ull;
        }
        return static_cast<std::size_t>(h);
    }
};
struct CaseBlindEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const noexcept
    {
        if (a.size() != b.size()) return false;
        for (std::size_t i = 0; i < a.size(); ++i)
            if (FoldKeyChar(a[i]) != FoldKeyChar(b[i])) return false;
        return true;
    }
};
}  // namespace detail

template <class T>
class KeyedCollection {
public:
    using Ptr = std::shared_ptr<T>;

    std::size_t Count() const { return live_; }
    bool Empty() const { return live_ == 0; }

    // Appends without a key.
    void Add(Ptr item) { Append(std::move(item), std::string(), false); }
    // Appends under `key`; every text is a key, the empty one too (an aircraft whose two boxes
    // are both empty is still one aircraft). A key already present raises error 457 like the
    // platform's collection.
    void Add(Ptr item, std::string_view key)
    {
        std::string k = detail::FoldKey(key);
        if (keys_.find(std::string_view(k)) != keys_.end())
            Raise(457, "This key is already associated with an element of this collection");
        Append(std::move(item), std::move(k), true);
    }

    bool HasKey(std::string_view key) const { return keys_.find(key) != keys_.end(); }

    // Item by key; error 5 when absent.
    const Ptr& Item(std::string_view key) const
    {
        auto it = keys_.find(key);
        if (it == keys_.end()) Raise(err::InvalidCall);
        return slots_[it->second].item;
    }
    // Item by 1-based position; error 5 outside 1..Count.
    const Ptr& Item(std::size_t position) const { return slots_[SlotOf(position)].item; }

    void Remove(std::size_t position) { Kill(SlotOf(position)); }
    void Remove(std::string_view key)
    {
        auto it = keys_.find(key);
        if (it == keys_.end()) Raise(err::InvalidCall);
        Kill(it->second);
    }

    // Removes every record for which pred(record) holds, in one pass; returns how many.
    template <class Pred>
    std::size_t RemoveIf(Pred pred)
    {
        std::size_t n = 0;
        for (std::size_t i = 0; i < slots_.size(); ++i)
            if (slots_[i].alive && pred(*slots_[i].item)) {
                Kill(i, false);
                ++n;
            }
        MaybeCompact();
        return n;
    }

    void Clear()
    {
        slots_.clear();
        keys_.clear();
        tree_.assign(1, 0);
        live_ = 0;
    }

    // Calls f(record) for each record in order; stops early when f returns false. f must not add
    // or remove records (collect them, then use RemoveIf).
    template <class F>
    void ForEach(F f) const
    {
        for (const Slot& s : slots_)
            if (s.alive) {
                if constexpr (std::is_same_v<decltype(f(s.item)), bool>) {
                    if (!f(s.item)) return;
                } else {
                    f(s.item);
                }
            }
    }
    // The records in order, safe to walk while the collection changes.
    std::vector<Ptr> Snapshot() const
    {
        std::vector<Ptr> out;
        out.reserve(live_);
        for (const Slot& s : slots_)
            if (s.alive) out.push_back(s.item);
        return out;
    }
    // The records in order, with their keys (as added, lower-cased; "" for a record without one).
    std::vector<std::pair<std::string, Ptr>> Entries() const
    {
        std::vector<std::pair<std::string, Ptr>> out;
        out.reserve(live_);
        for (const Slot& s : slots_)
            if (s.alive) out.emplace_back(s.key, s.item);
        return out;
    }
    // A record as it was added: with its key (lower-cased), or with none.
    struct Kept {
        Ptr item;
        std::optional<std::string> key;
    };
    // The records in order, each to be added back as it was (PutBackOlder).
    std::vector<Kept> Keep() const
    {
        std::vector<Kept> out;
        out.reserve(live_);
        for (const Slot& s : slots_)
            if (s.alive) out.push_back(Kept{s.item, s.keyed ? std::optional<std::string>(s.key) : std::nullopt});
        return out;
    }
    // The key stored with a record, or "" when it has none (linear; for reports).
    std::string KeyOf(const T* record) const
    {
        for (const Slot& s : slots_)
            if (s.alive && s.item.get() == record) return s.key;
        return {};
    }

private:
    struct Slot {
        Ptr item;
        std::string key;
        bool keyed = false;  // added with a key (which may be "")
        bool alive = false;
    };

    void Append(Ptr item, std::string key, bool keyed)
    {
        slots_.push_back(Slot{std::move(item), std::move(key), keyed, true});
        if (keyed) keys_.emplace(slots_.back().key, slots_.size() - 1);
        ++live_;
        GrowTree();
    }

    std::size_t SlotOf(std::size_t position) const
    {
        if (position < 1 || position > live_) Raise(err::InvalidCall);
        // Fenwick descent: smallest slot whose live prefix count reaches `position`.
        std::size_t idx = 0, remaining = position;
        std::size_t step = 1;
        while (step * 2 < tree_.size()) step *= 2;
        for (; step > 0; step /= 2) {
            std::size_t next = idx + step;
            if (next < tree_.size() && tree_[next] < remaining) {
                idx = next;
                remaining -= tree_[next];
            }
        }
        return idx;  // slot index = (1-based tree index) - 1
    }

    void Update(std::size_t slot, int delta)
    {
        for (std::size_t i = slot + 1; i < tree_.size(); i += i & (~i + 1))
            tree_[i] = static_cast<std::size_t>(static_cast<std::int64_t>(tree_[i]) + delta);
    }

    void Rebuild(std::size_t capacity)
    {
        // Linear build: each node passes its finished sum to its parent. Every node up to the
        // capacity takes part, so the sums reach the nodes above the last slot as well.
        tree_.assign(capacity + 1, 0);
        for (std::size_t t = 1; t < tree_.size(); ++t) {
            if (t <= slots_.size() && slots_[t - 1].alive) tree_[t] += 1;
            std::size_t parent = t + (t & (~t + 1));
            if (parent < tree_.size()) tree_[parent] += tree_[t];
        }
    }

    void GrowTree()
    {
        if (slots_.size() + 1 > tree_.size())
            Rebuild(std::max<std::size_t>(16, slots_.size() * 2));
        else
            Update(slots_.size() - 1, +1);
    }

    void Kill(std::size_t slot, bool compact = true)
    {
        Slot& s = slots_[slot];
        if (s.keyed) keys_.erase(s.key);
        s.alive = false;
        s.keyed = false;
        s.item.reset();
        s.key.clear();
        --live_;
        Update(slot, -1);
        if (compact) MaybeCompact();
    }

    void MaybeCompact()
    {
        if (slots_.size() < 64 || live_ * 2 > slots_.size()) return;
        std::vector<Slot> kept;
        kept.reserve(live_);
        for (Slot& s : slots_)
            if (s.alive) kept.push_back(std::move(s));
        slots_.swap(kept);
        keys_.clear();
        for (std::size_t i = 0; i < slots_.size(); ++i)
            if (slots_[i].keyed) keys_.emplace(slots_[i].key, i);
        Rebuild(std::max<std::size_t>(16, slots_.size() * 2));
    }

    std::vector<Slot> slots_;
    std::unordered_map<std::string, std::size_t, detail::CaseBlindHash, detail::CaseBlindEqual> keys_;
    std::vector<std::size_t> tree_ = std::vector<std::size_t>(1, 0);
    std::size_t live_ = 0;
};

// Puts records taken out of `now` earlier back in front of the records it holds today: the
// older records keep their order, and all of them come before every newer one (the plot limit
// removes the oldest first). An older record whose key a newer record has taken stays out: the
// newer one is the current state of that key (the empty key too). Records added without a key
// always come back, again without one. Returns
// how many came back.
template <class T>
std::size_t PutBackOlder(KeyedCollection<T>& now, const std::vector<typename KeyedCollection<T>::Kept>& older)
{
    KeyedCollection<T> merged;
    std::size_t back = 0;
    for (const auto& [item, key] : older) {
        if (!item) continue;
        if (!key) {
            merged.Add(item);
        } else if (now.HasKey(*key) || merged.HasKey(*key)) {
            continue;
        } else {
            merged.Add(item, *key);
        }
        ++back;
    }
    for (auto& [item, key] : now.Keep()) {
        if (key)
            merged.Add(std::move(item), *key);
        else
            merged.Add(std::move(item));
    }
    now = std::move(merged);
    return back;
}

}  // namespace korval
