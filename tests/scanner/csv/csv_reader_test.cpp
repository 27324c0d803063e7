#include "scanner/csv/csv_reader.h"

#include "shared/platform/line_list.h"

#include "test_data_path.h"
#include "tests/support/scratch_fixture.h"

#include <QDate>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTime>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace {

const QString file_name = QStringLiteral("line4_0815.csv");
const QDateTime leap_evening(QDate(2024, 2, 29), QTime(18, 0)); // day number 45351.75

QStringList fixture(const char* name) {
    QStringList lines;
    const QString path = QStringLiteral(KALIX_TEST_DATA_DIR "/csv/reader/") + name;
    EXPECT_TRUE(platform::load_lines(path, lines)) << path.toStdString();
    return lines;
}

// Value of point w of block k at position row r: every slot tells its origin apart and is
// exact in single precision.
float value_of(int k, int r, int w) {
    return static_cast<float>(1000000 * (k + 1) + 1000 * r + w);
}

// Builds csv files line by line in the in-line system's layout.
struct csv_builder {
    QStringList lines{QStringLiteral("Measurement report"), QStringLiteral("Line;4"),
                      QStringLiteral("Recipe;R"), QStringLiteral("Operator;O"),
                      QStringLiteral("Date;2026-12-10")};
    int rows = 0;
    std::function<bool(int)> glass = [](int) { return true; };

    csv_builder& line(const QString& text) {
        lines.append(text);
        return *this;
    }
    csv_builder& stamp(const QString& text = QStringLiteral(
                           "Stamp;Plate;Kind;Position;X;Y;Glass;Sheet Resistance; ")) {
        return line(text);
    }
    // Position rows with the given plate text; positions 10, 20, ...; sheet resistance r + 0.5.
    csv_builder& position_rows(int count, const QString& plate = QStringLiteral("4711")) {
        rows = count;
        for (int r = 0; r < count; ++r)
            line(QStringLiteral("%1;%2;Sheet Resistance;%3;0;0;%4;%5;")
                     .arg(r + 1)
                     .arg(plate)
                     .arg(10 * (r + 1))
                     .arg(glass(r) ? QStringLiteral("1.5") : QString())
                     .arg(r + 0.5));
        return *this;
    }
    QString value_row(int k, int r, int points) const {
        QStringList fields;
        for (int w = 0; w < points; ++w)
            fields.append(QString::number(value_of(k, r, w), 'f', 0));
        return fields.join(u';');
    }
    // A long-form block: spectrum line, empty first field, wavelength row, unit row, values.
    csv_builder& long_block(int k, int first_x, int step, int points, int value_rows = -1) {
        line(QStringLiteral("Spectrum;%1").arg(k + 1));
        line(QStringLiteral(";"));
        QStringList axis;
        for (int w = 0; w < points; ++w)
            axis.append(QString::number(first_x + step * w));
        line(axis.join(u';'));
        line(QStringLiteral("nm"));
        return values(k, points, value_rows);
    }
    // A short-form block: the value rows follow the spectrum line directly.
    csv_builder& short_block(int k, int points, int value_rows = -1) {
        line(QStringLiteral("SPECTRUM %1").arg(k + 1));
        return values(k, points, value_rows);
    }
    csv_builder& values(int k, int points, int value_rows) {
        for (int r = 0; r < (value_rows < 0 ? rows : value_rows); ++r)
            line(value_row(k, r, points));
        return *this;
    }
    csv_builder& four_blocks(int points = 5) {
        for (int k = 0; k < 4; ++k)
            long_block(k, 380, 5, points);
        return *this;
    }
};

struct read_file {
    csv_layout layout;
    csv_plate plate;
    scan_data scan;
    QStringList board;
};

// The whole reading in the order the csv step runs it.
read_file read_all(const QStringList& lines, std::int32_t fallback_points = 7) {
    read_file result;
    result.layout = read_csv_layout(lines, file_name, leap_evening, fallback_points);
    result.board = result.layout.board_lines;
    if (!result.layout.stamp_found)
        return result;
    result.plate = read_csv_plate(result.layout);
    result.board += read_csv_values(lines, result.layout, file_name, result.scan);
    return result;
}

