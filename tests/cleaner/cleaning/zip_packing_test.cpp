#include "cleaner/cleaning/zip_packing.h"

#include "tests/support/file_size_limit.h"
#include "tests/support/scratch_fixture.h"
#include "tests/support/writer_process.h"
#include "tests/support/zip_check/zip_check.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>

#include <gtest/gtest.h>

#include <zip.h>

#include <map>
#include <stdexcept>
#include <vector>

#ifndef Q_OS_WIN
#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
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
    zip_t* archive = open_archive(archive_path, ZIP_RDONLY, &code);
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
#ifndef Q_OS_WIN
    // The extended archive keeps the access the operator gave the old one. Windows files
    // have no such bits: Qt reports every readable file as readable by all.
    EXPECT_EQ(QFileInfo(archive).permissions() & (QFileDevice::ReadOther | QFileDevice::ReadGroup),
              QFileDevice::ReadGroup);
#endif
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
        {"files without a key are passed over, the subfolder's other files are packed",
         {"OVIX1/.settings", "OVIX1/L3___T.xy", "OVIX1/README", "OVIX2/L2___T.xy"},
         {{"L2.zip", {"OVIX2/L2___T.xy"}}, {"L3.zip", {"OVIX1/L3___T.xy"}}},
         {"OVIX1/.settings", "OVIX1/README"}},
        {"a shorter key found first takes the files of the longer keys",
         {"OVIX1/L7.xy", "OVIX1/L7b___T.xy", "OVIX2/L7b___U.xy", "OVIX2/L70___U.xy"},
         {{"L7.zip", {"OVIX1/L7.xy", "OVIX1/L7b___T.xy", "OVIX2/L70___U.xy", "OVIX2/L7b___U.xy"}}},
         {}},
        {"a longer key found first keeps its own archive",
         {"OVIX1/L7b___T.xy", "OVIX2/L7___U.xy", "OVIX2/L7b___U.xy"},
         {{"L7.zip", {"OVIX2/L7___U.xy"}}, {"L7b.zip", {"OVIX1/L7b___T.xy", "OVIX2/L7b___U.xy"}}},
         {}},
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

TEST_F(zip_packing_test, each_subfolder_is_listed_once_per_run) {
    put(QStringLiteral("OVIX1/L1___T.xy"));
    put(QStringLiteral("OVIX2/L3___T.xy"));
    // A load that arrives while the run goes on waits for the next run.
    const auto post = [this](const QString& line) {
        board.append(line);
        if (line.startsWith(QStringLiteral("L1:")))
            put(QStringLiteral("OVIX1/L2___T.xy"));
    };

    EXPECT_EQ(no_kalix_files_moved_to_zip_files(day(), archives, post), 2);
    EXPECT_EQ(board, QStringList({QStringLiteral("L1: 1 files zipped."),
                                  QStringLiteral("L3: 1 files zipped.")}));
    EXPECT_EQ(files_in(QStringLiteral("OVIX1")), QStringList{QStringLiteral("L2___T.xy")});

    board.clear();
    EXPECT_EQ(pack(day()), 1);
    EXPECT_EQ(board, QStringList{QStringLiteral("L2: 1 files zipped.")});
}

