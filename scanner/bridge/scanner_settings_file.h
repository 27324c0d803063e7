#pragma once

#include <QString>
#include <QStringList>

#include <array>

// The main program's own settings, read from lumotrax_sql_spectrum_scanner.ini in the
// KALIX installation folder: key lines each followed by their value line. The defaults
// hold only for a file that exists; the program never writes it.
struct lumotrax_scanner_settings {
    QString avantes_input_path;
    QString sql_connection_string;
    QString sql_database = QStringLiteral("KALIX");
    QString sql_fieldname = QStringLiteral("value");
    std::array<QString, 5> sql_query_pane_id_high;
    std::array<QString, 5> sql_query_pane_id_low;
    QString sql_query_line_speed_pos20;
    std::array<QString, 5> ovix_name_inline_channel{QStringLiteral("OVIX2"), QString(), QString(),
                                                    QString(), QStringLiteral("OVIX1")};
    int test_mode = 0;
    QString lumotrax_q_connection_string;
    QString lumotrax_q_where_phrase;
    QString lumotrax_p_connection_string;
    QString sheetresistance_connection_string;
    int offset_rfilm_probehead = 109;
    QString sheet_resistance_keyphrase = QStringLiteral("Sheet resistance");
    QString postbake_key_phrase;
};

extern const QString lumotrax_scanner_settings_file; // "lumotrax_sql_spectrum_scanner.ini"

lumotrax_scanner_settings read_lumotrax_scanner_settings(const QStringList& lines);

// What the board shows while the file is read: the key and the value of the three
// connection strings and of the three settings that shape file names, in reading order.
QStringList lumotrax_scanner_settings_lines(const lumotrax_scanner_settings& settings);

// kalix_scanner.ini also keeps whether scanning starts with the last processed record: a
// key line and its value line ("1" or "0") behind the base window's twelve lines.
bool start_choice(const QStringList& kalix_scanner_lines);
QStringList with_start_choice(QStringList kalix_scanner_lines, bool start_with_last_processed);
