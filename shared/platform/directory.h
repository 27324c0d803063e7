#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <vector>

namespace platform {

struct directory_entry {
    QString name; // bare name, no folder part
    bool is_folder = false;
    bool is_hidden = false;
    bool is_system = false;
    bool is_read_only = false;
    QDateTime last_write; // local time; invalid when it cannot be read
};

// Windows wildcard matching: `*` and `?`, case-insensitive; "*.*" and "*" match every
// name (also names without a point); a mask ending in ".*" also matches the name without
// the extension ("abc.*" matches "abc").
bool mask_matches(const QString& mask, const QString& name);

// Enumerates "folder<sep>mask" the way the system's directory search does: every entry
// kind, hidden and system entries included, "." and ".." left out, in name order
// ignoring case. Returns false when the folder cannot be read.
bool list_directory(const QString& pattern, std::vector<directory_entry>& entries);

// The names of the entries of the folder matching `mask` that are not folders, hidden and
// system files included, in list_directory's order. Reads no attributes: for folders whose
// files are only counted, named or taken in order.
std::vector<QString> list_file_names(const QString& folder, const QString& mask);

// A file (not a folder) of a folder with its last write time, for sweeps over large folders.
struct file_time {
    QString name;
    qint64 last_write_msecs = 0; // milliseconds since the epoch (UTC)
};

// The files of the folder matching `mask` (Windows wildcards, as list_directory), hidden and
// system files included, in no particular order. Cheaper than list_directory: one status
// read per file, no attributes, no local-time conversion, no sorting. Entries whose status
// cannot be read (vanished, dangling links) are left out. Returns false when the folder
// cannot be read.
bool list_file_times(const QString& folder, const QString& mask, std::vector<file_time>& files);

// An entry whose name is not valid in the file system's encoding (not UTF-8 on Linux):
// list_directory shows it under a lossy name that cannot be opened.
struct undecodable_entry {
    QByteArray name; // the bytes as stored
    bool is_folder = false;
};

// The entries of the folder that list_directory cannot name; none on Windows.
std::vector<undecodable_entry> list_undecodable_entries(const QString& folder);

} // namespace platform
