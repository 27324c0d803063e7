// Writes in-line csv measurement files as the line's measuring system drops them into the
// scanner's input folder.
//   make_demo_csv [--kind K] [--count N] [--seed S] [--out FOLDER] [--points W] [--blocks 3|4]
//                 [--short-blocks] [--every SECONDS [--max-seconds S]]
// Kinds: production (21 positions), maintenance (32), postbake (plate bits choose the sample
// kind), keyphrase (-AB / -BB samples), xscan (100 rows, some with glass), mixed.
// Every file is written under a temporary name and renamed, so a reader never sees half of
// one; with --every it drops --count new files every few seconds until --max-seconds.
#include "shared/basics/file_routines.h"
#include "shared/platform/file_ops.h"
#include "shared/platform/paths.h"

#include <QByteArray>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QStringList>
#include <QThread>

#include <array>
#include <cmath>
#include <cstdio>
#include <exception>
#include <random>
#include <vector>

namespace {

enum class csv_kind { production, maintenance, postbake, keyphrase, xscan };

struct layout_options {
    int points = 125;          // values per spectrum row
    int blocks = 4;            // spectrum blocks, 3 or 4
    bool short_blocks = false; // blocks without wavelength row
};

// One pane as the file describes it.
struct pane {
    QString name;                  // file name
    QString plate;                 // plate field of the position rows
    std::vector<int> positions;    // field 4 of every row
    std::vector<bool> glass;       // field 7 holds a number
    std::vector<double> thickness; // field 7 of glass rows
};

int random_int(std::mt19937& random, int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
}

// Positions spread evenly across a pane about 3.2 m wide.
std::vector<int> spread_positions(int count) {
    std::vector<int> positions;
    for (int k = 0; k < count; ++k)
        positions.push_back(count > 1 ? 100 + k * 3000 / (count - 1) : 1600);
    return positions;
}

pane make_pane(csv_kind kind, int sequence, std::mt19937& random) {
    pane p;
    const QString number = QStringLiteral("%1").arg(sequence, 6, 10, QChar(u'0'));
    // Plate numbers of the line use bits 0 to 12; bits 13 to 15 mark postbake samples.
    const int plate = random_int(random, 1, 8191);
    int rows = 21;
    switch (kind) {
    case csv_kind::production:
        p.name = QStringLiteral("line7_") + number + QStringLiteral(".csv");
        p.plate = QString::number(plate);
        break;
    case csv_kind::maintenance:
        rows = 32;
        p.name = QStringLiteral("line7_maintenance_") + number + QStringLiteral(".csv");
        p.plate = QString::number(plate);
        break;
    case csv_kind::postbake: {
        // 4 points (bit 15), A (no bit), B (bit 14), C (bits 14 and 13).
        static const std::array<int, 4> bits = {1 << 15, 0, 1 << 14, (1 << 14) | (1 << 13)};
        const int piece = random_int(random, 0, 3);
        rows = piece == 0 ? 4 : random_int(random, 5, 14);
        p.name = QStringLiteral("line7_postbake_") + number + QStringLiteral(".csv");
        p.plate = QString::number(plate | bits[static_cast<std::size_t>(piece)]);
        break;
    }
    case csv_kind::keyphrase: {
        static const std::array<const char*, 6> phrases = {"-P-AB", "-C-AB", "-O-AB",
                                                           "-P-BB", "-C-BB", "-O-BB"};
        const QString phrase = QString::fromLatin1(phrases[random_int(random, 0, 5)]);
        rows = random_int(random, 5, 14);
        p.name = QStringLiteral("line7") + phrase + u'_' + number + QStringLiteral(".csv");
        p.plate = QString::number(plate) + phrase;
        break;
    }
    case csv_kind::xscan:
        rows = 100;
        p.name = QStringLiteral("line7_xscan_") + number + QStringLiteral(".csv");
        p.plate = QString::number(plate);
        break;
    }
    p.positions = kind == csv_kind::xscan ? std::vector<int>() : spread_positions(rows);
    for (int r = 0; r < rows; ++r) {
        if (kind == csv_kind::xscan)
            p.positions.push_back(r * 100);
        // An x-scan runs across the whole conveyor; the glass covers only part of it.
        const bool has_glass = kind != csv_kind::xscan || (r >= 20 && r < 20 + 12 + plate % 25);
        p.glass.push_back(has_glass);
        p.thickness.push_back(has_glass ? 4.0 + 0.01 * random_int(random, -5, 5) : 0.0);
    }
    return p;
}

QString value_text(double value, int decimals) {
    return QString::number(value, 'f', decimals);
}

// A smooth curve like a coated glass's reflection or transmission, with a little noise.
double spectrum_value(int block, int row, double wavelength,
                      std::normal_distribution<double>& noise, std::mt19937& random) {
    const double level = block == 0 ? 80.0 : 6.0 + 2.0 * block;
    const double swing = block == 0 ? 8.0 : 3.0;
    return level + swing * std::sin(wavelength / 70.0 + block + 0.05 * row) + noise(random);
}

QByteArray csv_content(const pane& p, const layout_options& layout, std::mt19937& random) {
    std::normal_distribution<double> noise(0.0, 0.05);
    const int rows = static_cast<int>(p.positions.size());
    QStringList lines;
    // The head: nothing of it is read, and the sheet-resistance rows never start before line 5.
    lines << QStringLiteral("In-line measurement;demo line 7");
    lines << QStringLiteral("Created;") +
                 QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    lines << QStringLiteral("Recipe;demo coating");
    lines << QStringLiteral("Operator;demo");
    lines << QStringLiteral("Rows;") + QString::number(rows);
    // The sheet-resistance column must not be the last field: that one is never looked at.
    lines << QStringLiteral(
        "Stamp;Plate;Glass id;Position;Longitudinal;Lateral;Glass;Sheet Resistance;Comment");
    for (int r = 0; r < rows; ++r) {
        const std::size_t i = static_cast<std::size_t>(r);
        lines << QString::number(r + 1) + u';' + p.plate + QStringLiteral(";G") +
                     QString::number(r + 1) + u';' + QString::number(p.positions[i]) + u';' +
                     QString::number(100 * r) + u';' + QString::number(p.positions[i]) + u';' +
                     (p.glass[i] ? value_text(p.thickness[i], 2) : QString()) +
                     QStringLiteral(";;");
    }
    lines << QString(); // ends the position table: field 4 is no integer
    static const std::array<const char*, 4> names = {"Transmission", "Reflection Film",
                                                     "Reflection Glass", "Reflection Glass 60"};
    for (int block = 0; block < layout.blocks; ++block) {
        lines << QStringLiteral("Spectrum ") + QString::number(block + 1) + u';' +
                     QString::fromLatin1(names[static_cast<std::size_t>(block)]);
        if (!layout.short_blocks) {
            lines << QStringLiteral(";Wavelength [nm]");
            QStringList wavelengths;
            for (int w = 0; w < layout.points; ++w)
                wavelengths << QString::number(380 + 5 * w);
            lines << wavelengths.join(u';');
            lines << QStringLiteral("Values per position row");
        }
        for (int r = 0; r < rows; ++r) {
            QStringList values;
            for (int w = 0; w < layout.points; ++w)
                values << value_text(spectrum_value(block, r, 380 + 5 * w, noise, random), 3);
            lines << values.join(u';');
        }
    }
    lines << QString();
    std::normal_distribution<double> resistance(8.5, 0.2);
    int glass_row = 0;
    for (int r = 0; r < rows; ++r) {
        if (p.glass[static_cast<std::size_t>(r)])
            lines << QStringLiteral("R;") + p.plate + QStringLiteral(";Sheet Resistance;") +
                         QString::number(++glass_row) + QStringLiteral(";;;;") +
                         value_text(resistance(random), 2) + u';';
    }
    return (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toLatin1();
}

// Hands the file over under its final name; a name already taken moves on to the next
// sequence number. False when nothing could be written.
bool drop_file(const QString& folder, csv_kind kind, int& sequence, const layout_options& layout,
               std::mt19937& random) {
    for (int attempt = 0; attempt < 1000; ++attempt, ++sequence) {
        const pane p = make_pane(kind, sequence, random);
        const QString target = platform::join_path(folder, p.name);
        if (platform::file_exists(target))
            continue;
        const QString temp = write_unique_temp_file(folder, csv_content(p, layout, random));
        if (platform::rename_no_overwrite(temp, target)) {
            std::printf("%s\n", qPrintable(QDir::toNativeSeparators(target)));
            std::fflush(stdout);
            ++sequence;
            return true;
        }
        platform::delete_file(temp);
    }
    return false;
}

bool read_number(const QCommandLineParser& parser, const QString& name, qint64 low, qint64 high,
                 qint64& value) {
    if (!parser.isSet(name))
        return true;
    bool ok = false;
    value = parser.value(name).toLongLong(&ok);
    if (ok && value >= low && value <= high)
        return true;
    std::fprintf(stderr, "--%s needs a whole number from %lld to %lld\n", qPrintable(name),
                 static_cast<long long>(low), static_cast<long long>(high));
    return false;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Writes in-line csv measurement files into an input folder."));
    parser.addHelpOption();
    parser.addOptions({
        {QStringLiteral("kind"),
         QStringLiteral("production, maintenance, postbake, keyphrase, xscan or mixed "
                        "(default production)."),
         QStringLiteral("K")},
        {QStringLiteral("count"), QStringLiteral("Files per drop (default 1)."),
         QStringLiteral("N")},
        {QStringLiteral("seed"), QStringLiteral("Seed of the generated values (default 1)."),
         QStringLiteral("S")},
        {QStringLiteral("out"), QStringLiteral("Folder to write into (default: current)."),
         QStringLiteral("FOLDER")},
        {QStringLiteral("points"), QStringLiteral("Values per spectrum row (default 125)."),
         QStringLiteral("W")},
        {QStringLiteral("blocks"), QStringLiteral("Spectrum blocks, 3 or 4 (default 4)."),
         QStringLiteral("B")},
        {QStringLiteral("short-blocks"), QStringLiteral("Blocks without wavelength row.")},
        {QStringLiteral("every"), QStringLiteral("Drop new files every this many seconds."),
         QStringLiteral("SECONDS")},
        {QStringLiteral("max-seconds"),
         QStringLiteral("End --every after this many seconds (default: never)."),
         QStringLiteral("S")},
    });
    parser.process(app);
    if (!parser.positionalArguments().isEmpty())
        parser.showHelp(2);

    qint64 count = 1, seed = 1, points = 125, blocks = 4, every = 0, max_seconds = 0;
    if (!read_number(parser, QStringLiteral("count"), 0, 100000, count) ||
        !read_number(parser, QStringLiteral("seed"), 0, 4294967295LL, seed) ||
        !read_number(parser, QStringLiteral("points"), 1, 10000, points) ||
        !read_number(parser, QStringLiteral("blocks"), 3, 4, blocks) ||
        !read_number(parser, QStringLiteral("every"), 1, 86400, every) ||
        !read_number(parser, QStringLiteral("max-seconds"), 0, 1LL << 40, max_seconds))
        return 2;

    const QString kind_name = parser.value(QStringLiteral("kind")).isEmpty()
                                  ? QStringLiteral("production")
                                  : parser.value(QStringLiteral("kind"));
    static const QStringList kind_names = {
        QStringLiteral("production"), QStringLiteral("maintenance"), QStringLiteral("postbake"),
        QStringLiteral("keyphrase"), QStringLiteral("xscan")};
    const bool mixed = kind_name == QStringLiteral("mixed");
    if (!mixed && !kind_names.contains(kind_name)) {
        std::fprintf(stderr, "unknown --kind %s\n", qPrintable(kind_name));
        return 2;
    }

    const QString folder =
        QDir(parser.value(QStringLiteral("out")).isEmpty() ? QStringLiteral(".")
                                                           : parser.value(QStringLiteral("out")))
            .absolutePath();
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(folder));
        return 1;
    }

