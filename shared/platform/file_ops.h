#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>

namespace platform {

// Renames a file or folder; fails when `to` exists (never overwrites).
bool rename_no_overwrite(const QString& from, const QString& to);
// Renames a file onto `to`, replacing an existing `to` in one step: readers see either
// the old file or the new one, never neither.
bool rename_replacing(const QString& from, const QString& to);
// Copies `from` onto `to`, replacing an existing `to` in one step: readers see either
// the old file or the complete new one. New files get ordinary permissions.
bool copy_file_overwrite(const QString& from, const QString& to);
enum class write_mode {
    atomic,
    // A folder may refuse new files while its files may still be written (a locked-down
    // program folder): there the file is written in place rather than not at all.
    atomic_or_in_place,
};

// Writes `data` to `path` through a temporary file in the same folder and an atomic
// replace, so a crash never leaves the file empty or half-written. With
// atomic_or_in_place, an existing file whose folder takes no temporary file is overwritten
// in place. False when the data did not reach the file.
bool write_file_atomically(const QString& path, const QByteArray& data,
                           write_mode mode = write_mode::atomic);
bool file_exists(const QString& path);   // a file, not a folder
bool folder_exists(const QString& path); // a folder
bool delete_file(const QString& path);
// Creates exactly this folder (the parent must exist).
bool make_folder(const QString& path);

// What tells one file from another under the same name: device and inode on POSIX, volume
// serial number and file index on Windows.
struct file_identity {
    std::uint64_t volume = 0;
    std::uint64_t index = 0;
    bool operator==(const file_identity&) const = default;
};
// The identity of the file at `path` now; nothing when there is none.
std::optional<file_identity> identity_of_file(const QString& path);

} // namespace platform
