#include "tests/support/zip_check/zip_check.h"

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>
#include <zip.h>

namespace {

void expect_readable_by_libzip(const QString& archive_path) {
    int code = 0;
    zip_t* archive = open_archive(archive_path, ZIP_RDONLY | ZIP_CHECKCONS, &code);
    ASSERT_NE(archive, nullptr) << archive_path.toStdString() << " error " << code;
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_file_t* file = zip_fopen_index(archive, static_cast<zip_uint64_t>(i), 0);
        EXPECT_NE(file, nullptr) << zip_strerror(archive);
        if (file == nullptr)
            continue;
        char buffer[4096];
        zip_int64_t got = 0;
        while ((got = zip_fread(file, buffer, sizeof buffer)) > 0) {
        }
        EXPECT_EQ(got, 0) << "entry " << i << ": " << zip_file_strerror(file);
        zip_fclose(file);
    }
    zip_discard(archive);
}

} // namespace

zip_t* open_archive(const QString& archive_path, int flags, int* error_code) {
#ifdef Q_OS_WIN
    const QByteArray name = archive_path.toUtf8();
#else
    const QByteArray name = QFile::encodeName(archive_path);
#endif
    return zip_open(name.constData(), flags, error_code);
}

void expect_valid_zip(const QString& archive_path) {
    const QString unzip_program = QStandardPaths::findExecutable(QStringLiteral("unzip"));
    if (unzip_program.isEmpty()) {
        expect_readable_by_libzip(archive_path);
        return;
    }
    QProcess unzip;
    unzip.start(unzip_program, {QStringLiteral("-tq"), archive_path});
    ASSERT_TRUE(unzip.waitForFinished(30000)) << "unzip did not run";
    EXPECT_EQ(unzip.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(unzip.exitCode(), 0) << unzip.readAllStandardOutput().toStdString();
}