    layout_options layout;
    layout.points = static_cast<int>(points);
    layout.blocks = static_cast<int>(blocks);
    layout.short_blocks = parser.isSet(QStringLiteral("short-blocks"));
    std::mt19937 random(static_cast<std::uint32_t>(seed));
    int sequence = 1;

    auto drop = [&]() {
        for (qint64 i = 0; i < count; ++i) {
            const int k =
                mixed ? random_int(random, 0, 4) : static_cast<int>(kind_names.indexOf(kind_name));
            if (!drop_file(folder, static_cast<csv_kind>(k), sequence, layout, random)) {
                std::fprintf(stderr, "could not write a file into %s\n", qPrintable(folder));
                return false;
            }
        }
        return true;
    };

    try {
        if (!drop())
            return 1;
        if (every > 0) {
            // Drops at fixed times (every, 2 every, ...), so a run of max-seconds S makes
            // S / every + 1 drops however long writing takes.
            QElapsedTimer running;
            running.start();
            for (qint64 k = 1; max_seconds == 0 || k * every <= max_seconds; ++k) {
                const qint64 wait = k * every * 1000 - running.elapsed();
                if (wait > 0)
                    QThread::msleep(static_cast<unsigned long>(wait));
                if (!drop())
                    return 1;
            }
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
