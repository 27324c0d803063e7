#include "shared/basics/file_routines.h"

#include "shared/basics/random_numbers.h"
#include "shared/platform/directory.h"
#include "shared/platform/file_lock.h"
#include "shared/platform/file_ops.h"
#include "shared/platform/paths.h"

#include <QFile>

#include <stdexcept>
#include <vector>

namespace {

// The matching entries that are not folders, in enumeration order.
std::vector<QString> matching_files(const QString& folder, const QString& mask) {
    QString path, name_mask;
    platform::split_path(platform::join_path(folder, mask), path, name_mask);
    return platform::list_file_names(path, name_mask);
}

QString random_number_text(std::uint32_t limit) {
    return QString::number(random_below(limit));
}

} // namespace

bool ensure_folder(const QString& folder) {
    return platform::folder_exists(folder) || platform::make_folder(folder);
}

int count_files(const QString& folder, const QString& mask) {
    return static_cast<int>(matching_files(folder, mask).size());
}

void list_files(const QString& folder, const QString& mask, QStringList& list) {
    list.clear();
    for (const QString& name : matching_files(folder, mask))
        list.append(name);
}

int first_file(const QString& folder, const QString& mask, QString& name) {
    const std::vector<QString> names = matching_files(folder, mask);
    name = names.empty() ? QString() : names.front();
    return static_cast<int>(names.size());
}

bool delete_files(const QString& folder, const QString& mask) {
    if (folder.isEmpty())
        return false;
    std::vector<platform::directory_entry> entries;
    if (!platform::list_directory(platform::join_path(folder, mask), entries))
        return false;
    // Collect first, delete afterwards: the enumeration never sees its own deletions.
    QStringList doomed;
    for (const platform::directory_entry& entry : entries) {
        const QString full = platform::join_path(folder, entry.name);
        if (!entry.is_folder && platform::file_exists(full))
            doomed.append(full);
    }
    for (const QString& full : doomed)
        platform::delete_file(full); // a file still in use stays; the next pass tries again
    return true;
}

QString unique_temp_name(const QString& folder) {
    return unique_temp_name(folder, {});
}

QString unique_temp_name(const QString& folder, const QString& prefix) {
    QString name = folder;
    // Unlike join_path, an empty folder gets the separator too.
    if (!platform::ends_with_separator(name))
        name += platform::path_separator();
    constexpr std::uint32_t limit = 1000000;
    return name + prefix + random_number_text(limit) + u'_' + random_number_text(limit) + u'_' +
           random_number_text(limit) + QStringLiteral(".tmp");
}

bool file_is_free(const QString& file_name) {
    // Where a rename succeeds under an open writer, the writer has to be seen directly.
    if (platform::file_held_open_by_other(file_name))
        return false;
    QString folder, name;
    platform::split_path(file_name, folder, name);
    if (folder.isEmpty())
        folder = QStringLiteral("."); // a bare name lives in the current folder, not the root
    const QString parked = unique_temp_name(folder);
    if (!platform::rename_no_overwrite(file_name, parked))
        return false;
    return platform::rename_no_overwrite(parked, file_name);
}

bool is_read_only(const QString& name) {
    std::vector<platform::directory_entry> entries;
    if (!platform::list_directory(name, entries) || entries.empty())
        return false;
    return entries.front().is_read_only;
}

QString write_unique_temp_file(const QString& folder, const QByteArray& content,
                               const QString& prefix) {
    const QString temp = unique_temp_name(folder, prefix);
    QFile file(temp);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        throw std::runtime_error(QStringLiteral("Cannot create file \"%1\". %2")
                                     .arg(temp, file.errorString())
                                     .toStdString());
    if (file.write(content) != content.size() || !file.flush()) {
        const QString reason = file.errorString();
        file.close();
        QFile::remove(temp);
        throw std::runtime_error(
            QStringLiteral("Cannot write file \"%1\". %2").arg(temp, reason).toStdString());
    }
    return temp;
}
