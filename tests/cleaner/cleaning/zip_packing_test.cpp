#include "cleaner/cleaning/zip_packing.h"

#include "tests/support/scratch_fixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>

#include <gtest/gtest.h>

#include <zip.h>

#include <map>
#include <stdexcept>
#include <vector>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

struct entry {
    QString name;
    QByteArray content;
    bool deflated = false;
};

std::vector<entry> archive_entries(const QString& archive_path) {
    std::vector<entry> entries;
    int code = 0;
    zip_t* archive = zip_open(QFile::encodeName(archive_path).constData(), ZIP_RDONLY, &code);
    EXPECT_NE(archive, nullptr) << archive_path.toStdString() << " error " << code;
    if (archive == nullptr)
        return entries;
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_uint64_t i = 0; i < static_cast<zip_uint64_t>(count); ++i) {
        zip_stat_t stat;
        zip_stat_init(&stat);
        EXPECT_EQ(zip_stat_index(archive, i, 0, &stat), 0);
        entry e{QString::fromUtf8(stat.name), QByteArray(static_cast<qsizetype>(stat.size), '\0'),
                stat.comp_method == ZIP_CM_DEFLATE};
        zip_file_t* file = zip_fopen_index(archive, i, 0);
        EXPECT_NE(file, nullptr);
        if (file != nullptr) {
            EXPECT_EQ(zip_fread(file, e.content.data(), stat.size),
                      static_cast<zip_int64_t>(stat.size));
            zip_fclose(file);
        }
        entries.push_back(e);
    }
    zip_discard(archive);
    return entries;
}

QStringList entry_names(const QString& archive_path) {
    QStringList names;
    for (const entry& e : archive_entries(archive_path))
        names.append(e.name);
    return names;
}

void expect_valid_zip(const QString& archive_path) {
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-tq"), archive_path});
    ASSERT_TRUE(unzip.waitForFinished(30000)) << "unzip did not run";
    EXPECT_EQ(unzip.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(unzip.exitCode(), 0) << unzip.readAllStandardOutput().toStdString();
}

bool running_as_root() {
#ifdef Q_OS_WIN
    return false;
#else
    return ::geteuid() == 0;
#endif
}

class zip_packing_test : public scratch_fixture {
protected:
    QString day() const { return path(QStringLiteral("day")); }
    QString in_day(const QString& relative) const {
        return QDir::toNativeSeparators(day() + u'/' + relative);
    }
    QString put(const QString& relative) const {
        return write_file(QStringLiteral("day/") + relative, relative.toUtf8() + " spectrum");
    }
    int pack(const QString& folder) {
        return no_kalix_files_moved_to_zip_files(
            folder, archives, [this](const QString& line) { board.append(line); });
    }
    QStringList files_in(const QString& subfolder) const {
        return QDir(in_day(subfolder)).entryList(QDir::Files | QDir::Hidden);
    }

    int archives = 0;
    QStringList board;
};

TEST_F(zip_packing_test, packs_each_load_of_all_subfolders_into_its_own_archive) {
#ifndef Q_OS_WIN
    const mode_t previous_mask = ::umask(022);
#endif
    put(QStringLiteral("OVIX1/L1___T___0___0___0.xy"));
    put(QStringLiteral("OVIX1/L2___T___0___0___0.xy"));
    put(QStringLiteral("OVIX2/L1___RC___0___0___0.xy"));
    archives = 5; // the counter belongs to the caller and only grows

    EXPECT_EQ(pack(day()), 3);
#ifndef Q_OS_WIN
    ::umask(previous_mask);
#endif

    EXPECT_EQ(archives, 7);
    EXPECT_EQ(board, QStringList({QStringLiteral("L1: 2 files zipped."),
                                  QStringLiteral("L2: 1 files zipped.")}));
    const std::vector<entry> l1 = archive_entries(in_day(QStringLiteral("L1.zip")));
    ASSERT_EQ(l1.size(), 2u);
    EXPECT_EQ(l1[0].name, QStringLiteral("OVIX1/L1___T___0___0___0.xy"));
    EXPECT_EQ(l1[0].content, QByteArray("OVIX1/L1___T___0___0___0.xy spectrum"));
    EXPECT_EQ(l1[1].name, QStringLiteral("OVIX2/L1___RC___0___0___0.xy"));
    EXPECT_EQ(l1[1].content, QByteArray("OVIX2/L1___RC___0___0___0.xy spectrum"));
    EXPECT_TRUE(l1[0].deflated && l1[1].deflated);
    EXPECT_EQ(entry_names(in_day(QStringLiteral("L2.zip"))),
              QStringList{QStringLiteral("OVIX1/L2___T___0___0___0.xy")});
    expect_valid_zip(in_day(QStringLiteral("L1.zip")));
    expect_valid_zip(in_day(QStringLiteral("L2.zip")));
    EXPECT_TRUE(files_in(QStringLiteral("OVIX1")).isEmpty());
    EXPECT_TRUE(files_in(QStringLiteral("OVIX2")).isEmpty());
    // Readable by others like the other files of the archive, not a private temporary file.
    EXPECT_TRUE(QFileInfo(in_day(QStringLiteral("L1.zip"))).permissions() & QFileDevice::ReadOther);
}

TEST_F(zip_packing_test, extends_an_existing_archive_without_counting_it) {
    put(QStringLiteral("OVIX1/L1___T___0___0___0.xy"));
    ASSERT_EQ(pack(day()), 1);
    const QString archive = in_day(QStringLiteral("L1.zip"));
    ASSERT_TRUE(QFile::setPermissions(archive, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                   QFileDevice::ReadGroup));
    put(QStringLiteral("OVIX1/L1___T___1___0___0.xy"));
    put(QStringLiteral("OVIX2/L1___RC___0___0___0.xy"));

    EXPECT_EQ(pack(day()), 2);

    EXPECT_EQ(archives, 1);
    const std::vector<entry> entries = archive_entries(archive);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].name, QStringLiteral("OVIX1/L1___T___0___0___0.xy"));
    EXPECT_EQ(entries[0].content, QByteArray("OVIX1/L1___T___0___0___0.xy spectrum"));
    EXPECT_EQ(entries[1].name, QStringLiteral("OVIX1/L1___T___1___0___0.xy"));
    EXPECT_EQ(entries[2].name, QStringLiteral("OVIX2/L1___RC___0___0___0.xy"));
    expect_valid_zip(archive);
    EXPECT_EQ(QFileInfo(archive).permissions() & (QFileDevice::ReadOther | QFileDevice::ReadGroup),
              QFileDevice::ReadGroup);
}

