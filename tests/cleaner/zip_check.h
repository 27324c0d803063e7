#pragma once

#include <QString>

// Fails the current test unless the archive is a sound ZIP file: tested by Info-ZIP's
// `unzip -t` where it is installed, else by libzip with its consistency check and a full
// read of every entry (which verifies each CRC).
void expect_valid_zip(const QString& archive_path);
