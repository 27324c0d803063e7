#include "scanner/bridge/hand_over.h"

#include "shared/basics/file_routines.h"
#include "shared/platform/disk_flush.h"
#include "shared/platform/file_ops.h"
#include "shared/platform/paths.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <stdexcept>

namespace {

// Nobody else names files like this, so leftovers can be removed without asking.
const QString own_prefix = QStringLiteral("lsq_");

QString write_own_temp_file(const QString& folder, const QByteArray& content,
                            const hand_over_durability& durability) {
    const QString temp = write_unique_temp_file(folder, content, own_prefix);
    if (durability.flush_before_rename && !platform::flush_file_to_disk(temp)) {
        QFile::remove(temp);
        throw std::runtime_error(
            QStringLiteral("Cannot flush file \"%1\" to disk.").arg(temp).toStdString());
    }
    return temp;
}

void note_written(const QString& file_name, const hand_over_durability& durability) {
    if (durability.written)
        durability.written->append(file_name);
}

} // namespace

bool hand_over_file(const QString& file_name, const QByteArray& content) {
    return hand_over_file(file_name, content, {});
}

bool hand_over_file(const QString& file_name, const QByteArray& content,
                    const hand_over_durability& durability) {
    // A name without a folder of its own is never written relative to the current folder
    // or a root.
    const qsizetype end = file_name.lastIndexOf(platform::path_separator());
    const QString folder = end > 0 ? file_name.left(end) : QString();
    if (folder.isEmpty() || !platform::folder_exists(folder))
        return false;
    const QString temp = write_own_temp_file(folder, content, durability);
    if (!platform::rename_replacing(temp, file_name)) {
        QFile::remove(temp);
        throw std::runtime_error(
            QStringLiteral("Error renaming file %1 to %2").arg(temp, file_name).toStdString());
    }
    note_written(file_name, durability);
    return true;
}

bool hand_over_new_file(const QString& folder, const QString& name, const QByteArray& content,
                        const hand_over_durability& durability) {
    const QString temp = write_own_temp_file(folder, content, durability);
    if (platform::rename_no_overwrite(temp, folder + name)) {
        note_written(folder + name, durability);
        return true;
    }
    QFile::remove(temp);
    return false;
}

bool is_own_temp_file_name(const QString& name) {
    static const QRegularExpression shape(
        QStringLiteral("^lsq_[0-9]{1,6}_[0-9]{1,6}_[0-9]{1,6}\\.tmp$"),
        QRegularExpression::CaseInsensitiveOption);
    return shape.match(name).hasMatch();
}

int remove_own_temp_files(const QString& folder) {
    const QStringList names =
        QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks);
    int removed = 0;
    for (const QString& name : names) {
        if (!is_own_temp_file_name(name))
            continue;
        const QString file = platform::join_path(folder, name);
        // A file still open may belong to another running instance writing it right now.
        if (file_is_free(file) && QFile::remove(file))
            ++removed;
    }
    return removed;
}