float slot(const scan_data& scan, int p, int s, int w) {
    return scan.spectral_data[scan.the_index(p, s, w)];
}

// The reference file --------------------------------------------------------------------

TEST(csv_reader, reference_file_fills_every_part_of_the_container) {
    const read_file r = read_all(fixture("four_blocks.csv"));
    ASSERT_TRUE(r.layout.complete());
    EXPECT_TRUE(r.board.isEmpty()) << r.board.join(u'\n').toStdString();

    EXPECT_EQ(r.layout.x_scan, x_scan_kind::none);
    EXPECT_EQ(r.layout.no_rows, 3);
    EXPECT_EQ(r.layout.no_glass, 2);
    EXPECT_EQ(r.layout.glass_rows, (std::vector<bool>{true, false, true}));
    EXPECT_EQ(r.layout.plate_text, QStringLiteral("4711"));
    EXPECT_EQ(r.layout.sheet_resistance_column, 8);
    EXPECT_EQ(r.plate.zeiss_plate, 4711);
    EXPECT_TRUE(r.plate.zeiss_plate_id.isEmpty());
    EXPECT_EQ(r.layout.no_spectral_positions, 5);

    const scan_data& s = r.scan;
    EXPECT_EQ(s.no_positions, 3);
    EXPECT_EQ(s.no_spectra, 4);
    EXPECT_EQ(s.max_no_points, 5);
    EXPECT_EQ(s.positions, (std::vector<std::int32_t>{150, 900, 1650}));
    EXPECT_EQ(s.sheet_resistance, (std::vector<float>{2.5f, 2.75f, 3.125f}));
    EXPECT_EQ(s.x_min, (std::vector<float>{380, 400, 500, 600}));
    EXPECT_EQ(s.x_max, (std::vector<float>{420, 480, 530, 640}));
    EXPECT_EQ(s.no_points, (std::vector<std::int32_t>{5, 5, 4, 5}));
    EXPECT_DOUBLE_EQ(s.time_of_measurement, 45351.75);
    for (int k = 0; k < 4; ++k)
        for (int p = 0; p < 3; ++p)
            for (int w = 0; w < s.no_points[k]; ++w)
                EXPECT_EQ(slot(s, p, k, w), static_cast<float>((k + 1) * 100 + p * 10 + w) + 0.5f)
                    << k << " " << p << " " << w;
    // The narrower third block ends with its own rows; its fifth slot is no error and 0.
    EXPECT_EQ(slot(s, 1, 2, 4), 0.0f);
}

TEST(csv_reader, wide_wavelength_rows_give_the_widest_count_and_their_range) {
    // 125 wavelengths 380, 385, ... 1000 in each of four blocks.
    const read_file r = read_all(csv_builder().stamp().position_rows(2).four_blocks(125).lines);
    ASSERT_TRUE(r.layout.complete());
    EXPECT_EQ(r.layout.no_spectral_positions, 125);
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(r.scan.x_min[k], 380.0f);
        EXPECT_EQ(r.scan.x_max[k], 1000.0f);
        EXPECT_EQ(r.scan.no_points[k], 125);
        EXPECT_EQ(slot(r.scan, 1, k, 124), value_of(k, 1, 124));
    }
}

// Blocks --------------------------------------------------------------------------------

TEST(csv_reader, three_blocks_repeat_the_third_axis_in_a_fourth_spectrum_of_zeros) {
    csv_builder b;
    b.stamp()
        .position_rows(2)
        .long_block(0, 380, 5, 6)
        .long_block(1, 400, 10, 6)
        .long_block(2, 500, 20, 4);
    const read_file r = read_all(b.lines);
    ASSERT_TRUE(r.layout.complete());
    EXPECT_TRUE(r.board.isEmpty()) << r.board.join(u'\n').toStdString();
    EXPECT_EQ(r.layout.no_spectral_positions, 6);
    EXPECT_EQ(r.scan.x_min[3], 500.0f);
    EXPECT_EQ(r.scan.x_max[3], 560.0f);
    EXPECT_EQ(r.scan.no_points[3], 4);
    EXPECT_EQ(slot(r.scan, 1, 2, 3), value_of(2, 1, 3));
    for (int p = 0; p < 2; ++p)
        for (int w = 0; w < 6; ++w)
            EXPECT_EQ(slot(r.scan, p, 3, w), 0.0f);
}

