#include "shared/platform/disk_flush.h"

#include <QDir>
#include <QFile>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace platform {

#ifdef Q_OS_WIN

namespace {

enum class flushed { yes, missing, failed };

flushed flush_by_name(const QString& file) {
    // Other handles (a reader, a deleter) are allowed; the flush covers the file as a whole.
    const HANDLE handle =
        CreateFileW(reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(file).utf16()),
                    GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? flushed::missing
                                                                              : flushed::failed;
    }
    const bool ok = FlushFileBuffers(handle) != 0;
    CloseHandle(handle);
    return ok ? flushed::yes : flushed::failed;
}

} // namespace

bool flush_to_disk(const QStringList& files) {
    bool ok = true;
    for (const QString& file : files)
        ok &= flush_by_name(file) != flushed::failed;
    return ok;
}

bool flush_file_to_disk(const QString& file) {
    return flush_by_name(file) == flushed::yes;
}

#else

bool flush_to_disk(const QStringList& files) {
    // One sync per file system: a sync covers every file and every rename on it. A file lies
    // on the file system of its folder, so each folder is opened once, not each file.
    std::set<QString> folders;
    std::set<dev_t> synced;
    bool ok = true;
    for (const QString& file : files) {
        const qsizetype end = file.lastIndexOf(u'/');
        const QString folder = end > 0    ? file.left(end)
                               : end == 0 ? QStringLiteral("/")
                                          : QStringLiteral(".");
        if (!folders.insert(folder).second)
            continue;
        const int fd =
            ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) {
            ok &= errno == ENOENT || errno == ENOTDIR;
            continue;
        }
        struct stat status {};
        if (::fstat(fd, &status) != 0) {
            ok = false;
        } else if (synced.insert(status.st_dev).second) {
#ifdef Q_OS_LINUX
            ok &= ::syncfs(fd) == 0;
#else
            ::sync();
#endif
        }
        ::close(fd);
    }
    return ok;
}

bool flush_file_to_disk(const QString& file) {
    const int fd = ::open(QFile::encodeName(file).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

#endif

} // namespace platform
