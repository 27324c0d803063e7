#pragma once

#include <QString>

// Leaves an entry at `path` that a directory listing shows but that cannot be opened for
// reading, not even by an administrator or root: a link to a missing file on POSIX, a file
// whose access list denies reading to everyone on Windows. False when the system does not
// keep it from being read (Wine ignores access lists).
bool make_unreadable_file(const QString& path);

// Whether such an entry is still in its folder.
bool unreadable_file_exists(const QString& path);
