#include "scanner/csv/csv_archive.h"

#include "shared/basics/file_routines.h"
#include "shared/kalix_spectrum_scanner/settings/kalix_paths.h"
#include "shared/platform/file_ops.h"
#include "shared/platform/paths.h"

namespace {

// Creates one folder level when it is missing; a failure is reported and the caller goes on,
// since a deeper level may still be creatable by someone else in the meantime.
void make_level(const QString& folder, QStringList& status) {
    if (platform::folder_exists(folder) || platform::make_folder(folder))
        return;
    status << platform::native_path(folder) + QStringLiteral(" could not be created!");
}

QString bare_name(const QString& path) {
    QString folder;
    QString name;
    platform::split_path(path, folder, name);
    return name;
}

} // namespace

csv_archive_home csv_archive_home_for(int postbake_mode, const QString& kalix_path,
                                      const QString& product, const QString& kalix_postbake_path,
                                      const QString& postbake_product) {
    if (postbake_mode >= 0)
        return {kalix_postbake_path, postbake_product};
    return {kalix_path, product};
}

QDate csv_archive_date(bool archive_using_date_of_measurement, const QDateTime& last_write,
                       const QDate& today) {
    if (archive_using_date_of_measurement && last_write.isValid())
        return last_write.toLocalTime().date();
    return today;
}

csv_archive_result archive_csv_file(const QString& csv_file, const QString& home,
                                    const QString& product, const QDate& date,
                                    const QString& ovix_name) {
    csv_archive_result result;
    // Without an installation folder "archive" would name a folder of the working directory.
    if (home.isEmpty())
        return result;
    const QString archive_root = platform::join_path(home, QStringLiteral("archive"));
    if (!platform::folder_exists(archive_root))
        return result;
    result.attempted = true;

    QString folder = archive_root;
    for (const QString& level : archive_day_levels(product, archive_date_levels(date), ovix_name)) {
        folder = platform::join_path(folder, level);
        make_level(folder, result.status_texts);
    }
    result.archive_path = platform::native_path(folder);

    // Copied under a temporary name first, so whoever watches the archive never sees half
    // a file; the rename then refuses to replace an earlier copy of the same name.
    const QString temp = unique_temp_name(folder);
    const QString target = platform::join_path(folder, bare_name(csv_file));
    platform::copy_file_overwrite(csv_file, temp);
    if (platform::rename_no_overwrite(temp, target)) {
        result.archived = true;
    } else {
        result.status_texts << QStringLiteral("Error renaming file ") +
                                   platform::native_path(temp) + QStringLiteral(" to ") +
                                   platform::native_path(target);
        platform::delete_file(temp);
    }
    return result;
}
