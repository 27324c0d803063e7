#include "scanner/bridge/hand_over.h"

#include "shared/basics/file_routines.h"
#include "shared/platform/disk_flush.h"
#include "shared/platform/file_ops.h"
#include "shared/platform/paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <stdexcept>

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

// Nobody else names files like this, so leftovers can be removed without asking.
const QString own_prefix = QStringLiteral("lsq_");

[[noreturn]] void fail(const QString& text) {
    throw std::runtime_error(text.toStdString());
}

#ifndef Q_OS_WIN
// lsq_<process>_<random>_<count>.tmp: the process number and a number drawn once keep this
// process's names apart from those of others, its own count keeps its names apart, so the
// file is created at the first try.
QString own_temp_name(const QString& folder) {
    constexpr std::uint32_t limit = 1000000;
    static const QString process =
        own_prefix + QString::number(QCoreApplication::applicationPid() % limit) + u'_' +
        QString::number(QRandomGenerator::global()->bounded(limit)) + u'_';
    static std::atomic<std::uint32_t> made{0};
    QString name = folder;
    if (!platform::ends_with_separator(name))
        name += platform::path_separator();
    return name + process + QString::number(made.fetch_add(1, std::memory_order_relaxed) % limit) +
           QStringLiteral(".tmp");
}

QString system_error(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}
#endif

// A temporary file: its name, and on POSIX systems that name as the system takes it.
struct temp_file {
    QString name;
    QByteArray encoded;
};

// The content under a new temporary name in `folder`; nothing when the folder does not
// exist and `may_be_missing`. Other failures raise and leave no file behind.
std::optional<temp_file> write_own_temp_file(const QString& folder, const QByteArray& content,
                                             const hand_over_durability& durability,
                                             bool may_be_missing) {
#ifdef Q_OS_WIN
    if (may_be_missing && !platform::folder_exists(folder))
        return std::nullopt;
    const QString temp = write_unique_temp_file(folder, content, own_prefix);
    if (durability.flush_before_rename && !platform::flush_file_to_disk(temp)) {
        QFile::remove(temp);
        fail(QStringLiteral("Cannot flush file \"%1\" to disk.").arg(temp));
    }
    return temp_file{temp, {}};
#else
    // One create, one write and one close: the create itself tells a missing folder.
    const QString temp = own_temp_name(folder);
    const QByteArray raw = QFile::encodeName(temp);
    const int out = ::open(raw.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (out < 0) {
        const int error = errno;
        if (may_be_missing && (error == ENOENT || error == ENOTDIR))
            return std::nullopt;
        fail(QStringLiteral("Cannot create file \"%1\". %2").arg(temp, system_error(error)));
    }
    const char* data = content.constData();
    qsizetype left = content.size();
    while (left > 0) {
        const ssize_t written = ::write(out, data, static_cast<std::size_t>(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            const int error = written < 0 ? errno : ENOSPC;
            ::close(out);
            ::unlink(raw.constData());
            fail(QStringLiteral("Cannot write file \"%1\". %2").arg(temp, system_error(error)));
        }
        data += written;
        left -= written;
    }
    if (durability.flush_before_rename && ::fsync(out) != 0) {
        ::close(out);
        ::unlink(raw.constData());
        fail(QStringLiteral("Cannot flush file \"%1\" to disk.").arg(temp));
    }
    if (::close(out) != 0) {
        const int error = errno;
        ::unlink(raw.constData());
        fail(QStringLiteral("Cannot write file \"%1\". %2").arg(temp, system_error(error)));
    }
    return temp_file{temp, raw};
#endif
}

void note_written(const QString& file_name, const hand_over_durability& durability) {
    if (durability.written)
        durability.written->append(file_name);
}

} // namespace

bool hand_over_file(const QString& file_name, const QByteArray& content) {
    return hand_over_file(file_name, content, {});
}

bool hand_over_file(const QString& file_name, const QByteArray& content,
                    const hand_over_durability& durability) {
    // A name without a folder of its own is never written relative to the current folder
    // or a root.
    const qsizetype end = file_name.lastIndexOf(platform::path_separator());
    const QString folder = end > 0 ? file_name.left(end) : QString();
    if (folder.isEmpty())
        return false;
    const std::optional<temp_file> temp = write_own_temp_file(folder, content, durability, true);
    if (!temp)
        return false;
#ifdef Q_OS_WIN
    const bool renamed = platform::rename_replacing(temp->name, file_name);
#else
    // The temporary name is not encoded a second time: a catch-up renames a file a record.
    const bool renamed =
        ::rename(temp->encoded.constData(), QFile::encodeName(file_name).constData()) == 0;
#endif
    if (!renamed) {
        QFile::remove(temp->name);
        fail(QStringLiteral("Error renaming file %1 to %2").arg(temp->name, file_name));
    }
    note_written(file_name, durability);
    return true;
}

bool hand_over_new_file(const QString& folder, const QString& name, const QByteArray& content,
                        const hand_over_durability& durability) {
    const QString temp = write_own_temp_file(folder, content, durability, false)->name;
    if (platform::rename_no_overwrite(temp, folder + name)) {
        note_written(folder + name, durability);
        return true;
    }
    QFile::remove(temp);
    return false;
}

bool is_own_temp_file_name(const QString& name) {
    static const QRegularExpression shape(
        QStringLiteral("^lsq_[0-9]{1,6}_[0-9]{1,6}_[0-9]{1,6}\\.tmp$"),
        QRegularExpression::CaseInsensitiveOption);
    return shape.match(name).hasMatch();
}

int remove_own_temp_files(const QString& folder) {
    const QStringList names =
        QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks);
    int removed = 0;
    for (const QString& name : names) {
        if (!is_own_temp_file_name(name))
            continue;
        const QString file = platform::join_path(folder, name);
        // A file still open may belong to another running instance writing it right now.
        if (file_is_free(file) && QFile::remove(file))
            ++removed;
    }
    return removed;
}
