// The measured side of scripts/bench: runs one piece of the programs' real work on data the
// script prepared and prints what it cost as "key=value" lines on standard output. Only the
// work itself is timed; start-up and data preparation are not.
//   kalix_bench make-q-db <file.db> <loads> <points per load>
//                                       spectra only; the spectra of one name in one run
//                                       share a ResultID and its wavelength row
//   kalix_bench catchup <site>          passes of the scanner's main window until the Q
//                                       index stands still
//   kalix_bench catchup-p <site>        the same until the P index stands still
//   kalix_bench csv <site>              passes until the input folder holds no csv file
//   kalix_bench idle <site> <passes>    passes with nothing new: CPU time per pass
//   kalix_bench raw-write <from> <to>   baseline: the files below <from>, read beforehand,
//                                       written below <to> with open/write/close
//   kalix_bench raw-hand-over <from> <to> <marker folder>
//                                       floor: the same with a look at the marker folder,
//                                       a temporary name and a rename a file
//   kalix_bench read-records <file.db>  floor: the Q record query through SQLite's C API
//   kalix_bench pack <day folder>       the cleaner's packing of one day folder
//   kalix_bench clean <site> <hours>    the cleaner's deletion over the input and channel
//                                       folders of kalix_cleaner.ini
#include "bench/catchup_floor.h"
#include "cleaner/cleaning/cleaning_rules.h"
#include "cleaner/cleaning/zip_packing.h"
#include "shared/cleaner_routines/cleaner_routines.h"
#include "shared/database/sql_dataset.h"
#include "shared/platform/heap.h"
#include "tools/demo_database/inline_database.h"
#include "tools/runner/scanner_run.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <exception>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

double cpu_seconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// The high-water mark of this program's own memory. getrusage's maximum is no good here: it
// keeps the peak of the forked copy of the parent (the Python runner, large after W1) across
// the exec.
long peak_rss_kb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("VmHWM:"))
                return line.mid(6).trimmed().split(' ').value(0).toLong();
        }
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Wall and CPU seconds of `work`, printed with the process's peak RSS.
void timed(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    const double cpu_start = cpu_seconds();
    work();
    const double cpu = cpu_seconds() - cpu_start;
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("wall=%.6f\ncpu=%.6f\npeak_rss_kb=%ld\n", wall, cpu, peak_rss_kb());
}

int make_q_db(const QString& file, int loads, int points) {
    QSqlDatabase db = demo_db::open_database_file(file, QStringLiteral("bench"));
    demo_db::generator_options options;
    options.points_per_load = points;
    options.sheet_resistance_name.clear(); // spectra only: the Q catch-up
    options.result_id_per_run = true;
    demo_db::generator generator(db, options);
    const QDateTime start(QDate(2026, 12, 10), QTime(6, 0));
    for (int load = 0; load < loads; ++load)
        generator.append_load(start.addSecs(3600 * load));
    db.close();
    return 0;
}

// The scanner's main window on a site, as the unattended program runs it.
class scanner_on_site : public runner::scanner_run {
public:
    explicit scanner_on_site(const QString& site) : runner::scanner_run(site) { start(); }
};

// Passes until `index` stands still; prints them with the statements sent meanwhile.
int catchup(const QString& site, bool p) {
    scanner_on_site scanner(site);
    const auto index = [&] { return p ? scanner.p_index() : scanner.q_index(); };
    int passes = 0;
    const std::uint64_t statements = database::statements_sent();
    timed([&] {
        qint64 before = -1;
        while (index() != before && passes < 100000) {
            before = index();
            scanner.pass();
            ++passes;
        }
    });
    std::printf("passes=%d\nq_index=%lld\np_index=%lld\nstatements=%llu\n", passes,
                static_cast<long long>(scanner.q_index()),
                static_cast<long long>(scanner.p_index()),
                static_cast<unsigned long long>(database::statements_sent() - statements));
    return 0;
}

