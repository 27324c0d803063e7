#include "scanner/csv/csv_archive.h"
#include "scanner/csv/csv_routing.h"
#include "shared/basics/number_text.h"
#include "shared/basics/scan_data.h"
#include "shared/basics/text_fields.h"
#include "tests/support/scratch_fixture.h"

#include <QDir>
#include <QFileInfo>

#include <climits>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

namespace {

// A file as the reader leaves it: the plate field decides zeiss_plate and zeiss_plate_id.
csv_route_input file_input(const QString& file_name, const QString& plate_field, int positions,
                           const QString& product = QStringLiteral("X")) {
    csv_route_input in;
    in.file_name = file_name;
    in.plate_text = plate_field;
    int plate = 0;
    if (text_to_integer(plate_field, plate)) {
        in.zeiss_plate = plate;
    } else {
        in.zeiss_plate = -1;
        in.zeiss_plate_id = plate_field;
    }
    in.position_count = positions;
    in.product = product;
    in.postbake_product = QStringLiteral("PB");
    in.no_scan_files = 1;
    return in;
}

QStringList names_of(const std::vector<scan_file_target>& targets) {
    QStringList names;
    for (const scan_file_target& t : targets)
        names << t.file_name;
    return names;
}

TEST(csv_routing, plate_bits) {
    struct plate_case {
        int plate;
        int piece;
        int original;
    };
    const plate_case cases[] = {
        {0, 1, 0},
        {4711, 1, 4711},
        {8197, 1, 5},      // bit 13 alone: A
        {16384 + 5, 2, 5}, // bit 14: B
        {24581, 3, 5},     // bits 14 and 13: C
        {32768, 0, 0},     // bit 15: 4 points, whatever 14 and 13 say
        {40960, 0, 0},
        {57344 + 77, 0, 77},
        {65536 + 8192, 1, 65536}, // bits above 15 stay in the plate number
        {-1, 0, -57345},
        {INT_MIN, 1, INT_MIN},
        {INT_MAX, 0, INT_MAX - 57344},
    };
    for (const plate_case& c : cases) {
        EXPECT_EQ(postbake_piece(c.plate), c.piece) << c.plate;
        EXPECT_EQ(original_plate_number(c.plate), c.original) << c.plate;
    }
}

TEST(csv_routing, postbake_type_texts) {
    const char* texts[] = {"postbake_4points", "postbake_A",  "postbake_B", "postbake_C",
                           "afterbake P",      "afterbake C", "afterbake O"};
    for (int mode = 0; mode <= 6; ++mode)
        EXPECT_EQ(postbake_type(mode), QString::fromLatin1(texts[mode])) << mode;
    for (int mode : {-1, 7, 8, 9, 10, INT_MIN})
        EXPECT_EQ(postbake_type(mode), QString()) << mode;
}

TEST(base_product_name, endings_removed) {
    struct name_case {
        const char* text;
        const char* base;
    };
    const name_case cases[] = {
        {"X", "X"},
        {"X ", "X "}, // no ending: the text stands as it is, blanks and all
        {"X maintenance", "X"},
        {"X postbake", "X"},
        {"  X   maintenance run 2", "X"},
        {"Xmaintenance", "X"},
        {"maintenance", ""},
        {"", ""},
        {"X Maintenance", "X Maintenance"}, // case-sensitive
        {"X POSTBAKE", "X POSTBAKE"},
        // The postbake cut works on the whole text, so it wins wherever it stands first.
        {"X postbake maintenance", "X"},
        {"X maintenance postbake", "X maintenance"},
        {"X maintenance maintenance", "X"},
    };
    for (const name_case& c : cases)
        EXPECT_EQ(base_product_name(QString::fromUtf8(c.text)), QString::fromUtf8(c.base))
            << c.text;
}

TEST(csv_routing, decisions_by_name_count_and_plate) {
    using inst = csv_installation;
    struct route_case {
        const char* file;
        const char* plate;
        int positions;
        const char* product;
        int mode;
        bool change;
        const char* new_product;
        inst installation;
        const char* scan_file; // "" for none
    };
    const route_case cases[] = {
        // Key phrase -AB after a separator (rule 2) and between separators (rule 1).
        {"line7-P-AB_0815.csv", "4711-P-AB", 14, "X", 4, false, "X", inst::postbake,
         "4711___P.scn"},
        {"line7-C-AB_0815.csv", "4711-C-AB", 20, "X", 5, false, "X", inst::postbake,
         "4711___C.scn"},
        {"line7-O-AB_0815.csv", "4711-O-AB", 20, "X", 6, false, "X", inst::postbake,
         "4711___O.scn"},
        {"x-AB-O.csv", "4711", 20, "X", 6, false, "X", inst::postbake, "4711___O.scn"},
        {"x-AB-C.csv", "4711", 20, "X", 5, false, "X", inst::postbake, "4711___C.scn"},
        {"x-AB-C-AB-O.csv", "4711", 20, "X", 6, false, "X", inst::postbake, "4711___O.scn"},
        {"x-AB-P.csv", "4711", 20, "X", 4, false, "X", inst::postbake, "4711___P.scn"},
        // Rule 1 wins over rule 2: "-O-AB-C" is mode 5 by "-AB-C", not 6 by "-O-AB".
        {"x-O-AB-C.csv", "4711", 20, "X", 5, false, "X", inst::postbake, "4711___C.scn"},
        // Key phrase -BB: production installation, with the plate text or (team decision)
        // the original plate number.
        {"x-C-BB.csv", "12-C-BB", 20, "X", 8, false, "X", inst::production, "12___C.scn"},
        {"x-BB.csv", "12-P-BB", 20, "X", 7, false, "X", inst::production, "12___P.scn"},
        {"x-O-BB.csv", "12-O-BB", 20, "X", 9, false, "X", inst::production, "12___O.scn"},
        {"x-O-BB.csv", "40973", 20, "X", 9, false, "X", inst::production, "13___O.scn"},
        {"x-BB.csv", "4711", 20, "X", 7, false, "X", inst::production, "4711___P.scn"},
        // Short plate texts lose all they have to the key phrase ending.
        {"x-BB.csv", "-BB", 20, "X", 7, false, "X", inst::production, "___P.scn"},
        // Key phrases are case-sensitive; key phrases beat the position count.
        {"x-ab-o.csv", "4711", 20, "X", -1, false, "X", inst::production, "4711.scn"},
        {"x-AB.csv", "4711", 32, "X", 4, false, "X", inst::postbake, "4711___P.scn"},
        {"x-BB.csv", "4711", 14, "X", 7, false, "X", inst::production, "4711___P.scn"},
        // A key phrase file while maintenance runs leaves the product alone.
        {"x-AB.csv", "4711-P-AB", 14, "X maintenance", 4, false, "X", inst::postbake,
         "4711___P.scn"},
        // Position counts: 32 is maintenance, below 15 the plate bits decide.
        {"line7.csv", "4711", 32, "X", -1, true, "X maintenance", inst::production, "4711.scn"},
        {"line7.csv", "4711", 32, "X maintenance", -1, false, "X maintenance", inst::production,
         "4711.scn"},
        {"line7.csv", "4711", 32, "X postbake", -1, true, "X maintenance", inst::production,
         "4711.scn"},
        {"line7.csv", "4711", 15, "X", -1, false, "X", inst::production, "4711.scn"},
        {"line7.csv", "4711", 15, "X maintenance", -1, true, "X", inst::production, "4711.scn"},
        {"line7.csv", "4711", 31, "X", -1, false, "X", inst::production, "4711.scn"},
        {"line7.csv", "4711", 33, "X", -1, false, "X", inst::production, "4711.scn"},
        {"line7.csv", "4711", 20, "X ", -1, false, "X ", inst::production, "4711.scn"},
        {"line7.csv", "40960", 14, "X", 0, false, "X", inst::postbake, "0___4points.scn"},
        {"line7.csv", "24581", 14, "X", 3, false, "X", inst::postbake, "5___C.scn"},
        {"line7.csv", "8197", 4, "X", 1, false, "X", inst::postbake, "5___A.scn"},
        {"line7.csv", "16389", 1, "X", 2, false, "X", inst::postbake, "5___B.scn"},
        {"line7.csv", "0", 0, "X", 1, false, "X", inst::postbake, "0___A.scn"},
        // A 4-point sample switches maintenance back, the other kinds leave it.
        {"line7.csv", "40960", 14, "X maintenance", 0, true, "X", inst::postbake,
         "0___4points.scn"},
        {"line7.csv", "24581", 14, "X maintenance", 3, false, "X", inst::postbake, "5___C.scn"},
        // A plate text without key phrase: plate -1 has bit 15 set, so 4 points, named by
        // the whole text.
        {"line7.csv", "12-P-AB", 14, "X", 0, false, "X", inst::postbake, "12-P-AB___4points.scn"},
        // No plate at all: postbake samples are named by the csv file, production yields none.
        {"sample-7.csv", "", 14, "X", 0, false, "X", inst::postbake, "sample-7.scn"},
        {"x-C-BB.csv", "", 20, "X", 8, false, "X", inst::postbake, "x-C-BB.scn"},
        {"line7.csv", "", 20, "X", -1, false, "X", inst::production, ""},
        // Names never leave their folder (team decision).
        {"line7.csv", "a/b:c", 20, "X", -1, false, "X", inst::production, "a_b_c.scn"},
        {"line7.csv", "..\\x*?", 20, "X", -1, false, "X", inst::production, ".._x__.scn"},
        {"x-P-AB.csv", "../y-P-AB", 14, "X", 4, false, "X", inst::postbake, ".._y___P.scn"},
        {"a|b-C-BB.csv", "", 14, "X", 8, false, "X", inst::postbake, "a_b-C-BB.scn"},
    };
    for (const route_case& c : cases) {
        const csv_route_input in = file_input(QString::fromUtf8(c.file), QString::fromUtf8(c.plate),
                                              c.positions, QString::fromUtf8(c.product));
        const csv_route r = route_csv_file(in);
        const std::string what = std::string(c.file) + " plate " + c.plate + " N " +
                                 std::to_string(c.positions) + " product " + c.product;
        EXPECT_EQ(r.postbake_mode, c.mode) << what;
        EXPECT_EQ(r.change_product, c.change) << what;
        EXPECT_EQ(r.new_product, QString::fromUtf8(c.new_product)) << what;
        const QStringList expected =
            *c.scan_file ? QStringList{QString::fromUtf8(c.scan_file)} : QStringList{};
        EXPECT_EQ(names_of(r.scan_files), expected) << what;
        if (!r.scan_files.empty()) {
            EXPECT_EQ(r.installation, c.installation) << what;
            EXPECT_EQ(r.scan_files.front().part, 0) << what;
        }
    }
}

TEST(csv_routing, unsafe_name_parts_reported) {
    struct name_case {
        const char* file;
        const char* plate;
        int positions;
        bool reported;
    };
    const name_case cases[] = {
        {"line7.csv", "a/b:c", 20, true},
        {"line7.csv", "tab\there", 20, true},
        {"x-P-AB.csv", "../y-P-AB", 14, true},
        {"x-P-AB.csv", "y-P-A:", 14, false}, // the bad character is cut off with the ending
        {"a|b-C-BB.csv", "", 14, true},
        {"a|b-C-BB.csv", "12-C-BB", 14, false}, // the csv name is not used
        {"line7.csv", "0815", 20, false},
        {"line7.csv", "plate 12.5 (x)", 20, false}, // blanks, points and brackets stay
    };
    for (const name_case& c : cases) {
        const csv_route r = route_csv_file(
            file_input(QString::fromUtf8(c.file), QString::fromUtf8(c.plate), c.positions));
        EXPECT_EQ(r.name_lines.size(), c.reported ? 1 : 0) << c.file << " " << c.plate;
        if (c.reported && !r.name_lines.isEmpty() && !r.scan_files.empty()) {
            EXPECT_TRUE(r.name_lines[0].endsWith(r.scan_files[0].file_name)) << c.file;
        }
    }
    EXPECT_EQ(file_name_part(QString::fromUtf8("a\\b/c:d*e?f\"g<h>i|j\x01k\x1fl m")),
              QStringLiteral("a_b_c_d_e_f_g_h_i_j_k_l m"));
}

TEST(csv_routing, production_part_files) {
    struct parts_case {
        int no_scan_files;
        QStringList names;
    };
    const parts_case cases[] = {
        {1, {"0815.scn"}},
        {2, {"0815.sc1", "0815.sc2"}},
        {4, {"0815.sc1", "0815.sc2", "0815.sc3", "0815.sc4"}},
        {0, {}},
        {5, {}},
        {-1, {}},
    };
    for (const parts_case& c : cases) {
        csv_route_input in = file_input(QStringLiteral("line7.csv"), QStringLiteral("0815"), 20);
        in.no_scan_files = c.no_scan_files;
        const csv_route r = route_csv_file(in);
        EXPECT_EQ(names_of(r.scan_files), c.names) << c.no_scan_files;
        for (std::size_t k = 0; k < r.scan_files.size() && c.no_scan_files > 1; ++k) {
            EXPECT_EQ(r.scan_files[k].part, static_cast<int>(k) + 1);
            EXPECT_EQ(r.scan_files[k].no_parts, c.no_scan_files);
        }
    }
    // Postbake samples are whole scans whatever the production setting says.
    csv_route_input in = file_input(QStringLiteral("line7.csv"), QStringLiteral("24581"), 14);
    in.no_scan_files = 4;
    const csv_route r = route_csv_file(in);
    ASSERT_EQ(r.scan_files.size(), 1u);
    EXPECT_EQ(r.scan_files[0].file_name, QStringLiteral("5___C.scn"));
    EXPECT_EQ(r.scan_files[0].part, 0);

    // A part-file name with a bad character is reported once, not once per part.
    csv_route_input bad = file_input(QStringLiteral("line7.csv"), QStringLiteral("a:b"), 20);
    bad.no_scan_files = 3;
    const csv_route rb = route_csv_file(bad);
    EXPECT_EQ(names_of(rb.scan_files), (QStringList{"a_b.sc1", "a_b.sc2", "a_b.sc3"}));
    ASSERT_EQ(rb.name_lines.size(), 1);
    EXPECT_TRUE(rb.name_lines[0].contains(QStringLiteral("a:b")));
}

TEST(csv_routing, full_names_in_the_installation_folder) {
    const QString sep = QDir::separator();
    const QString production = QStringLiteral("/k/database/products/X/measurements/ch/new");
    const QString postbake = QStringLiteral("/pb/database/products/PB/measurements/ch/new") + sep;
    const csv_route to_production =
        route_csv_file(file_input(QStringLiteral("x-C-BB.csv"), QStringLiteral("12-C-BB"), 20));
    EXPECT_EQ(names_of(scan_file_targets(to_production, production, postbake)),
              QStringList{production + sep + QStringLiteral("12___C.scn")});
    const csv_route to_postbake = route_csv_file(
        file_input(QStringLiteral("line7-P-AB_0815.csv"), QStringLiteral("4711-P-AB"), 14));
    EXPECT_EQ(names_of(scan_file_targets(to_postbake, production, postbake)),
              QStringList{postbake + QStringLiteral("4711___P.scn")});
}

TEST(csv_routing, identification_lines_on_the_board) {
    struct lines_case {
        const char* file;
        const char* plate;
        int positions;
        bool x_scan;
        QStringList lines;
    };
    const lines_case cases[] = {
        {"line7.csv",
         "4711",
         32,
         false,
         {"", "Product identification: 4711", "X maintenance", "Number of positions: 32"}},
        {"line7-P-AB_0815.csv",
         "4711-P-AB",
         14,
         false,
         {"", "Product identification: 4711-P-AB", "PB afterbake P   Original plate:4711-P-AB",
          "Number of positions: 14"}},
        {"line7.csv",
         "40960",
         14,
         false,
         {"", "Product identification: 40960", "PB postbake_4points   Original plate:0",
          "Number of positions: 14"}},
        {"line7.csv",
         "24581",
         12,
         true,
         {"", "Product identification: 24581", "PB postbake_C   Original plate:5",
          "Number of positions with glass: 12"}},
        // Modes 7 to 9 have no type text: the blank before it stays.
        {"x-C-BB.csv",
         "12-C-BB",
         20,
         false,
         {"", "Product identification: 12-C-BB", "PB    Original plate:12-C-BB",
          "Number of positions: 20"}},
        {"line7.csv",
         "12-P-AB",
         20,
         true,
         {"", "Product identification: 12-P-AB", "X", "Number of positions with glass: 20"}},
    };
    for (const lines_case& c : cases) {
        csv_route_input in =
            file_input(QString::fromUtf8(c.file), QString::fromUtf8(c.plate), c.positions);
        in.x_scan = c.x_scan;
        EXPECT_EQ(route_csv_file(in).identification_lines, c.lines) << c.file << " " << c.plate;
    }
    // After a product change that did not take effect the window passes the product it has.
    const csv_route_input in = file_input(QStringLiteral("line7.csv"), QStringLiteral("4711"), 32);
    EXPECT_EQ(identification_lines(in, -1, QStringLiteral("X")).value(2), QStringLiteral("X"));
}

// The window's side of the routing: it keeps the product and applies the changes.
TEST(csv_routing, maintenance_switch_and_back) {
    QString product = QStringLiteral("X");
    auto route = [&product](const char* file, const char* plate, int positions) {
        const csv_route r = route_csv_file(
            file_input(QString::fromUtf8(file), QString::fromUtf8(plate), positions, product));
        if (r.change_product)
            product = r.new_product;
        return r;
    };
    EXPECT_EQ(route("line7.csv", "1", 15).postbake_mode, -1);
    EXPECT_EQ(product, QStringLiteral("X"));
    route("line7.csv", "2", 32);
    EXPECT_EQ(product, QStringLiteral("X maintenance"));
    route("line7.csv", "3", 32);
    EXPECT_EQ(product, QStringLiteral("X maintenance"));
    EXPECT_EQ(route("line7-P-AB_0815.csv", "4711-P-AB", 14).postbake_mode, 4);
    EXPECT_EQ(product, QStringLiteral("X maintenance"));
    EXPECT_EQ(route("line7.csv", "24581", 14).postbake_mode, 3);
    EXPECT_EQ(product, QStringLiteral("X maintenance"));
    route("line7.csv", "4", 15);
    EXPECT_EQ(product, QStringLiteral("X"));
    route("line7.csv", "5", 32);
    EXPECT_EQ(route("line7.csv", "40960", 3).postbake_mode, 0);
    EXPECT_EQ(product, QStringLiteral("X"));
}

TEST(csv_routing, offsets_from_the_postbake_settings) {
    const postbake_offsets defaults;
    const postbake_offsets none = read_additional_postbake_ini_data({});
    EXPECT_EQ(none.position_offset_4points_0, 3777);
    EXPECT_EQ(none.position_offset_4points_1, 3237);
    EXPECT_EQ(none.position_offset_4points_2, 2497);
    EXPECT_EQ(none.position_offset_4points_3, 1357);
    EXPECT_EQ(none.position_offset_A, 3790);
    EXPECT_EQ(none.position_offset_B, 2790);
    EXPECT_EQ(none.position_offset_C, 1790);

    const QStringList lines = {
        QStringLiteral("D:\\kalix_postbake\\"), // the folder line of the file
        QStringLiteral("position offset 4POINTS 0"), QStringLiteral("10"),
        QStringLiteral("Position offset 4points 1"), QStringLiteral("11"),
        QStringLiteral("Position offset 4points 2"), QStringLiteral("twelve"),
        QStringLiteral("Position offset 4points 3"), QStringLiteral("-13"),
        QStringLiteral("Position offset A"),         QStringLiteral("20"),
        QStringLiteral("Position offset Pump"),      QStringLiteral("21"),
        QStringLiteral("Position offset A"),         QStringLiteral("22"),
        QStringLiteral("Position offset B"),         QStringLiteral("30"),
        QStringLiteral("Position offset B"),         QStringLiteral("31"),
        QStringLiteral("Position offset Operator"),  QStringLiteral("40"),
        QStringLiteral(" Position offset C"),        QStringLiteral("41"),
    };
    const postbake_offsets o = read_additional_postbake_ini_data(lines);
    EXPECT_EQ(o.position_offset_4points_0, 10); // keys compare without regard to case
    EXPECT_EQ(o.position_offset_4points_1, 11);
    EXPECT_EQ(o.position_offset_4points_2, defaults.position_offset_4points_2);
    EXPECT_EQ(o.position_offset_4points_3, -13);
    EXPECT_EQ(o.position_offset_A, 21); // Pump is read after A, wherever it stands
    EXPECT_EQ(o.position_offset_B, 31); // the last occurrence wins
    EXPECT_EQ(o.position_offset_C, 40); // " Position offset C" is no key line

    // Missing keys keep what the window held before.
    postbake_offsets held;
    held.position_offset_C = 5;
    EXPECT_EQ(read_additional_postbake_ini_data({}, held).position_offset_C, 5);
}

TEST(csv_routing, offsets_on_positions) {
    postbake_offsets o;
    o.position_offset_4points_0 = 1000;
    o.position_offset_4points_1 = 2000;
    o.position_offset_4points_2 = 3000;
    o.position_offset_4points_3 = 4000;
    o.position_offset_A = 100;
    o.position_offset_B = 200;
    o.position_offset_C = 300;
    struct offset_case {
        int mode;
        int positions;
        std::vector<std::int32_t> expected;
    };
    const offset_case cases[] = {
        {-1, 5, {0, 1, 2, 3, 4}}, {0, 5, {1000, 2001, 3002, 4003, 4}},
        {0, 2, {1000, 2001}},     {0, 0, {}},
        {1, 3, {100, 101, 102}},  {4, 3, {100, 101, 102}},
        {7, 3, {100, 101, 102}},  {2, 3, {200, 201, 202}},
        {5, 3, {200, 201, 202}},  {8, 3, {200, 201, 202}},
        {3, 3, {300, 301, 302}},  {6, 3, {300, 301, 302}},
        {9, 3, {300, 301, 302}},  {10, 3, {0, 1, 2}},
    };
    for (const offset_case& c : cases) {
        scan_data sc;
        sc.set_size(c.positions, 4, 3);
        for (int p = 0; p < c.positions; ++p)
            sc.positions[p] = p;
        apply_position_offsets(sc, c.mode, o);
        EXPECT_EQ(sc.positions, c.expected) << "mode " << c.mode << " N " << c.positions;
    }
}

// Sums beyond 32 bits wrap as a 32-bit sum does, without overflowing on the way.
TEST(csv_routing, offsets_at_the_limits_of_32_bits) {
    constexpr std::int32_t max = std::numeric_limits<std::int32_t>::max();
    constexpr std::int32_t min = std::numeric_limits<std::int32_t>::min();
    struct limit_case {
        std::int32_t position;
        std::int32_t offset;
        std::int32_t expected;
    };
    const limit_case cases[] = {
        {max, 1, min}, {max, max, -2},    {min, -1, max},
        {min, min, 0}, {max - 5, 5, max}, {-3790, 3790, 0},
    };
    for (const limit_case& c : cases) {
        EXPECT_EQ(offset_position(c.position, c.offset), c.expected)
            << c.position << " + " << c.offset;
        scan_data sc;
        sc.set_size(1, 4, 3);
        sc.positions[0] = c.position;
        postbake_offsets o;
        o.position_offset_A = c.offset;
        apply_position_offsets(sc, 1, o);
        EXPECT_EQ(sc.positions[0], c.expected);
    }
}

TEST(csv_archive, installation_and_date_choice) {
    for (int mode : {-1, 0, 4, 9}) {
        const csv_archive_home h =
            csv_archive_home_for(mode, QStringLiteral("/k/"), QStringLiteral("X"),
                                 QStringLiteral("/pb/"), QStringLiteral("PB"));
        EXPECT_EQ(h.home, mode >= 0 ? QStringLiteral("/pb/") : QStringLiteral("/k/")) << mode;
        EXPECT_EQ(h.product, mode >= 0 ? QStringLiteral("PB") : QStringLiteral("X")) << mode;
    }
    const QDateTime written(QDate(2025, 12, 31), QTime(23, 59, 0));
    const QDate today(2026, 1, 2);
    EXPECT_EQ(csv_archive_date(true, written, today), QDate(2025, 12, 31));
    EXPECT_EQ(csv_archive_date(false, written, today), today);
    EXPECT_EQ(csv_archive_date(true, QDateTime(), today), today);
}

class csv_archive_files : public scratch_fixture {
protected:
    QStringList entries(const QString& folder) const {
        return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }
};

TEST_F(csv_archive_files, copy_lands_in_dated_folder) {
    const QString home = make_kalix_installation(QStringLiteral("kalix"), QStringLiteral("X"));
    QDir().mkpath(path(QStringLiteral("kalix/archive")));
    const QString csv = write_file(QStringLiteral("input/line7.csv"), "a;b\r\n");
    const csv_archive_result r = archive_csv_file(csv, home, QStringLiteral("X"), QDate(2024, 3, 7),
                                                  QStringLiteral("OVIX1"));
    const QString folder = path(QStringLiteral("kalix/archive/X/2024/3/7/OVIX1"));
    EXPECT_TRUE(r.attempted);
    EXPECT_TRUE(r.archived);
    EXPECT_EQ(r.archive_path, folder);
    EXPECT_TRUE(r.status_texts.isEmpty()) << r.status_texts.join(u'|').toStdString();
    EXPECT_EQ(entries(folder), QStringList{QStringLiteral("line7.csv")});
    EXPECT_EQ(read_file(folder + QDir::separator() + QStringLiteral("line7.csv")), "a;b\r\n");
    EXPECT_TRUE(QFileInfo::exists(csv)); // deleting the input is the window's step
}

TEST_F(csv_archive_files, no_archive_folder_no_archiving) {
    const QString home = make_kalix_installation(QStringLiteral("kalix"), QStringLiteral("X"));
    const QString csv = write_file(QStringLiteral("input/line7.csv"), "a;b\r\n");
    const csv_archive_result r = archive_csv_file(csv, home, QStringLiteral("X"), QDate(2024, 3, 7),
                                                  QStringLiteral("OVIX1"));
    EXPECT_FALSE(r.attempted);
    EXPECT_FALSE(r.archived);
    EXPECT_TRUE(r.archive_path.isEmpty());
    EXPECT_TRUE(r.status_texts.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("kalix/archive"))));

    // No postbake installation configured: its empty folder is no place to archive, even
    // when the working directory happens to hold an archive folder.
    QDir().mkpath(path(QStringLiteral("archive")));
    const QString working = QDir::currentPath();
    QDir::setCurrent(path(QString()));
    const csv_archive_result unconfigured = archive_csv_file(
        csv, QString(), QStringLiteral("PB"), QDate(2024, 3, 7), QStringLiteral("OVIX1"));
    QDir::setCurrent(working);
    EXPECT_FALSE(unconfigured.attempted);
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("archive/PB"))));
}

