#include "scanner/bridge/index_files.h"
#include "tests/support/scratch_fixture.h"

namespace {

using index_files = scratch_fixture;

TEST_F(index_files, one_line_with_a_decimal_number_is_read_back) {
    const QString file = path(QStringLiteral("program/last_lumotrax_q_index.ini"));
    write_file(QStringLiteral("program/last_lumotrax_q_index.ini"));
    ASSERT_TRUE(write_index_file(file, 123456789));
    EXPECT_EQ(read_file(file), QByteArray("123456789\r\n"));
    const index_reading reading = read_index_file(file);
    EXPECT_TRUE(reading.valid);
    EXPECT_EQ(reading.value, 123456789);
}

TEST_F(index_files, what_cannot_be_read_starts_from_zero) {
    struct index_case {
        const char* content; // nullptr: no file
        bool valid;
        int value;
    };
    const index_case cases[] = {
        {nullptr, false, 0},       {"", false, 0},        {"\r\n", false, 0},
        {"garbage\r\n", false, 0}, {"12x\r\n", false, 0}, {"99999999999\r\n", false, 0},
        {"  42\r\n", true, 42},    {"7", true, 7},        {"-3\r\n", true, -3},
        {"5\r\n6\r\n", true, 5},
    };
    int n = 0;
    for (const index_case& c : cases) {
        const QString name = QStringLiteral("program/index_%1.ini").arg(n++);
        if (c.content)
            write_file(name, c.content);
        const index_reading reading = read_index_file(path(name));
        EXPECT_EQ(reading.valid, c.valid) << (c.content ? c.content : "(no file)");
        EXPECT_EQ(reading.value, c.value) << (c.content ? c.content : "(no file)");
    }
    EXPECT_EQ(index_problem_line(QStringLiteral("last_lumotrax_p_index.ini")),
              QStringLiteral(
                  "Index file last_lumotrax_p_index.ini missing or unreadable: starting from 0."));
}

TEST_F(index_files, a_write_fails_without_its_folder_and_a_rewrite_replaces_the_index) {
    EXPECT_FALSE(write_index_file(path(QStringLiteral("program/missing_folder/last.ini")), 5));
    const QString kept = write_file(QStringLiteral("program/last.ini"), "41\r\n");
    ASSERT_TRUE(write_index_file(kept, 42));
    EXPECT_EQ(read_file(kept), QByteArray("42\r\n"));
}

} // namespace
