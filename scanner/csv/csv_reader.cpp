#include "scanner/csv/csv_reader.h"

#include "shared/basics/number_text.h"
#include "shared/basics/text_fields.h"

#include <QFileInfo>
#include <QStringView>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr int wanted_fields = 8; // fields 1..8 cover every fixed field a row is read for

// Walks the ";" fields of one line from the left without copying it: a damaged file may
// hold lines of many megabytes of which only a few fields are wanted. Fields beyond the
// last read as empty.
class field_walk {
public:
    explicit field_walk(QStringView line) : rest_(line) {}

    QStringView next() {
        if (done_)
            return {};
        const qsizetype p = rest_.indexOf(u';');
        if (p < 0) {
            done_ = true;
            return trim_blanks_view(rest_);
        }
        const QStringView field = rest_.first(p);
        rest_ = rest_.sliced(p + 1);
        return trim_blanks_view(field);
    }
    // True once the last field has been returned.
    bool at_end() const { return done_; }

private:
    QStringView rest_;
    bool done_ = false;
};

// Fields 1..8 of a line at indices 0..7, splitting the line once.
std::array<QStringView, wanted_fields> leading_fields(QStringView line) {
    std::array<QStringView, wanted_fields> fields;
    field_walk walk(line);
    for (QStringView& field : fields)
        field = walk.next();
    return fields;
}

QStringView field_of(QStringView line, int n) {
    field_walk walk(line);
    QStringView field = walk.next();
    for (int k = 1; k < n; ++k)
        field = walk.next();
    return field;
}

QStringView line_at(const QStringList& lines, qsizetype i) {
    return i >= 0 && i < lines.size() ? QStringView(lines[i]) : QStringView();
}

bool integer_field(QStringView field, int& value) {
    return !field.isEmpty() && text_to_integer(field.toString(), value);
}

bool number_field(QStringView field, float& value) {
    if (field.isEmpty())
        return false;
    value = text_to_float(field.toString());
    return !std::isnan(value);
}

bool is_number_field(QStringView field) {
    float ignored = 0.0f;
    return number_field(field, ignored);
}

bool starts_with_word(QStringView line, QStringView lower_word) {
    return line.size() >= lower_word.size() &&
           line.first(lower_word.size()).toString().toLower() == lower_word;
}

bool is_stamp_line(QStringView line) {
    return starts_with_word(line, u"stamp");
}
bool is_spectrum_line(QStringView line) {
    return starts_with_word(line, u"spectrum");
}

bool is_sheet_resistance(QStringView field) {
    constexpr QStringView word = u"sheet resistance";
    // Lower-casing never shortens a text, so longer fields cannot match; this keeps a field
    // of megabytes from being copied.
    return field.size() == word.size() && field.toString().toLower() == word;
}

// Index of the first spectrum line at or after `from`; lines.size() when there is none.
qsizetype next_spectrum_line(const QStringList& lines, qsizetype from) {
    for (qsizetype i = std::max<qsizetype>(from, 0); i < lines.size(); ++i)
        if (is_spectrum_line(lines[i]))
            return i;
    return lines.size();
}

// A text shown on the board: a damaged field may be megabytes long.
QString shown(QStringView text) {
    constexpr qsizetype limit = 60;
    return text.size() <= limit ? text.toString()
                                : text.first(limit).toString() + QStringLiteral("...");
}

// Range step -------------------------------------------------------------------------

struct block_range {
    csv_axis axis;
    bool found = false;
    qsizetype next = 0; // where the search for the next block starts
};

// Scans the wavelength row: field 1 always, then every field up to the first empty one.
csv_axis wavelength_axis(QStringView row) {
    csv_axis axis{100000.0f, 100.0f, 0};
    field_walk walk(row);
    QStringView field = walk.next();
    for (;;) {
        float x = 0.0f;
        if (number_field(field, x)) {
            axis.x_min = std::min(axis.x_min, x);
            axis.x_max = std::max(axis.x_max, x);
        }
        ++axis.no_points;
        field = walk.next();
        if (field.isEmpty() || axis.no_points >= csv_max_points)
            return axis;
    }
}