TEST(csv_reader, a_short_form_block_gives_every_spectrum_the_default_axis) {
    // W falls back on the caller's value: the settings value or the last usable file's.
    csv_builder b;
    b.stamp().position_rows(2).long_block(0, 380, 5, 6).short_block(1, 6).long_block(2, 380, 5, 6);
    b.long_block(3, 380, 5, 6);
    const read_file r = read_all(b.lines, 6);
    ASSERT_TRUE(r.layout.complete());
    EXPECT_EQ(r.layout.no_spectral_positions, 6);
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(r.scan.x_min[k], 380.0f);
        EXPECT_EQ(r.scan.x_max[k], 405.0f);
        EXPECT_EQ(r.scan.no_points[k], 6);
    }
    // The short block's values start right after its spectrum line.
    EXPECT_EQ(slot(r.scan, 0, 1, 0), value_of(1, 0, 0));
    EXPECT_EQ(slot(r.scan, 1, 3, 5), value_of(3, 1, 5));
}

TEST(csv_reader, default_axis_follows_the_fallback_count_and_bounds_it) {
    struct fallback_case {
        std::int32_t given;
        std::int32_t used;
    };
    for (const fallback_case c : {fallback_case{125, 125}, fallback_case{1, 1},
                                  fallback_case{-5, 0}, fallback_case{1 << 30, csv_max_points}}) {
        csv_builder b;
        b.stamp().position_rows(1);
        for (int k = 0; k < 4; ++k)
            b.short_block(k, 3);
        const read_file r = read_all(b.lines, c.given);
        EXPECT_EQ(r.layout.no_spectral_positions, c.used) << c.given;
        EXPECT_EQ(r.scan.x_max[0], 380.0f + 5.0f * static_cast<float>(c.used - 1)) << c.given;
        EXPECT_EQ(r.scan.spectral_data.size(), std::size_t(4) * c.used) << c.given;
    }
}

TEST(csv_reader, wavelength_rows_without_numbers_above_100_fail_the_range_test) {
    // "Above 100" is strict; field 1 always counts as a point, even when it is empty.
    struct row_case {
        const char* row;
        std::int32_t points;
        float x_min;
    };
    for (const row_case c : {row_case{"100;100;100", 9, 380.0f}, row_case{"a;b;c", 9, 380.0f},
                             row_case{";390;400", 3, 390.0f}, row_case{"100.5", 1, 100.5f},
                             row_case{"400;;500", 1, 400.0f}}) {
        csv_builder b;
        b.stamp().position_rows(1);
        for (int k = 0; k < 4; ++k) {
            b.line(QStringLiteral("Spectrum")).line(QStringLiteral(";"));
            b.line(QString::fromLatin1(c.row)).line(QStringLiteral("nm"));
            b.line(QStringLiteral("1;2;3"));
        }
        const read_file r = read_all(b.lines, 9);
        EXPECT_EQ(r.layout.no_spectral_positions, c.points) << c.row;
        EXPECT_EQ(r.scan.x_min[0], c.x_min) << c.row;
        EXPECT_EQ(r.scan.no_points[3], c.points) << c.row;
    }
}