// Which files go into which archive, and which are left in place.
TEST_F(zip_packing_test, key_search_and_matching) {
    struct layout {
        const char* name;
        QStringList files;
        std::map<QString, QStringList> archives; // archive -> entries
        QStringList left;
    };
    const std::vector<layout> layouts = {
        {"key compared ignoring case",
         {"OVIX1/L1___T.xy", "OVIX1/l1___x.xy"},
         {{"L1.zip", {"OVIX1/L1___T.xy", "OVIX1/l1___x.xy"}}},
         {}},
        {"key matches as a prefix",
         {"OVIX1/L08.xy", "OVIX1/L0815___T.xy"},
         {{"L08.zip", {"OVIX1/L08.xy", "OVIX1/L0815___T.xy"}}},
         {}},
        {"files directly in the day folder stay",
         {"L1___T.xy", "OVIX1/L1___RC.xy"},
         {{"L1.zip", {"OVIX1/L1___RC.xy"}}},
         {"L1___T.xy"}},
        {"subfolder whose first file has no key is passed over",
         {"OVIX1/.settings", "OVIX1/L3___T.xy", "OVIX1/README", "OVIX2/L2___T.xy"},
         {{"L2.zip", {"OVIX2/L2___T.xy"}}},
         {"OVIX1/.settings", "OVIX1/L3___T.xy", "OVIX1/README"}},
    };
    for (const layout& l : layouts) {
        SCOPED_TRACE(l.name);
        QDir(day()).removeRecursively();
        QDir().mkpath(day());
        for (const QString& file : l.files)
            put(file);

        pack(day());

        QStringList expected_archives;
        for (const auto& [archive, entries] : l.archives) {
            expected_archives.append(archive);
            EXPECT_EQ(entry_names(in_day(archive)), entries) << archive.toStdString();
        }
        QStringList left;
        for (const QString& file : l.files) {
            if (QFileInfo::exists(in_day(file)))
                left.append(file);
        }
        EXPECT_EQ(left, l.left);
        EXPECT_EQ(QDir(day()).entryList({QStringLiteral("*.zip")}, QDir::Files), expected_archives);
    }
}

