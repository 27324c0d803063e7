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

// Name order ignoring case, as NTFS lists a folder; names equal but for case in code order.
bool comes_before(const QString& a, const QString& b) {
    const int c = a.compare(b, Qt::CaseInsensitive);
    return c != 0 ? c < 0 : a < b;
}

bool every_name(const QString& mask) {
    return mask.isEmpty() || mask == u"*" || mask == u"*.*";
}

#ifndef Q_OS_WIN
// Calls visit(name, status) for every entry of the folder that is not a folder (links
// followed), "." and ".." left out. With `need_status` every entry is read and status is
// null when that fails (vanished, dangling link); without it status is always null and
// only entries the folder does not type read theirs, to leave out folders. False when the
// folder cannot be read.
template <typename Visit>
bool walk_non_folders(const QString& folder, bool need_status, Visit visit) {
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
        struct stat status {};
        bool have_status = false;
        if (need_status || entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
            have_status = ::fstatat(::dirfd(dir), raw, &status, 0) == 0;
            if (have_status && S_ISDIR(status.st_mode))
                continue;
        }
        QString name = QFile::decodeName(raw);
        visit(name, need_status && have_status ? &status : nullptr);
    }
    ::closedir(dir);
    return true;
}
#endif

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
    // The owner's bit comes with the status already read; the user's would ask access().
    entry.is_read_only = !info.permission(QFileDevice::WriteOwner);
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
                  return comes_before(a.name, b.name);
              });
    return true;
}

std::vector<QString> list_file_names(const QString& folder, const QString& mask) {
    std::vector<QString> names;
    const bool all = every_name(mask);
#ifndef Q_OS_WIN
    // Only entries the folder does not type as plain files need a status read.
    walk_non_folders(folder, false, [&](QString& name, const struct stat*) {
        if (all || mask_matches(mask, name))
            names.push_back(std::move(name));
    });
#else
    QDir dir(folder.isEmpty() ? QStringLiteral(".") : folder);
    for (QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::NoSort)) {
        if (all || mask_matches(mask, name))
            names.push_back(std::move(name));
    }
#endif
    std::sort(names.begin(), names.end(), comes_before);
    return names;
}

bool list_file_times(const QString& folder, const QString& mask, std::vector<file_time>& files) {
    files.clear();
    const bool all = every_name(mask);
#ifndef Q_OS_WIN
    return walk_non_folders(folder, true, [&](QString& name, const struct stat* status) {
        if (status != nullptr && (all || mask_matches(mask, name)))
            files.push_back({std::move(name), static_cast<qint64>(status->st_mtim.tv_sec) * 1000 +
                                                  status->st_mtim.tv_nsec / 1000000});
    });
#else
    QDir dir(folder.isEmpty() ? QStringLiteral(".") : folder);
    if (!dir.exists())
        return false;
    const QFileInfoList infos =
        dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::System, QDir::NoSort);
    for (const QFileInfo& info : infos) {
        if (!all && !mask_matches(mask, info.fileName()))
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
