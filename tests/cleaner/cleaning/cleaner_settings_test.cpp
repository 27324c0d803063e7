#include "cleaner/cleaning/cleaner_settings.h"

#include "shared/platform/line_list.h"
#include "tests/support/scratch_fixture.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

const char* const insufficient = "Error: ini-file does not contain sufficient information!";
const char* const bad_version = "Error reading file version!";
const char* const bad_input_count = "Error reading length of inputfolder list!";
const char* const bad_output_count = "Error reading length of outputfolder list!";

void expect_same(const cleaner_settings& actual, const cleaner_settings& expected) {
    EXPECT_EQ(actual.file_version, expected.file_version);
    EXPECT_EQ(actual.input_path, expected.input_path);
    EXPECT_EQ(actual.input_subfolders, expected.input_subfolders);
    EXPECT_EQ(actual.output_subfolders, expected.output_subfolders);
    EXPECT_EQ(actual.input_days, expected.input_days);
    EXPECT_EQ(actual.input_hours, expected.input_hours);
    EXPECT_EQ(actual.input_minutes, expected.input_minutes);
    EXPECT_EQ(actual.output_days, expected.output_days);
    EXPECT_EQ(actual.output_hours, expected.output_hours);
    EXPECT_EQ(actual.output_minutes, expected.output_minutes);
    EXPECT_EQ(actual.active_at_start, expected.active_at_start);
    EXPECT_EQ(actual.start_minimized, expected.start_minimized);
}

cleaner_settings full_settings() {
    cleaner_settings s;
    s.file_version = 3;
    s.input_path = QStringLiteral("C:\\Messdaten\\Prüfung");
    s.input_subfolders = {QStringLiteral("rohdaten"), QStringLiteral("D:\\elsewhere\\full")};
    s.output_subfolders = {QStringLiteral("OVIX1"), QStringLiteral("OVIX 2"),
                           QStringLiteral("OVIX3")};
    s.input_days = QStringLiteral("7");
    s.input_hours = QStringLiteral("x");
    s.input_minutes = QStringLiteral("");
    s.output_days = QStringLiteral("30");
    s.output_hours = QStringLiteral("24");
    s.output_minutes = QStringLiteral("59");
    s.active_at_start = true;
    s.start_minimized = true;
    return s;
}

TEST(cleaner_settings_test, lines_follow_the_file_layout) {
    const QStringList expected = {"Version",
                                  "3",
                                  "C:\\Messdaten\\Prüfung",
                                  "2",
                                  "rohdaten",
                                  "D:\\elsewhere\\full",
                                  "3",
                                  "OVIX1",
                                  "OVIX 2",
                                  "OVIX3",
                                  "7",
                                  "x",
                                  "",
                                  "30",
                                  "24",
                                  "59",
                                  "Active at start",
                                  "Start minimized"};
    EXPECT_EQ(cleaner_settings_lines(full_settings()), expected);

    const QStringList defaults = {"Version",     "1", "",  "0", "0", "1",
                                  "1",           "1", "1", "1", "1", "Not active at start",
                                  "Start normal"};
    EXPECT_EQ(cleaner_settings_lines(cleaner_settings{}), defaults);
}

TEST(cleaner_settings_test, lines_read_back_into_the_same_settings) {
    cleaner_settings empty_lists = full_settings();
    empty_lists.input_subfolders.clear();
    empty_lists.output_subfolders.clear();
    empty_lists.active_at_start = false;
    empty_lists.start_minimized = false;

    for (const cleaner_settings& original : {full_settings(), empty_lists, cleaner_settings{}}) {
        const QStringList lines = cleaner_settings_lines(original);
        SCOPED_TRACE(lines.join(u'|').toStdString());
        cleaner_settings read;
        read.input_subfolders = {QStringLiteral("stale")};
        read.start_minimized = !original.start_minimized;
        EXPECT_EQ(read_cleaner_settings(lines, read), QString());
        expect_same(read, original);
        EXPECT_EQ(cleaner_settings_lines(read), lines);
    }
}

class cleaner_settings_file_test : public scratch_fixture {};

TEST_F(cleaner_settings_file_test, settings_survive_the_file) {
    const QString file = path(QStringLiteral("kalix_cleaner.ini"));
    ASSERT_TRUE(platform::save_lines(file, cleaner_settings_lines(full_settings())));
    QStringList lines;
    ASSERT_TRUE(platform::load_lines(file, lines));
    cleaner_settings read;
    EXPECT_EQ(read_cleaner_settings(lines, read), QString());
    expect_same(read, full_settings());
}

