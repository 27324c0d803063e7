#include "scanner/bridge/delivery.h"

#include "scanner/bridge/hand_over.h"
#include "scanner/bridge/record_cursor.h"
#include "shared/basics/file_routines.h"
#include "shared/basics/sprachen.h"
#include "shared/kalix_spectrum_scanner/settings/kalix_paths.h"
#include "shared/platform/file_ops.h"
#include "shared/platform/paths.h"

#include <QFile>
#include <QFileInfo>

#include <stdexcept>

namespace {

[[noreturn]] void environment_fault(const QString& text) {
    throw std::runtime_error(text.toStdString());
}

// Whether a file of `size` bytes can be made and removed in `folder`: tells a failure of
// one file from one of its folder or disk.
bool folder_takes_files(const QString& folder, qsizetype size) {
    try {
        const QString probe = write_unique_temp_file(folder, QByteArray(size, ' '));
        QFile::remove(probe);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

QString with_separator(const QString& folder) {
    return platform::ends_with_separator(folder) ? folder : folder + platform::path_separator();
}

} // namespace

QString folder_of(const QString& file_name) {
    const qsizetype end = file_name.lastIndexOf(platform::path_separator());
    return end > 0 ? file_name.left(end) : QString();
}

destination channel_destination(const delivery_site& site, const QString& product,
                                const QString& result_name) {
    destination where;
    where.root = site.kalix_path;
    where.product = product;
    where.product_checked = true;
    const QString channel = site.ovix_assignment
                                ? site.ovix_assignment->translation(result_name, 1, QString())
                                : QString();
    where.folder = channel_new_folder(site.kalix_path, where.product, channel);
    return where;
}

destination postbake_destination(const delivery_site& site) {
    destination where;
    where.folder = site.postbake_total_output_path;
    where.root = site.postbake_total_output_path.isEmpty() ? QString() : site.postbake_kalix_path;
    return where;
}

void check_file_name(const QString& full_name) {
    const QString name = full_name.mid(full_name.lastIndexOf(platform::path_separator()) + 1);
    // Both file systems of the plant take at most 255 units a name (bytes on Linux,
    // UTF-16 units on Windows).
#ifdef Q_OS_WIN
    const qsizetype length = name.size();
#else
    const qsizetype length = name.toUtf8().size();
#endif
    if (length > 255)
        throw record_fault(
            QStringLiteral(
                "The file name is longer than the file system allows (%1 characters): %2")
                .arg(name.size())
                .arg(platform::native_path(full_name)),
            true);
}

void check_missing_folder(const destination& where) {
    if (where.root.isEmpty())
        return;
    if (!platform::folder_exists(where.root))
        environment_fault(QStringLiteral("The KALIX folder %1 cannot be reached.")
                              .arg(platform::native_path(where.root)));
    if (!where.product_checked)
        return;
    if (where.product.isEmpty())
        environment_fault(QStringLiteral("No current product in %1.")
                              .arg(platform::native_path(
                                  where.root + QStringLiteral("database/current_product"))));
    const QString product_folder = measurement_folder(where.root, where.product);
    if (!platform::folder_exists(product_folder))
        environment_fault(QStringLiteral("The product folder %1 cannot be reached.")
                              .arg(platform::native_path(product_folder)));
}

delivery deliver_file(const destination& where, const QString& name, const QByteArray& content) {
    const QString full_name = with_separator(where.folder) + name;
    check_file_name(full_name);
    // The hand-over itself finds a missing folder: no look beforehand.
    try {
        if (!where.folder.isEmpty() && hand_over_file(full_name, content))
            return delivery::written;
    } catch (const std::exception& error) {
        if (platform::folder_exists(where.folder) &&
            folder_takes_files(where.folder, content.size()))
            throw record_fault(QString::fromUtf8(error.what()));
        throw;
    }
    check_missing_folder(where);
    if (!platform::folder_exists(where.folder))
        return delivery::folder_missing;
    environment_fault(QStringLiteral("The folder %1 cannot be written.")
                          .arg(platform::native_path(where.folder)));
}

bool deliver_new_file(const QString& folder, const QString& name, const QByteArray& content) {
    const QString full_name = with_separator(folder) + name;
    check_file_name(full_name);
    if (QFileInfo(full_name).isDir())
        throw record_fault(QStringLiteral("A folder stands in the place of file %1.")
                               .arg(platform::native_path(full_name)));
    try {
        return hand_over_new_file(with_separator(folder), name, content);
    } catch (const std::exception& error) {
        if (platform::folder_exists(folder) && folder_takes_files(folder, content.size()))
            throw record_fault(QString::fromUtf8(error.what()));
        throw;
    }
}
