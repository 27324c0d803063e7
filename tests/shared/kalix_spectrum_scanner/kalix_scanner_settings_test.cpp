#include "shared/kalix_spectrum_scanner/settings/kalix_scanner_settings.h"

#include <gtest/gtest.h>

namespace {

TEST(kalix_scanner_settings, lines_of_the_settings_file) {
    struct scenario {
        const char* name;
        QStringList lines;
        bool automatic;
        int scan_files;
        int positions;
        float delay;
        bool save;
    };
    const QStringList base{"in", "ovix"};
    const std::vector<scenario> scenarios{
        {"two lines", base, false, 1, 125, 0.0f, true},
        {"valid", base + QStringList{"TRUE", "4", "250", "ins", "", "", "", "2.5", "", "false"},
         true, 4, 250, 2.5f, false},
        {"blank before true", base + QStringList{" true"}, false, 1, 125, 0.0f, true},
        {"2x, abc and comma", base + QStringList{"False", "2x", "abc", "", "", "", "", "0,5"},
         false, 1, 125, 0.0f, true},
        {"TRUE with blanks on line 11",
         base + QStringList{"", "", "", "", "", "", "", "", "", " TRUE "}, false, 1, 125, 0.0f,
         true},
        {"anything else on line 11", base + QStringList{"", "", "", "", "", "", "", "", "", "yes"},
         false, 1, 125, 0.0f, false},
    };
    for (const scenario& s : scenarios) {
        SCOPED_TRACE(s.name);
        kalix_scanner_settings settings;
        ASSERT_TRUE(read_kalix_scanner_settings(s.lines, settings));
        EXPECT_EQ(settings.input_path, "in");
        EXPECT_EQ(settings.ovix_name, "ovix");
        EXPECT_EQ(settings.automatic_product_identification, s.automatic);
        EXPECT_EQ(settings.no_scan_files, s.scan_files);
        EXPECT_EQ(settings.no_spectral_positions, s.positions);
        EXPECT_EQ(settings.process_file_delay_time_in_seconds, s.delay);
        EXPECT_EQ(settings.save_ini_file, s.save);
    }
}

TEST(kalix_scanner_settings, one_line_is_not_enough) {
    kalix_scanner_settings settings;
    settings.no_scan_files = 7;
    EXPECT_FALSE(read_kalix_scanner_settings({"only"}, settings));
    EXPECT_EQ(settings.no_scan_files, 7);
    EXPECT_EQ(settings.input_path, "");
}

TEST(kalix_scanner_settings, written_lines) {
    kalix_scanner_settings settings;
    settings.input_path = "C:\\in\\";
    settings.ovix_name = "T";
    settings.automatic_product_identification = true;
    settings.no_scan_files = 2;
    settings.no_spectral_positions = 125;
    settings.ovix_insitu_name = "INS";
    settings.insitu_input_path = "\\";
    settings.process_file_delay_time_in_seconds = 0.5f;
    const QStringList expected{"C:\\in\\",          "T",  "True", "2",   "125", "INS",
                               "Insitu input path", "\\", "",     "0.5", "",    "true"};
    EXPECT_EQ(kalix_scanner_settings_lines(settings), expected);
    EXPECT_EQ(general_float_text(0.1f), "0.100000001490116");
    EXPECT_EQ(general_float_text(0.0f), "0");
}

} // namespace
