#pragma once

#include <QString>
#include <QStringList>

namespace platform {

// Makes the named files (already under their final names) durable with as few syncs as
// possible: one file-system sync per file system they lie on, or on Windows a flush of
// each file. Missing files are skipped. False when a sync failed.
bool flush_to_disk(const QStringList& files);
// Makes one file's data durable by itself (before it is renamed into place).
bool flush_file_to_disk(const QString& file);

} // namespace platform
