#include "tests/support/writer_process.h"

#include "test_data_path.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

// Beside the test executable when deployed (the Windows test folder), else in the build tree.
QString file_holder_path() {
    const QString beside =
        QCoreApplication::applicationDirPath() + QStringLiteral("/" KALIX_FILE_HOLDER_NAME);
    return QFileInfo::exists(beside) ? beside : QStringLiteral(KALIX_FILE_HOLDER_PATH);
}

} // namespace

writer_process::writer_process(const QString& file, const QString& last_line) {
    QStringList arguments{file};
    if (!last_line.isEmpty())
        arguments.append(last_line);
    process_.start(file_holder_path(), arguments);
    EXPECT_TRUE(process_.waitForStarted(10000)) << process_.errorString().toStdString();
    while (!process_.canReadLine() && process_.waitForReadyRead(10000)) {
    }
    ready_ = process_.readLine().trimmed() == "ready";
    EXPECT_TRUE(ready_) << "the file holder did not open " << file.toStdString();
}

void writer_process::finish() {
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.write("go\n");
    process_.closeWriteChannel();
    EXPECT_TRUE(process_.waitForFinished(10000));
}

writer_process::~writer_process() {
    finish();
}
