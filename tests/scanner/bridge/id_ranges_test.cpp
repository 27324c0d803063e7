#include "scanner/bridge/id_ranges.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct ranges_case {
    const char* what;
    std::vector<std::pair<std::int64_t, std::int64_t>> inserted;
    QStringList expected;
};

TEST(id_ranges, inserted_ranges_merge_where_they_touch_or_overlap) {
    const std::vector<ranges_case> cases{
        {"single", {{5, 5}}, {"5"}},
        {"touching", {{1, 3}, {4, 6}}, {"1-6"}},
        {"touching from below", {{4, 6}, {1, 3}}, {"1-6"}},
        {"apart", {{1, 2}, {4, 5}}, {"1-2", "4-5"}},
        {"bridging", {{1, 2}, {6, 7}, {3, 5}}, {"1-7"}},
        {"inside", {{1, 10}, {3, 4}}, {"1-10"}},
        {"covering several", {{2, 3}, {5, 6}, {9, 9}, {1, 8}}, {"1-9"}},
        {"empty range", {{5, 4}}, {}},
    };
    for (const ranges_case& c : cases) {
        id_ranges set;
        for (auto [first, last] : c.inserted)
            set.insert(first, last);
        EXPECT_EQ(set.lines(), c.expected) << c.what;
        EXPECT_EQ(id_ranges::from_lines(set.lines()), set) << c.what;
    }
}

TEST(id_ranges, erasing_splits_and_trims) {
    id_ranges set;
    set.insert(1, 10);
    set.erase(5);
    EXPECT_EQ(set.lines(), (QStringList{"1-4", "6-10"}));
    EXPECT_FALSE(set.contains(5));
    EXPECT_TRUE(set.contains(6));
    set.erase(2, 3);
    EXPECT_EQ(set.lines(), (QStringList{"1", "4", "6-10"}));
    set.insert(2, 3);
    set.erase_up_to(7);
    EXPECT_EQ(set.lines(), QStringList{"8-10"});
    set.insert(20, 29);
    set.keep_largest(12);
    EXPECT_EQ(set.lines(), (QStringList{"9-10", "20-29"}));
    EXPECT_EQ(set.size(), 12);
    EXPECT_EQ(set.sql_condition(1), QStringLiteral("(Id between 9 and 10)"));
    set.insert(40);
    EXPECT_EQ(set.sql_condition(5),
              QStringLiteral("(Id between 9 and 10 or Id between 20 and 29 or Id=40)"));
}

TEST(id_ranges, lines_that_are_no_range_are_skipped) {
    EXPECT_EQ(id_ranges::from_lines({"3-5", "garbage", "", "7", "9-x"}).lines(),
              (QStringList{"3-5", "7"}));
}

} // namespace
