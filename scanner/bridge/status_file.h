#pragma once

#include "scanner/bridge/source_health.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>
#include <vector>

// What status.json tells a plant monitor after a pass.
struct program_status {
    QString program;
    QString version;
    QDateTime started;
    QDateTime last_pass;
    qint64 pass_duration_ms = 0;
    std::vector<source_status> sources;
};

// The JSON text: times in UTC as ISO 8601 (monitors compare them without knowing the
// plant's time zone), absent values as null.
QByteArray status_json(const program_status& status, const QDateTime& now);
// Replaces `path` atomically; false when it could not be written.
bool write_status_file(const QString& path, const program_status& status, const QDateTime& now);

// status.json after each pass, written when a source's state changed or a second has passed
// since the last write: the passes of a catch-up follow each other without a pause.
class status_file_writer {
public:
    // False when the file was due and could not be written (it is due again next time).
    bool after_pass(const QString& path, const program_status& status, const QDateTime& now);

private:
    QString states_;
    std::optional<QDateTime> written_;
};
