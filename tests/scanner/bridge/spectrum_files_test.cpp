#include "scanner/bridge/hand_over.h"
#include "scanner/bridge/sheetresistance_file.h"
#include "scanner/bridge/spectrum_names.h"
#include "scanner/bridge/xy_file.h"
#include "shared/kalix_spectrum_scanner/settings/kalix_paths.h"
#include "tests/support/scratch_fixture.h"

#include <QDir>

#include <limits>
#include <stdexcept>

#include <gtest/gtest.h>

namespace {

TEST(spectrum_names, positions_round_ties_to_even) {
    struct grid_case {
        double value;
        int step;
        int field;
    };
    const grid_case cases[] = {
        {10, 20, 0},
        {30, 20, 40},
        {50, 20, 40},
        {70, 20, 80},
        {-30, 20, -40},
        {-10, 20, 0},
        {255, 20, 260},
        {265, 20, 260},
        {1234.5, 20, 1240},
        {5, 10, 0},
        {15, 10, 20},
        {25, 10, 20},
        {1234.5 - 109, 10, 1130},
        {255 - 109, 10, 150},
    };
    for (const grid_case& c : cases)
        EXPECT_EQ(position_field_grid(c.value, c.step), c.field) << c.value << " on " << c.step;
    EXPECT_EQ(position_field_1mm(1234.5f), 1234);
    EXPECT_EQ(position_field_1mm(1235.5f), 1236);
    EXPECT_EQ(position_field_1mm(-0.5f), 0);
    EXPECT_EQ(position_field_1mm(-1.5f), -2);
    EXPECT_EQ(position_field_1mm(250.0f), 250);
}

// Positions of a damaged or odd record (a fuzz finding: 2.4e20 mm from a sheet-resistance
// record) keep to the ends of int instead of an undefined conversion.
TEST(spectrum_names, positions_beyond_int_saturate) {
    constexpr int lowest = std::numeric_limits<int>::min();
    constexpr int highest = std::numeric_limits<int>::max();
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct mm_case {
        float value;
        int field;
    };
    const mm_case mm_cases[] = {
        {2.37768e20f, highest},
        {-2.37768e20f, lowest},
        {inf, highest},
        {-inf, lowest},
        {nan, 0},
        {2147483520.0f, 2147483520},
    };
    for (const mm_case& c : mm_cases)
        EXPECT_EQ(position_field_1mm(c.value), c.field) << c.value;
    struct grid_case {
        double value;
        int step;
        int field;
    };
    const grid_case grid_cases[] = {
        {1e300, 20, highest},       {-1e300, 10, lowest}, {2147483660.0, 20, highest},
        {-2147483648.0, 1, lowest}, {nan, 20, 0},         {2147483640.0, 20, 2147483640},
    };
    for (const grid_case& c : grid_cases)
        EXPECT_EQ(position_field_grid(c.value, c.step), c.field) << c.value << " on " << c.step;

    sheetresistance_result result;
    result.load_id = QStringLiteral("L0815");
    result.longitudinal = 2.37768e20f;
    result.lateral = nan;
    EXPECT_TRUE(sheetresistance_file_content(result).contains("2147483647"));
    EXPECT_EQ(sheetresistance_file_name(result.load_id, result.longitudinal, result.lateral),
              QStringLiteral("L0815___2147483647___0___0___SR.txt"));
}

TEST(spectrum_names, full_name_and_folder) {
    const QString sep = QDir::separator();
    // The KALIX folder comes from the settings as the operator wrote it, in native separators.
    const QString kalix = QDir::toNativeSeparators(QStringLiteral("/kalix/"));
    const QString folder =
        channel_new_folder(kalix, QStringLiteral("ProductA"), QStringLiteral("OVIX1"));
    EXPECT_EQ(folder, QDir::toNativeSeparators(QStringLiteral(
                          "/kalix/database/products/ProductA/measurements/OVIX1/new")));
    EXPECT_EQ(spectrum_file_name(folder, QStringLiteral("L0815"), QStringLiteral("T"), 1234, 250),
              folder + sep + QStringLiteral("L0815___T___1234___250___0.xy"));
    // No nickname: the separators meet; an unknown channel and product leave empty segments.
    EXPECT_EQ(spectrum_file_name(QStringLiteral("f"), QStringLiteral("L1"), QString(), -40, 0),
              QStringLiteral("f") + sep + QStringLiteral("L1______-40___0___0.xy"));
    EXPECT_EQ(
        channel_new_folder(kalix, QString(), QString()),
        QDir::toNativeSeparators(QStringLiteral("/kalix/database/products//measurements//new")));
}

TEST(spectrum_names, postbake_key_phrase_matches_anywhere_with_case) {
    EXPECT_TRUE(is_postbake_load(QStringLiteral("L0815PB"), QStringLiteral("PB")));
    EXPECT_TRUE(is_postbake_load(QStringLiteral("PB0815"), QStringLiteral("PB")));
    EXPECT_FALSE(is_postbake_load(QStringLiteral("L0815pb"), QStringLiteral("PB")));
    EXPECT_FALSE(is_postbake_load(QStringLiteral("L0815"), QString()));
}

TEST(xy_file, lines_follow_the_values_text) {
    struct xy_case {
        const char* wavelengths;
        const char* values;
        xy_fields fields;
        const char* content;
    };
    const xy_case cases[] = {
        {"380;381;382", "0.1;0.2;0.3", xy_fields::unchanged,
         "380\t0.1\r\n381\t0.2\r\n382\t0.3\r\n"},
        {"380;381;", "0.1;0.2;", xy_fields::unchanged, "380\t0.1\r\n381\t0.2\r\n\t\r\n"},
        {"380;381", "", xy_fields::unchanged, "380\t\r\n"},
        {"380", "0.1;0.2", xy_fields::unchanged, "380\t0.1\r\n\t0.2\r\n"},
        {"380;381;382;383", "0.1", xy_fields::unchanged, "380\t0.1\r\n"},
        {" 380 ; 381", " 0.1 ;0.2\t", xy_fields::unchanged, " 380 \t 0.1 \r\n 381\t0.2\t\r\n"},
        {" 380 ; 381", " 0.1 ;0.2\t", xy_fields::trimmed, "380\t0.1\r\n381\t0.2\r\n"},
        {"", "", xy_fields::unchanged, "\t\r\n"},
        {";;", "1", xy_fields::trimmed, "\t1\r\n"},
        // 8-bit text in Windows-1252; what it cannot hold becomes "?".
        {"\xE2\x82\xAC;\xC3\xA9", "\xE4\xB8\xAD;x", xy_fields::unchanged, "\x80\t?\r\n\xE9\tx\r\n"},
        {"380;381", " 0.1 ; \xC3\xA9 ", xy_fields::trimmed, "380\t0.1\r\n381\t\xE9\r\n"},
    };
    for (const xy_case& c : cases)
        EXPECT_EQ(xy_file_content(QString::fromUtf8(c.wavelengths), QString::fromUtf8(c.values),
                                  c.fields),
                  QByteArray(c.content))
            << c.wavelengths << " | " << c.values;
}

} // namespace

