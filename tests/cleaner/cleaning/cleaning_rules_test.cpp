#include "cleaner/cleaning/cleaning_rules.h"

#include "shared/cleaner_routines/cleaner_routines.h"
#include "tests/support/scratch_fixture.h"
#include "tests/support/separator.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(cleaning_rules_test, lifetime_validation_stores_valid_values_until_the_first_bad_one) {
    struct test_case {
        const char* days;
        const char* hours;
        const char* minutes;
        bool valid;
        lifetime stored; // starting from 7 / 7 / 7
    };
    const std::vector<test_case> cases = {
        {"0", "0", "0", true, {0, 0, 0}},
        {"1", "23", "59", true, {1, 23, 59}},
        {"36500", " 5", "+9", true, {36500, 5, 9}},
        {"2147483647", "0", "0", true, {2147483647, 0, 0}},
        {"0", "24", "0", false, {0, 7, 7}},
        {"2", "3", "60", false, {2, 3, 7}},
        {"2", "-1", "0", false, {2, 7, 7}},
        {"1", "0", "-1", false, {1, 0, 7}},
        {"-1", "0", "0", false, {7, 7, 7}},
        {"", "1", "1", false, {7, 7, 7}},
        {"1.5", "1", "1", false, {7, 7, 7}},
        {"1 day", "1", "1", false, {7, 7, 7}},
        {"3", "x", "1", false, {3, 7, 7}},
        {"2147483648", "1", "1", false, {7, 7, 7}},
    };
    for (const test_case& c : cases) {
        SCOPED_TRACE(std::string(c.days) + " / " + c.hours + " / " + c.minutes);
        lifetime into{7, 7, 7};
        EXPECT_EQ(validate_lifetime(c.days, c.hours, c.minutes, into), c.valid);
        EXPECT_EQ(into.days, c.stored.days);
        EXPECT_EQ(into.hours, c.stored.hours);
        EXPECT_EQ(into.minutes, c.stored.minutes);
    }
}

TEST(cleaning_rules_test, input_folders_join_the_editor_text_or_take_the_line_alone) {
    const QString base = QStringLiteral("C:") + sep() + QStringLiteral("data");
    const QString full = base + sep() + QStringLiteral("elsewhere");
    EXPECT_EQ(input_folders(base, {"raw", "spectra 2"}),
              QStringList({base + sep() + "raw", base + sep() + "spectra 2"}));
    // Without an editor text a line is a folder path of its own.
    EXPECT_EQ(input_folders(QString(), {full, "relative"}), QStringList({full, "relative"}));
    EXPECT_EQ(input_folders(base + sep(), {"raw"}), QStringList({base + sep() + sep() + "raw"}));
    EXPECT_TRUE(input_folders(base, {}).isEmpty());
}

TEST(cleaning_rules_test, every_channel_line_gives_four_folders) {
    const QString measurements =
        sep() + QStringLiteral("kalix") + sep() + QStringLiteral("measurements") + sep();
    const QStringList expected = {
        measurements + "OVIX1" + sep() + "new",
        measurements + "OVIX1" + sep() + "in progress",
        measurements + "OVIX1" + sep() + "analyzed",
        measurements + "new_results",
        measurements + "OVIX 2" + sep() + "new",
        measurements + "OVIX 2" + sep() + "in progress",
        measurements + "OVIX 2" + sep() + "analyzed",
        measurements + "new_results",
    };
    EXPECT_EQ(channel_folders(measurements, {"OVIX1", "OVIX 2"}), expected);
    // Not even new_results without a channel.
    EXPECT_TRUE(channel_folders(measurements, {}).isEmpty());
}

TEST(cleaning_rules_test, question_puts_every_folder_on_its_own_line) {
    EXPECT_EQ(cleaning_question({"/in/a", "/out/new"}),
              QStringLiteral("Do you agree to delete outdated files in the following folders?"
                             "\n\r\n\r\n\r/in/a\n\r/out/new"));
    EXPECT_EQ(cleaning_question({}),
              QStringLiteral("Do you agree to delete outdated files in the following folders?"
                             "\n\r\n\r"));
}

class cleaning_folders_test : public scratch_fixture {};

TEST_F(cleaning_folders_test, question_lists_existing_input_folders_and_all_channel_folders) {
    ASSERT_TRUE(QDir().mkpath(path("in/a")));
    ASSERT_TRUE(QDir().mkpath(path("in/c")));
    ASSERT_TRUE(QDir().mkpath(path("full")));
    ASSERT_TRUE(QDir().mkpath(path("measurements")));
    const QString measurements = path("measurements") + sep();
    const QStringList channels = channel_folders(measurements, {"OVIX1"});

    EXPECT_EQ(question_folder_list(path("in"), {"a", "b", "c"}, measurements, {"OVIX1"}),
              QStringList({path("in") + sep() + "a", path("in") + sep() + "c"}) + channels);
    EXPECT_EQ(question_folder_list(QString(), {path("full"), path("missing")},
                                   path("no product") + sep(), {"OVIX1"}),
              QStringList({path("full")}));
    EXPECT_EQ(question_folder_list(path("in"), {}, measurements, {}), QStringList());
}

class file_age_test : public scratch_fixture {};

TEST_F(file_age_test, files_older_than_the_lifetime_are_deleted) {
    struct test_case {
        const char* name;
        lifetime limit;
        qint64 age_seconds;
        bool deleted;
    };
    const std::vector<test_case> cases = {
        {"just under one day", {1, 0, 0}, 86400 - 5, false},
        {"just over one day", {1, 0, 0}, 86400 + 5, true},
        {"just under 1 h 1 min", {0, 1, 1}, 3660 - 5, false},
        {"just over 1 h 1 min", {0, 1, 1}, 3660 + 5, true},
        {"zero lifetime", {0, 0, 0}, 2, true},
    };
    for (const test_case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString file = write_file("folder/file.txt");
        age_file(file, c.age_seconds);
        delete_old_files(path("folder"), "*.*", c.limit.days, c.limit.hours, c.limit.minutes, 0);
        EXPECT_EQ(!QFileInfo::exists(file), c.deleted);
    }
}

} // namespace