TEST(csv_reader,
     stamp_on_the_first_line_is_read_and_spectrum_on_the_first_line_is_not_a_value_block) {
    csv_builder b;
    b.lines.clear();
    b.stamp().position_rows(2).four_blocks(3);
    const read_file first_stamp = read_all(b.lines);
    ASSERT_TRUE(first_stamp.layout.complete());
    EXPECT_EQ(first_stamp.scan.positions, (std::vector<std::int32_t>{10, 20}));
    EXPECT_EQ(slot(first_stamp.scan, 1, 3, 2), value_of(3, 1, 2));

    // A spectrum line at index 0 counts for the ranges but the value reading starts at line 1,
    // so its blocks are the next three spectrum lines; the fourth spectrum, which the value
    // reading does not find, repeats the axis of the third range block.
    csv_builder s;
    s.lines = {QStringLiteral("Spectrum overview"),
               QStringLiteral(";"),
               QStringLiteral("200;300"),
               QStringLiteral("nm"),
               QStringLiteral("x"),
               QStringLiteral("x")};
    s.stamp().position_rows(1).long_block(0, 380, 5, 2).long_block(1, 400, 5, 2);
    s.long_block(2, 500, 5, 2);
    const read_file r = read_all(s.lines);
    ASSERT_TRUE(r.layout.complete());
    EXPECT_EQ(r.scan.x_min, (std::vector<float>{200, 380, 400, 400}));
    EXPECT_EQ(slot(r.scan, 0, 0, 1), value_of(0, 0, 1));
    EXPECT_EQ(slot(r.scan, 0, 2, 1), value_of(2, 0, 1));
    EXPECT_EQ(slot(r.scan, 0, 3, 1), 0.0f);
}

// Position table ------------------------------------------------------------------------

TEST(csv_reader, x_scans_keep_only_glass_rows_at_fixed_steps) {
    struct x_case {
        int rows;
        x_scan_kind kind;
        int first_position;
        int step;
    };
    // Every third row carries glass: 33 of 100, 27 of 80; 99 and 101 rows are no x-scan.
    for (const x_case c :
         {x_case{100, x_scan_kind::positions_100, 0, 100},
          x_case{80, x_scan_kind::positions_80, 2000, 30}, x_case{99, x_scan_kind::none, 10, 10},
          x_case{101, x_scan_kind::none, 10, 10}}) {
        csv_builder b;
        b.glass = [](int r) { return r % 3 == 1; };
        b.stamp().position_rows(c.rows).four_blocks(4);
        const read_file r = read_all(b.lines);
        ASSERT_TRUE(r.layout.complete()) << c.rows;
        const int glass = (c.rows + 1) / 3;
        const bool x_scan = c.kind != x_scan_kind::none;
        EXPECT_EQ(r.layout.x_scan, c.kind) << c.rows;
        EXPECT_EQ(r.layout.no_glass, glass) << c.rows;
        const int n = x_scan ? glass : c.rows;
        ASSERT_EQ(r.scan.no_positions, n) << c.rows;
        for (int p = 0; p < n; ++p) {
            EXPECT_EQ(r.scan.positions[p], c.first_position + c.step * p) << c.rows << " " << p;
            const int row = x_scan ? 3 * p + 1 : p;
            for (int k = 0; k < 4; ++k)
                EXPECT_EQ(slot(r.scan, p, k, 3), value_of(k, row, 3)) << c.rows << " " << p;
        }
    }
}

TEST(csv_reader, glass_needs_a_number_in_field_7) {
    csv_builder b;
    b.stamp();
    for (const char* glass : {"1.5", "", "x", "1,5", "2e3", " 0 "})
        b.line(QStringLiteral("1;7;k;10;0;0;%1").arg(QString::fromLatin1(glass)));
    b.four_blocks(2);
    const read_file r = read_all(b.lines);
    EXPECT_EQ(r.layout.glass_rows, (std::vector<bool>{true, false, false, false, true, true}));
    EXPECT_EQ(r.layout.no_glass, 3);
}

TEST(csv_reader, position_table_ends_at_the_first_row_without_an_integer_position) {
    csv_builder b;
    b.stamp();
    for (const char* position : {"10", "$1F", " 30 ", "40.0", "50"})
        b.line(QStringLiteral("1;7;k;%1;0;0;1").arg(QString::fromLatin1(position)));
    const csv_layout layout = read_csv_layout(b.lines, file_name, leap_evening, 3);
    EXPECT_EQ(layout.positions, (std::vector<std::int32_t>{10, 31, 30}));
}

