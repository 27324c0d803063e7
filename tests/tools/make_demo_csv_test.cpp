#include "shared/basics/number_text.h"
#include "shared/basics/text_fields.h"
#include "tests/support/scratch_fixture.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <cmath>
#include <vector>

#include <gtest/gtest.h>

namespace {

// The shape of a csv file as the scanner's reader sees it, taken by the reader's own rules
// (key lines by their start, fields by semicolons, strict numbers).
struct csv_shape {
    int stamp = -1;
    int rows = 0;
    int glass = 0;
    QString plate;
    int sheet_resistance_column = 0;
    int sheet_resistance_rows = 0;
    std::vector<int> block_points; // points of the wavelength row; 0 for a short block
    bool value_rows_complete = true;
    bool crlf_only = true;
};

bool is_integer(const QString& text) {
    int value = 0;
    return text_to_integer(text, value);
}

csv_shape shape_of(const QString& file_name, int points) {
    csv_shape s;
    QFile file(file_name);
    if (!file.open(QIODevice::ReadOnly))
        return s;
    const QByteArray content = file.readAll();
    s.crlf_only = content.endsWith("\r\n") && content.count('\n') == content.count("\r\n");
    QStringList lines = QString::fromLatin1(content).split(QStringLiteral("\r\n"));
    lines.removeLast();
    for (int i = 0; i < lines.size() && s.stamp < 0; ++i) {
        if (lines[i].left(5).toLower() == QStringLiteral("stamp"))
            s.stamp = i;
    }
    if (s.stamp < 0)
        return s;
    s.plate = semicolon_field(lines.value(s.stamp + 1), 2);
    for (int i = s.stamp + 1; i < lines.size() && is_integer(semicolon_field(lines[i], 4)); ++i) {
        ++s.rows;
        if (!std::isnan(text_to_float(semicolon_field(lines[i], 7))))
            ++s.glass;
    }
    const QString& stamp = lines[s.stamp];
    for (int i = 0; i <= semicolon_count(stamp); ++i) {
        if (semicolon_field(stamp, i).toLower() == QStringLiteral("sheet resistance"))
            s.sheet_resistance_column = i;
    }
    for (int i = 5; i < lines.size(); ++i) {
        int row = 0;
        if (semicolon_field(lines[i], 3).toLower() == QStringLiteral("sheet resistance") &&
            text_to_integer(semicolon_field(lines[i], 4), row) && row > 0 &&
            !std::isnan(text_to_float(semicolon_field(lines[i], s.sheet_resistance_column))))
            ++s.sheet_resistance_rows;
    }
    for (int i = 0; i < lines.size(); ++i) {
        if (lines[i].left(8).toLower() != QStringLiteral("spectrum"))
            continue;
        int first_value_row = i + 1;
        int block_points = 0;
        if (semicolon_field(lines.value(i + 1), 1).isEmpty()) {
            const QString& row = lines.value(i + 2);
            while (!semicolon_field(row, block_points + 1).isEmpty())
                ++block_points;
            first_value_row = i + 4;
        }
        s.block_points.push_back(block_points);
        for (int r = 0; r < s.rows; ++r) {
            const QString& row = lines.value(first_value_row + r);
            for (int w = 0; w < points; ++w) {
                if (std::isnan(text_to_float(semicolon_field(row, w + 1))))
                    s.value_rows_complete = false;
            }
        }
        // The block holds exactly one value row per position row.
        if (!std::isnan(text_to_float(semicolon_field(lines.value(first_value_row + s.rows), 1))))
            s.value_rows_complete = false;
    }
    return s;
}

class make_demo_csv : public scratch_fixture {
protected:
    // Runs the tool into the folder "out"; the names of the files it wrote.
    QStringList run(const QStringList& arguments) {
        QProcess tool;
        tool.start(QStringLiteral(MAKE_DEMO_CSV_PATH), QStringList(arguments)
                                                           << QStringLiteral("--out") << out());
        EXPECT_TRUE(tool.waitForFinished(30000));
        EXPECT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
        return QDir(out()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
    QString out() const { return path(QStringLiteral("out")); }
    QString file(const QString& name) const { return out() + QDir::separator() + name; }
};

TEST_F(make_demo_csv, every_kind_in_the_reader_layout) {
    struct kind_case {
        const char* kind;
        int min_rows;
        int max_rows;
    };
    const kind_case cases[] = {
        {"production", 21, 21}, {"maintenance", 32, 32}, {"postbake", 4, 14},
        {"keyphrase", 5, 14},   {"xscan", 100, 100},
    };
    for (const kind_case& c : cases) {
        QDir(out()).removeRecursively();
        const QStringList names =
            run({QStringLiteral("--kind"), QString::fromLatin1(c.kind), QStringLiteral("--count"),
                 QStringLiteral("6"), QStringLiteral("--seed"), QStringLiteral("7")});
        ASSERT_EQ(names.size(), 6) << c.kind << names.join(u' ').toStdString();
        for (const QString& name : names) {
            const std::string what = std::string(c.kind) + " " + name.toStdString();
            EXPECT_TRUE(name.endsWith(QStringLiteral(".csv"))) << what;
            const csv_shape s = shape_of(file(name), 125);
            EXPECT_TRUE(s.crlf_only) << what;
            EXPECT_GE(s.stamp, 5) << what; // the head keeps sheet-resistance rows off line 0-4
            EXPECT_GE(s.rows, c.min_rows) << what;
            EXPECT_LE(s.rows, c.max_rows) << what;
            EXPECT_EQ(s.block_points, (std::vector<int>{125, 125, 125, 125})) << what;
            EXPECT_TRUE(s.value_rows_complete) << what;
            EXPECT_EQ(s.sheet_resistance_column, 8) << what;
            EXPECT_EQ(s.sheet_resistance_rows, s.glass) << what;

            int plate = 0;
            const bool integer_plate = text_to_integer(s.plate, plate);
            const QString kind = QString::fromLatin1(c.kind);
            if (kind == QStringLiteral("keyphrase")) {
                // The plate text ends in the key phrase of the file name.
                ASSERT_FALSE(integer_plate) << what;
                EXPECT_TRUE(name.contains(s.plate.right(5) + u'_')) << what;
                EXPECT_TRUE(s.plate.endsWith(QStringLiteral("-AB")) ||
                            s.plate.endsWith(QStringLiteral("-BB")))
                    << what;
            } else {
                ASSERT_TRUE(integer_plate) << what;
                if (kind == QStringLiteral("postbake")) {
                    if (s.rows == 4) { // the 4-point sample carries bit 15
                        EXPECT_NE(plate & 0x8000, 0) << what;
                    }
                } else {
                    EXPECT_EQ(plate & 0xE000, 0) << what;
                }
            }
            if (kind == QStringLiteral("xscan")) {
                EXPECT_GT(s.glass, 0) << what;
                EXPECT_LT(s.glass, 100) << what;
            } else {
                EXPECT_EQ(s.glass, s.rows) << what;
            }
        }
    }
}

TEST_F(make_demo_csv, block_forms_and_counts) {
    struct form_case {
        QStringList arguments;
        std::vector<int> block_points;
        int points;
    };
    const form_case cases[] = {
        {{"--blocks", "3"}, {125, 125, 125}, 125},
        {{"--short-blocks"}, {0, 0, 0, 0}, 125},
        {{"--short-blocks", "--blocks", "3", "--points", "7"}, {0, 0, 0}, 7},
        {{"--points", "1"}, {1, 1, 1, 1}, 1},
    };
    for (const form_case& c : cases) {
        QDir(out()).removeRecursively();
        const QStringList names = run(c.arguments);
        ASSERT_EQ(names.size(), 1);
        const csv_shape s = shape_of(file(names[0]), c.points);
        EXPECT_EQ(s.block_points, c.block_points) << c.arguments.join(u' ').toStdString();
        EXPECT_TRUE(s.value_rows_complete) << c.arguments.join(u' ').toStdString();
    }
}

TEST_F(make_demo_csv, names_never_reused) {
    const QStringList first = run({QStringLiteral("--kind"), QStringLiteral("mixed"),
                                   QStringLiteral("--count"), QStringLiteral("3")});
    ASSERT_EQ(first.size(), 3);
    // A second run into the same folder moves on to new names instead of replacing files.
    const QStringList both = run({QStringLiteral("--kind"), QStringLiteral("mixed"),
                                  QStringLiteral("--count"), QStringLiteral("3")});
    EXPECT_EQ(both.size(), 6);
}

TEST_F(make_demo_csv, follow_mode_drops_whole_files_on_schedule) {
    // Drops at 0, 1 and 2 seconds.
    const QStringList names =
        run({QStringLiteral("--count"), QStringLiteral("2"), QStringLiteral("--every"),
             QStringLiteral("1"), QStringLiteral("--max-seconds"), QStringLiteral("2")});
    EXPECT_EQ(names.size(), 6) << names.join(u' ').toStdString();
    for (const QString& name : names)
        EXPECT_TRUE(name.endsWith(QStringLiteral(".csv"))) << name.toStdString(); // no .tmp left
}

TEST_F(make_demo_csv, bad_options_refused) {
    for (const QStringList& arguments :
         {QStringList{"--kind", "nonsense"}, QStringList{"--blocks", "5"},
          QStringList{"--points", "0"}, QStringList{"--every", "x"}}) {
        QProcess tool;
        tool.start(QStringLiteral(MAKE_DEMO_CSV_PATH), QStringList(arguments)
                                                           << QStringLiteral("--out") << out());
        ASSERT_TRUE(tool.waitForFinished(30000));
        EXPECT_EQ(tool.exitCode(), 2) << arguments.join(u' ').toStdString();
        EXPECT_TRUE(QDir(out()).entryList(QDir::Files).isEmpty());
    }
}

} // namespace