TEST_F(zip_packing_test, folder_without_subfolders_packs_nothing) {
    put(QStringLiteral("L1___T___0___0___0.xy"));
    EXPECT_EQ(pack(day()), 0);
    EXPECT_EQ(pack(QString()), 0);
    EXPECT_EQ(archives, 0);
    EXPECT_TRUE(board.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(in_day(QStringLiteral("L1.zip"))));
}

#ifndef Q_OS_WIN

// Restores a folder's or file's mode when the test ends, so the scratch folder can go.
class mode_guard {
public:
    mode_guard(const QString& path, mode_t mode) : path_(QFile::encodeName(path)) {
        EXPECT_EQ(::chmod(path_.constData(), mode), 0);
    }
    ~mode_guard() { ::chmod(path_.constData(), 0755); }
    mode_guard(const mode_guard&) = delete;
    mode_guard& operator=(const mode_guard&) = delete;

private:
    QByteArray path_;
};

TEST_F(zip_packing_test, file_that_cannot_be_deleted_is_packed_once_per_run) {
    if (running_as_root())
        GTEST_SKIP() << "root deletes from read-only folders";
    put(QStringLiteral("OVIX1/L1___T.xy"));
    put(QStringLiteral("OVIX2/L2___T.xy"));
    const mode_guard read_only(in_day(QStringLiteral("OVIX1")), 0555);

    EXPECT_EQ(pack(day()), 2);
    // The next run finds the file again: its entry is replaced, not refused as a duplicate.
    EXPECT_EQ(pack(day()), 1);

    EXPECT_EQ(board, QStringList({QStringLiteral("L1: 1 files zipped."),
                                  QStringLiteral("L2: 1 files zipped."),
                                  QStringLiteral("L1: 1 files zipped.")}));
    EXPECT_EQ(entry_names(in_day(QStringLiteral("L1.zip"))),
              QStringList{QStringLiteral("OVIX1/L1___T.xy")});
    EXPECT_TRUE(QFileInfo::exists(in_day(QStringLiteral("OVIX1/L1___T.xy"))));
    EXPECT_EQ(archives, 2);
}

TEST_F(zip_packing_test, unreadable_file_ends_the_run_after_closing_the_archive) {
    put(QStringLiteral("OVIX1/L1___a.xy"));
    // A link whose target has gone cannot be opened, not even by root.
    ASSERT_TRUE(
        QFile::link(path(QStringLiteral("gone.xy")), in_day(QStringLiteral("OVIX1/L1___b.xy"))));
    put(QStringLiteral("OVIX1/L1___c.xy"));

    EXPECT_THROW(pack(day()), std::runtime_error);

    const QString archive = in_day(QStringLiteral("L1.zip"));
    EXPECT_EQ(entry_names(archive), QStringList{QStringLiteral("OVIX1/L1___a.xy")});
    expect_valid_zip(archive);
    EXPECT_EQ(files_in(QStringLiteral("OVIX1")), QStringList{QStringLiteral("L1___c.xy")});
    EXPECT_TRUE(QFileInfo(in_day(QStringLiteral("OVIX1/L1___b.xy"))).isSymLink());
    EXPECT_EQ(archives, 1);
    EXPECT_TRUE(board.isEmpty());
}

TEST_F(zip_packing_test, archive_that_cannot_be_written_deletes_nothing) {
    if (running_as_root())
        GTEST_SKIP() << "root writes into read-only folders";
    put(QStringLiteral("OVIX1/L1___a.xy"));
    const mode_guard read_only(day(), 0555);

    EXPECT_THROW(pack(day()), std::runtime_error);

    EXPECT_EQ(files_in(QStringLiteral("OVIX1")), QStringList{QStringLiteral("L1___a.xy")});
    EXPECT_FALSE(QFileInfo::exists(in_day(QStringLiteral("L1.zip"))));
    EXPECT_EQ(archives, 0);
}

#endif

} // namespace
