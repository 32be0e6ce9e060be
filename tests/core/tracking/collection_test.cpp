#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "test_support.h"
#include "tracking/collection.h"
#include "tracking/records.h"

namespace korval {
namespace {

using korval::test::FaultOf;
using korval::test::PrintTo;
struct Rec {
    int n = 0;
};
using Col = KeyedCollection<Rec>;

// The records in order, each as its number and the key it was added with: "1:n923up 2".
std::string Listing(const Col& c)
{
    std::string out;
    for (const auto& [item, key] : c.Keep())
        out += (out.empty() ? "" : " ") + std::to_string(item->n) + (key ? ":" + *key : "");
    return out;
}

// A record without a key has none (std::nullopt); "" is the empty key.
using Records = std::vector<std::pair<std::optional<std::string>, int>>;

Col Make(const Records& records)
{
    Col c;
    for (const auto& [key, n] : records) {
        if (key)
            c.Add(std::make_shared<Rec>(Rec{n}), *key);
        else
            c.Add(std::make_shared<Rec>(Rec{n}));
    }
    return c;
}

const Records kAbc = {{"N923UP", 1}, {std::nullopt, 2}, {"g-abcd", 3}};

// The empty text is a key like any other: an aircraft whose boxes are both empty is one record.
TEST(Collection, EmptyKeyIsARealKey)
{
    Col c = Make(kAbc);
    EXPECT_FALSE(c.HasKey(""));  // added without a key is not added under ""
    c.Add(std::make_shared<Rec>(Rec{4}), "");
    EXPECT_EQ(c.Item("")->n, 4);
    EXPECT_EQ(FaultOf([&] { c.Add(std::make_shared<Rec>(Rec{5}), ""); }), 457);
    c.Add(std::make_shared<Rec>(Rec{6}));  // keyless adds still take no key
    EXPECT_EQ(c.Item("")->n, 4);
    EXPECT_EQ(Listing(c), "1:n923up 2 3:g-abcd 4: 6");
    c.Remove("");
    EXPECT_EQ(FaultOf([&] { (void)c.Item(""); }), 5);
    EXPECT_EQ(Listing(c), "1:n923up 2 3:g-abcd 6");
    c.Add(std::make_shared<Rec>(Rec{7}), "");  // free again once removed
    EXPECT_EQ(c.Item("")->n, 7);
}

struct BadCall {
    const char* name;
    std::function<void(Col&)> call;
    int fault;
};

class CollectionFaults : public ::testing::TestWithParam<BadCall> {};

// Every failing call reports its error number and leaves the collection as it was.
TEST_P(CollectionFaults, FailWithoutDisturbing)
{
    Col c = Make(kAbc);
    EXPECT_FAULT(GetParam().call(c), GetParam().fault);
    EXPECT_EQ(Listing(c), "1:n923up 2 3:g-abcd");
    EXPECT_EQ(c.Item("n923up")->n, 1);
}

INSTANTIATE_TEST_SUITE_P(Tracking, CollectionFaults,
                         ::testing::Values(BadCall{"missingKey", [](Col& c) { (void)c.Item("ZZZ"); }, 5},
                                           BadCall{"positionZero", [](Col& c) { (void)c.Item(std::size_t{0}); }, 5},
                                           BadCall{"removeMissingKey", [](Col& c) { c.Remove("ZZZ"); }, 5},
                                           BadCall{"removePastEnd", [](Col& c) { c.Remove(std::size_t{4}); }, 5},
                                           BadCall{"duplicateKeyOtherCase",
                                                   [](Col& c) { c.Add(std::make_shared<Rec>(), "G-ABCD"); }, 457}),
                         test::CaseName());

// Random adds and removals against a plain vector: positions, keys and order must always agree,
// through the holes and the compactions of the index.
TEST(Collection, MatchesAPlainListUnderRandomUse)
{
    Col c;
    std::vector<std::pair<std::string, int>> model;
    std::mt19937 rng(12345);
    int next = 0;
    for (int step = 0; step < 20000; ++step) {
        const unsigned op = rng() % 10;
        if (op < 5 || model.empty()) {
            // A third of the records have no key; the empty key itself is the test above's.
            std::string key = (rng() % 3 == 0) ? "" : "K" + std::to_string(next);
            if (key.empty())
                c.Add(std::make_shared<Rec>(Rec{next}));
            else
                c.Add(std::make_shared<Rec>(Rec{next}), key);
            model.emplace_back(key, next++);
        } else if (op < 8) {
            std::size_t pos = rng() % model.size() + 1;
            c.Remove(pos);
            model.erase(model.begin() + static_cast<std::ptrdiff_t>(pos - 1));
        } else {
            auto it = std::find_if(model.begin(), model.end(), [](const auto& e) { return !e.first.empty(); });
            if (it == model.end()) continue;
            c.Remove("k" + it->first.substr(1));  // lower case finds it too
            model.erase(it);
        }
        ASSERT_EQ(c.Count(), model.size());
        if (step % 997 == 0 || step > 19900) {
            for (std::size_t i = 0; i < model.size(); ++i) {
                ASSERT_EQ(c.Item(i + 1)->n, model[i].second) << "step " << step << " position " << i + 1;
                if (!model[i].first.empty()) {
                    ASSERT_EQ(c.Item(model[i].first)->n, model[i].second);
                }
            }
        }
    }
}

TEST(Collection, RemoveIfKeepsOrderAndKeys)
{
    Col c;
    for (int i = 0; i < 300; ++i) c.Add(std::make_shared<Rec>(Rec{i}), "K" + std::to_string(i));
    EXPECT_EQ(c.RemoveIf([](const Rec& r) { return r.n % 3 != 0; }), 200u);
    ASSERT_EQ(c.Count(), 100u);
    EXPECT_EQ(c.Item(std::size_t{2})->n, 3);
    EXPECT_EQ(c.Item("k297")->n, 297);
    EXPECT_FALSE(c.HasKey("K298"));
    c.Add(std::make_shared<Rec>(Rec{298}), "k298");  // a removed key can be used again
    EXPECT_EQ(c.Item(std::size_t{101})->n, 298);
}

// Putting earlier records back: the older ones first in their order, then the newer ones; an
// older record whose key a newer one has taken stays out; keyless records always come back. The
// maps' undo of a clearing checks the plain merge.
struct PutBackCase {
    const char* name;
    Records older, newer;
    const char* merged;  // Listing()
    std::size_t back;
};

class PutBack : public ::testing::TestWithParam<PutBackCase> {};

TEST_P(PutBack, OlderFirstUnlessTheirKeyIsTaken)
{
    const PutBackCase& c = GetParam();
    Col before = Make(c.older), now = Make(c.newer);
    EXPECT_EQ(PutBackOlder(now, before.Keep()), c.back);
    EXPECT_EQ(Listing(now), c.merged);
}

INSTANTIATE_TEST_SUITE_P(
    Collection, PutBack,
    ::testing::Values(
        // An aircraft heard again since the clearing keeps its new record.
        PutBackCase{"keyTakenCaseBlind", {{"n923up", 1}, {"b", 2}}, {{"N923UP", 3}}, "2:b 3:n923up", 1},
        PutBackCase{"keylessAlwaysBack", {{std::nullopt, 1}, {std::nullopt, 2}}, {{std::nullopt, 3}}, "1 2 3", 2},
        // The empty key is a key: the aircraft with both boxes empty heard since wins.
        PutBackCase{"emptyKeyTaken", {{"", 1}, {std::nullopt, 2}}, {{"", 3}}, "2 3:", 1},
        PutBackCase{"emptyKeyBack", {{"", 1}}, {{"c", 3}}, "1: 3:c", 1}),
    test::CaseName());

TEST(Records, WayListElementBounds)
{
    Aircraft a;
    EXPECT_FAULT((void)a.WayListElement(0), 9);  // no list yet
    a.WayList = std::vector<std::string>{"55000/-020000,1342", "56000/-010000,1420"};
    a.WayMinutes = {822, Aircraft::kNoMinute};
    EXPECT_EQ(a.WayListElement(0), "55000/-020000,1342");
    EXPECT_FAULT((void)a.WayListElement(2), 9);
    EXPECT_EQ(a.WayMinute(0), 822);
    EXPECT_FAULT((void)a.WayMinute(1), 13);  // its time was no number
}

}  // namespace
}  // namespace korval
