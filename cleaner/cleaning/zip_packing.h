#pragma once

#include <QDateTime>
#include <QHash>
#include <QString>

#include <functional>

// Posts one line to the operator's message board.
using message_sink = std::function<void(const QString&)>;

// How a packing treats what it cannot pack, and what it keeps from one run to the next.
struct zip_packing_context {
    message_sink message;
    // false (the zip buttons): the first file or archive that fails ends the run with
    // std::runtime_error. true (the unattended packing): such a file is passed over for an
    // hour, such an archive until the next run, each problem posted at most once a day,
    // and every other load is still packed.
    bool pass_over_failures = false;
    // Full paths of files passed over, each with the time from which it is tried again.
    QHash<QString, QDateTime> passed_over;
    // Problem lines posted, each with the time it was last posted.
    QHash<QString, QDateTime> reported;
    // Deletes a packed file; empty means the platform's delete.
    std::function<bool(const QString&)> delete_file;
    // The current time; empty means the clock's.
    std::function<QDateTime()> now;
    // Added to by every run, reset by the caller: the bytes of the packed files deleted
    // less what their archives grew by.
    qint64 bytes_freed = 0;
};

// A passed-over file waits this long; a problem line recurs at most this often.
constexpr qint64 pass_over_secs = 60 * 60;
constexpr qint64 report_again_secs = 24 * 60 * 60;

// Archives are written under "<key>.zip" + this + six letters or digits and then renamed
// onto "<key>.zip"; a name no operator would give a file of their own.
inline constexpr char temporary_archive_marker[] = ".~kalix_cleaner_";

// Packs the files of the day folder's subfolders into one archive per load key,
// "<day folder>/<key>.zip", and deletes every file once the archive holding it has been
// closed. An archived entry is never replaced: a file equal to the entry of its name is
// deleted as packed, a different one is added as "<name> (2).<extension>", counting on,
// with a board line. Files still open by their writer and hand-over temporaries (".tmp")
// wait for a later run; a damaged archive is renamed aside and a new one started; the
// program's own temporary archives left by a killed run are removed after an hour.
// Returns the number of files packed and increases `no_zip_files` by the number of
// archives created. Posts "<key>: <n> files zipped." per key.
int no_kalix_files_moved_to_zip_files(const QString& the_folder, int& no_zip_files,
                                      zip_packing_context& context);

// The same with a context of its own: failures end the run with std::runtime_error.
int no_kalix_files_moved_to_zip_files(const QString& the_folder, int& no_zip_files,
                                      const message_sink& message);
