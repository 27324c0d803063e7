#pragma once

#include <QString>

#include <functional>

// Posts one line to the operator's message board.
using message_sink = std::function<void(const QString&)>;

// Packs the files of the day folder's subfolders into one archive per load key,
// "<day folder>/<key>.zip", and deletes every file once the archive holding it has been
// closed. Returns the number of files packed and increases `no_zip_files` by the number of
// archives created. Posts "<key>: <n> files zipped." per key. Errors of the file system
// or the zip library end the run with std::runtime_error carrying their text.
int no_kalix_files_moved_to_zip_files(const QString& the_folder, int& no_zip_files,
                                      const message_sink& message);
