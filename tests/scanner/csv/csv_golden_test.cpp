// Csv inputs against scan files worked out byte for byte by an independent model
// (tests/checks/expected_scan_files.py, run by tests/data/csv/golden/regenerate): the
// GUI-free path of the csv step from the lines of a file to the scan files it writes.
#include "scanner/csv/csv_reader.h"
#include "scanner/csv/csv_routing.h"
#include "shared/basics/scan_data.h"
#include "shared/platform/line_list.h"

#include "test_data_path.h"
#include "tests/support/scratch_fixture.h"

#include <QDate>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTime>

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

const QString golden_folder = QStringLiteral(KALIX_TEST_DATA_DIR "/csv/golden/");

// Every input gets this last-write time before it is read; the model uses the same moment.
const QDateTime moment_of_measurement(QDate(2026, 3, 7), QTime(10, 15), Qt::LocalTime);

struct golden_case {
    const char* folder;
    const char* csv_name; // the name the routing sees
};

// case.txt of each folder: product before the file, scan files per pane, the point count
// to fall back on, and the product the routing leaves.
const golden_case cases[] = {
    {"production_whole", "line7_000001.csv"},
    {"production_parts", "line7_000002.csv"},
    {"maintenance", "line7_maintenance_000001.csv"},
    {"short_blocks", "line7_000003.csv"},
    {"short_blocks_narrow", "line7_000004.csv"},
    {"three_blocks", "line7_000005.csv"},
    {"xscan_37", "line7_xscan_000001.csv"},
    {"xscan_80", "line7_xscan_000002.csv"},
    {"postbake_4points", "line7_postbake_000001.csv"},
    {"keyphrase_C_BB", "x-C-BB.csv"},
    {"keyphrase_O_AB", "line7-O-AB_0815.csv"},
    {"keyphrase_P_BB_integer", "line7-P-BB_000001.csv"},
    {"keyphrase_empty_plate", "odd-C-BB.csv"},
    {"plate_text_odd", "line7_000006.csv"},
    {"position_rows_as_sheet_rows", "line7_000007.csv"},
};

// Files below `folder` by their path relative to `base` ("production/4711.scn").
std::map<QString, QByteArray> files_below(const QString& base, const QString& folder) {
    std::map<QString, QByteArray> files;
    QDirIterator it(base + folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString name = it.next();
        QFile f(name);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name.toStdString();
        files[QDir(base).relativeFilePath(name)] = f.readAll();
    }
    return files;
}

// Where two scan files part: the first differing byte and the field it lies in.
std::string first_difference(const QByteArray& expected, const QByteArray& actual) {
    const qsizetype n = std::min(expected.size(), actual.size());
    qsizetype i = 0;
    while (i < n && expected[i] == actual[i])
        ++i;
    return "sizes " + std::to_string(expected.size()) + " / " + std::to_string(actual.size()) +
           ", first difference at byte " + std::to_string(i);
}

class csv_golden : public scratch_fixture, public ::testing::WithParamInterface<golden_case> {};

TEST_P(csv_golden, scan_files_match_the_model) {
    const golden_case& c = GetParam();
    const QString case_folder = golden_folder + QString::fromLatin1(c.folder) + u'/';
    const QString name = QString::fromLatin1(c.csv_name);

    QStringList settings;
    ASSERT_TRUE(platform::load_lines(case_folder + "case.txt", settings));
    ASSERT_EQ(settings.size(), 4);
    const QString product = settings[0];
    const int no_scan_files = settings[1].toInt();
    const int fallback_points = settings[2].toInt();
    const QString product_after = settings[3];

    QFile source(case_folder + name);
    ASSERT_TRUE(source.open(QIODevice::ReadOnly)) << source.fileName().toStdString();
    const QString csv_file = write_file("input/" + name, source.readAll());
    {
        QFile touched(csv_file);
        ASSERT_TRUE(touched.open(QIODevice::ReadWrite));
        ASSERT_TRUE(touched.setFileTime(moment_of_measurement, QFileDevice::FileModificationTime));
    }

    QStringList lines;
    ASSERT_TRUE(platform::load_lines(csv_file, lines));
    ASSERT_GT(lines.size(), 10);
    const csv_layout layout =
        read_csv_layout(lines, name, csv_file_time(csv_file), fallback_points);
    ASSERT_TRUE(layout.complete()) << layout.missing.join(u'\n').toStdString();
    const csv_plate plate = read_csv_plate(layout);

    csv_route_input in;
    in.file_name = name;
    in.zeiss_plate = plate.zeiss_plate;
    in.zeiss_plate_id = plate.zeiss_plate_id;
    in.plate_text = layout.plate_text;
    in.position_count = layout.no_positions;
    in.x_scan = layout.x_scan != x_scan_kind::none;
    in.product = product;
    in.postbake_product = QStringLiteral("PostDemo");
    in.no_scan_files = no_scan_files;
    const csv_route route = route_csv_file(in);
    EXPECT_EQ((route.change_product ? route.new_product : product).toStdString(),
              product_after.toStdString());

    scan_data sc_data;
    read_csv_values(lines, layout, name, sc_data);
    apply_position_offsets(sc_data, route.postbake_mode, postbake_offsets{});
    const QString out = path("out") + u'/';
    QDir().mkpath(out + "production");
    QDir().mkpath(out + "postbake");
    for (const scan_file_target& t : scan_file_targets(route, out + "production", out + "postbake"))
        ASSERT_TRUE(t.part == 0 ? sc_data.savetofile(t.file_name)
                                : sc_data.save_partially_to_file(t.file_name, t.part, t.no_parts))
            << t.file_name.toStdString();

    const auto expected = files_below(case_folder + "expected/", QString());
    const auto actual = files_below(out, QString());
    ASSERT_FALSE(expected.empty());
    for (const auto& [file, bytes] : expected) {
        const auto found = actual.find(file);
        if (found == actual.end()) {
            ADD_FAILURE() << "missing " << file.toStdString();
            continue;
        }
        EXPECT_TRUE(found->second == bytes)
            << file.toStdString() << ": " << first_difference(bytes, found->second);
    }
    for (const auto& [file, bytes] : actual)
        EXPECT_TRUE(expected.count(file)) << "unexpected " << file.toStdString();
}

INSTANTIATE_TEST_SUITE_P(golden, csv_golden, ::testing::ValuesIn(cases),
                         [](const ::testing::TestParamInfo<golden_case>& info) {
                             return std::string(info.param.folder);
                         });

// Every folder of golden files is a case of the table.
TEST(csv_golden_table, every_folder_is_a_case) {
    const QStringList folders = QDir(golden_folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    QStringList named;
    for (const golden_case& c : cases)
        named << QString::fromLatin1(c.folder);
    for (const QString& folder : folders)
        EXPECT_TRUE(named.contains(folder)) << folder.toStdString();
}

} // namespace