TEST_F(zip_packing_test, damaged_archive_is_set_aside_and_a_new_one_started) {
    // A valid archive with enough content that half of it holds whole entries.
    QByteArray content;
    for (int i = 0; i < 4000; ++i)
        content += QByteArray::number(i * 7919 % 10007) + ' ';
    write_file(QStringLiteral("day/OVIX1/L1___a.xy"), content);
    write_file(QStringLiteral("day/OVIX1/L1___b.xy"), content + "b");
    ASSERT_EQ(pack(day()), 2);
    const QByteArray whole = read_file(in_day(QStringLiteral("L1.zip")));
    QByteArray noise;
    quint32 state = 4711;
    for (int i = 0; i < 3000; ++i) {
        state = state * 1103515245u + 12345u;
        noise += static_cast<char>(state >> 24);
    }
    struct test_case {
        const char* name;
        QByteArray damaged;
    };
    const std::vector<test_case> cases{{"random bytes", noise},
                                       {"valid archive cut in half", whole.left(whole.size() / 2)}};
    for (const test_case& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(day()).removeRecursively();
        write_file(QStringLiteral("day/L1.zip"), c.damaged);
        put(QStringLiteral("OVIX1/L1___c.xy"));
        put(QStringLiteral("OVIX2/L2___a.xy"));
        archives = 0;
        board.clear();

        EXPECT_EQ(pack(day()), 2);

        const QStringList aside =
            QDir(day()).entryList({QStringLiteral("L1.damaged-*")}, QDir::Files);
        ASSERT_EQ(aside.size(), 1);
        EXPECT_TRUE(QRegularExpression(QStringLiteral(R"(^L1\.damaged-\d{8}-\d{6}\.zip$)"))
                        .match(aside[0])
                        .hasMatch())
            << aside[0].toStdString();
        EXPECT_EQ(read_file(in_day(aside[0])), c.damaged);
        EXPECT_EQ(entry_names(in_day(QStringLiteral("L1.zip"))),
                  QStringList{QStringLiteral("OVIX1/L1___c.xy")});
        expect_valid_zip(in_day(QStringLiteral("L1.zip")));
        EXPECT_EQ(archives, 2);
        EXPECT_EQ(board, QStringList({QStringLiteral("Damaged archive ") +
                                          in_day(QStringLiteral("L1.zip")) +
                                          QStringLiteral(" renamed to ") + in_day(aside[0]) +
                                          QStringLiteral("; a new archive is started."),
                                      QStringLiteral("L1: 1 files zipped."),
                                      QStringLiteral("L2: 1 files zipped.")}));
        EXPECT_TRUE(files_in(QStringLiteral("OVIX1")).isEmpty());
    }
}

TEST_F(zip_packing_test, only_the_programs_own_temporary_archives_go_after_an_hour) {
    struct leftover {
        const char* name;
        qint64 age;
        bool removed;
    };
    const std::vector<leftover> files{
        {"L1.zip.~kalix_cleaner_Ab3xYz", 2 * 3600, true},
        {"L2.zip.~kalix_cleaner_q1W2e3", 50 * 60, false}, // a run still writing it
        {"L3.zip.~kalix_cleaner_Ab3xY", 2 * 3600, false},
        {"L4.zip.~kalix_cleaner_Ab-xYz", 2 * 3600, false},
        // The operator's own files: the same shape as a temporary name, but not ours.
        {"L5001.zip.backup", 2 * 3600, false},
        {"L5001.zip.broken", 2 * 3600, false},
        {"L1.zip.Ab3xYz", 2 * 3600, false},
        {"notes.zip.bak", 2 * 3600, false},
        {"L4.zip", 2 * 3600, false},
    };
    for (const leftover& f : files)
        age_file(write_file(QStringLiteral("day/") + f.name, "partial"), f.age);
    put(QStringLiteral("OVIX1/L9___T.xy"));

    EXPECT_EQ(pack(day()), 1);

    for (const leftover& f : files)
        EXPECT_EQ(QFileInfo::exists(in_day(f.name)), !f.removed) << f.name;
    // Writing the archive leaves nothing of its own beside it.
    EXPECT_EQ(QDir(day()).entryList({QStringLiteral("L9.zip*")}, QDir::Files),
              QStringList{QStringLiteral("L9.zip")});
}