TEST(cleaner_settings_test, damaged_files_stop_with_their_message_keeping_what_was_read) {
    const QStringList lifetimes = {"2", "3", "4", "5", "6", "7"};
    auto read_lifetimes = [](cleaner_settings& s) {
        s.input_days = "2";
        s.input_hours = "3";
        s.input_minutes = "4";
        s.output_days = "5";
        s.output_hours = "6";
        s.output_minutes = "7";
    };
    struct test_case {
        const char* name;
        QStringList lines;
        const char* message; // nullptr: read without a problem
        std::function<void(cleaner_settings&)> read_part;
    };
    auto nothing = [](cleaner_settings&) {};
    const std::vector<test_case> cases = {
        {"empty file", {}, insufficient, nothing},
        {"wrong first line", {"version", "2", "in", "0", "0"}, insufficient, nothing},
        {"first line with blank", {"Version ", "2"}, insufficient, nothing},
        {"only the first line", {"Version"}, insufficient, nothing},
        {"version not a number", {"Version", "two", "in", "0", "0"}, bad_version, nothing},
        {"version not an integer", {"Version", "1.5", "in"}, bad_version, nothing},
        {"ends after the version",
         {"Version", "9"},
         insufficient,
         [](cleaner_settings& s) { s.file_version = 9; }},
        {"ends after the input path",
         {"Version", "2", "in"},
         insufficient,
         [](cleaner_settings& s) {
             s.file_version = 2;
             s.input_path = "in";
         }},
        {"input count not a number",
         {"Version", "2", "in", "many", "a"},
         bad_input_count,
         [](cleaner_settings& s) {
             s.file_version = 2;
             s.input_path = "in";
         }},
        {"input count negative",
         {"Version", "2", "in", "-1", "0"},
         bad_input_count,
         [](cleaner_settings& s) {
             s.file_version = 2;
             s.input_path = "in";
         }},
        {"input list cut short",
         {"Version", "2", "in", "5", "a", "b"},
         insufficient,
         [](cleaner_settings& s) {
             s.file_version = 2;
             s.input_path = "in";
             s.input_subfolders = {"a", "b"};
         }},
        {"input count larger than the whole file",
         {"Version", "2", "in", "2147483647", "a"},
         insufficient,
         [](cleaner_settings& s) {
             s.file_version = 2;
             s.input_path = "in";
             s.input_subfolders = {"a"};
         }},
        {"ends before the output count",
         {"Version", "2", "in", "1", "a"},
         insufficient,
         [](cleaner_settings& s) {
             s.file_version = 2;
             s.input_path = "in";
             s.input_subfolders = {"a"};
         }},
        {"output count not a number",
         {"Version", "2", "in", "1", "a", "OVIX1", "OVIX2"},
         bad_output_count,
         [](cleaner_settings& s) {
             s.file_version = 2;
             s.input_path = "in";
             s.input_subfolders = {"a"};
         }},
        {"output count negative",
         {"Version", "2", "in", "0", "-2", "1"},
         bad_output_count,
         [](cleaner_settings& s) {
             s.file_version = 2;
             s.input_path = "in";
             s.input_subfolders = {};
         }},
        {"output list cut short",
         {"Version", "2", "in", "0", "3", "OVIX1"},
         insufficient,
         [](cleaner_settings& s) {
             s.file_version = 2;
             s.input_path = "in";
             s.output_subfolders = {"OVIX1"};
         }},
        {"ends inside the lifetimes",
         {"Version", "2", "in", "0", "1", "OVIX1", "2", "3", "4", "5"},
         insufficient,
         [](cleaner_settings& s) {
             s.file_version = 2;
             s.input_path = "in";
             s.output_subfolders = {"OVIX1"};
             s.input_days = "2";
             s.input_hours = "3";
             s.input_minutes = "4";
             s.output_days = "5";
         }},
        {"ends before the start line", QStringList{"Version", "2", "in", "0", "0"} + lifetimes,
         insufficient,
         [&](cleaner_settings& s) {
             s.file_version = 2;
             s.input_path = "in";
             read_lifetimes(s);
         }},
        {"no start window line",
         QStringList{"Version", "2", "in", "0", "0"} + lifetimes + QStringList{"Active at start"},
         nullptr,
         [&](cleaner_settings& s) {
             s.file_version = 2;
             s.input_path = "in";
             read_lifetimes(s);
             s.active_at_start = true;
             s.start_minimized = false;
         }},
        {"start texts must match exactly",
         QStringList{"Version", "2", "in", "0", "0"} + lifetimes +
             QStringList{"active at start", "Start minimized "},
         nullptr,
         [&](cleaner_settings& s) {
             s.file_version = 2;
             s.input_path = "in";
             read_lifetimes(s);
             s.active_at_start = false;
             s.start_minimized = false;
         }},
        {"lines after the last are ignored",
         QStringList{"Version", "2", "in", "0", "0"} + lifetimes +
             QStringList{"Not active at start", "Start minimized", "extra"},
         nullptr,
         [&](cleaner_settings& s) {
             s.file_version = 2;
             s.input_path = "in";
             read_lifetimes(s);
             s.start_minimized = true;
         }},
    };
    for (const test_case& c : cases) {
        SCOPED_TRACE(c.name);
        // The window hands in its current controls; a previous start-minimized choice must
        // be replaced by what the file says.
        cleaner_settings read;
        read.start_minimized = true;
        cleaner_settings expected = read;
        c.read_part(expected);
        EXPECT_EQ(read_cleaner_settings(c.lines, read), c.message ? QString(c.message) : QString());
        expect_same(read, expected);
    }
}

} // namespace
