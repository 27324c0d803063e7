#include "shared/basics/file_routines.h"

#include "shared/platform/paths.h"
#include "tests/support/scratch_fixture.h"
#include "tests/support/writer_process.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

class file_routines_test : public scratch_fixture {
protected:
    QString data() const { return path("data"); }
    QString data_file(const QString& name) const { return platform::join_path(data(), name); }
    static QStringList files_in(const QString& folder) {
        return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
};

TEST_F(file_routines_test, ensure_folder_creates_one_level_only) {
    EXPECT_TRUE(ensure_folder(program_folder()));
    EXPECT_TRUE(ensure_folder(path("new")));
    EXPECT_TRUE(QFileInfo(path("new")).isDir());
    EXPECT_FALSE(ensure_folder(path("outer/inner")));
    EXPECT_FALSE(QFileInfo::exists(path("outer")));
}

TEST_F(file_routines_test, first_file_ignores_folders_that_match) {
    write_file("data/a.csv");
    ASSERT_TRUE(QDir().mkpath(data_file("b.csv")));
    write_file("data/c.txt");
    QString name = "stale";
    EXPECT_EQ(first_file(data(), "*.csv", name), 1);
    EXPECT_EQ(name, "a.csv");
    EXPECT_EQ(first_file(data(), "*.xy", name), 0);
    EXPECT_EQ(name, QString());
}

TEST_F(file_routines_test, masks_follow_windows_matching) {
    write_file("data/readme");
    write_file("data/Data.CSV");
    write_file("data/.hidden.csv");
    write_file("data/x.txt");
    write_file("data/xy.txt");
    ASSERT_TRUE(QDir().mkpath(data_file("sub.csv")));
    struct test_case {
        const char* mask;
        QStringList expected; // in the case-insensitive name order of the enumeration
    };
    const std::vector<test_case> cases = {
        {"*.*", {".hidden.csv", "Data.CSV", "readme", "x.txt", "xy.txt"}},
        {"*", {".hidden.csv", "Data.CSV", "readme", "x.txt", "xy.txt"}},
        {"*.csv", {".hidden.csv", "Data.CSV"}},
        {"DATA.csv", {"Data.CSV"}},
        {"?.txt", {"x.txt"}},
        {"readme.*", {"readme"}},
        {"*.xy", {}},
    };
    for (const test_case& c : cases) {
        SCOPED_TRACE(c.mask);
        QStringList listed = {"left over"};
        list_files(data(), c.mask, listed);
        EXPECT_EQ(listed, c.expected);
        EXPECT_EQ(count_files(data(), c.mask), c.expected.size());
        // A trailing separator on the folder changes nothing.
        EXPECT_EQ(count_files(data() + platform::path_separator(), c.mask), c.expected.size());
    }
}

TEST_F(file_routines_test, missing_folder_lists_nothing) {
    QString name;
    QStringList listed = {"left over"};
    list_files(path("missing"), "*.*", listed);
    EXPECT_TRUE(listed.isEmpty());
    EXPECT_EQ(count_files(path("missing"), "*.*"), 0);
    EXPECT_EQ(first_file(path("missing"), "*.*", name), 0);
}

TEST_F(file_routines_test, delete_files_removes_matching_files_only) {
    write_file("data/a.csv");
    write_file("data/B.CSV");
    write_file("data/keep.txt");
    ASSERT_TRUE(QDir().mkpath(data_file("folder.csv")));
    EXPECT_TRUE(delete_files(data(), "*.csv"));
    EXPECT_EQ(files_in(data()), QStringList{"keep.txt"});
    EXPECT_TRUE(QFileInfo(data_file("folder.csv")).isDir());

    write_file("data/no_point");
    EXPECT_TRUE(delete_files(data() + platform::path_separator(), "*.*"));
    EXPECT_TRUE(files_in(data()).isEmpty());
}

TEST_F(file_routines_test, delete_files_refuses_empty_or_missing_folder) {
    EXPECT_FALSE(delete_files(QString(), "*.*"));
    EXPECT_FALSE(delete_files(path("missing"), "*.*"));
}

TEST_F(file_routines_test, closed_file_is_free_and_stays_in_place) {
    const QString file = write_file("data/measure.csv", "1;2;3\r\n");
    EXPECT_TRUE(file_is_free(file));
    EXPECT_EQ(read_file(file), "1;2;3\r\n");
    EXPECT_EQ(files_in(data()), QStringList{"measure.csv"});
    EXPECT_FALSE(file_is_free(data_file("missing.csv")));
}

TEST_F(file_routines_test, file_held_open_for_writing_by_another_process_is_not_free) {
    const QString file = write_file("data/measure.csv", "written so far");
    writer_process writer(file);
    ASSERT_TRUE(writer.ready());

    EXPECT_FALSE(file_is_free(file));
    EXPECT_EQ(files_in(data()), QStringList{"measure.csv"});
    EXPECT_EQ(read_file(file), "written so far");

    writer.finish();
    EXPECT_TRUE(file_is_free(file));
    EXPECT_EQ(files_in(data()), QStringList{"measure.csv"});
    EXPECT_EQ(read_file(file), "written so far");
}

TEST_F(file_routines_test, unique_temp_name_lies_directly_in_the_folder) {
    const QChar sep = platform::path_separator();
    const QRegularExpression shape(QStringLiteral("^(0|[1-9][0-9]{0,5})_(0|[1-9][0-9]{0,5})_"
                                                  "(0|[1-9][0-9]{0,5})\\.tmp$"));
    struct test_case {
        QString folder;
        QString expected_prefix;
    };
    const std::vector<test_case> cases = {
        {temp_folder(), temp_folder() + sep},
        {temp_folder() + sep, temp_folder() + sep},
        {QString(), QString(sep)},
    };
    for (const test_case& c : cases) {
        SCOPED_TRACE(c.folder.toStdString());
        const QString name = unique_temp_name(c.folder);
        ASSERT_TRUE(name.startsWith(c.expected_prefix)) << name.toStdString();
        const QString rest = name.mid(c.expected_prefix.size());
        EXPECT_TRUE(shape.match(rest).hasMatch()) << rest.toStdString();
        EXPECT_FALSE(QFileInfo::exists(name));
    }
}

TEST_F(file_routines_test, read_only_attribute_of_first_matching_entry) {
    const QString locked = write_file("data/a_locked.ini");
    const QString open = write_file("data/b_open.ini");
    ASSERT_TRUE(QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ReadUser));
    EXPECT_TRUE(is_read_only(locked));
    EXPECT_FALSE(is_read_only(open));
    EXPECT_TRUE(is_read_only(data_file("*.ini")));
    EXPECT_FALSE(is_read_only(data_file("b*.ini")));
    EXPECT_FALSE(is_read_only(data_file("missing.ini")));
    QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

} // namespace