TEST_F(csv_archive_files, same_name_already_archived) {
    const QString home = make_kalix_installation(QStringLiteral("kalix"), QStringLiteral("X"));
    const QString folder = path(QStringLiteral("kalix/archive/X/2024/3/7/OVIX1"));
    write_file(QStringLiteral("kalix/archive/X/2024/3/7/OVIX1/line7.csv"), "first");
    const QString csv = write_file(QStringLiteral("input/line7.csv"), "second");
    const csv_archive_result r = archive_csv_file(csv, home, QStringLiteral("X"), QDate(2024, 3, 7),
                                                  QStringLiteral("OVIX1"));
    EXPECT_TRUE(r.attempted);
    EXPECT_FALSE(r.archived);
    ASSERT_EQ(r.status_texts.size(), 1);
    EXPECT_TRUE(r.status_texts[0].startsWith(QStringLiteral("Error renaming file ")));
    EXPECT_TRUE(r.status_texts[0].endsWith(QStringLiteral(" to ") + folder + QDir::separator() +
                                           QStringLiteral("line7.csv")));
    EXPECT_EQ(entries(folder), QStringList{QStringLiteral("line7.csv")}); // no .tmp left
    EXPECT_EQ(read_file(folder + QDir::separator() + QStringLiteral("line7.csv")), "first");
}