TEST(csv_reader, sheet_resistance_column_is_the_last_match_before_the_last_field) {
    struct column_case {
        const char* stamp;
        int column;
    };
    for (const column_case c : {
             column_case{"Stamp;Plate;Kind;Position;X;Y;Glass;Sheet Resistance; ", 8},
             column_case{"Stamp;Plate;Kind;Position;X;Y;Glass;Sheet Resistance", 0},
             column_case{"stamp;x;Sheet Resistance;", 3},
             column_case{"stamp;SHEET RESISTANCE;b;  sheet resistance ;c;d", 4},
             column_case{"stamp;sheet  resistance;sheet resistance2;", 0},
         }) {
        const csv_layout layout =
            read_csv_layout({QString::fromLatin1(c.stamp)}, file_name, leap_evening, 3);
        EXPECT_EQ(layout.sheet_resistance_column, c.column) << c.stamp;
    }
}

TEST(csv_reader, sheet_resistance_rows_come_from_line_5_on_and_fill_at_most_n_slots) {
    csv_builder b;
    b.lines[4] = QStringLiteral("0;0;Sheet Resistance;1;0;0;1;99;"); // head: never a row
    b.stamp().position_rows(3).four_blocks(2);
    b.line(QStringLiteral("x;x;sheet resistance;0;0;0;0;55;"));  // count 0: not a row
    b.line(QStringLiteral("x;x;sheet resistance;-1;0;0;0;55;")); // below 1: not a row
    b.line(QStringLiteral("x;x;sheet resistance;2;0;0;0;77;"));  // fourth row of three slots
    const read_file r = read_all(b.lines);
    EXPECT_EQ(r.scan.sheet_resistance, (std::vector<float>{0.5f, 1.5f, 2.5f}));

    // With only one position row the later rows still fill the slots in file order.
    csv_builder one;
    one.stamp().position_rows(1).four_blocks(2);
    one.line(QStringLiteral("x;x;Sheet Resistance;3;0;0;0;ohm;"));
    const read_file single = read_all(one.lines);
    EXPECT_EQ(single.scan.sheet_resistance, (std::vector<float>{0.5f}));

    csv_builder text;
    text.rows = 2;
    text.stamp().line(QStringLiteral("1;7;Sheet Resistance;10;0;0;1;n/a;"));
    text.line(QStringLiteral("2;7;Other;20;0;0;1;5;")).four_blocks(2);
    const read_file nan = read_all(text.lines);
    ASSERT_EQ(nan.scan.sheet_resistance.size(), 2u);
    EXPECT_TRUE(std::isnan(nan.scan.sheet_resistance[0]));
    EXPECT_EQ(nan.scan.sheet_resistance[1], 0.0f);

    csv_builder none;
    none.stamp(QStringLiteral("Stamp;Plate;Kind;Position;X;Y;Glass;R; "))
        .position_rows(2)
        .four_blocks(2);
    EXPECT_EQ(read_all(none.lines).scan.sheet_resistance, (std::vector<float>{0.0f, 0.0f}));
}

TEST(csv_reader, plate_field_is_a_number_or_kept_as_text) {
    struct plate_case {
        const char* field;
        std::int32_t plate;
        const char* id;
    };
    // A long text stands whole on the board: the operator finds the pane by it.
    const QByteArray long_id = QByteArray(150, 'P') + "-AB";
    for (const plate_case c :
         {plate_case{"4711", 4711, ""}, plate_case{"$1F", 31, ""}, plate_case{"-12", -12, ""},
          plate_case{"12-P-AB", -1, "12-P-AB"}, plate_case{"4711 x", -1, "4711 x"},
          plate_case{"", -1, ""}, plate_case{long_id.constData(), -1, long_id.constData()}}) {
        csv_builder b;
        b.stamp().position_rows(2, QString::fromLatin1(c.field)).four_blocks(2);
        const read_file r = read_all(b.lines);
        EXPECT_EQ(r.plate.zeiss_plate, c.plate) << c.field;
        EXPECT_EQ(r.plate.zeiss_plate_id, QString::fromLatin1(c.id)) << c.field;
        const QString error = QStringLiteral("Error: %1 could not be converted to a plate number.")
                                  .arg(QString::fromLatin1(c.id));
        EXPECT_EQ(r.plate.board_line, c.plate == -1 ? error : QString()) << c.field;
    }
}

