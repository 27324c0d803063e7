// Packing on a disk that fills up: no source file is deleted unless an archive that holds
// it was closed whole, an archive that was there before is never damaged, and once space
// returns every file arrives in its archive exactly once.
#include "cleaner/cleaning/zip_packing.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/scratch_fixture.h"
#include "tests/support/zip_check/zip_check.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QMap>

#include <gtest/gtest.h>
#include <zip.h>

#include <memory>
#include <vector>

namespace {

// Entry name to content; an entry twice fails the test.
QMap<QString, QByteArray> entries(const QString& archive_path) {
    QMap<QString, QByteArray> found;
    int code = 0;
    zip_t* archive = open_archive(archive_path, ZIP_RDONLY, &code);
    EXPECT_NE(archive, nullptr) << archive_path.toStdString() << " error " << code;
    if (archive == nullptr)
        return found;
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_uint64_t i = 0; i < static_cast<zip_uint64_t>(count); ++i) {
        zip_stat_t stat;
        zip_stat_init(&stat);
        EXPECT_EQ(zip_stat_index(archive, i, 0, &stat), 0);
        QByteArray content(static_cast<qsizetype>(stat.size), '\0');
        zip_file_t* file = zip_fopen_index(archive, i, 0);
        EXPECT_NE(file, nullptr);
        if (file != nullptr) {
            EXPECT_EQ(zip_fread(file, content.data(), stat.size),
                      static_cast<zip_int64_t>(stat.size));
            zip_fclose(file);
        }
        const QString name = QString::fromUtf8(stat.name);
        EXPECT_FALSE(found.contains(name)) << name.toStdString() << " twice";
        found.insert(name, content);
    }
    zip_discard(archive);
    return found;
}

class zip_packing_fault_test : public scratch_fixture {
protected:
    zip_packing_fault_test() {
        context.message = [this](const QString& line) { board.append(line); };
        context.pass_over_failures = true; // as the cleaner's timer packs
    }
    QString day() const { return path(QStringLiteral("day")); }
    // Bytes that do not compress, so no archive of them fits the limit.
    QByteArray content(const QString& relative) const {
        QByteArray bytes = relative.toUtf8();
        quint32 state = static_cast<quint32>(qHash(relative));
        for (int i = 0; i < 300; ++i) {
            state = state * 1664525u + 1013904223u;
            bytes += static_cast<char>(state >> 24);
        }
        return bytes;
    }
    void put(const QString& relative) const {
        write_file(QStringLiteral("day/") + relative, content(relative));
    }
    int tick() { return no_kalix_files_moved_to_zip_files(day(), archives, context); }

    zip_packing_context context;
    int archives = 0;
    QStringList board;
};

TEST_F(zip_packing_fault_test, a_full_disk_deletes_nothing_unpacked_and_all_arrives_later) {
    if (!file_size_limit::supported)
        GTEST_SKIP() << file_size_limit::unsupported_reason;
    struct test_case {
        const char* name;
        bool earlier_archive; // L1.zip holds files of an earlier run already
    };
    for (const test_case& c : {test_case{"new archives", false},
                               test_case{"an archive of an earlier run grows", true}}) {
        SCOPED_TRACE(c.name);
        QDir(day()).removeRecursively();
        context.passed_over.clear();
        context.reported.clear();
        QStringList all;
        if (c.earlier_archive) {
            put(QStringLiteral("OVIX1/L1___old.xy"));
            ASSERT_EQ(tick(), 1);
            all << QStringLiteral("OVIX1/L1___old.xy");
        }
        const QByteArray earlier = c.earlier_archive ? [&] {
            QFile f(day() + QStringLiteral("/L1.zip"));
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        }()
                                                     : QByteArray();
        const QStringList fresh{"OVIX1/L1___a.xy", "OVIX2/L1___b.xy", "OVIX1/L2___a.xy",
                                "OVIX2/L3___a.xy"};
        for (const QString& file : fresh)
            put(file);
        all << fresh;

        {
            file_size_limit limit(200); // smaller than any archive of these files
            tick();
        }
        // The disk was full for every archive: nothing packed, nothing deleted.
        for (const QString& file : fresh)
            EXPECT_TRUE(QFile::exists(day() + u'/' + file)) << file.toStdString();
        for (const QString& file : fresh) {
            if (QFile::exists(day() + u'/' + file))
                continue;
            const QString archive =
                day() + u'/' + file.section(u'/', 1).section(u'_', 0, 0) + QStringLiteral(".zip");
            EXPECT_EQ(entries(archive).value(file), content(file)) << file.toStdString();
        }
        if (c.earlier_archive) {
            QFile f(day() + QStringLiteral("/L1.zip"));
            ASSERT_TRUE(f.open(QIODevice::ReadOnly));
            EXPECT_EQ(f.readAll(), earlier) << "the earlier archive was changed";
        }

        // Space returns: the next run packs the rest, each file once.
        tick();
        QMap<QString, QByteArray> packed;
        for (const QString& archive : QDir(day()).entryList({"*.zip"}, QDir::Files)) {
            const auto inside = entries(day() + u'/' + archive);
            for (auto i = inside.cbegin(); i != inside.cend(); ++i) {
                EXPECT_FALSE(packed.contains(i.key())) << i.key().toStdString();
                packed.insert(i.key(), i.value());
            }
        }
        EXPECT_EQ(packed.keys(), [&] {
            QStringList sorted = all;
            sorted.sort();
            return sorted;
        }()) << board.join('\n').toStdString();
        for (const QString& file : all) {
            EXPECT_EQ(packed.value(file), content(file)) << file.toStdString();
            EXPECT_FALSE(QFile::exists(day() + u'/' + file)) << file.toStdString();
        }
        EXPECT_TRUE(QDir(day()).entryList({"*.tmp", "*.zip.*"}, QDir::Files).isEmpty())
            << QDir(day()).entryList(QDir::Files).join(' ').toStdString();
    }
}

} // namespace
