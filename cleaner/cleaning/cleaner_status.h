#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>

// What one unattended cleaning run did.
struct cleaning_run {
    QDateTime started;
    qint64 duration_ms = 0;
    // Files deleted for their age, and the files packed into archives (deleted once packed).
    int files_deleted = 0;
    int files_zipped = 0;
    int archives_written = 0;
    // Net: the bytes of the deleted files less what their archives grew by.
    qint64 bytes_freed = 0;
    // Files the packing leaves alone for now (open by their writer, unreadable, not deletable).
    int files_passed_over = 0;
    QDateTime next_run;
};

// What kalix_cleaner_status.json tells a plant monitor after every run.
struct cleaner_status {
    QString program;
    QString version;
    QDateTime started;
    std::optional<cleaning_run> last_run;
};

// The JSON text: times in UTC as ISO 8601, absent values as null.
QByteArray cleaner_status_json(const cleaner_status& status);
// Replaces `path` atomically; false when it could not be written.
bool write_cleaner_status_file(const QString& path, const cleaner_status& status);

// "1.5 MB", "900 bytes": a byte count as an operator reads it (1 kB = 1000 bytes, "." always).
QString byte_count_text(qint64 bytes);
// The run in one line of the cleaner's window.
QString last_run_line(const std::optional<cleaning_run>& run);
