#include "cleaner/cleaning/zip_packing.h"

#include "shared/basics/file_routines.h"
#include "shared/cleaner_routines/cleaner_routines.h"
#include "shared/platform/file_ops.h"
#include "shared/platform/paths.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <zip.h>

#include <ctime>
#include <stdexcept>
#include <string>

namespace {

QByteArray zip_path(const QString& path) {
#ifdef Q_OS_WIN
    return path.toUtf8(); // libzip opens UTF-8 names with the wide-character API
#else
    return QFile::encodeName(path);
#endif
}

std::string open_error_text(int code) {
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    std::string text = zip_error_strerror(&error);
    zip_error_fini(&error);
    return text;
}

bool starts_with_key(const QString& name, const QString& key) {
    return name.left(key.size()).compare(key, Qt::CaseInsensitive) == 0;
}

// One archive of a key, opened for appending. Entries are only written at close, so a
// file may be deleted once close() has succeeded, and never before.
class key_archive {
public:
    explicit key_archive(const QString& path) : path_(path), is_new_(!QFileInfo::exists(path)) {
        int code = 0;
        archive_ = zip_open(zip_path(path).constData(), ZIP_CREATE, &code);
        if (archive_ == nullptr)
            throw std::runtime_error(path.toStdString() + ": " + open_error_text(code));
    }
    ~key_archive() {
        if (archive_ != nullptr)
            zip_discard(archive_);
    }
    key_archive(const key_archive&) = delete;
    key_archive& operator=(const key_archive&) = delete;

    bool is_new() const { return is_new_; }

    // Adds the file under `entry`; returns the error text, empty on success.
    std::string add(const QString& file, const QString& entry) {
        // libzip reads the file only at close, where a failure would lose the whole
        // archive: an unreadable file has to be caught here.
        QFile probe(file);
        if (!probe.open(QIODevice::ReadOnly))
            return file.toStdString() + ": " + probe.errorString().toStdString();
        probe.close();
        const time_t modified =
            static_cast<time_t>(QFileInfo(file).lastModified().toSecsSinceEpoch());

        zip_source_t* source = zip_source_file(archive_, zip_path(file).constData(), 0, 0);
        if (source == nullptr)
            return file.toStdString() + ": " + zip_strerror(archive_);
        // A file packed earlier but not deleted then is packed again in its newest state.
        const zip_int64_t index = zip_file_add(archive_, entry.toUtf8().constData(), source,
                                               ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE);
        if (index < 0) {
            zip_source_free(source);
            return file.toStdString() + ": " + zip_strerror(archive_);
        }
        const auto at = static_cast<zip_uint64_t>(index);
        if (zip_set_file_compression(archive_, at, ZIP_CM_DEFLATE, 0) != 0 ||
            zip_file_set_mtime(archive_, at, modified, 0) != 0)
            return file.toStdString() + ": " + zip_strerror(archive_);
        return {};
    }

    // Writes the archive (libzip replaces it through a temporary file); on failure the
    // archive on disk stays as it was.
    void close() {
        if (zip_close(archive_) != 0) {
            const std::string text = path_.toStdString() + ": " + zip_strerror(archive_);
            zip_discard(archive_);
            archive_ = nullptr;
            throw std::runtime_error(text);
        }
        archive_ = nullptr;
    }

private:
    QString path_;
    bool is_new_;
    zip_t* archive_ = nullptr;
};

// Packs every file of the key from all subfolders; returns their number.
int pack_key(const QString& day_folder, const QStringList& subfolders, const QString& key,
             int& no_zip_files) {
    const QString archive_path = platform::join_path(day_folder, key + QStringLiteral(".zip"));
    key_archive archive(archive_path);
    QStringList added;
    std::string failure;
    for (const QString& subfolder : subfolders) {
        const QString folder = platform::join_path(day_folder, subfolder);
        QStringList names;
        list_files(folder, key + QStringLiteral("*.*"), names);
        for (const QString& name : names) {
            if (!starts_with_key(name, key))
                continue;
            const QString file = platform::join_path(folder, name);
            failure = archive.add(file, subfolder + u'/' + name);
            if (!failure.empty())
                break;
            added.append(file);
        }
        if (!failure.empty())
            break;
    }
    archive.close();
    if (archive.is_new() && QFileInfo::exists(archive_path))
        ++no_zip_files;
    for (const QString& file : added)
        platform::delete_file(file); // a file that stays is passed over by the key search
    if (!failure.empty())
        throw std::runtime_error(failure);
    return static_cast<int>(added.size());
}

// Key of the first file of the first subfolder that yields one not packed in this run.
QString next_key(const QString& day_folder, const QStringList& subfolders,
                 const QStringList& packed_keys) {
    for (const QString& subfolder : subfolders) {
        QString first;
        if (first_file(platform::join_path(day_folder, subfolder), QStringLiteral("*.*"), first) ==
            0)
            continue;
        const QString key = file_name_stem(first);
        if (!key.isEmpty() && !packed_keys.contains(key, Qt::CaseInsensitive))
            return key;
    }
    return {};
}

} // namespace

int no_kalix_files_moved_to_zip_files(const QString& the_folder, int& no_zip_files,
                                      const message_sink& message) {
    QStringList subfolders;
    if (list_subfolders(the_folder, subfolders) == 0)
        return 0;
    int packed = 0;
    QStringList packed_keys;
    for (QString key = next_key(the_folder, subfolders, packed_keys); !key.isEmpty();
         key = next_key(the_folder, subfolders, packed_keys)) {
        const int count = pack_key(the_folder, subfolders, key, no_zip_files);
        packed += count;
        packed_keys.append(key);
        // No archive is open here: the message may let a cleaning tick pack this folder.
        message(key + QStringLiteral(": ") + QString::number(count) +
                QStringLiteral(" files zipped."));
    }
    return packed;
}
