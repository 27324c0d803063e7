#include "scanner/bridge/scanner_settings_file.h"

#include <gtest/gtest.h>

namespace {

QStringList lines(std::initializer_list<const char*> texts) {
    QStringList result;
    for (const char* text : texts)
        result << QString::fromUtf8(text);
    return result;
}

TEST(scanner_settings_file, every_key_is_read_into_its_setting) {
    const auto s = read_lumotrax_scanner_settings(lines({
        "Avantes input path",
        "C:\\avantes\\",
        "SQL connection string",
        "old",
        "SQL database",
        "LINE",
        "SQL fieldname",
        "val",
        "SQL query channel 0 high",
        "h0",
        "SQL query channel 4 high",
        "h4",
        "SQL query channel 2 low",
        "l2",
        "SQL query line speed POS20",
        "speed",
        "OVIX inline channel 0",
        "OVIX7",
        "OVIX inline channel 3",
        "OVIX3",
        "Test mode",
        "2",
        "Lumotrax Q connection string",
        "Provider=SQLite;Data Source=q.db",
        "Lumotrax Q where phrase",
        "and LoadId > 5",
        "Lumotrax P connection string",
        "p.db",
        "Sheetresistance connection string",
        "s.db",
        "Offset Rfilm probehead in mm",
        "120",
        "Sheet resistance key phrase",
        "Rs",
        "Postbake key phrase",
        "_PB_",
    }));
    EXPECT_EQ(s.avantes_input_path, QStringLiteral("C:\\avantes\\"));
    EXPECT_EQ(s.sql_connection_string, QStringLiteral("old"));
    EXPECT_EQ(s.sql_database, QStringLiteral("LINE"));
    EXPECT_EQ(s.sql_fieldname, QStringLiteral("val"));
    EXPECT_EQ(s.sql_query_pane_id_high[0], QStringLiteral("h0"));
    EXPECT_EQ(s.sql_query_pane_id_high[4], QStringLiteral("h4"));
    EXPECT_EQ(s.sql_query_pane_id_low[2], QStringLiteral("l2"));
    EXPECT_EQ(s.sql_query_line_speed_pos20, QStringLiteral("speed"));
    EXPECT_EQ(s.ovix_name_inline_channel[0], QStringLiteral("OVIX7"));
    EXPECT_EQ(s.ovix_name_inline_channel[3], QStringLiteral("OVIX3"));
    EXPECT_EQ(s.ovix_name_inline_channel[4], QStringLiteral("OVIX1"));
    EXPECT_EQ(s.test_mode, 2);
    EXPECT_EQ(s.lumotrax_q_connection_string, QStringLiteral("Provider=SQLite;Data Source=q.db"));
    EXPECT_EQ(s.lumotrax_q_where_phrase, QStringLiteral("and LoadId > 5"));
    EXPECT_EQ(s.lumotrax_p_connection_string, QStringLiteral("p.db"));
    EXPECT_EQ(s.sheetresistance_connection_string, QStringLiteral("s.db"));
    EXPECT_EQ(s.offset_rfilm_probehead, 120);
    EXPECT_EQ(s.sheet_resistance_keyphrase, QStringLiteral("Rs"));
    EXPECT_EQ(s.postbake_key_phrase, QStringLiteral("_PB_"));
}

TEST(scanner_settings_file, missing_keys_take_their_defaults) {
    const auto s = read_lumotrax_scanner_settings(lines({"some other line"}));
    EXPECT_EQ(s.sql_database, QStringLiteral("KALIX"));
    EXPECT_EQ(s.sql_fieldname, QStringLiteral("value"));
    EXPECT_EQ(s.ovix_name_inline_channel[0], QStringLiteral("OVIX2"));
    EXPECT_EQ(s.ovix_name_inline_channel[1], QString());
    EXPECT_EQ(s.ovix_name_inline_channel[4], QStringLiteral("OVIX1"));
    EXPECT_EQ(s.test_mode, 0);
    EXPECT_EQ(s.offset_rfilm_probehead, 109);
    // Small r: the file's default replaces the sheet-resistance window's own.
    EXPECT_EQ(s.sheet_resistance_keyphrase, QStringLiteral("Sheet resistance"));
    EXPECT_EQ(s.lumotrax_q_connection_string, QString());
    EXPECT_EQ(s.postbake_key_phrase, QString());
}

TEST(scanner_settings_file, keys_ignore_case_the_last_one_wins_and_bad_numbers_are_ignored) {
    const auto s = read_lumotrax_scanner_settings(lines({
        "lumotrax q CONNECTION string",
        "first",
        "Offset Rfilm probehead in mm",
        "12.5",
        "Test mode",
        "1",
        "LUMOTRAX Q CONNECTION STRING",
        "second",
        "Test mode",
        "x",
    }));
    EXPECT_EQ(s.lumotrax_q_connection_string, QStringLiteral("second"));
    EXPECT_EQ(s.offset_rfilm_probehead, 109);
    EXPECT_EQ(s.test_mode, 1);
}

TEST(scanner_settings_file, board_lines_follow_the_reading_order) {
    lumotrax_scanner_settings s;
    s.lumotrax_q_connection_string = QStringLiteral("q");
    s.lumotrax_p_connection_string = QStringLiteral("p");
    s.sheetresistance_connection_string = QStringLiteral("s");
    s.postbake_key_phrase = QStringLiteral("PB");
    EXPECT_EQ(
        lumotrax_scanner_settings_lines(s),
        lines({"Lumotrax Q connection string", "q", "Lumotrax P connection string", "p",
               "Sheet resistance connection string", "s", "Offset Rfilm probehead in mm", "109",
               "Sheet resistance key phrase", "Sheet resistance", "Postbake key phrase", "PB"}));
}

} // namespace
