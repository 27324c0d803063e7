#pragma once

#include <QString>

#include <zip.h>

// zip_open with the name as libzip takes it here (UTF-8 on Windows, where it opens files
// through the wide-character API; the file-system encoding elsewhere).
zip_t* open_archive(const QString& archive_path, int flags, int* error_code);

// Fails the current test unless the archive is a sound ZIP file: tested by Info-ZIP's
// `unzip -t` where it is installed, else by libzip with its consistency check and a full
// read of every entry (which verifies each CRC).
void expect_valid_zip(const QString& archive_path);
