#include "shared/platform/decimal_point.h"
#include "shared/platform/line_list.h"
#include "tests/support/scratch_fixture.h"

#include <QDir>
#include <QFile>
#include <QLocale>

#include <clocale>
#include <cstdio>

namespace {

TEST(line_list, split_lines_like_the_system) {
    struct case_t {
        QString text;
        QStringList lines;
    };
    const std::vector<case_t> cases = {
        {QStringLiteral(""), {}},
        {QStringLiteral("a"), {QStringLiteral("a")}},
        {QStringLiteral("a\r\n"), {QStringLiteral("a")}},
        {QStringLiteral("a\r\nb"), {QStringLiteral("a"), QStringLiteral("b")}},
        {QStringLiteral("a\nb\rc\r\n"),
         {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}},
        {QStringLiteral("\r\n\r\n"), {QString(), QString()}},
        {QStringLiteral(" a \t"), {QStringLiteral(" a \t")}},
    };
    for (const case_t& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        EXPECT_EQ(platform::split_lines(c.text), c.lines);
    }
}

class line_files : public scratch_fixture {};

TEST_F(line_files, saved_in_windows_1252_with_cr_lf_after_every_line) {
    const QString file = path(QStringLiteral("settings.ini"));
    ASSERT_TRUE(
        platform::save_lines(file, {QStringLiteral("Käse"), QString(), QStringLiteral("1")}));
    EXPECT_EQ(read_file(file), QByteArray("K\xE4se\r\n\r\n1\r\n"));

    QStringList lines;
    ASSERT_TRUE(platform::load_lines(file, lines));
    EXPECT_EQ(lines, (QStringList{QStringLiteral("Käse"), QString(), QStringLiteral("1")}));
}

TEST_F(line_files, saved_as_utf16_with_mark) {
    const QString file = path(QStringLiteral("export.txt"));
    ASSERT_TRUE(
        platform::save_lines(file, {QStringLiteral("a\tΩ")}, platform::text_encoding::utf16le_bom));
    EXPECT_EQ(read_file(file), QByteArray("\xFF\xFE"
                                          "a\0\t\0\xA9\x03\r\0\n\0",
                                          12));
    QStringList lines;
    ASSERT_TRUE(platform::load_lines(file, lines));
    EXPECT_EQ(lines, QStringList{QStringLiteral("a\tΩ")});
}

TEST_F(line_files, missing_file_loads_nothing_and_a_save_replaces_the_whole_file) {
    QStringList lines{QStringLiteral("stale")};
    EXPECT_FALSE(platform::load_lines(path(QStringLiteral("missing.ini")), lines));
    EXPECT_TRUE(lines.isEmpty());

    const QString file = write_file(QStringLiteral("kept.ini"), "a much longer old content\r\n");
    ASSERT_TRUE(platform::save_lines(file, {QStringLiteral("new")}));
    EXPECT_EQ(read_file(file), QByteArray("new\r\n"));
    // No temporary file is left beside it.
    EXPECT_EQ(QDir(program_folder() + QStringLiteral("/..")).entryList(QDir::Files),
              QStringList{QStringLiteral("kept.ini")});
}

TEST_F(line_files, save_into_a_missing_folder_fails) {
    EXPECT_FALSE(platform::save_lines(path(QStringLiteral("no/such/folder/x.ini")), {}));
}

TEST(decimal_point, point_whatever_the_process_locale) {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    platform::use_point_decimal_separator();
    EXPECT_EQ(QLocale().toString(1.5, 'f', 1), QStringLiteral("1.5"));
    EXPECT_EQ(QString::number(1234.5, 'f', 1), QStringLiteral("1234.5"));
    EXPECT_EQ(QLocale().toString(-2.346, 'f', 2), QStringLiteral("-2.35"));
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%.1f", 0.5);
    EXPECT_STREQ(buffer, "0.5");
}

} // namespace