// Faults of a file ----------------------------------------------------------------------

TEST(csv_reader, no_stamp_line_is_one_board_line_naming_the_file) {
    csv_builder b;
    b.position_rows(3).four_blocks(3);
    const csv_layout layout = read_csv_layout(b.lines, file_name, leap_evening, 3);
    EXPECT_FALSE(layout.stamp_found);
    EXPECT_FALSE(layout.complete());
    EXPECT_EQ(layout.no_positions, 0);
    EXPECT_EQ(layout.board_lines,
              QStringList{"Error - no unique identification of positions! (line4_0815.csv)"});
    // The ranges are still read, so the point count carries over to the next file.
    EXPECT_EQ(layout.no_spectral_positions, 3);
}

TEST(csv_reader, files_ending_inside_their_structure_yield_no_scan_file) {
    struct cut_case {
        const char* name;
        std::function<void(csv_builder&)> blocks;
        const char* missing;
    };
    const std::vector<cut_case> cases = {
        {"no spectrum line", [](csv_builder&) {}, "no spectrum line"},
        {"two blocks", [](csv_builder& b) { b.long_block(0, 380, 5, 3).long_block(1, 380, 5, 3); },
         "only 2 of at least 3 spectrum blocks"},
        {"short third block",
         [](csv_builder& b) {
             b.long_block(0, 380, 5, 3).long_block(1, 380, 5, 3).long_block(2, 380, 5, 3, 2);
         },
         "block 3 holds 2 of 4 value rows"},
        {"fourth block cut after its spectrum line",
         [](csv_builder& b) { b.four_blocks(3).lines.erase(b.lines.end() - 7, b.lines.end()); },
         "block 4 holds 0 of 4 value rows"},
    };
    for (const cut_case& c : cases) {
        csv_builder b;
        b.stamp().position_rows(4);
        c.blocks(b);
        const read_file r = read_all(b.lines);
        EXPECT_TRUE(r.layout.stamp_found) << c.name;
        EXPECT_FALSE(r.layout.complete()) << c.name;
        EXPECT_EQ(r.layout.missing, QStringList{QString::fromLatin1(c.missing)}) << c.name;
        ASSERT_EQ(r.layout.board_lines.size(), 1) << c.name;
        EXPECT_EQ(r.layout.board_lines[0],
                  QStringLiteral("Error - line4_0815.csv is incomplete, no scan file: ") +
                      QString::fromLatin1(c.missing))
            << c.name;
        // Reading on anyway stays inside the file and leaves what it lacks at 0.
        EXPECT_EQ(r.scan.no_positions, 4) << c.name;
    }
}

TEST(csv_reader, bad_values_are_one_board_line_with_the_first_text_and_the_count) {
    csv_builder b;
    b.stamp().position_rows(2).four_blocks(3);
    b.lines.replace(b.lines.indexOf(b.value_row(1, 0, 3)), QStringLiteral("1;1,5;abc"));
    b.lines.replace(b.lines.indexOf(b.value_row(2, 1, 3)), QStringLiteral("7;;8")); // inner gap
    b.lines.replace(b.lines.indexOf(b.value_row(3, 1, 3)), QStringLiteral("9;10")); // too short
    const read_file r = read_all(b.lines);
    EXPECT_EQ(r.board, QStringList{"Error reading spectral value: 1,5 (line4_0815.csv: 4 values "
                                   "are no numbers)"});
    EXPECT_EQ(slot(r.scan, 0, 1, 0), 1.0f);
    EXPECT_EQ(slot(r.scan, 0, 1, 1), 0.0f);
    EXPECT_EQ(slot(r.scan, 0, 1, 2), 0.0f);
    EXPECT_EQ(slot(r.scan, 1, 2, 2), 8.0f);
    EXPECT_EQ(slot(r.scan, 1, 3, 2), 0.0f);
    EXPECT_EQ(slot(r.scan, 0, 3, 2), value_of(3, 0, 2));
}

