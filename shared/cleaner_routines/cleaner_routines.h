#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

// The routines only the cleaner links.

QString underscore_field(const QString& text, int n);
int underscore_count(const QString& text);
// Text before the first "___", else before the first ".", else empty: the load key.
QString file_name_stem(const QString& file_name);
// Names of the sub-folders (no "." names, no system folders); returns their count.
int list_subfolders(const QString& folder, QStringList& list);
// Joins path and sub; if that folder exists or can be created, path becomes it.
bool add_sub_folder(QString& path, const QString& sub);
// base \ year \ month \ day \ of today (the archive's date levels), created as needed; empty
// text on failure.
QString date_folder(const QString& base);
// Deletes matching files whose age exceeds the given one; always true.
bool delete_old_files(const QString& folder, const QString& mask, int days, int hours, int minutes,
                      int seconds);
// What a deletion removed: files and their bytes.
struct deletion_tally {
    int files = 0;
    qint64 bytes = 0;
};
// The same, with ages measured at `now`; adds what was deleted to `tally` when given.
bool delete_old_files(const QString& folder, const QString& mask, int days, int hours, int minutes,
                      int seconds, const QDateTime& now, deletion_tally* tally = nullptr);
