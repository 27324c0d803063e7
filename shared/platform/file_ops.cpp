#include "shared/platform/file_ops.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace platform {

bool rename_no_overwrite(const QString& from, const QString& to) {
#ifdef Q_OS_WIN
    return MoveFileExW(reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(from).utf16()),
                       reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(to).utf16()), 0) != 0;
#else
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
#ifdef RENAME_NOREPLACE
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) ==
        0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
#endif
    // File systems without the no-replace rename: a hard link fails on an existing
    // target, so link and unlink give the same guarantee for files.
    struct stat status {};
    if (::lstat(source.constData(), &status) != 0)
        return false;
    if (!S_ISDIR(status.st_mode)) {
        if (::link(source.constData(), target.constData()) != 0)
            return false;
        ::unlink(source.constData());
        return true;
    }
    if (::lstat(target.constData(), &status) == 0)
        return false;
    return ::rename(source.constData(), target.constData()) == 0;
#endif
}

bool rename_replacing(const QString& from, const QString& to) {
#ifdef Q_OS_WIN
    return MoveFileExW(reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(from).utf16()),
                       reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(to).utf16()),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
    return ::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
#endif
}

bool copy_file_overwrite(const QString& from, const QString& to) {
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly))
        return false;
    QSaveFile target(to);
    if (!target.open(QIODevice::WriteOnly))
        return false;
    constexpr qint64 chunk = 1 << 20;
    while (!source.atEnd()) {
        const QByteArray data = source.read(chunk);
        if (data.isEmpty() && source.error() != QFileDevice::NoError) {
            target.cancelWriting();
            break;
        }
        if (target.write(data) != data.size()) {
            target.cancelWriting();
            break;
        }
    }
    // A write error met while the buffer is flushed on commit does not stop the commit:
    // flushed here, a full disk never puts a partial copy under the final name.
    if (!target.flush())
        target.cancelWriting();
    return target.commit();
}

namespace {

bool write_in_place(const QString& path, const QByteArray& data) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    if (file.write(data) != data.size() || !file.flush())
        return false;
    file.close();
    return file.error() == QFileDevice::NoError;
}

} // namespace

bool write_file_atomically(const QString& path, const QByteArray& data, write_mode mode) {
    // Where the folder refuses the temporary file, or its name, or the rename onto the
    // file, the existing file may still take the data in place. Qt's own direct-write
    // fallback covers only a refusal for want of permission at the start.
    const bool in_place_allowed = mode == write_mode::atomic_or_in_place && file_exists(path);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return in_place_allowed && write_in_place(path, data);
    if (file.write(data) != data.size() || !file.flush()) {
        // The data did not fit even into the temporary file: in place it would fit no better.
        file.cancelWriting();
        file.commit();
        return false;
    }
    return file.commit() || (in_place_allowed && write_in_place(path, data));
}

bool file_exists(const QString& path) {
    const QFileInfo info(path);
    return info.exists() && !info.isDir();
}

bool folder_exists(const QString& path) {
    return QFileInfo(path).isDir();
}

bool delete_file(const QString& path) {
    return !path.isEmpty() && QFile::remove(path);
}

bool make_folder(const QString& path) {
    return !path.isEmpty() && QDir().mkdir(path);
}

std::optional<file_identity> identity_of_file(const QString& path) {
#ifdef Q_OS_WIN
    // No access rights are needed to read the file's information; nobody is kept out.
    const HANDLE handle =
        CreateFileW(reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(path).utf16()), 0,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool ok = GetFileInformationByHandle(handle, &info) != 0;
    CloseHandle(handle);
    if (!ok)
        return std::nullopt;
    return file_identity{info.dwVolumeSerialNumber,
                         (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) |
                             info.nFileIndexLow};
#else
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return std::nullopt;
    return file_identity{static_cast<std::uint64_t>(status.st_dev),
                         static_cast<std::uint64_t>(status.st_ino)};
#endif
}

} // namespace platform
