#pragma once

#include "scanner/bridge/source_health.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <vector>

// What status.json tells a plant monitor after every pass.
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
