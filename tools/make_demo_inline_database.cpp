// Writes the demo in-line database: an SQLite file with the loads of a coating line.
//   make_demo_inline_database <file.db> [--loads N] [--points N] [--seed S]
//                             [--follow [--interval-ms M] [--max-seconds S]]
// With --follow it goes on appending one measurement point per interval, like a running
// line, until it is stopped or the given number of seconds has passed.
#include "tools/demo_database/inline_database.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <cstdio>
#include <exception>

namespace {

void report(const demo_db::appended& a) {
    std::printf("%s points %d-%d: %d Spectra rows, %d ScalarResults rows, last Spectra Id %lld\n",
                qPrintable(a.load_id), a.first_point, a.last_point, a.spectra, a.scalars,
                static_cast<long long>(a.last_spectrum_id));
    std::fflush(stdout);
}

bool read_number(const QCommandLineParser& parser, const QString& name, qint64 low, qint64& value) {
    if (!parser.isSet(name))
        return true;
    bool ok = false;
    value = parser.value(name).toLongLong(&ok);
    if (ok && value >= low)
        return true;
    std::fprintf(stderr, "--%s needs a whole number >= %lld\n", qPrintable(name),
                 static_cast<long long>(low));
    return false;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Writes the demo in-line database (SQLite) of a coating line."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("file"),
                                 QStringLiteral("The database file (created when missing)."));
    parser.addOptions({
        {QStringLiteral("loads"), QStringLiteral("Loads to write (default 4)."),
         QStringLiteral("N")},
        {QStringLiteral("points"), QStringLiteral("Measurement points per load (default 5)."),
         QStringLiteral("N")},
        {QStringLiteral("seed"), QStringLiteral("Seed of the generated values (default 1)."),
         QStringLiteral("S")},
        {QStringLiteral("follow"), QStringLiteral("Then keep appending, one point per interval.")},
        {QStringLiteral("interval-ms"), QStringLiteral("Interval of --follow (default 1000)."),
         QStringLiteral("M")},
        {QStringLiteral("max-seconds"),
         QStringLiteral("End --follow after this many seconds (default: never)."),
         QStringLiteral("S")},
    });
    parser.process(app);
    if (parser.positionalArguments().size() != 1)
        parser.showHelp(2);

    qint64 loads = 4, points = 5, seed = 1, interval_ms = 1000, max_seconds = 0;
    if (!read_number(parser, QStringLiteral("loads"), 0, loads) ||
        !read_number(parser, QStringLiteral("points"), 1, points) ||
        !read_number(parser, QStringLiteral("seed"), 0, seed) ||
        !read_number(parser, QStringLiteral("interval-ms"), 1, interval_ms) ||
        !read_number(parser, QStringLiteral("max-seconds"), 0, max_seconds))
        return 2;

    try {
        QSqlDatabase db = demo_db::open_database_file(parser.positionalArguments().first(),
                                                      QStringLiteral("demo"));
        demo_db::generator_options options;
        options.points_per_load = int(points);
        options.seed = std::uint32_t(seed);
        demo_db::generator generator(db, options);

        // The batch loads lie in the recent past, one every five minutes.
        const QDateTime now = QDateTime::currentDateTime();
        for (qint64 i = 0; i < loads; ++i)
            report(generator.append_load(now.addSecs(-300 * (loads - i))));

        if (parser.isSet(QStringLiteral("follow"))) {
            QElapsedTimer running;
            running.start();
            while (max_seconds == 0 || running.elapsed() < max_seconds * 1000) {
                report(generator.append_point(QDateTime::currentDateTime()));
                QThread::msleep(static_cast<unsigned long>(interval_ms));
            }
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