// A file that arrives again under the name of an archived entry never replaces it.
TEST_F(zip_packing_test, an_archived_entry_is_never_replaced) {
    const QString name = QStringLiteral("T/L5001___T___0___0___0.xy");
    const QString archive = in_day(QStringLiteral("L5001.zip"));
    struct arrival {
        const char* what;
        QString file;
        QByteArray content;
        QString entry_now_holding_it;
        QString differs_from; // the entry a board line names beside the new one
    };
    const QString first = QStringLiteral("T/L5001___T___0___0___0 (%1).xy");
    const std::vector<arrival> arrivals{
        {"first", name, "A", name, {}},
        {"same content again", name, "A", name, {}},
        {"other content", name, "B", first.arg(2), name},
        {"third content", name, "C", first.arg(3), name},
        {"second content again", name, "B", first.arg(2), {}},
        {"name in other case", QStringLiteral("T/L5001___t___0___0___0.xy"), "E",
         QStringLiteral("T/L5001___t___0___0___0 (4).xy"), name},
        {"name without extension",
         QStringLiteral("T/L5001___x"),
         "F",
         QStringLiteral("T/L5001___x"),
         {}},
        {"without extension, other content", QStringLiteral("T/L5001___x"), "G",
         QStringLiteral("T/L5001___x (2)"), QStringLiteral("T/L5001___x")},
    };
    std::map<QString, QByteArray> expected;
    for (const arrival& a : arrivals) {
        SCOPED_TRACE(a.what);
        board.clear();
        write_file(QStringLiteral("day/") + a.file, a.content);

        EXPECT_EQ(pack(day()), 1);
        EXPECT_EQ(archives, 1);

        expected[a.entry_now_holding_it] = a.content;
        std::map<QString, QByteArray> found;
        for (const entry& e : archive_entries(archive))
            found[e.name] = e.content;
        EXPECT_EQ(found, expected);
        EXPECT_FALSE(QFileInfo::exists(in_day(a.file)));
        QStringList lines{QStringLiteral("L5001: 1 files zipped.")};
        if (!a.differs_from.isEmpty())
            lines.prepend(in_day(a.file) + QStringLiteral(" differs from the entry ") +
                          a.differs_from + QStringLiteral(" of ") + archive +
                          QStringLiteral(": added as ") + a.entry_now_holding_it + u'.');
        EXPECT_EQ(board, lines);
    }
    expect_valid_zip(archive);
    EXPECT_EQ(archives, 1);
}

TEST_F(zip_packing_test, a_folder_named_beyond_the_8_bit_code_page_is_packed) {
    const QString name = QStringLiteral(u"Tag Ωμέγα 日");
    write_file(name + QStringLiteral(u"/OVIX1/L1___Ä.xy"), "spectrum");
    const QString folder = path(name);

    EXPECT_EQ(pack(folder), 1);

    const QString archive = QDir::toNativeSeparators(folder + QStringLiteral("/L1.zip"));
    EXPECT_EQ(entry_names(archive), QStringList{QStringLiteral(u"OVIX1/L1___Ä.xy")});
    expect_valid_zip(archive);
    EXPECT_TRUE(QDir(folder + QStringLiteral("/OVIX1")).isEmpty());
}

