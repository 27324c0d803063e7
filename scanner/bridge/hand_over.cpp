#include "scanner/bridge/hand_over.h"

#include "shared/basics/file_routines.h"
#include "shared/platform/file_ops.h"
#include "shared/platform/paths.h"

#include <QFile>

#include <stdexcept>

bool hand_over_file(const QString& file_name, const QByteArray& content) {
    // A name without a folder of its own is never written relative to the current folder
    // or a root.
    const qsizetype end = file_name.lastIndexOf(platform::path_separator());
    const QString folder = end > 0 ? file_name.left(end) : QString();
    if (folder.isEmpty() || !platform::folder_exists(folder))
        return false;
    const QString temp = write_unique_temp_file(folder, content);
    if (!platform::rename_replacing(temp, file_name)) {
        QFile::remove(temp);
        throw std::runtime_error(
            QStringLiteral("Error renaming file %1 to %2").arg(temp, file_name).toStdString());
    }
    return true;
}

bool hand_over_new_file(const QString& folder, const QString& name, const QByteArray& content) {
    const QString temp = write_unique_temp_file(folder, content);
    if (platform::rename_no_overwrite(temp, folder + name))
        return true;
    QFile::remove(temp);
    return false;
}