TEST(csv_reader, nothing_of_an_earlier_file_survives_in_the_container) {
    csv_builder big;
    big.stamp().position_rows(5).four_blocks(6);
    scan_data scan;
    const csv_layout first = read_csv_layout(big.lines, file_name, leap_evening, 3);
    read_csv_values(big.lines, first, file_name, scan);

    csv_builder small;
    small.stamp(QStringLiteral("Stamp;a;b;c;d;e;f;g;h")).position_rows(2);
    small.long_block(0, 380, 5, 6).long_block(1, 380, 5, 6).long_block(2, 380, 5, 6);
    small.lines.replace(small.lines.size() - 1, QStringLiteral("x")); // one bad value
    const csv_layout second = read_csv_layout(small.lines, file_name, {}, 3);
    read_csv_values(small.lines, second, file_name, scan);
    EXPECT_EQ(scan.no_positions, 2);
    EXPECT_EQ(scan.time_of_measurement, 0.0);
    EXPECT_EQ(scan.sheet_resistance, (std::vector<float>{0.0f, 0.0f}));
    EXPECT_EQ(slot(scan, 1, 2, 0), 0.0f);
    for (int w = 0; w < 6; ++w)
        EXPECT_EQ(slot(scan, 1, 3, w), 0.0f);
}

using csv_reader_file = scratch_fixture;

TEST_F(csv_reader_file, time_of_measurement_is_the_files_last_write_time) {
    const QString csv = write_file(QStringLiteral("in/a.csv"), "stamp\r\n");
    age_file(csv, 36 * 3600);
    const QDateTime written = csv_file_time(csv);
    EXPECT_NEAR(written.secsTo(QDateTime::currentDateTime()), 36 * 3600, 60);
    const csv_layout layout = read_csv_layout({QStringLiteral("stamp")}, file_name, written, 3);
    EXPECT_DOUBLE_EQ(layout.time_of_measurement, to_day_number(written));
    EXPECT_FALSE(csv_file_time(path(QStringLiteral("in/gone.csv"))).isValid());
}

// Damaged input: each case must end quickly with a defined result -----------------------

// Runs the whole reading and checks the invariants any result must keep.
void read_damaged(const QStringList& lines, const char* what) {
    QElapsedTimer clock;
    clock.start();
    const read_file r = read_all(lines);
    const csv_layout& l = r.layout;
    EXPECT_LE(l.no_spectral_positions, csv_max_points) << what;
    EXPECT_EQ(static_cast<std::size_t>(l.no_positions), l.positions.size()) << what;
    EXPECT_EQ(static_cast<std::size_t>(l.no_rows), l.glass_rows.size()) << what;
    if (l.stamp_found) {
        EXPECT_EQ(r.scan.spectral_data.size(),
                  static_cast<std::size_t>(r.scan.no_positions) * 4 * r.scan.max_no_points)
            << what;
        EXPECT_LE(r.board.join(u'\n').size(), 1000) << what;
    }
    // Generous even under sanitizers; a walk that is quadratic in a line takes hours.
    EXPECT_LT(clock.elapsed(), 20000) << what;
}

TEST(csv_reader, binary_noise_is_read_to_a_defined_result) {
    QRandomGenerator random(20261210);
    for (int round = 0; round < 20; ++round) {
        QByteArray bytes(64 * 1024, '\0');
        for (char& c : bytes)
            c = static_cast<char>(random.bounded(256));
        // Some rounds mix the key lines and separators in, so the noise reaches every step.
        if (round % 2 == 1)
            for (int i = 0; i < 200; ++i) {
                const char* piece[] = {"\nstamp;", "\nSpectrum\n;\n", ";", "\n1;2;3;4;5;6;7;8\n"};
                bytes.insert(random.bounded(static_cast<int>(bytes.size())),
                             piece[random.bounded(4)]);
            }
        read_damaged(platform::split_lines(QString::fromLatin1(bytes)), "noise");
    }
}