TEST_F(zip_packing_test, files_still_being_written_wait_for_a_later_run) {
    const QString held = put(QStringLiteral("OVIX1/L1___T.xy"));
    put(QStringLiteral("OVIX1/L1___U.xy"));
    // An archive copy in progress, and a hand-over temporary nobody holds any more.
    const QString copy = write_file(QStringLiteral("day/OVIX1/tpf4711.tmp"), "18 lines so far\n");
    put(QStringLiteral("OVIX2/418094_77_902311.tmp"));
    put(QStringLiteral("OVIX2/L2___T.xy"));
    {
        writer_process writer(held, QStringLiteral("rest"));
        writer_process copier(copy, QStringLiteral("rest"));

        EXPECT_EQ(pack(day()), 2);

        EXPECT_EQ(board, QStringList({QStringLiteral("L1: 1 files zipped."),
                                      QStringLiteral("L2: 1 files zipped.")}));
        EXPECT_EQ(entry_names(in_day(QStringLiteral("L1.zip"))),
                  QStringList{QStringLiteral("OVIX1/L1___U.xy")});
        EXPECT_EQ(files_in(QStringLiteral("OVIX1")),
                  QStringList({QStringLiteral("L1___T.xy"), QStringLiteral("tpf4711.tmp")}));
        EXPECT_EQ(files_in(QStringLiteral("OVIX2")),
                  QStringList{QStringLiteral("418094_77_902311.tmp")});
        writer.finish();
        copier.finish();
    }
    // The copy is complete and handed over under its final name.
    ASSERT_TRUE(QFile::rename(copy, in_day(QStringLiteral("OVIX1/L3___T.xy"))));
    board.clear();

    EXPECT_EQ(pack(day()), 2);

    EXPECT_EQ(board, QStringList({QStringLiteral("L1: 1 files zipped."),
                                  QStringLiteral("L3: 1 files zipped.")}));
    const std::vector<entry> l1 = archive_entries(in_day(QStringLiteral("L1.zip")));
    ASSERT_EQ(l1.size(), 2u);
    EXPECT_EQ(l1[1].name, QStringLiteral("OVIX1/L1___T.xy"));
    EXPECT_EQ(l1[1].content, QByteArray("OVIX1/L1___T.xy spectrumrest\n"));
    const std::vector<entry> l3 = archive_entries(in_day(QStringLiteral("L3.zip")));
    ASSERT_EQ(l3.size(), 1u);
    EXPECT_EQ(l3[0].content, QByteArray("18 lines so far\nrest\n"));
    EXPECT_TRUE(files_in(QStringLiteral("OVIX1")).isEmpty());
    EXPECT_EQ(files_in(QStringLiteral("OVIX2")),
              QStringList{QStringLiteral("418094_77_902311.tmp")});
}

TEST_F(zip_packing_test, file_that_cannot_be_deleted_is_packed_once_per_run) {
    put(QStringLiteral("OVIX1/L1___T.xy"));
    put(QStringLiteral("OVIX2/L2___T.xy"));
    const QString stuck = in_day(QStringLiteral("OVIX1/L1___T.xy"));
    zip_packing_context on_demand;
    on_demand.message = [this](const QString& line) { board.append(line); };
    on_demand.delete_file = [stuck](const QString& file) {
        return file != stuck && QFile::remove(file);
    };

    EXPECT_EQ(no_kalix_files_moved_to_zip_files(day(), archives, on_demand), 2);
    // The next run finds the file again, equal to its entry: it counts as packed once more
    // and the archive gains nothing.
    EXPECT_EQ(no_kalix_files_moved_to_zip_files(day(), archives, on_demand), 1);

    EXPECT_EQ(board, QStringList({QStringLiteral("L1: 1 files zipped."),
                                  QStringLiteral("L2: 1 files zipped."),
                                  QStringLiteral("L1: 1 files zipped.")}));
    EXPECT_EQ(entry_names(in_day(QStringLiteral("L1.zip"))),
              QStringList{QStringLiteral("OVIX1/L1___T.xy")});
    EXPECT_TRUE(QFileInfo::exists(stuck));
    EXPECT_EQ(archives, 2);
}

#ifndef Q_OS_WIN
// Links, permissions, file-size limits and undecodable names are the POSIX side of these faults.

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
    struct test_case {
        const char* name;
        bool full_disk; // else a folder stands where the archive must go
    };
    for (const test_case& c : {test_case{"folder in the archive's place", false},
                               test_case{"archive cannot be written out", true}}) {
        SCOPED_TRACE(c.name);
        QDir(day()).removeRecursively();
        put(QStringLiteral("OVIX1/L1___a.xy"));
        const QString archive = in_day(QStringLiteral("L1.zip"));
        if (!c.full_disk) {
            ASSERT_TRUE(QDir().mkpath(archive));
        }
        archives = 0;
        {
            std::unique_ptr<file_size_limit> limit;
            if (c.full_disk)
                limit = std::make_unique<file_size_limit>(64);
            EXPECT_THROW(pack(day()), std::runtime_error);
        }
        EXPECT_EQ(files_in(QStringLiteral("OVIX1")), QStringList{QStringLiteral("L1___a.xy")});
        EXPECT_FALSE(QFileInfo(archive).isFile());
        EXPECT_EQ(QDir(day()).entryList(QDir::Files), QStringList());
        EXPECT_EQ(archives, 0);
    }
}

