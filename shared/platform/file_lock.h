#pragma once

#include <QString>

namespace platform {

// True when some other open handle (in this or another process) still holds the file
// for writing, so its writer may not be done yet. On Windows the caller's rename test
// already catches that and this returns false.
bool file_held_open_by_other(const QString& path);

// The fallback of file_held_open_by_other for file systems without leases: looks through
// the open descriptors of every process it may see for one that writes the file.
bool file_open_for_writing_by_any_process(const QString& path);

} // namespace platform
