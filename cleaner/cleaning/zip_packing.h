#pragma once

#include <QSet>
#include <QString>

#include <functional>

// Posts one line to the operator's message board.
using message_sink = std::function<void(const QString&)>;

// How a packing treats what it cannot pack, and what it keeps from one run to the next.
struct zip_packing_context {
    message_sink message;
    // false (the zip buttons): the first file or archive that fails ends the run with
    // std::runtime_error. true (the unattended packing): such a file is passed over for
    // as long as this context lives, such an archive until the next run, each problem
    // posted once, and every other load is still packed.
    bool pass_over_failures = false;
    // Full paths of files passed over for good, and the problem lines already posted.
    QSet<QString> passed_over;
    QSet<QString> reported;
    // Deletes a packed file; empty means the platform's delete.
    std::function<bool(const QString&)> delete_file;
};

// Packs the files of the day folder's subfolders into one archive per load key,
// "<day folder>/<key>.zip", and deletes every file once the archive holding it has been
// closed. Files still open by their writer and hand-over temporaries (".tmp") wait for a
// later run; a damaged archive is renamed aside and a new one started; temporary archives
// left by a killed run are removed after an hour. Returns the number of files packed and
// increases `no_zip_files` by the number of archives created. Posts "<key>: <n> files
// zipped." per key.
int no_kalix_files_moved_to_zip_files(const QString& the_folder, int& no_zip_files,
                                      zip_packing_context& context);

// The same with a context of its own: failures end the run with std::runtime_error.
int no_kalix_files_moved_to_zip_files(const QString& the_folder, int& no_zip_files,
                                      const message_sink& message);
