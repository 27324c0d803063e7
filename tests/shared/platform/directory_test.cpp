#include "shared/platform/directory.h"
#include "shared/platform/paths.h"
#include "tests/support/scratch_fixture.h"

#include <QDir>

#include <cstdlib>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace {

TEST(mask, windows_wildcard_semantics) {
    struct case_t {
        const char* mask;
        const char* name;
        bool matches;
    };
    const std::vector<case_t> cases = {
        {"*.*", "README", true},        {"*.*", ".hidden", true},
        {"*", "a.b.c", true},           {"*.csv", "a.csv", true},
        {"*.csv", "A.CSV", true},       {"*.CSV", "a.csv", true},
        {"*.csv", "a.csv.tmp", false},  {"*.csv", "acsv", false},
        {"?.txt", "a.txt", true},       {"?.txt", "ab.txt", false},
        {"a*b*c", "aXbYc", true},       {"a*b*c", "aXbY", false},
        {"abc.*", "abc", true},         {"abc.*", "abc.def", true},
        {"abc.*", "abcd", false},       {"Load_*___*.xy", "load_12___T___1.xy", true},
        {"name.ini", "NAME.INI", true}, {"name.ini", "name.in", false},
    };
    for (const case_t& c : cases) {
        SCOPED_TRACE(std::string(c.mask) + " / " + c.name);
        EXPECT_EQ(platform::mask_matches(QString::fromUtf8(c.mask), QString::fromUtf8(c.name)),
                  c.matches);
    }
}

class directory_listing : public scratch_fixture {
protected:
    QStringList names(const QString& mask) {
        std::vector<platform::directory_entry> entries;
        EXPECT_TRUE(platform::list_directory(platform::join_path(path(QStringLiteral("d")), mask),
                                             entries));
        QStringList result;
        for (const auto& e : entries)
            result.append(e.is_folder ? e.name + u'/' : e.name);
        return result;
    }

    // Files of every kind of name in "d", and a sub-folder whose name matches file masks.
    void write_sample_folder() {
        for (const char* name :
             {"d/b.csv", "d/A.csv", "d/.hidden", "d/noext", "d/sub.csv/inner.csv"})
            write_file(QString::fromUtf8(name));
    }
};

TEST_F(directory_listing, every_entry_kind_in_case_insensitive_name_order) {
    write_sample_folder();
    write_file(QStringLiteral("d/C.txt"));

    EXPECT_EQ(names(QStringLiteral("*.*")),
              (QStringList{QStringLiteral(".hidden"), QStringLiteral("A.csv"),
                           QStringLiteral("b.csv"), QStringLiteral("C.txt"),
                           QStringLiteral("noext"), QStringLiteral("sub.csv/")}));
    EXPECT_EQ(names(QStringLiteral("*.CSV")),
              (QStringList{QStringLiteral("A.csv"), QStringLiteral("b.csv"),
                           QStringLiteral("sub.csv/")}));
    EXPECT_EQ(names(QStringLiteral("b.csv")), QStringList{QStringLiteral("b.csv")});
    EXPECT_TRUE(names(QStringLiteral("*.xy")).isEmpty());
}

