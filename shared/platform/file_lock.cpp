#include "shared/platform/file_lock.h"

#include <QDir>
#include <QFile>

#ifdef Q_OS_LINUX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace platform {

#ifdef Q_OS_LINUX

namespace {

bool descriptor_writes(const QString& fdinfo_path) {
    QFile info(fdinfo_path);
    if (!info.open(QIODevice::ReadOnly))
        return false;
    const QList<QByteArray> lines = info.readAll().split('\n');
    for (const QByteArray& line : lines) {
        if (!line.startsWith("flags:"))
            continue;
        bool ok = false;
        const unsigned flags = line.mid(6).trimmed().toUInt(&ok, 8);
        return ok && (flags & O_ACCMODE) != O_RDONLY;
    }
    return false;
}

} // namespace

bool file_open_for_writing_by_any_process(const QString& path) {
    struct stat target {};
    if (::stat(QFile::encodeName(path).constData(), &target) != 0)
        return false;
    const QStringList processes =
        QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& pid : processes) {
        if (pid.isEmpty() || !pid[0].isDigit())
            continue;
        const QString fd_folder = QStringLiteral("/proc/") + pid + QStringLiteral("/fd");
        const QStringList descriptors = QDir(fd_folder).entryList(QDir::Files | QDir::System);
        for (const QString& fd : descriptors) {
            struct stat opened {};
            const QByteArray link = QFile::encodeName(fd_folder + u'/' + fd);
            if (::stat(link.constData(), &opened) != 0)
                continue;
            if (opened.st_dev == target.st_dev && opened.st_ino == target.st_ino &&
                descriptor_writes(QStringLiteral("/proc/") + pid + QStringLiteral("/fdinfo/") + fd))
                return true;
        }
    }
    return false;
}

bool file_held_open_by_other(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false; // the caller's rename test will judge a file it cannot open
    // A write lease is only granted while nobody else has the file open for writing.
    const int result = ::fcntl(fd, F_SETLEASE, F_WRLCK);
    const int error = errno;
    if (result == 0) {
        ::fcntl(fd, F_SETLEASE, F_UNLCK);
        ::close(fd);
        return false;
    }
    ::close(fd);
    if (error == EAGAIN || error == EBUSY)
        return true;
    // No leases here (not the owner, network file system): look at the open descriptors.
    return file_open_for_writing_by_any_process(path);
}

#else

bool file_open_for_writing_by_any_process(const QString&) {
    return false;
}

bool file_held_open_by_other(const QString&) {
    return false;
}

#endif

} // namespace platform
