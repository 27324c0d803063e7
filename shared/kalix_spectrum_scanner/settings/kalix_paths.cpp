#include "shared/kalix_spectrum_scanner/settings/kalix_paths.h"

#include "shared/basics/file_routines.h"
#include "shared/platform/file_ops.h"
#include "shared/platform/line_list.h"
#include "shared/platform/paths.h"

#include <QStringList>

namespace {

QString sep() {
    return QString(platform::path_separator());
}

QString marker_folder(const QString& kalix_path) {
    return kalix_path + QStringLiteral("database") + sep() + QStringLiteral("current_product");
}

} // namespace

QString with_trailing_separator(const QString& folder) {
    return platform::ends_with_separator(folder) ? folder : folder + sep();
}

QString folder_from_settings_file(const QString& file_name) {
    QStringList lines;
    if (!platform::file_exists(file_name) || !platform::load_lines(file_name, lines) ||
        lines.isEmpty())
        return {};
    return with_trailing_separator(lines[0]);
}

QString product_marker_name(const QString& kalix_path) {
    QString name;
    first_file(marker_folder(kalix_path), QStringLiteral("*.*"), name);
    return name;
}

bool rename_product_marker(const QString& kalix_path, const QString& product) {
    const QString old_name = product_marker_name(kalix_path);
    const QString folder = marker_folder(kalix_path) + sep();
    return platform::rename_no_overwrite(folder + old_name, folder + product);
}

QString measurement_folder(const QString& kalix_path, const QString& product) {
    return kalix_path + QStringLiteral("database") + sep() + QStringLiteral("products") + sep() +
           product + sep() + QStringLiteral("measurements") + sep();
}

QString channel_new_folder(const QString& kalix_path, const QString& product,
                           const QString& ovix_name) {
    return measurement_folder(kalix_path, product) + ovix_name + sep() + QStringLiteral("new");
}

QString live_signal_file_name(const QString& kalix_path, const QString& program_file_name) {
    // Program files on Windows end in ".exe"; elsewhere they have no extension to drop.
    QString stem = program_file_name;
    if (stem.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive))
        stem.chop(4);
    return kalix_path + QStringLiteral("live_signals") + sep() + stem + QStringLiteral(".alv");
}

QString archive_folder(const QString& external_archive_directory, const QString& kalix_path) {
    if (!external_archive_directory.isEmpty())
        return external_archive_directory;
    const QString own = kalix_path + QStringLiteral("archive") + sep();
    return platform::folder_exists(own) ? own : QString();
}

QStringList archive_date_levels(const QDate& date) {
    return {QString::number(date.year()), QString::number(date.month()),
            QString::number(date.day())};
}

QStringList archive_day_levels(const QString& product, const QStringList& date_levels,
                               const QString& ovix_name) {
    return QStringList{product} + date_levels + QStringList{ovix_name};
}

QString archive_day_folder(const QString& archive_folder, const QString& product,
                           const QString& year, const QString& month, const QString& day,
                           const QString& ovix_name) {
    return archive_folder + archive_day_levels(product, {year, month, day}, ovix_name).join(sep()) +
           sep();
}

QString handed_over_name(const QString& old_name) {
    return old_name.chopped(std::min<qsizetype>(4, old_name.size())) + QStringLiteral("___R.dat");
}
