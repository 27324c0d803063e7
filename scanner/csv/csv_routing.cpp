#include "scanner/csv/csv_routing.h"

#include "shared/basics/ini_lines.h"
#include "shared/basics/scan_data.h"
#include "shared/basics/text_fields.h"
#include "shared/platform/paths.h"

#include <algorithm>
#include <array>

namespace {

constexpr int plate_bit_13 = 1 << 13;
constexpr int plate_bit_14 = 1 << 14;
constexpr int plate_bit_15 = 1 << 15;

bool is_key_phrase_mode(int mode) {
    return mode >= 7 && mode <= 9;
}
bool is_afterbake_mode(int mode) {
    return mode >= 4 && mode <= 6;
}

// Name endings of the postbake modes 0 to 9.
QString mode_suffix(int mode) {
    static const std::array<const char*, 10> suffixes = {
        "___4points.scn", "___A.scn", "___B.scn", "___C.scn", "___P.scn",
        "___C.scn",       "___O.scn", "___P.scn", "___C.scn", "___O.scn"};
    return mode >= 0 && mode <= 9 ? QString::fromLatin1(suffixes[mode]) : QString();
}

// Offset rule of a mode: modes 1/4/7 take A, 2/5/8 B, 3/6/9 C.
std::int32_t whole_pane_offset(int mode, const postbake_offsets& offsets) {
    switch ((mode - 1) % 3) {
    case 0:
        return offsets.position_offset_A;
    case 1:
        return offsets.position_offset_B;
    default:
        return offsets.position_offset_C;
    }
}

// The text before the first occurrence of `phrase`, trimmed; `result` when it does not occur.
QString before_phrase(const QString& text, const QString& phrase, const QString& result) {
    const qsizetype at = text.indexOf(phrase);
    return at < 0 ? result : trim_blanks(text.left(at));
}

int mode_by_key_phrase(const QString& f) {
    int mode = production_mode;
    if (f.contains(QStringLiteral("-AB-"))) {
        mode = 4;
        if (f.contains(QStringLiteral("-AB-C")))
            mode = 5;
        if (f.contains(QStringLiteral("-AB-O")))
            mode = 6;
    } else if (f.contains(QStringLiteral("-AB"))) {
        mode = 4;
        if (f.contains(QStringLiteral("-C-AB")))
            mode = 5;
        if (f.contains(QStringLiteral("-O-AB")))
            mode = 6;
    } else if (f.contains(QStringLiteral("-BB"))) {
        mode = 7;
        if (f.contains(QStringLiteral("-C-BB")))
            mode = 8;
        if (f.contains(QStringLiteral("-O-BB")))
            mode = 9;
    }
    return mode;
}

// Adds one name of the route, reporting a name part that had to be made safe.
void add_target(csv_route& route, const QString& part, const QString& ending, int k, int n) {
    const QString safe = file_name_part(part);
    const QString name = safe + ending;
    if (safe != part && k <= 1)
        route.name_lines << QStringLiteral("Warning: \"") + part +
                                QStringLiteral("\" holds characters not allowed in a file "
                                               "name; scan file named ") +
                                name;
    route.scan_files.push_back(scan_file_target{name, k, n});
}

void name_scan_files(csv_route& route, const csv_route_input& in) {
    const int mode = route.postbake_mode;
    const QString& t = in.plate_text;
    const QString& i = in.zeiss_plate_id;
    if (mode == production_mode) {
        route.installation = csv_installation::production;
        if (t.isEmpty())
            return;
        if (in.no_scan_files == 1) {
            add_target(route, t, QStringLiteral(".scn"), 0, 0);
        } else if (in.no_scan_files >= 2 && in.no_scan_files <= 4) {
            for (int k = 1; k <= in.no_scan_files; ++k)
                add_target(route, t, QStringLiteral(".sc") + QString::number(k), k,
                           in.no_scan_files);
        }
        return;
    }
    if (mode < 0 || mode > 9)
        return;
    const QString suffix = mode_suffix(mode);
    if (t.isEmpty()) {
        // Without plate the csv name (without its extension) names the sample.
        route.installation = csv_installation::postbake;
        add_target(route, in.file_name.chopped(std::min<qsizetype>(4, in.file_name.size())),
                   QStringLiteral(".scn"), 0, 0);
        return;
    }
    route.installation =
        is_key_phrase_mode(mode) ? csv_installation::production : csv_installation::postbake;
    if (i.isEmpty()) {
        add_target(route, QString::number(original_plate_number(in.zeiss_plate)), suffix, 0, 0);
    } else if (is_afterbake_mode(mode) || is_key_phrase_mode(mode)) {
        // The plate text ends in its key phrase ("-P-AB"), which the suffix repeats.
        add_target(route, i.chopped(std::min<qsizetype>(5, i.size())), suffix, 0, 0);
    } else {
        add_target(route, i, suffix, 0, 0);
    }
}

} // namespace

int postbake_piece(int zeiss_platenumber) {
    if (zeiss_platenumber & plate_bit_15)
        return 0;
    if (!(zeiss_platenumber & plate_bit_14))
        return 1;
    return (zeiss_platenumber & plate_bit_13) ? 3 : 2;
}

