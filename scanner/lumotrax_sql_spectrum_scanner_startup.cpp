#include "scanner/Lumotrax_SQL_unit.h"
#include "scanner/bridge/index_files.h"
#include "scanner/bridge/scanner_settings_file.h"
#include "scanner/lumotrax_sql_spectrum_scanner_Unit.h"
#include "scanner/sheetresistance_sql_access_form_unit.h"
#include "shared/basics/ini_lines.h"
#include "shared/basics/program_folders.h"
#include "shared/basics/sprachen.h"
#include "shared/language_editor/language_editor_unit.h"
#include "shared/message_board/memo/message_memo.h"
#include "shared/platform/file_ops.h"
#include "shared/platform/line_list.h"
#include "shared/platform/operator_interface.h"
#include "shared/platform_widgets/error_reporting_application.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <stdexcept>

namespace {

const QString q_index_file = QStringLiteral("last_lumotrax_q_index.ini");
const QString p_index_file = QStringLiteral("last_lumotrax_p_index.ini");
const QString sheetresistance_index_file =
    QStringLiteral("last_lumotrax_sheetresistance_index.ini");

std::unique_ptr<sprachen> translation_table(const QString& file) {
    auto table = std::make_unique<sprachen>();
    if (platform::file_exists(file))
        table->load_from_file(file);
    return table;
}

} // namespace

void TLumotrax_spectrum_scanner_main::FormCreate() {
    start_flag = true;
    ovix_assignment = translation_table(ovix_assignment_file());
    spectrum_nickname = translation_table(spectrum_nicknames_file());
    position_offset_4points_0 = 3777;
    position_offset_4points_1 = 3237;
    position_offset_4points_2 = 2497;
    position_offset_4points_3 = 1357;
    position_offset_A = 3790;
    position_offset_B = 2790;
    position_offset_C = 1790;
    insitu_input_path.clear();

    lumotrax_q_sql_access_form = new Tlumotrax_sql_access_form(this);
    lumotrax_q_sql_access_form->setObjectName(QStringLiteral("lumotrax_q_sql_access_form"));
    lumotrax_q_sql_access_form->setWindowTitle(QStringLiteral("Lumotrax Q database access"));
    lumotrax_q_sql_access_form->FormCreate();
    lumotrax_p_sql_access_form = new Tlumotrax_sql_access_form(this);
    lumotrax_p_sql_access_form->setObjectName(QStringLiteral("lumotrax_p_sql_access_form"));
    lumotrax_p_sql_access_form->setWindowTitle(QStringLiteral("Lumotrax P database access"));
    // P records are taken a hundred a pass, so they must come in Id order.
    lumotrax_p_sql_access_form->records_in_id_order = true;
    lumotrax_p_sql_access_form->FormCreate();
    sheetresistance_sql_access_form = new Tsheetresistance_sql_access_form(this);
    sheetresistance_sql_access_form->setWindowTitle(
        QStringLiteral("Sheetresistance database access"));
    sheetresistance_sql_access_form->FormCreate();

    postbake_mode = 0;
    TFS_scanner_main::FormCreate();
    // The operator starts scanning; a restart never resumes it on its own.
    if (Timer1->isActive())
        switch_timer_state();

    read_kalix_ini_keys();
    read_settings_file();
    read_last_lumotrax_indices();
    active_button->setFocus();
    send_message(QStringLiteral("Start-up finished."));
}

void TLumotrax_spectrum_scanner_main::read_kalix_ini_keys() {
    const QString file = kalix_path + QStringLiteral("kalix.ini");
    if (!platform::file_exists(file))
        return;
    QStringList lines;
    platform::load_lines(file, lines);
    archive_using_date_of_measurement =
        ini_integer_first(lines, QStringLiteral("Archive using date of measurement"), 0) == 1;
    external_archive_directory = ini_text_first(lines, QStringLiteral("External archive directory"),
                                                external_archive_directory);
}

void TLumotrax_spectrum_scanner_main::read_settings_file() {
    const QString file = kalix_path + lumotrax_scanner_settings_file;
    if (!platform::file_exists(file))
        return;
    send_message(QStringLiteral("Reading information from lumotrax_sql_spectrum_scanner.ini ..."));
    QStringList lines;
    platform::load_lines(file, lines);
    const lumotrax_scanner_settings settings = read_lumotrax_scanner_settings(lines);
    apply_settings(settings);
    // The board shows what the windows took (the board masks passwords).
    lumotrax_scanner_settings shown = settings;
    shown.lumotrax_q_connection_string =
        lumotrax_q_sql_access_form->connection_string_editor->text();
    shown.lumotrax_p_connection_string =
        lumotrax_p_sql_access_form->connection_string_editor->text();
    shown.sheetresistance_connection_string =
        sheetresistance_sql_access_form->connection_string_editor->text();
    for (const QString& line : lumotrax_scanner_settings_lines(shown))
        send_message(line);
    send_message(QString());
    send_message(QStringLiteral("Reading from ini file finished."));
}

