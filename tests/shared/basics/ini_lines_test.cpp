#include "shared/basics/ini_lines.h"

#include "tests/support/scratch_fixture.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

QStringList lines(std::initializer_list<const char*> texts) {
    QStringList result;
    for (const char* text : texts)
        result.append(QString::fromUtf8(text));
    return result;
}

class ini_lines : public scratch_fixture {};

} // namespace

TEST_F(ini_lines, integer_lookups_take_last_or_first_match_ignoring_case) {
    const QStringList settings = lines({"Test mode", "1", "test MODE", "2"});
    EXPECT_EQ(ini_integer(QStringLiteral("Test mode"), settings, 0), 2);
    EXPECT_EQ(ini_integer_first(settings, QStringLiteral("Test mode"), 0), 1);
    EXPECT_EQ(ini_text(QStringLiteral("TEST MODE"), settings, {}), QStringLiteral("2"));
    EXPECT_EQ(ini_text_first(settings, QStringLiteral("test mode"), {}), QStringLiteral("1"));
    EXPECT_TRUE(ui().messages.isEmpty());
}

TEST_F(ini_lines, value_that_is_no_integer) {
    const QStringList settings = lines({"Test mode", "x"});
    EXPECT_EQ(ini_integer(QStringLiteral("Test mode"), settings, 0), 0);
    EXPECT_TRUE(ui().messages.isEmpty());

    EXPECT_EQ(ini_integer_first(settings, QStringLiteral("Test mode"), 0), 0);
    EXPECT_EQ(ui().messages,
              QStringList{QStringLiteral("Error: Test mode not found in ini-file!")});
}

TEST_F(ini_lines, last_match_keeps_the_last_usable_integer) {
    // A later value that does not convert leaves the earlier one standing.
    const QStringList settings = lines({"K", "5", "K", "7 ", "K", "$10", "K", "oops"});
    EXPECT_EQ(ini_integer(QStringLiteral("K"), settings, -1), 16);
    EXPECT_EQ(ini_integer(QStringLiteral("K"), lines({"K", "1 "}), 9), 9);
    EXPECT_TRUE(ui().messages.isEmpty());
}

TEST_F(ini_lines, message_names_the_key_as_the_caller_spelled_it) {
    EXPECT_EQ(ini_integer_first(lines({"ARCHIVE", "1 "}), QStringLiteral("Archive"), 3), 3);
    EXPECT_EQ(ui().messages, QStringList{QStringLiteral("Error: Archive not found in ini-file!")});
}

TEST_F(ini_lines, value_line_is_never_tested_as_a_key) {
    const QStringList settings = lines({"A", "A", "B", "x"});
    EXPECT_EQ(ini_text(QStringLiteral("A"), settings, QStringLiteral("d")), QStringLiteral("A"));
    EXPECT_EQ(ini_text(QStringLiteral("B"), settings, QStringLiteral("d")), QStringLiteral("x"));
    EXPECT_EQ(ini_integer(QStringLiteral("A"), lines({"A", "A", "5"}), 0), 0);
}

TEST_F(ini_lines, lookups_that_fall_back_to_the_default) {
    struct fallback_case {
        const char* name;
        QStringList lines;
        QString key;
    };
    const std::vector<fallback_case> cases = {
        {"empty list", {}, QStringLiteral("K")},
        {"key on the last line", lines({"x", "K"}), QStringLiteral("K")},
        {"key line with trailing blank", lines({"K ", "5"}), QStringLiteral("K")},
        {"key line with leading blank", lines({" K", "5"}), QStringLiteral("K")},
        {"missing key", lines({"A", "5"}), QStringLiteral("K")},
        {"key is not a prefix match", lines({"Key", "5"}), QStringLiteral("K")},
    };
    for (const fallback_case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ini_text(c.key, c.lines, QStringLiteral("d")), QStringLiteral("d"));
        EXPECT_EQ(ini_text_first(c.lines, c.key, QStringLiteral("d")), QStringLiteral("d"));
        EXPECT_EQ(ini_integer(c.key, c.lines, 42), 42);
        EXPECT_EQ(ini_integer_first(c.lines, c.key, 42), 42);
    }
    EXPECT_TRUE(ui().messages.isEmpty());
}

TEST_F(ini_lines, text_values_are_taken_as_they_stand) {
    const QStringList settings = lines({"Dir", "  C:\\archive\\ ", "Empty", ""});
    EXPECT_EQ(ini_text(QStringLiteral("dir"), settings, {}), QStringLiteral("  C:\\archive\\ "));
    EXPECT_EQ(ini_text_first(settings, QStringLiteral("DIR"), {}),
              QStringLiteral("  C:\\archive\\ "));
    EXPECT_EQ(ini_text(QStringLiteral("Empty"), settings, QStringLiteral("d")), QString());
}
