#pragma once

#include "shared/basics/scan_data.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <vector>

// Reading of one csv measurement file of the in-line system into the scan data container.
//
// The file as it is read: a head of free lines; a stamp line (starts with "stamp", any case)
// heading the position table, whose field "sheet resistance" names the sheet-resistance
// column; position rows right after it (field 2 of the first row: plate; field 4: position,
// an integer; field 7: a number when the position carries glass), ending at the first line
// whose field 4 is no integer; sheet-resistance rows anywhere from line index 5 on (field 3
// "sheet resistance", field 4 an integer above 0); then three or four spectrum blocks, each
// opened by a line starting with "spectrum" (any case). A block in long form has an empty
// first field on the line after the spectrum line, then the wavelength row, one line not
// read, and the value rows; a block in short form starts its value rows right after the
// spectrum line. One value row per position row, field w+1 holding point w.
// Fields are separated by ";", trimmed, counted from 1; numbers always use ".".
//
// How the csv step of the main window uses it, for one file whose lines are loaded into
// `my_file_content` (files of 10 lines or fewer are not read at all):
//
//   csv_layout layout = read_csv_layout(my_file_content, old_filename,
//                                       csv_file_time(full_name), no_spectral_positions);
//   no_spectral_positions = layout.no_spectral_positions;  // also when the file fails
//   post every line of layout.board_lines to the message board;
//   if (!layout.complete()) -> no routing and no scan file: archive and delete the file;
//   copy the first 100 of layout.glass_rows into glass_present;
//   csv_plate plate = read_csv_plate(layout);            // zeiss_plate, zeiss_plate_id
//   post plate.board_line when it is not empty;
//   route_csv_file(old_filename, plate.zeiss_plate, layout.no_positions);
//   post every line of read_csv_values(my_file_content, layout, old_filename, sc_data);
//   then the position offsets, the scan file(s), the archive and the deletion.
//
// Every function reads only its arguments; nothing of one file reaches the next except what
// the caller carries over itself (no_spectral_positions). Damaged input of any kind (binary
// noise, lines of megabytes, counts far beyond the file) is read to a defined result in time
// that grows with the file's size.

// Spectrum blocks of a file: three or four; a file with three repeats the axis of the third.
constexpr int csv_spectra = 4;
// Bounds that keep a damaged file from asking for a container of gigabytes: points per
// spectrum, and positions times points. The in-line system writes about 100 x 125.
constexpr std::int32_t csv_max_points = 8192;
constexpr std::int64_t csv_max_positions_x_points = std::int64_t{1} << 22;

enum class x_scan_kind { none, positions_100, positions_80 };

// The x axis of one spectrum block: first and last wavelength and the point count.
struct csv_axis {
    float x_min = 0.0f;
    float x_max = 0.0f;
    std::int32_t no_points = 0;
};

// Everything the first reading phase learns about a file; the later phases take it as input.
struct csv_layout {
    double time_of_measurement = 0.0; // last-write time of the file, as a day number

    // Wavelength axes of the four blocks and the point count W of the container; the default
    // axis 380, 385, ... of W points when some block has no usable wavelength row.
    std::array<csv_axis, csv_spectra> axes{};
    std::int32_t no_spectral_positions = 0;

    bool stamp_found = false;
    qsizetype first_position_row = -1; // line index of the first row after the stamp line
    std::int32_t no_rows = 0;          // rows of the position table (R)
    std::int32_t no_glass = 0;         // rows with glass (G)
    std::int32_t no_positions = 0;     // positions of the scan (N): G for x-scans, else R
    std::vector<bool> glass_rows;      // one flag per position row
    x_scan_kind x_scan = x_scan_kind::none;
    std::vector<std::int32_t> positions; // N positions of the scan
    QString plate_text;                  // field 2 of the first position row
    int sheet_resistance_column = 0;     // 0: the file has no sheet-resistance column

    // Line index of the first value row of each block as the value reading finds it; -1 for
    // a block without spectrum line.
    std::array<qsizetype, csv_spectra> value_rows{-1, -1, -1, -1};

    // What keeps the file from a scan file when its stamp line was found: a position table
    // without rows, fewer than three blocks, value rows the file does not hold, a size beyond
    // the bounds above.
    QStringList missing;
    // Board lines of this phase, each naming the file.
    QStringList board_lines;

    // True when the file yields a scan file.
    bool complete() const { return stamp_found && missing.isEmpty(); }
};

struct csv_plate {
    std::int32_t zeiss_plate = 0;
    QString zeiss_plate_id; // the plate text when it is no integer, else empty
    QString board_line;     // empty when the plate is an integer
};

// Last-write time of the file in local time; invalid when the file cannot be found.
QDateTime csv_file_time(const QString& full_name);

// First phase: file date, wavelength ranges and W, the position table with its glass rows,
// x-scan kind, positions and plate text, the sheet-resistance column, and where the value
// rows of each block are. `no_spectral_positions` is the W to fall back on (settings value
// or the last file's); the result's W is the one to keep for the next file.
csv_layout read_csv_layout(const QStringList& lines, const QString& file_name,
                           const QDateTime& file_time, std::int32_t no_spectral_positions);

// The plate number from the plate text: an integer, or -1 with the text kept as plate id.
csv_plate read_csv_plate(const csv_layout& layout);

// Empties the container and shapes it for the file: N positions, 4 spectra, W points, the
// positions and the time of measurement; every value and sheet resistance 0.
void start_csv_scan(const csv_layout& layout, scan_data& sc_data);

// Last phase: starts the container afresh (start_csv_scan), then the axes and values of
// the four spectra and the sheet resistances. Returns the board lines: at most one for the
// values that were no numbers (they stay 0), naming the file, the first such text and how
// many there were.
QStringList read_csv_values(const QStringList& lines, const csv_layout& layout,
                            const QString& file_name, scan_data& sc_data);