TEST(csv_reader, lines_of_fifty_megabytes_are_read_to_a_defined_result) {
    const qsizetype size = 25 * 1024 * 1024; // UTF-16: 50 MB
    const QString semicolons(size, u';');
    QString numbers;
    numbers.reserve(size);
    while (numbers.size() < size)
        numbers += QStringLiteral("500;");
    const QString letters(size, u'x');

    read_damaged({semicolons}, "a file of one line of semicolons");
    read_damaged(QStringList(2000, QStringLiteral(";;;;;;;;")), "a file of only semicolons");
    read_damaged({QStringLiteral("stamp") + semicolons, semicolons, semicolons},
                 "stamp and position rows of semicolons");

    csv_builder wide;
    wide.stamp(QStringLiteral("Stamp") + semicolons + QStringLiteral("Sheet Resistance;"));
    wide.line(QStringLiteral("1;") + letters + QStringLiteral(";x;10;0;0;1;")).position_rows(0);
    for (int k = 0; k < 4; ++k)
        wide.line(QStringLiteral("Spectrum")).line(QStringLiteral(";")).line(numbers).line(letters);
    wide.line(numbers);
    read_damaged(wide.lines, "wide wavelength rows, a plate of megabytes, wide value rows");

    const read_file r = read_all(wide.lines);
    EXPECT_EQ(r.layout.no_spectral_positions, csv_max_points);
    EXPECT_EQ(r.layout.sheet_resistance_column, size + 1);
    EXPECT_EQ(r.plate.zeiss_plate, -1);
    EXPECT_EQ(r.plate.zeiss_plate_id.size(), size);
    EXPECT_LT(r.plate.board_line.size(), 4200);
}

TEST(csv_reader, counts_far_beyond_the_file_are_bounded) {
    // 5000 position rows of 1000 points each would ask for 20 million values.
    csv_builder many;
    many.stamp().position_rows(5000);
    for (int k = 0; k < 4; ++k)
        many.long_block(k, 380, 1, 1000, 1);
    read_damaged(many.lines, "many positions of many points");
    const read_file r = read_all(many.lines);
    EXPECT_FALSE(r.layout.complete());
    EXPECT_EQ(r.layout.missing.last(),
              QStringLiteral("5000 positions of 1000 points are too many"));
    EXPECT_EQ(r.scan.no_positions, 0);

    // A stamp line at the end: a table and blocks that the file never reaches.
    csv_builder end;
    end.four_blocks(3).stamp();
    read_damaged(end.lines, "stamp line on the last line");
    const read_file last = read_all(end.lines);
    EXPECT_TRUE(last.layout.complete());
    EXPECT_EQ(last.layout.no_positions, 0);
    EXPECT_TRUE(last.layout.plate_text.isEmpty());
}

// A stamp line followed directly by a line that is no position row: N = 0, routed like any
// other file, an empty scan.
TEST(csv_reader, a_table_without_position_rows_is_read_with_no_positions) {
    csv_builder b;
    b.stamp().line(QStringLiteral("Remark;4711;none;here")).four_blocks(3);
    const read_file r = read_all(b.lines);
    EXPECT_TRUE(r.layout.complete()) << r.layout.missing.join(u';').toStdString();
    EXPECT_EQ(r.layout.no_positions, 0);
    EXPECT_EQ(r.layout.plate_text, QStringLiteral("4711"));
    EXPECT_EQ(r.plate.zeiss_plate, 4711);
    EXPECT_EQ(r.scan.no_positions, 0);
    EXPECT_EQ(r.scan.no_points[0], 3);
    EXPECT_TRUE(r.board.isEmpty()) << r.board.join(u'\n').toStdString();
}

} // namespace