block_range scan_block_range(const QStringList& lines, qsizetype from) {
    const qsizetype spectrum = next_spectrum_line(lines, from);
    block_range block;
    block.found = spectrum < lines.size();
    block.next = spectrum + 1;
    block.axis = {100000.0f, 100.0f, 0};
    if (field_of(line_at(lines, block.next), 1).isEmpty()) {
        ++block.next;
        block.axis = wavelength_axis(line_at(lines, block.next));
    }
    return block;
}

void read_ranges(const QStringList& lines, std::int32_t fallback_points, csv_layout& layout) {
    std::array<block_range, csv_spectra> blocks;
    qsizetype from = 0;
    for (block_range& block : blocks) {
        block = scan_block_range(lines, from);
        from = block.next;
    }
    const auto usable = [&](int count) {
        return std::all_of(blocks.begin(), blocks.begin() + count,
                           [](const block_range& b) { return b.axis.x_max > 100.0f; });
    };
    const bool four = blocks[3].found;
    if ((four && usable(4)) || (!four && usable(3))) {
        if (!four)
            blocks[3].axis = blocks[2].axis;
        std::int32_t widest = 0;
        for (int k = 0; k < csv_spectra; ++k) {
            layout.axes[k] = blocks[k].axis;
            widest = std::max(widest, blocks[k].axis.no_points);
        }
        layout.no_spectral_positions = widest;
        return;
    }
    const std::int32_t points = std::clamp(fallback_points, 0, csv_max_points);
    const csv_axis standard{380.0f, 380.0f + 5.0f * static_cast<float>(points - 1), points};
    layout.axes.fill(standard);
    layout.no_spectral_positions = points;
}

// Identification step ------------------------------------------------------------------

void read_position_table(const QStringList& lines, csv_layout& layout) {
    std::vector<std::int32_t> row_positions;
    for (qsizetype i = layout.first_position_row; i < lines.size(); ++i) {
        const auto fields = leading_fields(lines[i]);
        int position = 0;
        if (!integer_field(fields[3], position))
            break;
        const bool glass = is_number_field(fields[6]);
        row_positions.push_back(position);
        layout.glass_rows.push_back(glass);
        if (glass)
            ++layout.no_glass;
    }
    layout.no_rows = static_cast<std::int32_t>(row_positions.size());
    layout.x_scan = layout.no_rows == 100  ? x_scan_kind::positions_100
                    : layout.no_rows == 80 ? x_scan_kind::positions_80
                                           : x_scan_kind::none;
    if (layout.x_scan == x_scan_kind::none) {
        layout.no_positions = layout.no_rows;
        layout.positions = std::move(row_positions);
        return;
    }
    // An x-scan measures along the pane in fixed steps; only the rows with glass count.
    layout.no_positions = layout.no_glass;
    const bool hundred = layout.x_scan == x_scan_kind::positions_100;
    for (std::int32_t n = 0; n < layout.no_positions; ++n)
        layout.positions.push_back(hundred ? 100 * n : 2000 + 30 * n);
}

// The last field of the stamp line named "sheet resistance", the line's last field excepted
// (the in-line system ends the line with a blank field). A plain loop over the characters: a
// damaged stamp line may hold millions of fields.
int sheet_resistance_column(QStringView stamp_line) {
    constexpr qsizetype word_size = 16; // "sheet resistance"
    int column = 0;
    int n = 1;
    qsizetype start = 0;
    for (qsizetype i = 0; i < stamp_line.size(); ++i) {
        if (stamp_line[i] != u';')
            continue;
        if (i - start >= word_size &&
            is_sheet_resistance(trim_blanks_view(stamp_line.sliced(start, i - start))))
            column = n;
        if (n == std::numeric_limits<int>::max())
            return column;
        ++n;
        start = i + 1;
    }
    return column;
}

