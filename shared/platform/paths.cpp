#include "shared/platform/paths.h"

#include <QDir>

namespace platform {

QChar path_separator() {
    return QDir::separator();
}

bool is_path_separator(QChar c) {
#ifdef Q_OS_WIN
    return c == u'\\' || c == u'/';
#else
    return c == u'/';
#endif
}

bool ends_with_separator(const QString& path) {
    return !path.isEmpty() && is_path_separator(path.back());
}

QString join_path(const QString& folder, const QString& name) {
    if (folder.isEmpty() || ends_with_separator(folder))
        return folder + name;
    return folder + path_separator() + name;
}

QString native_path(const QString& path) {
    return QDir::toNativeSeparators(path);
}

void split_path(const QString& path, QString& folder, QString& name) {
    qsizetype cut = path.size() - 1;
    while (cut >= 0 && !is_path_separator(path[cut]))
        --cut;
    if (cut < 0) {
        folder.clear();
        name = path;
        return;
    }
    name = path.mid(cut + 1);
    folder = path.left(cut);
    // Keep the separator of a root folder so it still names the root.
    if (folder.isEmpty() || (folder.size() == 2 && folder[1] == u':'))
        folder = path.left(cut + 1);
}

} // namespace platform