// Packing as the cleaner's timer does it: what fails is passed over and posted once.
class unattended_packing_test : public zip_packing_test {
protected:
    unattended_packing_test() {
        context.message = [this](const QString& line) { board.append(line); };
        context.pass_over_failures = true;
        context.now = [this] { return clock; };
    }
    int tick() { return no_kalix_files_moved_to_zip_files(day(), archives, context); }

    zip_packing_context context;
    QDateTime clock = QDateTime::currentDateTime();
};

TEST_F(unattended_packing_test,
       file_that_cannot_be_read_or_deleted_is_retried_hourly_and_posted_daily) {
    struct test_case {
        const char* name;
        bool readable; // else a link whose target has gone
        QStringList tick_1;
        QStringList archive;
    };
    const QString problem = in_day(QStringLiteral("OVIX1/A___1.xy"));
    const std::vector<test_case> cases{
        {"cannot be read",
         false,
         {problem + QStringLiteral(": No such file or directory - passed over, tried again in "
                                   "an hour."),
          QStringLiteral("A: 1 files zipped."), QStringLiteral("B: 1 files zipped.")},
         {QStringLiteral("OVIX2/A___2.xy"), QStringLiteral("OVIX2/A___3.xy")}},
        {"cannot be deleted",
         true,
         {problem + QStringLiteral(": packed into ") + in_day(QStringLiteral("A.zip")) +
              QStringLiteral(" but cannot be deleted - passed over, tried again in an hour."),
          QStringLiteral("A: 2 files zipped."), QStringLiteral("B: 1 files zipped.")},
         {QStringLiteral("OVIX1/A___1.xy"), QStringLiteral("OVIX2/A___2.xy"),
          QStringLiteral("OVIX2/A___3.xy")}},
    };
    for (const test_case& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(day()).removeRecursively();
        context.passed_over.clear();
        context.reported.clear();
        board.clear();
        if (c.readable) {
            put(QStringLiteral("OVIX1/A___1.xy"));
        } else {
            QDir().mkpath(in_day(QStringLiteral("OVIX1")));
            ASSERT_TRUE(QFile::link(path(QStringLiteral("gone.xy")), problem));
        }
        bool stuck = true;
        context.delete_file = [problem, &stuck](const QString& file) {
            return (!stuck || file != problem) && QFile::remove(file);
        };
        put(QStringLiteral("OVIX1/B___1.xy"));
        put(QStringLiteral("OVIX2/A___2.xy"));

        EXPECT_NO_THROW(tick());
        EXPECT_EQ(board, c.tick_1);

        put(QStringLiteral("OVIX2/A___3.xy"));
        EXPECT_NO_THROW(tick());
        EXPECT_NO_THROW(tick());

        EXPECT_EQ(board, c.tick_1 + QStringList{QStringLiteral("A: 1 files zipped.")});
        EXPECT_EQ(entry_names(in_day(QStringLiteral("A.zip"))), c.archive);
        EXPECT_TRUE(QFileInfo(problem).isSymLink() || QFileInfo(problem).isFile());
        EXPECT_FALSE(QFileInfo::exists(in_day(QStringLiteral("OVIX1/B___1.xy"))));
        EXPECT_TRUE(files_in(QStringLiteral("OVIX2")).isEmpty());

        // An hour on, the file is tried again; its line is not repeated the same day.
        const auto problems = [this] {
            QStringList lines = board;
            lines.removeIf([](const QString& l) { return l.endsWith(" files zipped."); });
            return lines;
        };
        board.clear();
        clock = clock.addSecs(61 * 60);
        EXPECT_NO_THROW(tick());
        EXPECT_EQ(problems(), QStringList());
        // A day on, it is; and a file that can be deleted again goes, packed once.
        clock = clock.addSecs(24 * 3600);
        EXPECT_NO_THROW(tick());
        EXPECT_EQ(problems(), QStringList{c.tick_1[0]});
        stuck = false;
        clock = clock.addSecs(61 * 60);
        EXPECT_NO_THROW(tick());
        EXPECT_EQ(entry_names(in_day(QStringLiteral("A.zip"))), c.archive);
        EXPECT_EQ(QFileInfo(problem).isSymLink() || QFileInfo(problem).isFile(), !c.readable);
    }
}

