#include "bench/catchup_floor.h"

#include "scanner/record_sources/record_queries.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

double seconds_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

namespace {

struct file {
    std::string name;
    std::string temp;
    QByteArray bytes;
};

// The files below `from` with their bytes and their names below `to` (folders made), each
// with a temporary name beside it.
std::vector<file> files_below(const QString& from, const QString& to) {
    std::vector<file> files;
    QDirIterator found(from, QDir::Files, QDirIterator::Subdirectories);
    while (found.hasNext()) {
        const QString name = found.next();
        QFile in(name);
        if (!in.open(QIODevice::ReadOnly))
            throw std::runtime_error("cannot read " + name.toStdString());
        const QString target = to + name.mid(from.size());
        const QString folder = QFileInfo(target).path();
        QDir().mkpath(folder);
        const QString temp =
            folder + QStringLiteral("/lsq_1_1_%1.tmp").arg(static_cast<qulonglong>(files.size()));
        files.push_back({QFile::encodeName(target).toStdString(),
                         QFile::encodeName(temp).toStdString(), in.readAll()});
    }
    return files;
}

[[noreturn]] void cannot_write(const std::string& name) {
    throw std::runtime_error("cannot write " + name + ": " + std::strerror(errno));
}

} // namespace

int raw_write(const QString& from, const QString& to) {
    const std::vector<file> files = files_below(from, to);
    const auto start = std::chrono::steady_clock::now();
    for (const file& f : files) {
        const int out = ::open(f.name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        const auto size = static_cast<ssize_t>(f.bytes.size());
        if (out < 0 || ::write(out, f.bytes.constData(), f.bytes.size()) != size ||
            ::close(out) != 0)
            cannot_write(f.name);
    }
    std::printf("wall=%.6f\nfiles=%zu\n", seconds_since(start), files.size());
    return 0;
}

int raw_hand_over(const QString& from, const QString& to, const QString& marker) {
    const std::vector<file> files = files_below(from, to);
    const std::string marker_folder = QFile::encodeName(marker).toStdString();
    const auto start = std::chrono::steady_clock::now();
    for (const file& f : files) {
        struct stat status {};
        const int out = ::open(f.temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        const auto size = static_cast<ssize_t>(f.bytes.size());
        if (::stat(marker_folder.c_str(), &status) != 0 || out < 0 ||
            ::write(out, f.bytes.constData(), f.bytes.size()) != size || ::close(out) != 0 ||
            ::rename(f.temp.c_str(), f.name.c_str()) != 0)
            cannot_write(f.name);
    }
    std::printf("wall=%.6f\nfiles=%zu\n", seconds_since(start), files.size());
    return 0;
}

int read_records(const QString& db) {
    sqlite3* connection = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(db).constData(), &connection, SQLITE_OPEN_READONLY,
                        nullptr) != SQLITE_OK)
        throw std::runtime_error("cannot open " + db.toStdString());
    const std::string sql = spectra_record_query(0, QString()).toStdString();
    const auto start = std::chrono::steady_clock::now();
    sqlite3_stmt* records = nullptr;
    if (sqlite3_prepare_v2(connection, sql.c_str(), -1, &records, nullptr) != SQLITE_OK)
        throw std::runtime_error(sqlite3_errmsg(connection));
    long rows = 0;
    std::size_t bytes = 0;
    int step = SQLITE_ROW;
    while ((step = sqlite3_step(records)) == SQLITE_ROW) {
        ++rows;
        for (int i = 0; i < sqlite3_column_count(records); ++i) {
            sqlite3_column_text(records, i);
            bytes += static_cast<std::size_t>(sqlite3_column_bytes(records, i));
        }
    }
    sqlite3_finalize(records);
    const double wall = seconds_since(start);
    sqlite3_close(connection);
    if (step != SQLITE_DONE)
        throw std::runtime_error("the record query failed");
    std::printf("wall=%.6f\nrecords=%ld\nbytes=%zu\n", wall, rows, bytes);
    return 0;
}