TEST_F(directory_listing, the_quick_file_listings_agree_with_the_full_one) {
    write_sample_folder();
#ifndef Q_OS_WIN
    // A link to a folder is a folder; the folder's entry type alone does not say so.
    ASSERT_TRUE(QFile::link(path(QStringLiteral("d/sub.csv")), path(QStringLiteral("d/z.csv"))));
#endif
    for (const QString& mask : {QStringLiteral("*.*"), QStringLiteral("*.CSV"),
                                QStringLiteral("b.csv"), QStringLiteral("*.xy")}) {
        SCOPED_TRACE(mask.toStdString());
        QStringList files;
        for (const QString& name : names(mask)) {
            if (!name.endsWith(u'/'))
                files.append(name);
        }
        QStringList quick;
        for (const QString& name : platform::list_file_names(path(QStringLiteral("d")), mask))
            quick.append(name);
        EXPECT_EQ(quick, files);

        std::vector<platform::file_time> times;
        ASSERT_TRUE(platform::list_file_times(path(QStringLiteral("d")), mask, times));
        QStringList timed;
        for (const platform::file_time& file : times) {
            timed.append(file.name);
            EXPECT_LE(std::abs(QDateTime::currentMSecsSinceEpoch() - file.last_write_msecs),
                      60'000);
        }
        timed.sort(Qt::CaseInsensitive);
        EXPECT_EQ(timed, files);
    }
    std::vector<platform::file_time> times;
    EXPECT_FALSE(platform::list_file_times(path(QStringLiteral("missing")), "*.*", times));
    EXPECT_TRUE(platform::list_file_names(path(QStringLiteral("missing")), "*.*").empty());
}

TEST_F(directory_listing, attributes_and_a_missing_folder) {
    const QString file = write_file(QStringLiteral("d/locked.txt"), "x");
    QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    write_file(QStringLiteral("d/open.txt"), "x");
    std::vector<platform::directory_entry> entries;
    ASSERT_TRUE(platform::list_directory(path(QStringLiteral("d/*.txt")), entries));
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_TRUE(entries[0].is_read_only);
    EXPECT_FALSE(entries[1].is_read_only);
    EXPECT_TRUE(entries[1].last_write.isValid());
    EXPECT_LE(entries[1].last_write.secsTo(QDateTime::currentDateTime()), 60);

    EXPECT_FALSE(platform::list_directory(path(QStringLiteral("missing/*.*")), entries));
    EXPECT_TRUE(entries.empty());
}

#ifdef Q_OS_WIN
TEST_F(directory_listing, hidden_and_system_entries_are_listed_with_their_attributes) {
    const QString hidden = write_file(QStringLiteral("d/a_hidden.csv"), "x");
    const QString system = write_file(QStringLiteral("d/b_system.csv"), "x");
    write_file(QStringLiteral("d/c_plain.csv"), "x");
    const auto set = [](const QString& file, DWORD attributes) {
        return SetFileAttributesW(reinterpret_cast<LPCWSTR>(file.utf16()), attributes) != 0;
    };
    ASSERT_TRUE(set(hidden, FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(set(system, FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY));

    std::vector<platform::directory_entry> entries;
    ASSERT_TRUE(platform::list_directory(path(QStringLiteral("d\\*.CSV")), entries));
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_TRUE(entries[0].is_hidden);
    EXPECT_FALSE(entries[0].is_system);
    EXPECT_FALSE(entries[1].is_hidden);
    EXPECT_TRUE(entries[1].is_system);
    EXPECT_TRUE(entries[1].is_read_only);
    EXPECT_FALSE(entries[2].is_hidden || entries[2].is_system || entries[2].is_read_only);
    set(system, FILE_ATTRIBUTE_NORMAL);
}
#endif

TEST(paths, joining_and_splitting_with_the_native_separator) {
    const QChar s = platform::path_separator();
    EXPECT_EQ(platform::join_path(QStringLiteral("a"), QStringLiteral("b")),
              QStringLiteral("a") + s + QStringLiteral("b"));
    EXPECT_EQ(platform::join_path(QStringLiteral("a") + s, QStringLiteral("b")),
              QStringLiteral("a") + s + QStringLiteral("b"));
    EXPECT_EQ(platform::join_path(QString(), QStringLiteral("b")), QStringLiteral("b"));

    QString folder, name;
    platform::split_path(
        QStringLiteral("x") + s + QStringLiteral("y") + s + QStringLiteral("*.csv"), folder, name);
    EXPECT_EQ(folder, QStringLiteral("x") + s + QStringLiteral("y"));
    EXPECT_EQ(name, QStringLiteral("*.csv"));
    platform::split_path(QStringLiteral("plain"), folder, name);
    EXPECT_EQ(folder, QString());
    EXPECT_EQ(name, QStringLiteral("plain"));
#ifdef Q_OS_WIN
    // Both slashes separate; a drive root keeps its backslash.
    platform::split_path(QStringLiteral("C:\\top"), folder, name);
    EXPECT_EQ(folder, QStringLiteral("C:\\"));
    EXPECT_EQ(name, QStringLiteral("top"));
    platform::split_path(QStringLiteral("C:\\data/day\\L1.zip"), folder, name);
    EXPECT_EQ(folder, QStringLiteral("C:\\data/day"));
    EXPECT_EQ(name, QStringLiteral("L1.zip"));
    EXPECT_TRUE(platform::ends_with_separator(QStringLiteral("a\\")));
    EXPECT_TRUE(platform::ends_with_separator(QStringLiteral("a/")));
    EXPECT_EQ(platform::native_path(QStringLiteral("C:/data/day")),
              QStringLiteral("C:\\data\\day"));
#else
    platform::split_path(QStringLiteral("/top"), folder, name);
    EXPECT_EQ(folder, QStringLiteral("/"));
    EXPECT_EQ(name, QStringLiteral("top"));
    // A backslash is an ordinary character of a name here.
    EXPECT_FALSE(platform::ends_with_separator(QStringLiteral("a\\")));
#endif
}

} // namespace
