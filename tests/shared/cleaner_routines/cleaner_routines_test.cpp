#include "shared/cleaner_routines/cleaner_routines.h"

#include "tests/support/scratch_fixture.h"
#include "tests/support/separator.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

class cleaner_routines_test : public scratch_fixture {};

TEST(cleaner_text_test, underscore_fields_and_count) {
    struct test_case {
        const char* text;
        int n;
        const char* field;
    };
    const std::vector<test_case> cases = {
        {"L123___T_pos", 1, "L123"}, {"L123___T_pos", 2, ""}, {"L123___T_pos", 4, "T"},
        {"L123___T_pos", 5, "pos"},  {"L123___T_pos", 6, ""}, {" a _b", 0, "a"},
    };
    for (const test_case& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " " + std::to_string(c.n));
        EXPECT_EQ(underscore_field(c.text, c.n), c.field);
    }
    EXPECT_EQ(underscore_count("L123___T_pos"), 4);
    EXPECT_EQ(underscore_count("none"), 0);
}

TEST(cleaner_text_test, file_name_stem_is_the_load_key) {
    struct test_case {
        const char* name;
        const char* stem;
    };
    const std::vector<test_case> cases = {
        {"L4711___Transmission___x12.xy", "L4711"},
        {"L4711___T.1.xy", "L4711"},
        {"sheet.result.txt", "sheet"},
        {"archive.zip", "archive"},
        {"no_key_at_all", ""},
        {"___tail.xy", ""},
        {"", ""},
    };
    for (const test_case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(file_name_stem(c.name), c.stem);
    }
}

TEST_F(cleaner_routines_test, list_subfolders_skips_point_names_and_files) {
    for (const char* folder : {"day/b", "day/.git", "day/A", "day/..odd"})
        ASSERT_TRUE(QDir().mkpath(path(folder)));
    write_file("day/c.txt");
    QStringList list = {"left over"};
    EXPECT_EQ(list_subfolders(path("day"), list), 2);
    EXPECT_EQ(list, (QStringList{"A", "b"}));
    EXPECT_EQ(list_subfolders(path("day") + sep(), list), 2);

    EXPECT_EQ(list_subfolders(QString(), list), 0);
    EXPECT_TRUE(list.isEmpty());
    list = {"left over"};
    EXPECT_EQ(list_subfolders(path("missing"), list), 0);
    EXPECT_TRUE(list.isEmpty());
}

TEST_F(cleaner_routines_test, add_sub_folder_joins_with_one_separator) {
    struct test_case {
        QString start;
        const char* sub;
        bool ok;
        QString result;
    };
    const std::vector<test_case> cases = {
        {path("base"), "2018", true, path("base") + sep() + "2018"},
        {path("base") + sep(), "7", true, path("base") + sep() + "7"},
        {path("base"), "2018", true, path("base") + sep() + "2018"}, // exists already
        {path("missing"), "x", false, path("missing")},
    };
    ASSERT_TRUE(QDir().mkpath(path("base")));
    for (const test_case& c : cases) {
        SCOPED_TRACE(c.start.toStdString() + " + " + c.sub);
        QString p = c.start;
        EXPECT_EQ(add_sub_folder(p, c.sub), c.ok);
        EXPECT_EQ(p, c.ok ? c.result : c.start);
        EXPECT_EQ(QFileInfo(c.result).isDir(), c.ok);
    }
}

TEST_F(cleaner_routines_test, date_folder_builds_todays_day_folder) {
    ASSERT_TRUE(QDir().mkpath(path("archive/product")));
    const QDate today = QDate::currentDate();
    const QString expected = path("archive/product") + sep() + QString::number(today.year()) +
                             sep() + QString::number(today.month()) + sep() +
                             QString::number(today.day()) + sep();
    EXPECT_EQ(date_folder(path("archive/product")), expected);
    EXPECT_TRUE(QFileInfo(expected).isDir());
    EXPECT_EQ(date_folder(path("archive/product") + sep()), expected);

    EXPECT_EQ(date_folder(path("archive/other")), QString());
    EXPECT_FALSE(QFileInfo::exists(path("archive/other")));
}

TEST_F(cleaner_routines_test, delete_old_files_compares_age_with_the_limit) {
    const QString old_csv = write_file("in/old.csv");
    const QString young_csv = write_file("in/young.csv");
    const QString old_txt = write_file("in/old.txt");
    // Masks match regardless of case, and hidden files count as any other.
    const QString old_upper = write_file("in/OLD2.CSV");
    const QString old_hidden = write_file("in/.hidden.csv");
    ASSERT_TRUE(QDir().mkpath(path("in/old_folder.csv")));
    for (const QString& file : {old_csv, old_txt, old_upper, old_hidden})
        age_file(file, 25 * 3600);
    age_file(young_csv, 23 * 3600);

    EXPECT_TRUE(delete_old_files(path("in"), "*.csv", 1, 0, 0, 0));
    EXPECT_FALSE(QFileInfo::exists(old_csv));
    EXPECT_FALSE(QFileInfo::exists(old_upper));
    EXPECT_FALSE(QFileInfo::exists(old_hidden));
    EXPECT_TRUE(QFileInfo::exists(young_csv));
    EXPECT_TRUE(QFileInfo::exists(old_txt));
    EXPECT_TRUE(QFileInfo(path("in/old_folder.csv")).isDir());

    // Hours, minutes and seconds add up: 22 h 59 min 59 s is less than 23 hours.
    EXPECT_TRUE(delete_old_files(path("in") + sep(), "*.*", 0, 22, 59, 59));
    EXPECT_FALSE(QFileInfo::exists(young_csv));
    EXPECT_FALSE(QFileInfo::exists(old_txt));

    EXPECT_TRUE(delete_old_files(path("missing"), "*.*", 0, 0, 0, 0));
}

TEST_F(cleaner_routines_test, a_file_exactly_at_the_lifetime_is_kept) {
    const QString file = write_file("in/edge.xy");
    const QDateTime written = QDateTime::currentDateTime().addDays(-2).addMSecs(-123);
    {
        QFile handle(file);
        ASSERT_TRUE(handle.open(QIODevice::ReadWrite));
        ASSERT_TRUE(handle.setFileTime(written, QFileDevice::FileModificationTime));
    }
    // 1 hour 1 minute: a sum of fractional days lands on the wrong side here.
    const QDateTime at_lifetime = written.addSecs((1 * 60 + 1) * 60);
    EXPECT_TRUE(delete_old_files(path("in"), "*.*", 0, 1, 1, 0, at_lifetime));
    EXPECT_TRUE(QFileInfo::exists(file));
    EXPECT_TRUE(delete_old_files(path("in"), "*.*", 0, 1, 1, 0, at_lifetime.addMSecs(1)));
    EXPECT_FALSE(QFileInfo::exists(file));
}

} // namespace
