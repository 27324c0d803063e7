#include "scanner/bridge/product_marker.h"

#include "shared/kalix_spectrum_scanner/settings/kalix_paths.h"
#include "shared/platform/paths.h"

#ifndef Q_OS_WIN
#include <QFile>

#include <sys/stat.h>

#include <ctime>
#endif

QString product_marker::read(const QString& kalix_path) {
#ifdef Q_OS_WIN
    return product_marker_name(kalix_path);
#else
    const QString folder = kalix_path + QStringLiteral("database") + platform::path_separator() +
                           QStringLiteral("current_product");
    struct stat raw {};
    if (::stat(QFile::encodeName(folder).constData(), &raw) != 0) {
        trusted_ = false;
        return product_marker_name(kalix_path);
    }
    folder_status now;
    now.device = raw.st_dev;
    now.inode = raw.st_ino;
    now.links = raw.st_nlink;
    now.size = raw.st_size;
    now.modified_ns = std::int64_t(raw.st_mtim.tv_sec) * 1000000000 + raw.st_mtim.tv_nsec;
    now.changed_ns = std::int64_t(raw.st_ctim.tv_sec) * 1000000000 + raw.st_ctim.tv_nsec;
    if (trusted_ && folder == folder_ && now == status_)
        return name_;
    timespec listed{};
    clock_gettime(CLOCK_REALTIME, &listed);
    name_ = product_marker_name(kalix_path);
    folder_ = folder;
    status_ = now;
    // Every change of the folder's entries sets its modification time to the time of the
    // change. Two seconds cover the coarsest clock of a file system in use (FAT's).
    constexpr std::int64_t moment_ns = 2000000000;
    const std::int64_t listed_ns = std::int64_t(listed.tv_sec) * 1000000000 + listed.tv_nsec;
    trusted_ = now.modified_ns < listed_ns - moment_ns;
    return name_;
#endif
}
