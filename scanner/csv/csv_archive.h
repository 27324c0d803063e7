#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>

// The dated archive of processed csv files:
//   (home)archive\(product)\(year)\(month)\(day)\(OVIX channel)\(csv file name)
// with month and day without leading zeros (2024\3\7).
//
// How the main window's csv step archives one file, before deleting it from the input folder:
//
//   const csv_archive_home home = csv_archive_home_for(postbake_mode, kalix_path, product,
//                                                      kalix_postbake_path, postbake_product);
//   const QDate date = csv_archive_date(archive_using_date_of_measurement,
//                                       <last-write time of the csv file>,
//                                       QDate::currentDate());
//   const csv_archive_result r = archive_csv_file(input_path + sep + old_filename,
//                                                 home.home, home.product, date, ovix_name);
//   archive_path = r.archive_path;  this_year/this_month/this_day from date;
//   for (const QString& s : r.status_texts) action_label->setText(s);

// Installation folder (with its trailing separator) and product whose archive receives a file.
struct csv_archive_home {
    QString home;
    QString product;
};

// Postbake samples (mode 0 and above) go to the postbake installation, production files
// to the production installation. A file that was not routed passes the mode the last
// routed file left.
csv_archive_home csv_archive_home_for(int postbake_mode, const QString& kalix_path,
                                      const QString& product, const QString& kalix_postbake_path,
                                      const QString& postbake_product);

// The date of the file's own last write (local time) when the archive goes by date of
// measurement, else today.
QDate csv_archive_date(bool archive_using_date_of_measurement, const QDateTime& last_write,
                       const QDate& today);

struct csv_archive_result {
    // False when there is no installation folder or it has no folder "archive": nothing was
    // done or reported.
    bool attempted = false;
    // True when the copy stands under its final name.
    bool archived = false;
    // The archive folder of the file (the window's archive_path); empty when not attempted.
    QString archive_path;
    // Status-line texts in the order they arise; the last one is what the line shows.
    QStringList status_texts;
};

// Copies `csv_file` into its archive folder under its own name: the folders are created
// level by level (a level that cannot be created is reported with " could not be
// created!" and the next levels are still tried); the copy is made under a temporary name
// and renamed, never replacing an archived file of the same name ("Error renaming file "
// ... and the temporary file is removed). The csv file itself is left where it is.
csv_archive_result archive_csv_file(const QString& csv_file, const QString& home,
                                    const QString& product, const QDate& date,
                                    const QString& ovix_name);
