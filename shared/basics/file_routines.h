#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Folder and file helpers. A separator is put between folder and mask only when the
// folder is non-empty and does not already end with one. Failures show in the result.

bool ensure_folder(const QString& folder);
int count_files(const QString& folder, const QString& mask);
void list_files(const QString& folder, const QString& mask, QStringList& list);
// Number of matching files (folders ignored) and the bare name of the first of them.
int first_file(const QString& folder, const QString& mask, QString& name);
bool delete_files(const QString& folder, const QString& mask);
// folder \ n1_n2_n3.tmp with three random numbers 0..999999; no file is created.
QString unique_temp_name(const QString& folder);
// folder \ <prefix>n1_n2_n3.tmp: a name that tells whose temporary file it is.
QString unique_temp_name(const QString& folder, const QString& prefix);
// True when the file is not held by its writer any more and can be moved in its folder.
bool file_is_free(const QString& file_name);
bool is_read_only(const QString& name);
// A new file under a unique temporary name (unique_temp_name, with `prefix`) in `folder`
// holding `content`, closed; its full name. Raises std::runtime_error, leaving nothing
// behind, when it cannot be created or written.
QString write_unique_temp_file(const QString& folder, const QByteArray& content,
                               const QString& prefix = {});
