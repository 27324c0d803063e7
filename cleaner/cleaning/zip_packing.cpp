#include "cleaner/cleaning/zip_packing.h"

#include "shared/basics/file_routines.h"
#include "shared/cleaner_routines/cleaner_routines.h"
#include "shared/platform/directory.h"
#include "shared/platform/file_lock.h"
#include "shared/platform/file_ops.h"
#include "shared/platform/paths.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <zip.h>

#include <algorithm>
#include <ctime>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// A killed run leaves libzip's temporary archive "<key>.zip.XXXXXX"; a live one is
// younger than this.
constexpr qint64 leftover_age_secs = 60 * 60;

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

// Hand-over files are written under a temporary name and renamed when complete.
bool is_hand_over_temporary(const QString& name) {
    return name.endsWith(QStringLiteral(".tmp"), Qt::CaseInsensitive);
}

// The bytes of a name the file system cannot decode, readable on the board.
QString escaped_name(const QByteArray& name) {
    QString text;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7f && byte != '\\')
            text += QChar(byte);
        else
            text += QStringLiteral("\\x%1").arg(byte, 2, 16, QChar(u'0'));
    }
    return text;
}

// The run's view of the caller's context.
class packing_run {
public:
    packing_run(zip_packing_context& context, int& no_zip_files)
        : context_(context), no_zip_files_(no_zip_files) {}

    zip_packing_context& context() { return context_; }
    int& no_zip_files() { return no_zip_files_; }

    void post(const QString& line) {
        if (context_.message)
            context_.message(line);
    }
    // A problem is posted once however often it recurs.
    void report(const QString& line) {
        if (context_.reported.contains(line))
            return;
        context_.reported.insert(line);
        post(line);
    }
    // The zip buttons stop at the first failure; the unattended packing posts it and goes on.
    void fail(const std::string& text) {
        if (!context_.pass_over_failures)
            throw std::runtime_error(text);
        report(QString::fromStdString(text));
    }
    bool delete_file(const QString& file) {
        return context_.delete_file ? context_.delete_file(file) : platform::delete_file(file);
    }

private:
    zip_packing_context& context_;
    int& no_zip_files_;
};

// One archive of a key, opened for appending. Entries are only written at close, so a
// file may be deleted once close() has succeeded, and never before.
class key_archive {
public:
    key_archive(const QString& path, packing_run& run) : path_(path) {
        is_new_ = !QFileInfo::exists(path);
        int code = 0;
        archive_ = zip_open(zip_path(path).constData(), ZIP_CREATE, &code);
        if (archive_ == nullptr && (code == ZIP_ER_NOZIP || code == ZIP_ER_INCONS) &&
            QFileInfo(path).isFile()) {
            // A damaged archive would stop its load for good: keep it aside, start anew.
            set_aside(run);
            is_new_ = true;
            archive_ = zip_open(zip_path(path).constData(), ZIP_CREATE, &code);
        }
        if (archive_ == nullptr)
            throw std::runtime_error(native(path) + ": " + open_error_text(code));
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
            return native(file) + ": " + probe.errorString().toStdString();
        probe.close();
        const time_t modified =
            static_cast<time_t>(QFileInfo(file).lastModified().toSecsSinceEpoch());

        zip_source_t* source = zip_source_file(archive_, zip_path(file).constData(), 0, 0);
        if (source == nullptr)
            return native(file) + ": " + zip_strerror(archive_);
        // A file packed earlier but not deleted then is packed again in its newest state.
        const zip_int64_t index = zip_file_add(archive_, entry.toUtf8().constData(), source,
                                               ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE);
        if (index < 0) {
            zip_source_free(source);
            return native(file) + ": " + zip_strerror(archive_);
        }
        const auto at = static_cast<zip_uint64_t>(index);
        if (zip_set_file_compression(archive_, at, ZIP_CM_DEFLATE, 0) != 0 ||
            zip_file_set_mtime(archive_, at, modified, 0) != 0)
            return native(file) + ": " + zip_strerror(archive_);
        return {};
    }

    // Writes the archive (libzip replaces it through a temporary file); on failure the
    // archive on disk stays as it was.
    void close() {
        if (zip_close(archive_) != 0) {
            const std::string text = native(path_) + ": " + zip_strerror(archive_);
            zip_discard(archive_);
            archive_ = nullptr;
            throw std::runtime_error(text);
        }
        archive_ = nullptr;
    }

private:
    static std::string native(const QString& path) {
        return platform::native_path(path).toStdString();
    }

