#include "shared/platform/directory.h"

#include "shared/platform/paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#endif

namespace platform {

namespace {

// Classic wildcard match with backtracking on the last `*`; characters compare
// case-folded as the Windows file system does.
bool wildcard_match(const QString& mask, const QString& name) {
    qsizetype m = 0, n = 0, star = -1, resume = 0;
    while (n < name.size()) {
        if (m < mask.size() &&
            (mask[m] == u'?' ||
             (mask[m] != u'*' && mask[m].toCaseFolded() == name[n].toCaseFolded()))) {
            ++m;
            ++n;
        } else if (m < mask.size() && mask[m] == u'*') {
            star = m++;
            resume = n;
        } else if (star >= 0) {
            m = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == u'*')
        ++m;
    return m == mask.size();
}

void read_attributes(const QFileInfo& info, directory_entry& entry) {
#ifdef Q_OS_WIN
    const DWORD attributes = GetFileAttributesW(
        reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(info.absoluteFilePath()).utf16()));
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        entry.is_hidden = (attributes & FILE_ATTRIBUTE_HIDDEN) != 0;
        entry.is_system = (attributes & FILE_ATTRIBUTE_SYSTEM) != 0;
        entry.is_read_only = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    }
#else
    entry.is_hidden = info.isHidden();
    entry.is_system = false;
    entry.is_read_only = !info.permissions().testFlag(QFileDevice::WriteOwner);
#endif
}

} // namespace

bool mask_matches(const QString& mask, const QString& name) {
    if (mask == u"*" || mask == u"*.*")
        return true;
    if (wildcard_match(mask, name))
        return true;
    // "abc.*" also finds "abc", as the Windows directory search does.
    return mask.endsWith(u".*") && !name.contains(u'.') &&
           wildcard_match(mask.left(mask.size() - 2), name);
}

bool list_directory(const QString& pattern, std::vector<directory_entry>& entries) {
    entries.clear();
    QString folder, mask;
    split_path(pattern, folder, mask);
    if (folder.isEmpty())
        folder = QStringLiteral(".");
    QDir dir(folder);
    if (!dir.exists())
        return false;
    const QFileInfoList infos = dir.entryInfoList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::NoSort);
    for (const QFileInfo& info : infos) {
        if (!mask_matches(mask, info.fileName()))
            continue;
        directory_entry entry;
        entry.name = info.fileName();
        entry.is_folder = info.isDir();
        entry.last_write = info.lastModified();
        read_attributes(info, entry);
        entries.push_back(std::move(entry));
    }
    std::sort(entries.begin(), entries.end(),
              [](const directory_entry& a, const directory_entry& b) {
                  const int c = a.name.compare(b.name, Qt::CaseInsensitive);
                  return c != 0 ? c < 0 : a.name < b.name;
              });
    return true;
}

bool list_file_times(const QString& folder, const QString& mask, std::vector<file_time>& files) {
    files.clear();
    const bool every_name = mask.isEmpty() || mask == u"*" || mask == u"*.*";
#ifndef Q_OS_WIN
    const QByteArray path = QFile::encodeName(folder.isEmpty() ? QStringLiteral(".") : folder);
    DIR* dir = ::opendir(path.constData());
    if (dir == nullptr)
        return false;
    while (const dirent* entry = ::readdir(dir)) {
        const char* raw = entry->d_name;
        if (raw[0] == '.' && (raw[1] == 0 || (raw[1] == '.' && raw[2] == 0)))
            continue;
        if (entry->d_type == DT_DIR)
            continue;
        QString name = QFile::decodeName(raw);
        if (!every_name && !mask_matches(mask, name))
            continue;
        struct stat status {};
        if (::fstatat(::dirfd(dir), raw, &status, 0) != 0 || S_ISDIR(status.st_mode))
            continue;
        files.push_back({std::move(name), static_cast<qint64>(status.st_mtim.tv_sec) * 1000 +
                                              status.st_mtim.tv_nsec / 1000000});
    }
    ::closedir(dir);
    return true;
#else
    QDir dir(folder.isEmpty() ? QStringLiteral(".") : folder);
    if (!dir.exists())
        return false;
    const QFileInfoList infos =
        dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::System, QDir::NoSort);
    for (const QFileInfo& info : infos) {
        if (!every_name && !mask_matches(mask, info.fileName()))
            continue;
        const QDateTime written = info.lastModified();
        if (written.isValid())
            files.push_back({info.fileName(), written.toMSecsSinceEpoch()});
    }
    return true;
#endif
}

std::vector<undecodable_entry> list_undecodable_entries(const QString& folder) {
    std::vector<undecodable_entry> found;
#ifndef Q_OS_WIN
    const QByteArray path = QFile::encodeName(folder.isEmpty() ? QStringLiteral(".") : folder);
    DIR* dir = ::opendir(path.constData());
    if (dir == nullptr)
        return found;
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name == "." || name == ".." || QFile::encodeName(QFile::decodeName(name)) == name)
            continue;
        struct stat status {};
        const bool is_folder =
            ::fstatat(::dirfd(dir), entry->d_name, &status, 0) == 0 && S_ISDIR(status.st_mode);
        found.push_back({name, is_folder});
    }
    ::closedir(dir);
    std::sort(
        found.begin(), found.end(),
        [](const undecodable_entry& a, const undecodable_entry& b) { return a.name < b.name; });
#else
    Q_UNUSED(folder);
#endif
    return found;
}

} // namespace platform