bool identify_positions(const QStringList& lines, csv_layout& layout) {
    qsizetype stamp = 0;
    while (stamp < lines.size() && !is_stamp_line(lines[stamp]))
        ++stamp;
    if (stamp == lines.size())
        return false;
    layout.stamp_found = true;
    layout.first_position_row = stamp + 1;
    layout.plate_text = field_of(line_at(lines, stamp + 1), 2).toString();
    read_position_table(lines, layout);
    layout.sheet_resistance_column = sheet_resistance_column(lines[stamp]);
    return true;
}

// Where the value reading will find each block, and what the file lacks for it. The
// search starts at the second line, as the value reading does.
void plan_value_rows(const QStringList& lines, csv_layout& layout) {
    qsizetype j = 1;
    int found = 0;
    for (qsizetype& start : layout.value_rows) {
        const qsizetype spectrum = next_spectrum_line(lines, j);
        if (spectrum == lines.size())
            break;
        ++found;
        j = spectrum + 1;
        if (field_of(line_at(lines, j), 1).isEmpty())
            j += 3;
        start = j;
        const qsizetype held = std::max<qsizetype>(0, lines.size() - j);
        if (held < layout.no_rows)
            layout.missing.append(QStringLiteral("block %1 holds %2 of %3 value rows")
                                      .arg(found)
                                      .arg(held)
                                      .arg(layout.no_rows));
        j += layout.no_rows;
    }
    // A table without rows is routed like any other: N = 0 positions, an empty scan file.
    if (found == 0)
        layout.missing.append(QStringLiteral("no spectrum line"));
    else if (found < 3)
        layout.missing.append(QStringLiteral("only %1 of at least 3 spectrum blocks").arg(found));
}

void check_size(csv_layout& layout) {
    const std::int64_t values =
        std::int64_t{layout.no_positions} * std::int64_t{layout.no_spectral_positions};
    if (values > csv_max_positions_x_points)
        layout.missing.append(QStringLiteral("%1 positions of %2 points are too many")
                                  .arg(layout.no_positions)
                                  .arg(layout.no_spectral_positions));
}

// Value step ---------------------------------------------------------------------------

struct bad_values {
    qsizetype count = 0;
    QString first;
};

// Reads one value row into spectrum s of position p. Empty fields beyond the block's own
// point count are no error: a block narrower than the widest one simply ends there.
void read_value_row(QStringView row, std::int32_t p, std::int32_t s, std::int32_t block_points,
                    scan_data& sc_data, bad_values& bad) {
    field_walk walk(row);
    for (std::int32_t w = 0; w < sc_data.max_no_points; ++w) {
        const QStringView field = walk.next();
        float value = 0.0f;
        if (!number_field(field, value)) {
            value = 0.0f;
            if (!field.isEmpty() || w < block_points) {
                if (bad.count++ == 0)
                    bad.first = shown(field);
            }
        }
        sc_data.spectral_data[sc_data.the_index(p, s, w)] = value;
    }
}

void read_block_values(const QStringList& lines, const csv_layout& layout, std::int32_t s,
                       scan_data& sc_data, bad_values& bad) {
    const qsizetype start = layout.value_rows[s];
    const csv_axis& axis = layout.axes[start >= 0 ? s : 2];
    sc_data.x_min[s] = axis.x_min;
    sc_data.x_max[s] = axis.x_max;
    sc_data.no_points[s] = axis.no_points;
    if (start < 0)
        return;
    const bool x_scan = layout.x_scan != x_scan_kind::none;
    std::int32_t p = 0;
    for (std::int32_t r = 0; r < layout.no_rows && p < sc_data.no_positions; ++r) {
        if (start + r >= lines.size())
            return;
        if (x_scan && !layout.glass_rows[r])
            continue;
        read_value_row(lines[start + r], p++, s, axis.no_points, sc_data, bad);
    }
}

