#include "cleaner/cleaning/cleaner_status.h"

#include "shared/platform/file_ops.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>

namespace {

QJsonValue time_value(const QDateTime& time) {
    return time.isValid() ? QJsonValue(time.toUTC().toString(Qt::ISODateWithMs)) : QJsonValue();
}

QJsonObject run_object(const cleaning_run& run) {
    QJsonObject o;
    o[QStringLiteral("time")] = time_value(run.started);
    o[QStringLiteral("duration_ms")] = run.duration_ms;
    o[QStringLiteral("files_deleted")] = run.files_deleted;
    o[QStringLiteral("files_zipped")] = run.files_zipped;
    o[QStringLiteral("archives_written")] = run.archives_written;
    o[QStringLiteral("bytes_freed")] = run.bytes_freed;
    o[QStringLiteral("files_passed_over")] = run.files_passed_over;
    return o;
}

QString count_text(int count, const char* one, const char* many) {
    return QString::number(count) + u' ' + QLatin1String(count == 1 ? one : many);
}

} // namespace

QByteArray cleaner_status_json(const cleaner_status& status) {
    QJsonObject root;
    root[QStringLiteral("program")] = status.program;
    root[QStringLiteral("version")] = status.version;
    root[QStringLiteral("started")] = time_value(status.started);
    root[QStringLiteral("last_run")] =
        status.last_run ? QJsonValue(run_object(*status.last_run)) : QJsonValue();
    root[QStringLiteral("next_run")] =
        status.last_run ? time_value(status.last_run->next_run) : QJsonValue();
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

bool write_cleaner_status_file(const QString& path, const cleaner_status& status) {
    return platform::write_file_atomically(path, cleaner_status_json(status));
}

QString byte_count_text(qint64 bytes) {
    const qint64 size = bytes < 0 ? -bytes : bytes;
    const QString sign = bytes < 0 ? QStringLiteral("-") : QString();
    if (size < 1000)
        return sign + count_text(static_cast<int>(size), "byte", "bytes");
    static const char* const units[] = {"kB", "MB", "GB", "TB"};
    double value = static_cast<double>(size) / 1000.0;
    int unit = 0;
    while (value >= 999.95 && unit < 3) {
        value /= 1000.0;
        ++unit;
    }
    return sign + QLocale::c().toString(value, 'f', 1) + u' ' + QLatin1String(units[unit]);
}

QString last_run_line(const std::optional<cleaning_run>& run) {
    if (!run)
        return QStringLiteral("Last run: none yet");
    // Packing a few small files can take more room than they did: said as such, not as a
    // negative amount freed.
    const QString space = run->bytes_freed < 0
                              ? byte_count_text(-run->bytes_freed) + QStringLiteral(" more used")
                              : byte_count_text(run->bytes_freed) + QStringLiteral(" freed");
    return QStringLiteral("Last run %1: %2 deleted, %3 zipped, %4 written, %5, %6 passed "
                          "over; next run %7")
        .arg(run->started.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")),
             count_text(run->files_deleted, "file", "files"),
             count_text(run->files_zipped, "file", "files"),
             count_text(run->archives_written, "archive", "archives"), space,
             count_text(run->files_passed_over, "file", "files"),
             run->next_run.toString(QStringLiteral("hh:mm:ss")));
}
