#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <tuple>
#include <utility>

#include "maps/export.h"
#include "test_support.h"
#include "text/fault.h"

namespace korval {
namespace {

// The padding of the rows is pinned by the saved pictures' tests; here the sizes refused.
TEST(Maps, SectionRowsFollowThePaddingAndBadSizesAreRefused)
{
    EXPECT_EQ(BytesPerScanLine(2147483647), 6442450944);  // the widest row still fits
    EXPECT_FAULT((void)BytesPerScanLine(-1), err::InvalidCall);
    DibSection d;
    d.Create(1001, 700);
    EXPECT_EQ(d.BytesPerScanLine(), 3004);
    EXPECT_EQ(d.Row(699) - d.Row(0), 699 * 3004);
    d.Row(699)[3003] = 0xAB;  // the last padding byte of the bottom row is in the section
    EXPECT_FAULT((void)d.Row(700), err::Subscript);
    EXPECT_FAULT((void)d.Row(-1), err::Subscript);

    for (const auto& b :
         std::initializer_list<std::pair<std::int32_t, std::int32_t>>{{0, 10}, {-5, 10}, {32768, 10}, {10, 40000}})
        EXPECT_FAULT(d.Create(b.first, b.second), err::InvalidCall) << b.first << "x" << b.second;
    EXPECT_EQ(d.Width(), 1001);  // a refused size keeps the section there was

    d.ClearUp();
    EXPECT_EQ(std::tuple(d.Width(), d.DIBSectionBitsPtr() == nullptr), std::tuple(0, true));
}

TEST(Maps, DefaultFileNameUsesLocalDateAndShownUtcTime)
{
    struct {
        const char* name;
        DateTime utc;
        int offsetMinutes, map;
        const char *labUTC, *file;
    } cases[] = {
        // The label is what was last shown, not the clock's minute now.
        {"labelLags", {2026, 12, 5, 12, 1, 0}, 0, 2, "UTC: 1200", "KorvalMap2051226,1200Z.jpg"},
        // The date is the local one: an hour east of UTC it is already the next day.
        {"localDate", {2026, 12, 31, 23, 30, 0}, 60, 1, "UTC: 2330", "KorvalMap1010127,2330Z.jpg"},
    };
    for (const auto& c : cases) {
        test::Rig rig;
        rig.clock.Set(c.utc);
        rig.clock.SetLocalOffsetMinutes(c.offsetMinutes);
        rig.station.box.labUTC = c.labUTC;
        EXPECT_EQ(DefaultMapFileName(rig.station, c.map), rig.home.path() / c.file) << c.name;
    }
}

}  // namespace
}  // namespace korval
