#include "scanner/bridge/scanner_settings_file.h"

#include "shared/basics/ini_lines.h"

const QString lumotrax_scanner_settings_file = QStringLiteral("lumotrax_sql_spectrum_scanner.ini");

lumotrax_scanner_settings read_lumotrax_scanner_settings(const QStringList& lines) {
    const lumotrax_scanner_settings defaults;
    lumotrax_scanner_settings s;
    const auto text = [&lines](const QString& key, const QString& default_text) {
        return ini_text(key, lines, default_text);
    };
    s.avantes_input_path = text(QStringLiteral("Avantes input path"), defaults.avantes_input_path);
    s.sql_connection_string =
        text(QStringLiteral("SQL connection string"), defaults.sql_connection_string);
    s.sql_database = text(QStringLiteral("SQL database"), defaults.sql_database);
    s.sql_fieldname = text(QStringLiteral("SQL fieldname"), defaults.sql_fieldname);
    for (int channel = 0; channel < 5; ++channel) {
        const QString prefix = QStringLiteral("SQL query channel %1 ").arg(channel);
        s.sql_query_pane_id_high[channel] = text(prefix + QStringLiteral("high"), QString());
        s.sql_query_pane_id_low[channel] = text(prefix + QStringLiteral("low"), QString());
    }
    s.sql_query_line_speed_pos20 = text(QStringLiteral("SQL query line speed POS20"), QString());
    for (int channel = 0; channel < 5; ++channel)
        s.ovix_name_inline_channel[channel] =
            text(QStringLiteral("OVIX inline channel %1").arg(channel),
                 defaults.ovix_name_inline_channel[channel]);
    s.test_mode = ini_integer(QStringLiteral("Test mode"), lines, defaults.test_mode);
    s.lumotrax_q_connection_string =
        text(QStringLiteral("Lumotrax Q connection string"), QString());
    s.lumotrax_q_where_phrase = text(QStringLiteral("Lumotrax Q where phrase"), QString());
    s.lumotrax_p_connection_string =
        text(QStringLiteral("Lumotrax P connection string"), QString());
    s.sheetresistance_connection_string =
        text(QStringLiteral("Sheetresistance connection string"), QString());
    s.offset_rfilm_probehead = ini_integer(QStringLiteral("Offset Rfilm probehead in mm"), lines,
                                           defaults.offset_rfilm_probehead);
    s.sheet_resistance_keyphrase =
        text(QStringLiteral("Sheet resistance key phrase"), defaults.sheet_resistance_keyphrase);
    s.postbake_key_phrase = text(QStringLiteral("Postbake key phrase"), QString());
    return s;
}

QStringList lumotrax_scanner_settings_lines(const lumotrax_scanner_settings& s) {
    return {QStringLiteral("Lumotrax Q connection string"),
            s.lumotrax_q_connection_string,
            QStringLiteral("Lumotrax P connection string"),
            s.lumotrax_p_connection_string,
            QStringLiteral("Sheet resistance connection string"),
            s.sheetresistance_connection_string,
            QStringLiteral("Offset Rfilm probehead in mm"),
            QString::number(s.offset_rfilm_probehead),
            QStringLiteral("Sheet resistance key phrase"),
            s.sheet_resistance_keyphrase,
            QStringLiteral("Postbake key phrase"),
            s.postbake_key_phrase};
}

namespace {

const QString start_choice_key = QStringLiteral("Start with last processed record");
constexpr qsizetype base_window_lines = 12;

} // namespace

bool start_choice(const QStringList& lines) {
    for (qsizetype i = base_window_lines; i + 1 < lines.size(); ++i)
        if (lines[i].compare(start_choice_key, Qt::CaseInsensitive) == 0)
            return lines[i + 1].trimmed() == QLatin1String("1");
    return false;
}

QStringList with_start_choice(QStringList lines, bool start_with_last_processed) {
    const QString value = start_with_last_processed ? QStringLiteral("1") : QStringLiteral("0");
    for (qsizetype i = base_window_lines; i + 1 < lines.size(); ++i) {
        if (lines[i].compare(start_choice_key, Qt::CaseInsensitive) == 0) {
            lines[i + 1] = value;
            return lines;
        }
    }
    while (lines.size() < base_window_lines)
        lines << QString();
    lines << start_choice_key << value;
    return lines;
}