namespace {

TEST(sheetresistance_file, name_takes_the_records_position_and_lines_the_points) {
    EXPECT_EQ(sheetresistance_file_name(QStringLiteral("L0815"), 1200.4, 250.5),
              QStringLiteral("L0815___1200___250___0___SR.txt"));
    EXPECT_EQ(sheetresistance_file_name(QStringLiteral("L1"), -3.5, 251.5),
              QStringLiteral("L1___-4___252___0___SR.txt"));
    sheetresistance_result r;
    r.nickname = QStringLiteral("SR_test");
    r.value = QStringLiteral("12.5");
    r.date_time = QStringLiteral("10.12.2026  08:30:05");
    r.load_id = QStringLiteral("L0815");
    r.longitudinal = 250.5f;
    r.lateral = 251.5f;
    EXPECT_EQ(sheetresistance_file_content(r),
              QByteArray("SR_test\r\n12.5\r\n---\r\n0\r\nmeasured\r\n10.12.2026  08:30:05\r\n\r\n"
                         "L0815\r\n250\r\n252\r\n0\r\n"));
    const QString sep = QDir::separator();
    EXPECT_EQ(sheetresistance_folder(QStringLiteral("k") + sep, QStringLiteral("P")),
              QDir::toNativeSeparators(
                  QStringLiteral("k/database/products/P/measurements/new_results/")));
}

} // namespace

namespace {

TEST(spectrum_names, file_name_parts_never_leave_their_folder) {
    EXPECT_EQ(file_name_part(QStringLiteral("L0815")), QStringLiteral("L0815"));
    EXPECT_EQ(file_name_part(QStringLiteral("..\\..\\x/y")), QStringLiteral(".._.._x_y"));
    EXPECT_EQ(file_name_part(QStringLiteral("a:b*c?d\"e<f>g|h\ti")),
              QStringLiteral("a_b_c_d_e_f_g_h_i"));
    EXPECT_EQ(file_name_part(QStringLiteral("Größe µ")), QStringLiteral("Größe µ"));
}

using hand_over = scratch_fixture;

TEST_F(hand_over, the_final_name_holds_the_old_or_the_whole_new_file_and_no_temporary_stays) {
    const QString target = write_file(QStringLiteral("new/L1___T___0___0___0.xy"), "old");
    ASSERT_TRUE(hand_over_file(target, "380\t0.1\r\n"));
    EXPECT_EQ(read_file(target), QByteArray("380\t0.1\r\n"));
    EXPECT_EQ(QDir(path(QStringLiteral("new"))).entryList(QDir::Files),
              QStringList{QStringLiteral("L1___T___0___0___0.xy")});

    // No folder: nothing is written anywhere.
    EXPECT_FALSE(hand_over_file(path(QStringLiteral("missing/x.xy")), "x"));
    EXPECT_FALSE(QDir(path(QStringLiteral("missing"))).exists());

    // A rename that cannot happen (a folder stands under the final name) is an error and
    // takes its temporary file with it.
    write_file(QStringLiteral("new/blocked.xy/inside"), "kept");
    EXPECT_THROW(hand_over_file(path(QStringLiteral("new/blocked.xy")), "x"), std::runtime_error);
    EXPECT_EQ(QDir(path(QStringLiteral("new")))
                  .entryList(QStringList{QStringLiteral("*.tmp")}, QDir::Files),
              QStringList{});
    EXPECT_EQ(read_file(path(QStringLiteral("new/blocked.xy/inside"))), QByteArray("kept"));
}

} // namespace
