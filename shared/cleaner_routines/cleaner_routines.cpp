#include "shared/cleaner_routines/cleaner_routines.h"

#include "shared/basics/text_fields.h"
#include "shared/kalix_spectrum_scanner/settings/kalix_paths.h"
#include "shared/platform/directory.h"
#include "shared/platform/file_ops.h"
#include "shared/platform/paths.h"

#include <QDate>
#include <QDateTime>
#include <QFileInfo>

#include <vector>

QString underscore_field(const QString& text, int n) {
    return delimited_field(text, u'_', n);
}

int underscore_count(const QString& text) {
    return char_count(text, u'_');
}

QString file_name_stem(const QString& file_name) {
    qsizetype cut = file_name.indexOf(QStringLiteral("___"));
    if (cut < 0)
        cut = file_name.indexOf(u'.');
    return cut < 0 ? QString() : file_name.left(cut);
}

int list_subfolders(const QString& folder, QStringList& list) {
    list.clear();
    if (folder.isEmpty())
        return 0;
    std::vector<platform::directory_entry> entries;
    if (!platform::list_directory(platform::join_path(folder, QStringLiteral("*.*")), entries))
        return 0;
    for (const platform::directory_entry& entry : entries) {
        if (entry.is_folder && !entry.name.startsWith(u'.') && !entry.is_system)
            list.append(entry.name);
    }
    return static_cast<int>(list.size());
}

bool add_sub_folder(QString& path, const QString& sub) {
    QString joined = path;
    while (platform::ends_with_separator(joined))
        joined.chop(1);
    qsizetype skip = 0;
    while (skip < sub.size() && platform::is_path_separator(sub[skip]))
        ++skip;
    joined += platform::path_separator() + sub.mid(skip);
    if (!platform::folder_exists(joined) && !platform::make_folder(joined))
        return false;
    path = joined;
    return true;
}

QString date_folder(const QString& base) {
    if (!platform::folder_exists(base))
        return {};
    QString path = base;
    for (const QString& level : archive_date_levels(QDate::currentDate())) {
        if (!add_sub_folder(path, level))
            return {};
    }
    return path + platform::path_separator();
}

bool delete_old_files(const QString& folder, const QString& mask, int days, int hours, int minutes,
                      int seconds) {
    return delete_old_files(folder, mask, days, hours, minutes, seconds,
                            QDateTime::currentDateTime());
}

bool delete_old_files(const QString& folder, const QString& mask, int days, int hours, int minutes,
                      int seconds, const QDateTime& now, deletion_tally* tally) {
    // Whole milliseconds: a sum of fractional days would round a file exactly at the
    // lifetime to either side of it.
    const qint64 limit_msecs =
        (((static_cast<qint64>(days) * 24 + hours) * 60 + minutes) * 60 + seconds) * 1000;
    // Ages compare in UTC milliseconds: no local-time conversion per file, and the hour a
    // clock change repeats or skips does not shift a file's age.
    const qint64 now_msecs = now.toMSecsSinceEpoch();
    std::vector<platform::file_time> files;
    if (!platform::list_file_times(folder, mask, files))
        return true;
    QStringList outdated;
    for (const platform::file_time& file : files) {
        if (now_msecs - file.last_write_msecs > limit_msecs)
            outdated.append(platform::join_path(folder, file.name));
    }
    for (const QString& full : outdated) {
        // The size only for a tally: a status read per deleted file, none per file kept.
        const qint64 size = tally ? QFileInfo(full).size() : 0;
        if (platform::delete_file(full) && tally) {
            ++tally->files;
            tally->bytes += size;
        }
    }
    return true;
}
