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
    if (kalix_path != root_ || encoded_.isEmpty()) {
        // Another installation: nothing of the last listing holds.
        trusted_ = false;
        root_ = kalix_path;
        encoded_ =
            QFile::encodeName(kalix_path + QStringLiteral("database") + platform::path_separator() +
                              QStringLiteral("current_product"));
    }
    struct stat raw {};
    if (::stat(encoded_.constData(), &raw) != 0) {
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
    if (trusted_ && now == status_)
        return name_;
    timespec listed{};
    clock_gettime(CLOCK_REALTIME, &listed);
    name_ = product_marker_name(kalix_path);
    status_ = now;
    // Every change of the folder's entries sets its modification time to the time of the
    // change, in the file system's steps: a listing taken within one step of the last change
    // may miss a second change in that step. A time with a fraction of a second comes from a
    // fine clock (a kernel tick, well under 0.1 s); whole seconds may be steps of one or
    // two (FAT's) seconds.
    const std::int64_t moment_ns = now.modified_ns % 1000000000 != 0 ? 100000000 : 2000000000;
    const std::int64_t listed_ns = std::int64_t(listed.tv_sec) * 1000000000 + listed.tv_nsec;
    trusted_ = now.modified_ns < listed_ns - moment_ns;
    return name_;
#endif
}