TEST_F(unattended_packing_test, archive_that_cannot_be_written_is_posted_once_and_others_packed) {
    put(QStringLiteral("OVIX1/L1___a.xy"));
    put(QStringLiteral("OVIX1/L2___a.xy"));
    ASSERT_TRUE(QDir().mkpath(in_day(QStringLiteral("L1.zip"))));

    EXPECT_EQ(tick(), 1);
    EXPECT_EQ(tick(), 0);

    ASSERT_EQ(board.size(), 2) << board.join(u'\n').toStdString();
    EXPECT_TRUE(board[0].startsWith(in_day(QStringLiteral("L1.zip")) + QStringLiteral(": ")))
        << board[0].toStdString();
    EXPECT_EQ(board[1], QStringLiteral("L2: 1 files zipped."));
    EXPECT_EQ(files_in(QStringLiteral("OVIX1")), QStringList{QStringLiteral("L1___a.xy")});
}

// Creates a file or folder under a name given as bytes, as another program may.
void make_raw(const QString& folder, const QByteArray& name, bool is_folder) {
    const QByteArray full = QFile::encodeName(folder) + '/' + name;
    if (is_folder) {
        ASSERT_EQ(::mkdir(full.constData(), 0755), 0);
        return;
    }
    const int fd = ::open(full.constData(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, "x", 1), 1);
    ::close(fd);
}

TEST_F(unattended_packing_test, names_not_valid_in_the_file_systems_encoding_are_posted_once) {
    put(QStringLiteral("OVIX1/L1___ok.xy"));
    make_raw(in_day(QStringLiteral("OVIX1")), "L1___\xff.xy", false);
    make_raw(day(), "OV\xe9X3", true);
    const QStringList expected{
        QStringLiteral("Name not valid in the file system's encoding, not packed: ") +
            in_day(QStringLiteral("OV\\xe9X3")),
        QStringLiteral("Name not valid in the file system's encoding, not packed: ") +
            in_day(QStringLiteral("OVIX1/L1___\\xff.xy")),
        QStringLiteral("L1: 1 files zipped.")};

    EXPECT_EQ(tick(), 1);
    EXPECT_EQ(tick(), 0);

    EXPECT_EQ(board, expected);
    EXPECT_EQ(entry_names(in_day(QStringLiteral("L1.zip"))),
              QStringList{QStringLiteral("OVIX1/L1___ok.xy")});
    EXPECT_EQ(
        ::access((QFile::encodeName(in_day(QStringLiteral("OVIX1"))) + "/L1___\xff.xy").constData(),
                 F_OK),
        0);

    // On demand the names are posted as well, and the run does not fail on them.
    board.clear();
    EXPECT_EQ(pack(day()), 0);
    EXPECT_EQ(board, expected.mid(0, 2));

    // The scratch folder's removal cannot name them either.
    ::unlink((QFile::encodeName(in_day(QStringLiteral("OVIX1"))) + "/L1___\xff.xy").constData());
    ::rmdir((QFile::encodeName(day()) + "/OV\xe9X3").constData());
}

#endif

} // namespace
