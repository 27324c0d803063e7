#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

// Folders and names of a KALIX installation. Installation folders end with the separator.

// Appends the separator when the last character is not one (the empty text becomes one).
QString with_trailing_separator(const QString& folder);

// Line 0 of a folder settings file (kalix_path.ini, kalix_postbake_path.ini) with the
// separator appended; the empty text when the file is missing or empty.
QString folder_from_settings_file(const QString& file_name);

// The current product: name of the first file in "database/current_product"; empty if none.
QString product_marker_name(const QString& kalix_path);

// Renames the product marker to `product`; false when that did not happen.
bool rename_product_marker(const QString& kalix_path, const QString& product);

// kalix_path database/products/<product>/measurements/ (with trailing separator)
QString measurement_folder(const QString& kalix_path, const QString& product);

// kalix_path database/products/<product>/measurements/<ovix_name>/new
QString channel_new_folder(const QString& kalix_path, const QString& product,
                           const QString& ovix_name);

// kalix_path live_signals/<program file name without ".exe">.alv
QString live_signal_file_name(const QString& kalix_path, const QString& program_file_name);

// The external archive folder when configured, else kalix_path archive/ when it exists,
// else the empty text.
QString archive_folder(const QString& external_archive_directory, const QString& kalix_path);

// The archive keeps a file under product\year\month\day\OVIX channel below the archive
// folder. The date levels of a date: year, month and day without leading zeros (2024\3\7).
QStringList archive_date_levels(const QDate& date);

// The folder levels of one channel's day below the archive folder, the date parts as given.
QStringList archive_day_levels(const QString& product, const QStringList& date_levels,
                               const QString& ovix_name);

// archive_folder + product\year\month\day\ovix_name\ (the three date parts as typed).
QString archive_day_folder(const QString& archive_folder, const QString& product,
                           const QString& year, const QString& month, const QString& day,
                           const QString& ovix_name);

// "abc.dat" -> "abc___R.dat"
QString handed_over_name(const QString& old_name);
