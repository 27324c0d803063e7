#include "shared/message_board/message_log.h"

#include "shared/platform/paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace board {

namespace {

const QString day_format = QStringLiteral("yyyy-MM-dd");

} // namespace

message_log::message_log(QString folder) : folder_(std::move(folder)) {}

QString message_log::file_for(const QDate& day) const {
    return platform::join_path(folder_, day.toString(day_format) + QStringLiteral(".log"));
}

bool message_log::write(const QDateTime& when, const QString& line, QString* error) {
    QFile file(file_for(when.date()));
    // The folder is made when the file cannot be opened without it: a line comes every few
    // records in a catch-up.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        if (!QDir().mkpath(folder_)) {
            if (error)
                *error = QStringLiteral("cannot create the folder");
            return false;
        }
        if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
            if (error)
                *error = file.errorString();
            return false;
        }
    }
    const QByteArray entry = (when.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")) +
                              QStringLiteral("  ") + line + QStringLiteral("\r\n"))
                                 .toUtf8();
    if (file.write(entry) != entry.size() || !file.flush()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

void message_log::remove_older_than(const QDate& today, int days) {
    const QDate oldest_kept = today.addDays(-days);
    const QFileInfoList files =
        QDir(folder_).entryInfoList({QStringLiteral("*.log")}, QDir::Files | QDir::Hidden);
    for (const QFileInfo& file : files) {
        const QDate day = QDate::fromString(file.completeBaseName(), day_format);
        if (day.isValid() && day < oldest_kept)
            QFile::remove(file.absoluteFilePath());
    }
}

} // namespace board