TEST_F(csv_archive_files, level_that_cannot_be_created) {
    const QString home = make_kalix_installation(QStringLiteral("kalix"), QStringLiteral("X"));
    // A file where the year folder belongs blocks that level and every one below it.
    write_file(QStringLiteral("kalix/archive/X/2024"), "in the way");
    const QString csv = write_file(QStringLiteral("input/line7.csv"), "a");
    const csv_archive_result r = archive_csv_file(csv, home, QStringLiteral("X"), QDate(2024, 3, 7),
                                                  QStringLiteral("OVIX1"));
    EXPECT_FALSE(r.archived);
    const QString year = path(QStringLiteral("kalix/archive/X/2024"));
    const QString sep = QDir::separator();
    const QStringList expected = {
        year + QStringLiteral(" could not be created!"),
        year + sep + QStringLiteral("3 could not be created!"),
        year + sep + QStringLiteral("3") + sep + QStringLiteral("7 could not be created!"),
        year + sep + QStringLiteral("3") + sep + QStringLiteral("7") + sep +
            QStringLiteral("OVIX1 could not be created!"),
    };
    ASSERT_EQ(r.status_texts.size(), 5);
    EXPECT_EQ(r.status_texts.mid(0, 4), expected);
    EXPECT_TRUE(r.status_texts[4].startsWith(QStringLiteral("Error renaming file ")));
    EXPECT_EQ(entries(path(QStringLiteral("kalix/archive/X"))), QStringList{"2024"});
}

} // namespace