int csv(const QString& site) {
    scanner_on_site scanner(site);
    const QDir input(site + QStringLiteral("/input"));
    int passes = 0;
    timed([&] {
        // A pass that takes no file ends the run: the script's check then names the rest.
        qsizetype left = input.entryList({QStringLiteral("*.csv")}, QDir::Files).size();
        while (left > 0) {
            scanner.pass();
            ++passes;
            const qsizetype now = input.entryList({QStringLiteral("*.csv")}, QDir::Files).size();
            if (now >= left)
                break;
            left = now;
        }
    });
    std::printf("passes=%d\n", passes);
    return 0;
}

int idle(const QString& site, int passes) {
    scanner_on_site scanner(site);
    scanner.pass(); // whatever is there already
    std::vector<double> cpu;
    for (int i = 0; i < passes; ++i) {
        const double start = cpu_seconds();
        scanner.pass();
        cpu.push_back(cpu_seconds() - start);
    }
    std::sort(cpu.begin(), cpu.end());
    std::printf("median_cpu=%.6f\nmax_cpu=%.6f\n", cpu[cpu.size() / 2], cpu.back());
    return 0;
}

int pack(const QString& day) {
    int files = 0, archives = 0;
    timed([&] { files = no_kalix_files_moved_to_zip_files(day, archives, [](const QString&) {}); });
    std::printf("files=%d\narchives=%d\n", files, archives);
    return 0;
}

// The deletion of the cleaner's pass, folder by folder as the window walks them; the
// folders come from the site's kalix_cleaner.ini (input path, its subfolders, the channels
// below the current product's measurements).
int clean(const QString& site, int hours) {
    QFile ini(site + QStringLiteral("/program/kalix_cleaner.ini"));
    if (!ini.open(QIODevice::ReadOnly))
        throw std::runtime_error("no kalix_cleaner.ini");
    QStringList lines = QString::fromUtf8(ini.readAll()).split(QStringLiteral("\r\n"));
    const QString input = lines.value(2);
    const int inputs = lines.value(3).toInt();
    const QStringList input_lines = lines.mid(4, inputs);
    const int outputs = lines.value(4 + inputs).toInt();
    const QStringList output_lines = lines.mid(5 + inputs, outputs);
    const QString measurements = site + QStringLiteral("/kalix/database/products/DemoCoating/"
                                                       "measurements/");
    const QString all = QStringLiteral("*.*");
    timed([&] {
        for (const QString& folder : input_folders(input, input_lines))
            delete_old_files(folder, all, 0, hours, 0, 0);
        for (const QString& folder : channel_folders(measurements, output_lines))
            delete_old_files(folder, all, 0, hours, 0, 0);
    });
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    platform::keep_freed_heap_memory();
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    QApplication application(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    const QString command = args.value(0);
    try {
        if (command == QLatin1String("make-q-db") && args.size() == 4)
            return make_q_db(args[1], args[2].toInt(), args[3].toInt());
        if (command == QLatin1String("catchup") && args.size() == 2)
            return catchup(args[1], false);
        if (command == QLatin1String("catchup-p") && args.size() == 2)
            return catchup(args[1], true);
        if (command == QLatin1String("csv") && args.size() == 2)
            return csv(args[1]);
        if (command == QLatin1String("idle") && args.size() == 3)
            return idle(args[1], args[2].toInt());
        if (command == QLatin1String("raw-write") && args.size() == 3)
            return raw_write(args[1], args[2]);
        if (command == QLatin1String("raw-hand-over") && args.size() == 4)
            return raw_hand_over(args[1], args[2], args[3]);
        if (command == QLatin1String("read-records") && args.size() == 2)
            return read_records(args[1]);
        if (command == QLatin1String("pack") && args.size() == 2)
            return pack(args[1]);
        if (command == QLatin1String("clean") && args.size() == 3)
            return clean(args[1], args[2].toInt());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kalix_bench %s: %s\n", qPrintable(command), e.what());
        return 1;
    }
    std::fprintf(stderr, "usage: see the head of bench/kalix_bench.cpp\n");
    return 2;
}