    void set_aside(packing_run& run) {
        const QString stem =
            path_.chopped(4) + QStringLiteral(".damaged-") +
            QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"));
        QString aside = stem + QStringLiteral(".zip");
        for (int n = 2; !platform::rename_no_overwrite(path_, aside); ++n) {
            if (n > 99)
                throw std::runtime_error(native(path_) +
                                         ": damaged archive cannot be renamed aside");
            aside = stem + u'-' + QString::number(n) + QStringLiteral(".zip");
        }
        run.post(QStringLiteral("Damaged archive ") + platform::native_path(path_) +
                 QStringLiteral(" renamed to ") + platform::native_path(aside) +
                 QStringLiteral("; a new archive is started."));
    }

    QString path_;
    bool is_new_ = false;
    zip_t* archive_ = nullptr;
};

// A file its writer still holds is packed by a later run, when it is complete. Where open
// handles can be seen, the rename test is left out: it would also fail in a read-only
// folder or on an immutable file, which would then wait for good without a word.
bool still_being_written(const QString& file) {
#ifdef Q_OS_LINUX
    return platform::file_held_open_by_other(file);
#else
    return !file_is_free(file);
#endif
}

// A subfolder's files as listed once at the start of the run, in listing order.
struct subfolder_files {
    QString name;
    QString path;
    QStringList files;
    std::vector<bool> done;    // packed, passed over or waiting for a later run
    qsizetype next_key_at = 0; // files before it are done or have no key
};

struct candidate {
    subfolder_files* subfolder;
    QString file;
    QString name;
};

void remove_leftover_temporaries(const QString& day_folder) {
    std::vector<platform::directory_entry> entries;
    if (!platform::list_directory(platform::join_path(day_folder, QStringLiteral("*.zip.*")),
                                  entries))
        return;
    const QDateTime limit = QDateTime::currentDateTime().addSecs(-leftover_age_secs);
    for (const platform::directory_entry& entry : entries) {
        const qsizetype suffix =
            entry.name.lastIndexOf(QStringLiteral(".zip."), -1, Qt::CaseInsensitive);
        const bool temporary_name =
            suffix > 0 && entry.name.size() - suffix == 11 &&
            std::all_of(entry.name.cbegin() + suffix + 5, entry.name.cend(),
                        [](QChar c) { return c.unicode() < 0x80 && c.isLetterOrNumber(); });
        if (!entry.is_folder && temporary_name && entry.last_write.isValid() &&
            entry.last_write < limit)
            platform::delete_file(platform::join_path(day_folder, entry.name));
    }
}

void report_undecodable(packing_run& run, const QString& folder,
                        const platform::undecodable_entry& entry) {
    run.report(QStringLiteral("Name not valid in the file system's encoding, not packed: ") +
               platform::native_path(platform::join_path(folder, escaped_name(entry.name))));
}

subfolder_files list_once(packing_run& run, const QString& day_folder, const QString& subfolder) {
    subfolder_files listed{subfolder, platform::join_path(day_folder, subfolder), {}, {}, 0};
    QStringList names;
    list_files(listed.path, QStringLiteral("*.*"), names);
    // Such a name is listed under a lossy spelling that cannot be opened.
    for (const platform::undecodable_entry& entry :
         platform::list_undecodable_entries(listed.path)) {
        if (entry.is_folder)
            continue;
        report_undecodable(run, listed.path, entry);
        names.removeOne(QFile::decodeName(entry.name));
    }
    for (const QString& name : names) {
        if (is_hand_over_temporary(name) ||
            run.context().passed_over.contains(platform::join_path(listed.path, name)))
            continue;
        listed.files.append(name);
    }
    listed.done.assign(static_cast<std::size_t>(listed.files.size()), false);
    return listed;
}

// Key of the first file of the first subfolder that yields one.
QString next_key(std::vector<subfolder_files>& subfolders) {
    for (subfolder_files& s : subfolders) {
        for (; s.next_key_at < s.files.size(); ++s.next_key_at) {
            if (s.done[static_cast<std::size_t>(s.next_key_at)])
                continue;
            const QString key = file_name_stem(s.files[s.next_key_at]);
            if (!key.isEmpty())
                return key;
        }
    }
    return {};
}

