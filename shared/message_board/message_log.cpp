#include "shared/message_board/message_log.h"

#include "shared/platform/paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

namespace board {

namespace {

const QString day_format = QStringLiteral("yyyy-MM-dd");

// Whether the open file was deleted meanwhile (its lines would go nowhere). Windows does not
// let an open log be deleted.
bool removed(const QFile& file) {
#ifdef Q_OS_WIN
    Q_UNUSED(file);
    return false;
#else
    struct stat status {};
    return ::fstat(file.handle(), &status) != 0 || status.st_nlink == 0;
#endif
}

} // namespace

message_log::message_log(QString folder) : folder_(std::move(folder)) {}

message_log::~message_log() = default;

void message_log::keep_open(bool on) {
    keep_open_ = on;
    if (!on)
        open_.reset();
}

QString message_log::file_for(const QDate& day) const {
    return platform::join_path(folder_, day.toString(day_format) + QStringLiteral(".log"));
}

bool message_log::write(const QDateTime& when, const QString& line, QString* error) {
    const QDate day = when.date();
    if (open_ && (open_day_ != day || removed(*open_)))
        open_.reset();
    if (!open_) {
        open_ = std::make_unique<QFile>(file_for(day));
        open_day_ = day;
        // The folder is made when the file cannot be opened without it.
        if (!open_->open(QIODevice::WriteOnly | QIODevice::Append)) {
            if (!QDir().mkpath(folder_)) {
                open_.reset();
                if (error)
                    *error = QStringLiteral("cannot create the folder");
                return false;
            }
            if (!open_->open(QIODevice::WriteOnly | QIODevice::Append)) {
                if (error)
                    *error = open_->errorString();
                open_.reset();
                return false;
            }
        }
    }
    const QByteArray entry = (when.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")) +
                              QStringLiteral("  ") + line + QStringLiteral("\r\n"))
                                 .toUtf8();
    const bool written = open_->write(entry) == entry.size() && open_->flush();
    if (!written && error)
        *error = open_->errorString();
    // A failed file is opened afresh next time.
    if (!written || !keep_open_)
        open_.reset();
    return written;
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
