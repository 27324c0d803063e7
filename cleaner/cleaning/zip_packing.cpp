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
#include <QRandomGenerator>
#include <QStringList>

#include <zip.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// A killed run leaves its temporary archive; a live one is younger than this.
constexpr qint64 leftover_age_secs = 60 * 60;
constexpr qsizetype temporary_suffix_length = 6;
// Numbered entry names tried for files that differ from an archived entry of their name.
constexpr int max_entry_number = 9999;
constexpr qint64 compare_chunk = 1 << 16;

QByteArray zip_path(const QString& path) {
#ifdef Q_OS_WIN
    return path.toUtf8(); // libzip opens UTF-8 names with the wide-character API
#else
    return QFile::encodeName(path);
#endif
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
    QDateTime now() const { return context_.now ? context_.now() : QDateTime::currentDateTime(); }
    // A problem that recurs at every run is posted at most once a day.
    void report(const QString& line) {
        const QDateTime at = now();
        const auto posted = context_.reported.constFind(line);
        if (posted != context_.reported.cend() && posted->secsTo(at) < report_again_secs)
            return;
        context_.reported.insert(line, at);
        post(line);
    }
    // The file is left alone by the runs of the next hour.
    void pass_over(const QString& file) {
        context_.passed_over.insert(file, now().addSecs(pass_over_secs));
    }
    // Whether the file still waits; a file whose hour is over is tried again.
    bool waits(const QString& file) {
        const auto until = context_.passed_over.constFind(file);
        if (until == context_.passed_over.cend())
            return false;
        if (now() < *until)
            return true;
        context_.passed_over.erase(until);
        return false;
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

// The archive file as libzip reads and rewrites it. libzip's own file source writes the
// new archive under "<archive>.XXXXXX", a name an operator's own file can have, so after a
// killed run nobody could tell its leftovers from theirs; this one writes under a name of
// the program's own (temporary_archive_marker) and renames that onto the archive.
class archive_file_source {
public:
    explicit archive_file_source(const QString& path) : path_(path), reader_(path) {
        zip_error_init(&error_);
    }
    ~archive_file_source() {
        discard_temporary();
        zip_error_fini(&error_);
    }
    archive_file_source(const archive_file_source&) = delete;
    archive_file_source& operator=(const archive_file_source&) = delete;

    static zip_source_t* create(const QString& path, zip_error_t* error) {
        auto* self = new archive_file_source(path);
        zip_source_t* source =
            zip_source_function_create(&archive_file_source::callback, self, error);
        if (source == nullptr)
            delete self;
        return source;
    }

private:
    static zip_int64_t callback(void* userdata, void* data, zip_uint64_t length,
                                zip_source_cmd_t command) {
        auto* self = static_cast<archive_file_source*>(userdata);
        if (command == ZIP_SOURCE_FREE) {
            delete self;
            return 0;
        }
        return self->handle(data, length, command);
    }

    zip_int64_t fail(int zip_code, int system_code = 0) {
        zip_error_set(&error_, zip_code, system_code);
        return -1;
    }

    zip_int64_t handle(void* data, zip_uint64_t length, zip_source_cmd_t command) {
        switch (command) {
        case ZIP_SOURCE_SUPPORTS:
            return ZIP_SOURCE_SUPPORTS_WRITABLE;
        case ZIP_SOURCE_ERROR:
            return zip_error_to_data(&error_, data, length);
        case ZIP_SOURCE_STAT:
            return stat(data, length);
        case ZIP_SOURCE_OPEN:
            return reader_.open(QIODevice::ReadOnly) ? 0 : fail(ZIP_ER_OPEN, errno);
        case ZIP_SOURCE_READ: {
            const qint64 read = reader_.read(static_cast<char*>(data), clamp(length));
            return read < 0 ? fail(ZIP_ER_READ, errno) : read;
        }
        case ZIP_SOURCE_CLOSE:
            reader_.close();
            return 0;
        case ZIP_SOURCE_SEEK:
            return seek(reader_, data, length, ZIP_ER_SEEK);
        case ZIP_SOURCE_TELL:
            return reader_.pos();
        case ZIP_SOURCE_BEGIN_WRITE:
            return begin_write();
        case ZIP_SOURCE_WRITE: {
            const qint64 written = writer_->write(static_cast<const char*>(data), clamp(length));
            return written < 0 ? fail(ZIP_ER_WRITE, errno) : written;
        }
        case ZIP_SOURCE_SEEK_WRITE:
            return seek(*writer_, data, length, ZIP_ER_SEEK) < 0 ? -1 : 0;
        case ZIP_SOURCE_TELL_WRITE:
            return writer_->pos();
        case ZIP_SOURCE_COMMIT_WRITE:
            return commit_write();
        case ZIP_SOURCE_ROLLBACK_WRITE:
            discard_temporary();
            return 0;
        case ZIP_SOURCE_REMOVE:
            return QFile::remove(path_) ? 0 : fail(ZIP_ER_REMOVE, errno);
        default:
            return fail(ZIP_ER_OPNOTSUPP);
        }
    }

    static qint64 clamp(zip_uint64_t length) {
        return static_cast<qint64>(std::min<zip_uint64_t>(length, 1u << 30));
    }

    zip_int64_t stat(void* data, zip_uint64_t length) {
        auto* st = ZIP_SOURCE_GET_ARGS(zip_stat_t, data, length, &error_);
        if (st == nullptr)
            return -1;
        const QFileInfo info(path_);
        // libzip starts a new archive when the file is missing, told by exactly this error.
        if (!info.exists())
            return fail(ZIP_ER_READ, ENOENT);
        if (info.isDir())
            return fail(ZIP_ER_OPEN, EISDIR);
        zip_stat_init(st);
        st->size = static_cast<zip_uint64_t>(info.size());
        st->mtime = static_cast<time_t>(info.lastModified().toSecsSinceEpoch());
        st->valid |= ZIP_STAT_SIZE | ZIP_STAT_MTIME;
        return sizeof(zip_stat_t);
    }

    zip_int64_t seek(QFile& file, void* data, zip_uint64_t length, int zip_code) {
        const zip_int64_t to = zip_source_seek_compute_offset(
            static_cast<zip_uint64_t>(file.pos()), static_cast<zip_uint64_t>(file.size()), data,
            length, &error_);
        if (to < 0)
            return -1;
        return file.seek(to) ? to : fail(zip_code, errno);
    }

    zip_int64_t begin_write() {
        discard_temporary();
        static const QString letters =
            QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789");
        for (int attempt = 0; attempt < 100; ++attempt) {
            QString name = path_ + QLatin1String(temporary_archive_marker);
            for (qsizetype i = 0; i < temporary_suffix_length; ++i)
                name += letters[QRandomGenerator::global()->bounded(letters.size())];
            auto file = std::make_unique<QFile>(name);
            if (file->open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
                writer_ = std::move(file);
                return 0;
            }
            if (QFileInfo::exists(name))
                continue;
            return fail(ZIP_ER_TMPOPEN, errno);
        }
        return fail(ZIP_ER_TMPOPEN, EEXIST);
    }

    zip_int64_t commit_write() {
        // The grown archive keeps the access the operator gave the old one.
        if (QFileInfo::exists(path_))
            writer_->setPermissions(QFile::permissions(path_));
        if (!writer_->flush()) {
            const int code = errno;
            discard_temporary();
            return fail(ZIP_ER_WRITE, code);
        }
        writer_->close();
        if (writer_->error() != QFileDevice::NoError) {
            discard_temporary();
            return fail(ZIP_ER_WRITE, EIO);
        }
        if (!platform::rename_replacing(writer_->fileName(), path_)) {
            const int code = errno;
            discard_temporary();
            return fail(ZIP_ER_RENAME, code);
        }
        writer_.reset();
        return 0;
    }

    void discard_temporary() {
        if (!writer_)
            return;
        writer_->close();
        writer_->remove();
        writer_.reset();
    }

    QString path_;
    QFile reader_;
    std::unique_ptr<QFile> writer_;
    zip_error_t error_;
};

// CRC-32 and size of a file, read once when an archived entry of its name is met.
struct file_digest {
    bool valid = false;
    qint64 size = 0;
    uLong crc = 0;
};

file_digest digest_of(const QString& file) {
    file_digest digest;
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return digest;
    digest.crc = crc32(0L, Z_NULL, 0);
    while (!in.atEnd()) {
        const QByteArray chunk = in.read(compare_chunk);
        if (chunk.isEmpty())
            return digest;
        digest.crc = crc32(digest.crc, reinterpret_cast<const Bytef*>(chunk.constData()),
                           static_cast<uInt>(chunk.size()));
        digest.size += chunk.size();
    }
    digest.valid = true;
    return digest;
}

// "<name without extension> (n).<extension>" in the entry's folder.
QString numbered_entry(const QString& entry, int n) {
    const qsizetype slash = entry.lastIndexOf(u'/');
    const qsizetype dot = entry.lastIndexOf(u'.');
    const QString number = QStringLiteral(" (%1)").arg(n);
    if (dot <= slash + 1)
        return entry + number;
    return entry.left(dot) + number + entry.mid(dot);
}

// What became of one file offered to an archive.
struct add_outcome {
    enum { added, already_archived, failed } kind = failed;
    QString entry;     // the entry that now holds the file's content
    QString displaced; // the archived entry of the file's own name, when it differed
    std::string problem;
};

// One archive of a key, opened for appending. Entries are only written at close, so a
// file may be deleted once close() has succeeded, and never before.
class key_archive {
public:
    key_archive(const QString& path, packing_run& run) : path_(path) {
        is_new_ = !QFileInfo::exists(path);
        zip_error_t error;
        zip_error_init(&error);
        archive_ = open(error);
        if (archive_ == nullptr &&
            (zip_error_code_zip(&error) == ZIP_ER_NOZIP ||
             zip_error_code_zip(&error) == ZIP_ER_INCONS) &&
            QFileInfo(path).isFile()) {
            // A damaged archive would stop its load for good: keep it aside, start anew.
            set_aside(run);
            is_new_ = true;
            zip_error_fini(&error);
            zip_error_init(&error);
            archive_ = open(error);
        }
        if (archive_ == nullptr) {
            const std::string text = native(path) + ": " + zip_error_strerror(&error);
            zip_error_fini(&error);
            throw std::runtime_error(text);
        }
        zip_error_fini(&error);
        const zip_int64_t entries = zip_get_num_entries(archive_, ZIP_FL_UNCHANGED);
        archived_entries_ = entries < 0 ? 0 : static_cast<zip_uint64_t>(entries);
    }
    ~key_archive() {
        if (archive_ != nullptr)
            zip_discard(archive_);
    }
    key_archive(const key_archive&) = delete;
    key_archive& operator=(const key_archive&) = delete;

    bool is_new() const { return is_new_; }

    // Adds the file under `entry`, unless the archive holds it already. An archived entry
    // is never replaced: the content of a file of the same name that differs goes in under
    // a numbered name beside it.
    add_outcome add(const QString& file, const QString& entry) {
        add_outcome outcome;
        // libzip reads the file only at close, where a failure would lose the whole
        // archive: an unreadable file has to be caught here.
        QFile probe(file);
        if (!probe.open(QIODevice::ReadOnly)) {
            outcome.problem = native(file) + ": " + probe.errorString().toStdString();
            return outcome;
        }
        probe.close();

        file_digest digest;
        QString name = entry;
        for (int n = 2;; ++n) {
            const zip_int64_t index =
                zip_name_locate(archive_, name.toUtf8().constData(), ZIP_FL_NOCASE);
            if (index < 0)
                break;
            if (!digest.valid)
                digest = digest_of(file);
            if (!digest.valid) {
                outcome.problem = native(file) + ": cannot be read";
                return outcome;
            }
            if (holds(static_cast<zip_uint64_t>(index), file, digest)) {
                outcome.kind = add_outcome::already_archived;
                outcome.entry = name;
                outcome.displaced.clear();
                return outcome;
            }
            if (n > max_entry_number) {
                outcome.problem = native(file) + ": too many differing files named " +
                                  entry.toStdString() + " in " + native(path_);
                return outcome;
            }
            if (outcome.displaced.isEmpty())
                outcome.displaced =
                    QString::fromUtf8(zip_get_name(archive_, static_cast<zip_uint64_t>(index), 0));
            name = numbered_entry(entry, n);
        }

        const time_t modified =
            static_cast<time_t>(QFileInfo(file).lastModified().toSecsSinceEpoch());
        zip_source_t* source = zip_source_file(archive_, zip_path(file).constData(), 0, 0);
        if (source == nullptr) {
            outcome.problem = native(file) + ": " + zip_strerror(archive_);
            return outcome;
        }
        const zip_int64_t index =
            zip_file_add(archive_, name.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8);
        if (index < 0) {
            zip_source_free(source);
            outcome.problem = native(file) + ": " + zip_strerror(archive_);
            return outcome;
        }
        const auto at = static_cast<zip_uint64_t>(index);
        if (zip_set_file_compression(archive_, at, ZIP_CM_DEFLATE, 0) != 0 ||
            zip_file_set_mtime(archive_, at, modified, 0) != 0) {
            outcome.problem = native(file) + ": " + zip_strerror(archive_);
            return outcome;
        }
        outcome.kind = add_outcome::added;
        outcome.entry = name;
        return outcome;
    }

    // Writes the archive (through a temporary file renamed onto it); on failure the
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

    zip_t* open(zip_error_t& error) {
        zip_source_t* source = archive_file_source::create(path_, &error);
        if (source == nullptr)
            return nullptr;
        zip_t* archive = zip_open_from_source(source, ZIP_CREATE, &error);
        if (archive == nullptr)
            zip_source_free(source);
        return archive;
    }

    // Whether the archived entry at `index` holds exactly the file's bytes: size and CRC-32
    // first, the bytes only where those match. An entry added in this run is no match.
    bool holds(zip_uint64_t index, const QString& file, const file_digest& digest) {
        if (index >= archived_entries_)
            return false;
        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_stat_index(archive_, index, 0, &st) != 0 ||
            (st.valid & (ZIP_STAT_SIZE | ZIP_STAT_CRC)) != (ZIP_STAT_SIZE | ZIP_STAT_CRC) ||
            st.size != static_cast<zip_uint64_t>(digest.size) || st.crc != digest.crc)
            return false;
        QFile in(file);
        if (!in.open(QIODevice::ReadOnly))
            return false;
        zip_file_t* stored = zip_fopen_index(archive_, index, 0);
        if (stored == nullptr)
            return false;
        bool same = true;
        QByteArray from_archive(compare_chunk, '\0');
        while (same) {
            const QByteArray from_file = in.read(compare_chunk);
            const zip_int64_t read = zip_fread(stored, from_archive.data(), compare_chunk);
            if (read < 0 || read != from_file.size())
                same = false;
            else if (read == 0)
                break;
            else
                same = std::memcmp(from_archive.constData(), from_file.constData(),
                                   static_cast<std::size_t>(read)) == 0;
        }
        zip_fclose(stored);
        return same;
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
    zip_uint64_t archived_entries_ = 0;
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

// Only names of the program's own temporary archives: "<key>.zip" + marker + six letters
// or digits. Whatever else lies directly in the day folder is not the program's to remove.
void remove_leftover_temporaries(const QString& day_folder) {
    const QString marker = QStringLiteral(".zip") + QLatin1String(temporary_archive_marker);
    std::vector<platform::directory_entry> entries;
    if (!platform::list_directory(platform::join_path(day_folder, u'*' + marker + u'*'), entries))
        return;
    const QDateTime limit = QDateTime::currentDateTime().addSecs(-leftover_age_secs);
    for (const platform::directory_entry& entry : entries) {
        const qsizetype at = entry.name.lastIndexOf(marker);
        const bool temporary_name =
            at > 0 && entry.name.size() - at - marker.size() == temporary_suffix_length &&
            std::all_of(entry.name.cbegin() + at + marker.size(), entry.name.cend(),
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
        if (is_hand_over_temporary(name) || run.waits(platform::join_path(listed.path, name)))
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
    const qint64 archive_size_before = QFileInfo(archive_path).size();
    std::unique_ptr<key_archive> archive;
    try {
        archive = std::make_unique<key_archive>(archive_path, run);
    } catch (const std::runtime_error& error) {
        run.fail(error.what());
        return 0;
    }
    QStringList packed;
    QStringList displaced_lines;
    std::string failure;
    for (const candidate& c : files) {
        const add_outcome outcome = archive->add(c.file, c.subfolder->name + u'/' + c.name);
        if (outcome.kind != add_outcome::failed) {
            packed.append(c.file);
            if (!outcome.displaced.isEmpty())
                displaced_lines.append(platform::native_path(c.file) +
                                       QStringLiteral(" differs from the entry ") +
                                       outcome.displaced + QStringLiteral(" of ") +
                                       platform::native_path(archive_path) +
                                       QStringLiteral(": added as ") + outcome.entry + u'.');
        } else if (run.context().pass_over_failures) {
            run.pass_over(c.file);
            run.report(QString::fromStdString(outcome.problem) +
                       QStringLiteral(" - passed over, tried again in an hour."));
        } else {
            failure = outcome.problem;
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
    // A damaged archive set aside still takes its room: a new archive grew from nothing.
    run.context().bytes_freed -=
        QFileInfo(archive_path).size() - (archive->is_new() ? 0 : archive_size_before);
    for (const QString& line : displaced_lines)
        run.post(line);
    for (const QString& file : packed) {
        const qint64 size = QFileInfo(file).size();
        if (run.delete_file(file)) {
            run.context().bytes_freed += size;
            continue;
        }
        if (!run.context().pass_over_failures)
            continue; // on demand, a file that stays is met again by the next run
        run.pass_over(file);
        run.report(platform::native_path(file) + QStringLiteral(": packed into ") +
                   platform::native_path(archive_path) +
                   QStringLiteral(" but cannot be deleted - passed over, tried again in an "
                                  "hour."));
    }
    if (!failure.empty())
        throw std::runtime_error(failure);
    return static_cast<int>(packed.size());
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
