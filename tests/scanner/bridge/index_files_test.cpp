#include "scanner/bridge/index_files.h"
#include "tests/support/scratch_fixture.h"

#include <QFile>

namespace {

using index_files = scratch_fixture;
using origin = index_reading::origin;

TEST_F(index_files, one_line_with_a_decimal_number_is_read_back) {
    const QString file = path(QStringLiteral("program/last_lumotrax_q_index.ini"));
    write_file(QStringLiteral("program/last_lumotrax_q_index.ini"));
    ASSERT_TRUE(write_index_file(file, 123456789012LL));
    EXPECT_EQ(read_file(file), QByteArray("123456789012\r\n"));
    const index_reading reading = read_index_file(file);
    EXPECT_EQ(reading.from, origin::file);
    EXPECT_EQ(reading.value, 123456789012LL);
}

TEST_F(index_files, what_cannot_be_read_falls_back_to_the_previous_copy_or_zero) {
    struct index_case {
        const char* content; // nullptr: no file
        bool valid;
        std::int64_t value;
    };
    const index_case cases[] = {
        {nullptr, false, 0},
        {"", false, 0},
        {"\r\n", false, 0},
        {"garbage\r\n", false, 0},
        {"12x\r\n", false, 0},
        {"-3\r\n", false, 0},
        {"1.5\r\n", false, 0},
        {"99999999999999999999\r\n", false, 0},
        {"\r\n42\r\n", false, 0}, // only the first line counts
        {"  42\r\n", true, 42},
        {"42  \r\n", true, 42},
        {"7", true, 7},
        {"0\r\n", true, 0},
        {"5\r\n6\r\n", true, 5},
        {"99999999999\r\n", true, 99999999999LL},
        {"9223372036854775807\n", true, INT64_MAX},
        {"\xEF\xBB\xBF"
         "17\r\n",
         true, 17},
    };
    int n = 0;
    for (const index_case& c : cases) {
        SCOPED_TRACE(c.content ? c.content : "(no file)");
        const QString name = QStringLiteral("program/index_%1.ini").arg(n++);
        if (c.content)
            write_file(name, c.content);
        index_reading reading = read_index_file(path(name));
        EXPECT_EQ(reading.from, c.valid ? origin::file : origin::none);
        EXPECT_EQ(reading.value, c.value);

        // A good previous copy stands in for whatever the file itself lacks.
        write_file(name + QStringLiteral(".previous"), "31\r\n");
        reading = read_index_file(path(name));
        EXPECT_EQ(reading.from, c.valid ? origin::file : origin::previous_copy);
        EXPECT_EQ(reading.value, c.valid ? c.value : 31);
    }
    EXPECT_EQ(index_problem_line(QStringLiteral("last_lumotrax_p_index.ini")),
              QStringLiteral(
                  "Index file last_lumotrax_p_index.ini missing or unreadable: starting from 0."));
    EXPECT_EQ(index_previous_copy_line(QStringLiteral("last_lumotrax_p_index.ini"), 31),
              QStringLiteral("Index file last_lumotrax_p_index.ini missing or unreadable: its "
                             "previous copy gives 31."));
}

TEST_F(index_files, a_garbage_previous_copy_is_no_fallback) {
    write_file(QStringLiteral("program/last.ini"), "garbage\r\n");
    write_file(QStringLiteral("program/last.ini.previous"), "-1\r\n");
    const index_reading reading = read_index_file(path(QStringLiteral("program/last.ini")));
    EXPECT_EQ(reading.from, origin::none);
    EXPECT_EQ(reading.value, 0);
}

TEST_F(index_files, a_huge_file_is_garbage_read_from_its_start_only) {
    // Digits only: a reader of the whole line would find no end before 64 MB.
    const QString file = write_file(QStringLiteral("program/last.ini"));
    {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        const QByteArray block(1 << 20, '7');
        for (int i = 0; i < 64; ++i)
            ASSERT_EQ(out.write(block), block.size());
    }
    EXPECT_EQ(read_index_file(file).from, origin::none);
    // Digits followed late by a line break are still one overlong line.
    const QString late_break =
        write_file(QStringLiteral("program/late.ini"), QByteArray(100, '1') + "\r\n");
    EXPECT_EQ(read_index_file(late_break).from, origin::none);
}

TEST_F(index_files, a_write_keeps_the_last_good_index_as_previous_copy) {
    EXPECT_FALSE(write_index_file(path(QStringLiteral("program/missing_folder/last.ini")), 5));
    const QString file = path(QStringLiteral("program/last.ini"));
    const QString copy = file + QStringLiteral(".previous");

    ASSERT_TRUE(write_index_file(file, 41)); // no file yet: no copy
    EXPECT_FALSE(QFile::exists(copy));
    ASSERT_TRUE(write_index_file(file, 42));
    EXPECT_EQ(read_file(file), QByteArray("42\r\n"));
    EXPECT_EQ(read_file(copy), QByteArray("41\r\n"));
    ASSERT_TRUE(write_index_file(file, 4294967296LL));
    EXPECT_EQ(read_file(copy), QByteArray("42\r\n"));

    // A damaged file never replaces the good copy.
    write_file(QStringLiteral("program/last.ini"), "garbage");
    ASSERT_TRUE(write_index_file(file, 50));
    EXPECT_EQ(read_file(copy), QByteArray("42\r\n"));
    EXPECT_EQ(read_file(file), QByteArray("50\r\n"));
}

} // namespace