int original_plate_number(int zeiss_platenumber) {
    // Clearing only set bits never leaves the 32-bit range.
    return zeiss_platenumber & ~(plate_bit_13 | plate_bit_14 | plate_bit_15);
}

QString postbake_type(int pb_mode) {
    static const std::array<const char*, 7> types = {
        "postbake_4points", "postbake_A",  "postbake_B", "postbake_C",
        "afterbake P",      "afterbake C", "afterbake O"};
    return pb_mode >= 0 && pb_mode <= 6 ? QString::fromLatin1(types[pb_mode]) : QString();
}

QString base_product_name(const QString& text) {
    QString result = before_phrase(text, QStringLiteral("maintenance"), text);
    return before_phrase(text, QStringLiteral("postbake"), result);
}

postbake_offsets read_additional_postbake_ini_data(const QStringList& sl,
                                                   const postbake_offsets& current) {
    postbake_offsets o = current;
    auto read = [&sl](const char* key, std::int32_t& field) {
        field = ini_integer(QString::fromLatin1(key), sl, field);
    };
    read("Position offset 4points 0", o.position_offset_4points_0);
    read("Position offset 4points 1", o.position_offset_4points_1);
    read("Position offset 4points 2", o.position_offset_4points_2);
    read("Position offset 4points 3", o.position_offset_4points_3);
    read("Position offset A", o.position_offset_A);
    read("Position offset B", o.position_offset_B);
    read("Position offset C", o.position_offset_C);
    read("Position offset Pump", o.position_offset_A);
    read("Position offset Center", o.position_offset_B);
    read("Position offset Operator", o.position_offset_C);
    return o;
}

std::int32_t offset_position(std::int32_t position, std::int32_t offset) {
    // Summed without overflow, then kept to 32 bits as a 32-bit sum wraps.
    const std::int64_t sum = std::int64_t{position} + std::int64_t{offset};
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(sum)));
}

void apply_position_offsets(scan_data& sc, int postbake_mode, const postbake_offsets& offsets) {
    const std::size_t count =
        std::min(sc.positions.size(), static_cast<std::size_t>(std::max(sc.no_positions, 0)));
    if (postbake_mode == 0) {
        const std::array<std::int32_t, 4> four = {
            offsets.position_offset_4points_0, offsets.position_offset_4points_1,
            offsets.position_offset_4points_2, offsets.position_offset_4points_3};
        for (std::size_t p = 0; p < std::min<std::size_t>(count, four.size()); ++p)
            sc.positions[p] = offset_position(sc.positions[p], four[p]);
    } else if (postbake_mode >= 1 && postbake_mode <= 9) {
        const std::int32_t offset = whole_pane_offset(postbake_mode, offsets);
        for (std::size_t p = 0; p < count; ++p)
            sc.positions[p] = offset_position(sc.positions[p], offset);
    }
}

QStringList identification_lines(const csv_route_input& in, int postbake_mode,
                                 const QString& product) {
    const bool has_id = !in.zeiss_plate_id.isEmpty();
    QStringList lines;
    lines << QString();
    lines << QStringLiteral("Product identification: ") +
                 (has_id ? in.zeiss_plate_id : QString::number(in.zeiss_plate));
    if (postbake_mode >= 0)
        lines << in.postbake_product + u' ' + postbake_type(postbake_mode) +
                     QStringLiteral("   Original plate:") +
                     (has_id ? in.zeiss_plate_id
                             : QString::number(original_plate_number(in.zeiss_plate)));
    else
        lines << product;
    lines << (in.x_scan ? QStringLiteral("Number of positions with glass: ")
                        : QStringLiteral("Number of positions: ")) +
                 QString::number(in.position_count);
    return lines;
}

csv_route route_csv_file(const csv_route_input& in) {
    csv_route route;
    const QString base = base_product_name(in.product);
    route.new_product = base;
    route.postbake_mode = mode_by_key_phrase(in.file_name);
    if (route.postbake_mode == production_mode) {
        if (in.position_count == 32)
            route.new_product = base + QStringLiteral(" maintenance");
        else if (in.position_count < 15)
            route.postbake_mode = postbake_piece(in.zeiss_plate);
    }
    // The window's set_new_product leaves the marker alone for modes above 0.
    route.change_product =
        route.postbake_mode <= 0 && trim_blanks(route.new_product) != trim_blanks(in.product);
    route.identification_lines = identification_lines(
        in, route.postbake_mode, route.change_product ? route.new_product : in.product);
    name_scan_files(route, in);
    return route;
}

std::vector<scan_file_target> scan_file_targets(const csv_route& route,
                                                const QString& total_output_path,
                                                const QString& postbake_total_output_path) {
    const QString& folder = route.installation == csv_installation::production
                                ? total_output_path
                                : postbake_total_output_path;
    std::vector<scan_file_target> targets = route.scan_files;
    for (scan_file_target& t : targets)
        t.file_name = platform::join_path(folder, t.file_name);
    return targets;
}