// The files of the key not yet done, from all subfolders; each is done from now on. The
// listing is sorted ignoring case, so the files that start with the key lie together.
std::vector<candidate> take_files_of_key(std::vector<subfolder_files>& subfolders,
                                         const QString& key) {
    std::vector<candidate> found;
    for (subfolder_files& s : subfolders) {
        auto at = std::lower_bound(s.files.cbegin(), s.files.cend(), key,
                                   [](const QString& name, const QString& k) {
                                       return name.compare(k, Qt::CaseInsensitive) < 0;
                                   });
        for (; at != s.files.cend() && starts_with_key(*at, key); ++at) {
            const auto index = static_cast<std::size_t>(at - s.files.cbegin());
            if (s.done[index])
                continue;
            s.done[index] = true;
            found.push_back({&s, platform::join_path(s.path, *at), *at});
        }
    }
    return found;
}

// Packs the given files of the key; returns their number.
int pack_key(packing_run& run, const QString& day_folder, const QString& key,
             const std::vector<candidate>& files) {
    const QString archive_path = platform::join_path(day_folder, key + QStringLiteral(".zip"));
    std::unique_ptr<key_archive> archive;
    try {
        archive = std::make_unique<key_archive>(archive_path, run);
    } catch (const std::runtime_error& error) {
        run.fail(error.what());
        return 0;
    }
    QStringList added;
    std::string failure;
    for (const candidate& c : files) {
        const std::string problem = archive->add(c.file, c.subfolder->name + u'/' + c.name);
        if (problem.empty()) {
            added.append(c.file);
        } else if (run.context().pass_over_failures) {
            run.context().passed_over.insert(c.file);
            run.report(QString::fromStdString(problem) +
                       QStringLiteral(" - passed over until the cleaner restarts."));
        } else {
            failure = problem;
            break;
        }
    }
    try {
        archive->close();
    } catch (const std::runtime_error& error) {
        run.fail(error.what());
        return 0;
    }
    if (archive->is_new() && QFileInfo::exists(archive_path))
        ++run.no_zip_files();
    for (const QString& file : added) {
        if (run.delete_file(file) || !run.context().pass_over_failures)
            continue; // on demand, a file that stays is packed again by the next run
        run.context().passed_over.insert(file);
        run.report(platform::native_path(file) + QStringLiteral(": packed into ") +
                   platform::native_path(archive_path) +
                   QStringLiteral(" but cannot be deleted - passed over until the cleaner "
                                  "restarts."));
    }
    if (!failure.empty())
        throw std::runtime_error(failure);
    return static_cast<int>(added.size());
}

} // namespace

int no_kalix_files_moved_to_zip_files(const QString& the_folder, int& no_zip_files,
                                      zip_packing_context& context) {
    if (the_folder.isEmpty())
        return 0;
    packing_run run(context, no_zip_files);
    remove_leftover_temporaries(the_folder);
    for (const platform::undecodable_entry& entry : platform::list_undecodable_entries(the_folder))
        if (entry.is_folder)
            report_undecodable(run, the_folder, entry);

    QStringList names;
    if (list_subfolders(the_folder, names) == 0)
        return 0;
    // Listed once: a folder listed again for every key makes a day of many loads
    // take time with the square of its files.
    std::vector<subfolder_files> subfolders;
    subfolders.reserve(static_cast<std::size_t>(names.size()));
    for (const QString& name : names)
        subfolders.push_back(list_once(run, the_folder, name));

    int packed = 0;
    for (QString key = next_key(subfolders); !key.isEmpty(); key = next_key(subfolders)) {
        std::vector<candidate> files = take_files_of_key(subfolders, key);
        std::erase_if(files, [](const candidate& c) { return still_being_written(c.file); });
        if (files.empty())
            continue;
        const int count = pack_key(run, the_folder, key, files);
        if (count == 0)
            continue;
        packed += count;
        // No archive is open here: the message may let a cleaning tick pack this folder.
        run.post(key + QStringLiteral(": ") + QString::number(count) +
                 QStringLiteral(" files zipped."));
    }
    return packed;
}

int no_kalix_files_moved_to_zip_files(const QString& the_folder, int& no_zip_files,
                                      const message_sink& message) {
    zip_packing_context context;
    context.message = message;
    return no_kalix_files_moved_to_zip_files(the_folder, no_zip_files, context);
}