void read_sheet_resistances(const QStringList& lines, const csv_layout& layout,
                            scan_data& sc_data) {
    if (layout.sheet_resistance_column <= 0)
        return;
    std::int32_t next = 0;
    for (qsizetype i = 5; i < lines.size() && next < sc_data.no_positions; ++i) {
        const auto fields = leading_fields(lines[i]);
        int count = 0;
        if (!is_sheet_resistance(fields[2]) || !integer_field(fields[3], count) || count <= 0)
            continue;
        const int column = layout.sheet_resistance_column;
        const QStringView value =
            column <= wanted_fields ? fields[column - 1] : field_of(lines[i], column);
        sc_data.sheet_resistance[next++] = text_to_float(value.toString());
    }
}

} // namespace

QDateTime csv_file_time(const QString& full_name) {
    const QFileInfo info(full_name);
    return info.exists() ? info.lastModified().toLocalTime() : QDateTime();
}

csv_layout read_csv_layout(const QStringList& lines, const QString& file_name,
                           const QDateTime& file_time, std::int32_t no_spectral_positions) {
    csv_layout layout;
    layout.time_of_measurement = file_time.isValid() ? to_day_number(file_time) : 0.0;
    read_ranges(lines, no_spectral_positions, layout);
    if (!identify_positions(lines, layout)) {
        layout.board_lines.append(
            QStringLiteral("Error - no unique identification of positions! (%1)").arg(file_name));
        return layout;
    }
    plan_value_rows(lines, layout);
    check_size(layout);
    if (!layout.missing.isEmpty())
        layout.board_lines.append(QStringLiteral("Error - %1 is incomplete, no scan file: %2")
                                      .arg(file_name, layout.missing.join(QStringLiteral("; "))));
    return layout;
}

csv_plate read_csv_plate(const csv_layout& layout) {
    csv_plate plate;
    int number = 0;
    if (integer_field(layout.plate_text, number)) {
        plate.zeiss_plate = number;
        return plate;
    }
    plate.zeiss_plate = -1;
    plate.zeiss_plate_id = layout.plate_text;
    // Whole: the operator has to find the pane by it. Only a field of damaged data, far
    // beyond any plate text, is cut rather than put on the board and into the log whole.
    constexpr qsizetype damaged_plate_length = 4096;
    const QString text =
        layout.plate_text.size() <= damaged_plate_length
            ? layout.plate_text
            : layout.plate_text.first(damaged_plate_length) +
                  QStringLiteral("... (%1 characters)").arg(layout.plate_text.size());
    plate.board_line = QStringLiteral("Error: ") + text +
                       QStringLiteral(" could not be converted to a plate number.");
    return plate;
}

void start_csv_scan(const csv_layout& layout, scan_data& sc_data) {
    sc_data = scan_data();
    // A layout beyond the bounds gets an empty container rather than gigabytes.
    const bool too_large = std::int64_t{layout.no_positions} * layout.no_spectral_positions >
                           csv_max_positions_x_points;
    const std::int32_t positions = too_large ? 0 : layout.no_positions;
    sc_data.set_size(positions, csv_spectra, layout.no_spectral_positions);
    std::copy_n(layout.positions.begin(), positions, sc_data.positions.begin());
    sc_data.time_of_measurement = layout.time_of_measurement;
}

QStringList read_csv_values(const QStringList& lines, const csv_layout& layout,
                            const QString& file_name, scan_data& sc_data) {
    start_csv_scan(layout, sc_data);
    bad_values bad;
    for (std::int32_t s = 0; s < csv_spectra; ++s)
        read_block_values(lines, layout, s, sc_data, bad);
    read_sheet_resistances(lines, layout, sc_data);
    if (bad.count == 0)
        return {};
    return {QStringLiteral("Error reading spectral value: %1 (%2: %3 values are no numbers)")
                .arg(bad.first, file_name, QString::number(bad.count))};
}