void TLumotrax_spectrum_scanner_main::apply_settings(const lumotrax_scanner_settings& s) {
    avantes_input_path = s.avantes_input_path;
    sql_connection_string = s.sql_connection_string;
    sql_database = s.sql_database;
    sql_fieldname = s.sql_fieldname;
    sql_query_pane_id_high = s.sql_query_pane_id_high;
    sql_query_pane_id_low = s.sql_query_pane_id_low;
    sql_query_line_speed_pos20 = s.sql_query_line_speed_pos20;
    ovix_name_inline_channel_0 = s.ovix_name_inline_channel[0];
    ovix_name_inline_channel_1 = s.ovix_name_inline_channel[1];
    ovix_name_inline_channel_2 = s.ovix_name_inline_channel[2];
    ovix_name_inline_channel_3 = s.ovix_name_inline_channel[3];
    ovix_name_inline_channel_4 = s.ovix_name_inline_channel[4];
    test_mode = s.test_mode;
    if (test_mode == 1)
        platform::operator_ui().show_message(QStringLiteral("Test mode: 1"));
    lumotrax_q_sql_access_form->connection_string_editor->setText(s.lumotrax_q_connection_string);
    lumotrax_q_sql_access_form->SQL_where_phrase = s.lumotrax_q_where_phrase;
    lumotrax_p_sql_access_form->connection_string_editor->setText(s.lumotrax_p_connection_string);
    sheetresistance_sql_access_form->connection_string_editor->setText(
        s.sheetresistance_connection_string);
    offset_rfilm_probehead = s.offset_rfilm_probehead;
    sheetresistance_sql_access_form->sheet_resistance_keyphrase = s.sheet_resistance_keyphrase;
    postbake_key_phrase = s.postbake_key_phrase;
}

void TLumotrax_spectrum_scanner_main::read_last_lumotrax_indices() {
    const std::array<std::pair<const QString*, record_source_parts*>, 3> sources{{
        {&q_index_file, lumotrax_q_sql_access_form},
        {&p_index_file, lumotrax_p_sql_access_form},
        {&sheetresistance_index_file, sheetresistance_sql_access_form},
    }};
    for (auto [file_name, source] : sources) {
        const index_reading reading = read_index_file(program_file_name(*file_name));
        if (reading.from == index_reading::origin::none)
            send_message(index_problem_line(*file_name));
        else if (reading.from == index_reading::origin::previous_copy)
            send_message(index_previous_copy_line(*file_name, reading.value));
        source->last_processed_record = reading.value;
    }
    send_message(QStringLiteral("Last processed Lumotrax Q index: ") +
                 QString::number(lumotrax_q_sql_access_form->last_processed_record));
    send_message(QStringLiteral("Last processed Lumotrax P index: ") +
                 QString::number(lumotrax_p_sql_access_form->last_processed_record));
    send_message(QStringLiteral("Last processed sheetresistance index: ") +
                 QString::number(sheetresistance_sql_access_form->last_processed_record));
    for (auto [file_name, source] : sources)
        source->update_last_processed_label();
    connect_record_sources();
}

void TLumotrax_spectrum_scanner_main::connect_record_sources() {
    // Each source on its own: one database that is down must not keep the others, or the
    // rest of the start-up, from running.
    const std::array<std::pair<record_source_parts*, QString>, 3> sources{{
        {lumotrax_q_sql_access_form, QStringLiteral("Lumotrax Q")},
        {lumotrax_p_sql_access_form, QStringLiteral("Lumotrax P")},
        {sheetresistance_sql_access_form, QStringLiteral("Sheet resistance")},
    }};
    for (const auto& [source, name] : sources) {
        try {
            source->connect_to_lumotrax();
            source->get_last_measured_record();
        } catch (const std::exception& error) {
            const QString text = QString::fromUtf8(error.what());
            messages->board().post_error(name + QStringLiteral(" database: ") + text);
            platform::report_error(text);
        }
    }
}

bool TLumotrax_spectrum_scanner_main::write_last_lumotrax_indices() {
    bool written = write_index_file(program_file_name(q_index_file),
                                    lumotrax_q_sql_access_form->last_processed_record);
    written &= write_index_file(program_file_name(p_index_file),
                                lumotrax_p_sql_access_form->last_processed_record);
    written &= write_index_file(program_file_name(sheetresistance_index_file),
                                sheetresistance_sql_access_form->last_processed_record);
    return written;
}

void TLumotrax_spectrum_scanner_main::FormClose() {
    if (language_editor)
        language_editor->FormDestroy();
    TFS_scanner_main::FormClose();
    lumotrax_q_sql_access_form->FormClose();
    lumotrax_p_sql_access_form->FormClose();
    sheetresistance_sql_access_form->FormClose();
}
