#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

class scan_data;

// Routing of one csv measurement file: which kind of sample it is (the postbake mode),
// whether the production product changes, which position offsets apply and under which
// names its scan files are written. Everything here is computed from explicit inputs; the
// main window holds the state and does the file system work.
//
// How the main window's csv step uses it, for one file that was read up to the
// plate-number step:
//
//   csv_route_input in;
//   in.file_name = old_filename;          in.zeiss_plate = zeiss_plate;
//   in.zeiss_plate_id = zeiss_plate_id;   in.plate_text = <plate text of the reader>;
//   in.position_count = N;                in.x_scan = <reader's x-scan kind is not none>;
//   in.product = product;                 in.postbake_product = postbake_product;
//   in.no_scan_files = no_scan_files;
//   const csv_route route = route_csv_file(in);
//   postbake_mode = route.postbake_mode;      // before set_new_product: it looks at it
//   if (route.change_product) {
//       product = route.new_product;
//       set_new_product();                    // renames the product marker
//       compose_total_output_path();          // reads the marker back, rebuilds the paths
//   }
//   for (line : identification_lines(in, postbake_mode, product)) send_message(line);
//   for (line : route.name_lines) send_message(line);
//   ... value step and sheet-resistance step of the reader ...
//   apply_position_offsets(sc_data, postbake_mode, offsets);
//   for (const scan_file_target& t : scan_file_targets(route, total_output_path,
//                                                      postbake_total_output_path))
//       t.part == 0 ? sc_data.savetofile(t.file_name)
//                   : sc_data.save_partially_to_file(t.file_name, t.part, t.no_parts);

// Postbake modes: -1 production; 0 to 3 postbake samples by the plate bits (4 points, A,
// B, C); 4 to 6 afterbake samples by the key phrase "-AB" (pump, center, operator); 7 to 9
// samples by the key phrase "-BB" (pump, center, operator), which stay in production.
constexpr int production_mode = -1;

// 0 (4 points) when bit 15 is set; else 1 (A) when bit 14 is clear; else 3 (C) when bit 13
// is set, 2 (B) when it is clear.
int postbake_piece(int zeiss_platenumber);
// The plate number with bits 13, 14 and 15 cleared (-1 gives -57345).
int original_plate_number(int zeiss_platenumber);
// "postbake_4points", "postbake_A", ... "afterbake O" for modes 0 to 6; empty otherwise.
QString postbake_type(int pb_mode);
// The product name without a " maintenance" or " postbake" ending (both case-sensitive,
// the text before the first occurrence, trimmed).
QString base_product_name(const QString& text);

// Position offsets of the postbake samples, with the values the window starts with.
struct postbake_offsets {
    std::int32_t position_offset_4points_0 = 3777;
    std::int32_t position_offset_4points_1 = 3237;
    std::int32_t position_offset_4points_2 = 2497;
    std::int32_t position_offset_4points_3 = 1357;
    std::int32_t position_offset_A = 3790;
    std::int32_t position_offset_B = 2790;
    std::int32_t position_offset_C = 1790;
};

// The offset keys of the lines of kalix_postbake_path.ini, starting from `current`: a key
// that is missing or whose value is no integer keeps the value; of repeated keys the last
// valid one counts, and "Position offset Pump", "Center", "Operator" override "A", "B", "C".
// The window's hook: offsets = read_additional_postbake_ini_data(sl, offsets) and copies
// the seven values into its fields.
postbake_offsets read_additional_postbake_ini_data(const QStringList& sl,
                                                   const postbake_offsets& current = {});

// position + offset as a 32-bit sum: beyond the range it wraps around.
std::int32_t offset_position(std::int32_t position, std::int32_t offset);

// Adds the offsets of the mode to the positions of `sc`: mode 0 to the first four
// positions (those that exist), modes 1/4/7 A, 2/5/8 B, 3/6/9 C to every position;
// production and any other mode leave them. Run after the values are read.
void apply_position_offsets(scan_data& sc, int postbake_mode, const postbake_offsets& offsets);

// What the routing needs to know about one file and the window.
struct csv_route_input {
    QString file_name;        // csv file name without folder, with its extension
    int zeiss_plate = 0;      // -1 when the plate field is no integer
    QString zeiss_plate_id;   // the plate field when it is no integer, else empty
    QString plate_text;       // the plate field as it stands (field 2 of the first row)
    int position_count = 0;   // positions; for an x-scan the positions with glass
    bool x_scan = false;      // 100- or 80-row x-scan
    QString product;          // current production product
    QString postbake_product; // current product of the postbake installation
    int no_scan_files = 1;    // scan files per production pane (1 whole, 2 to 4 parts)
};

enum class csv_installation { production, postbake };

// One scan file to write. part 0: the whole scan (savetofile); else part `part` of
// `no_parts` (save_partially_to_file).
struct scan_file_target {
    QString file_name; // bare name in the route, full name from scan_file_targets
    int part = 0;
    int no_parts = 0;
};

struct csv_route {
    int postbake_mode = production_mode;
    // The product the routing chose for the production installation: the base product, with
    // " maintenance" for a 32-position pane.
    QString new_product;
    // True when the window must make new_product current (product := new_product,
    // set_new_product, compose_total_output_path): it differs from the current product
    // after trimming and the mode is production or a 4-point sample. For the other modes
    // the window's set_new_product does nothing, so the product stays.
    bool change_product = false;
    // The board lines, assuming the product change takes effect.
    QStringList identification_lines;
    // Which installation's output folder the scan files go to.
    csv_installation installation = csv_installation::production;
    // Bare names; empty when the file yields no scan file.
    std::vector<scan_file_target> scan_files;
    // Board lines for names whose characters had to be replaced.
    QStringList name_lines;
};

// The routing decision for one file. Pure: the window applies the result as shown above.
csv_route route_csv_file(const csv_route_input& in);

// The board lines of a routed file: an empty line, "Product identification: ...", the
// product or postbake line and the position count. `product` is the production product
// after the window's product change.
QStringList identification_lines(const csv_route_input& in, int postbake_mode,
                                 const QString& product);

// The scan files of the route with their full names in the output folder of its
// installation (the folders the window holds after its product change).
std::vector<scan_file_target> scan_file_targets(const csv_route& route,
                                                const QString& total_output_path,
                                                const QString& postbake_total_output_path);
