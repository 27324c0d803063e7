#include "scanner/Lumotrax_SQL_unit.h"
#include "scanner/bridge/hand_over.h"
#include "scanner/bridge/index_files.h"
#include "scanner/bridge/pass_engine.h"
#include "scanner/bridge/scanner_settings_file.h"
#include "scanner/bridge/source_progress.h"
#include "scanner/lumotrax_sql_spectrum_scanner_Unit.h"
#include "scanner/sheetresistance_sql_access_form_unit.h"
#include "shared/basics/ini_lines.h"
#include "shared/basics/program_folders.h"
#include "shared/basics/sprachen.h"
#include "shared/kalix_spectrum_scanner/settings/kalix_paths.h"
#include "shared/language_editor/language_editor_unit.h"
#include "shared/message_board/memo/message_memo.h"
#include "shared/platform/file_ops.h"
#include "shared/platform/line_list.h"
#include "shared/platform/operator_interface.h"
#include "shared/platform/paths.h"
#include "shared/platform_widgets/error_reporting_application.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>

#include <stdexcept>

namespace {

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
    set_position_offsets(postbake_offsets{});
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

    create_engine();

    postbake_mode = 0;
    TFS_scanner_main::FormCreate();
    // The operator starts scanning; a restart never resumes it on its own.
    if (Timer1->isActive())
        switch_timer_state();

    read_kalix_ini_keys();
    read_settings_file();
    read_last_lumotrax_indices();
    remove_own_temp_files();
    active_button->setFocus();
    show_source_health();
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
    const std::array<std::pair<source_progress*, record_source_parts*>, 3> sources{{
        {q_progress_.get(), lumotrax_q_sql_access_form},
        {p_progress_.get(), lumotrax_p_sql_access_form},
        {sr_progress_.get(), sheetresistance_sql_access_form},
    }};
    for (auto [progress, source] : sources) {
        const source_progress::load_result loaded = progress->load();
        const QString file_name = QFileInfo(progress->index_file()).fileName();
        if (!loaded.index_valid) {
            send_message(index_problem_line(file_name));
            action_label->setText(index_problem_line(file_name));
        } else if (loaded.from_previous_copy) {
            send_message(index_previous_copy_line(file_name, progress->index));
        }
        source->last_processed_record = progress->index;
    }
    send_message(QStringLiteral("Last processed Lumotrax Q index: ") +
                 QString::number(lumotrax_q_sql_access_form->last_processed_record));
    send_message(QStringLiteral("Last processed Lumotrax P index: ") +
                 QString::number(lumotrax_p_sql_access_form->last_processed_record));
    send_message(QStringLiteral("Last processed sheetresistance index: ") +
                 QString::number(sheetresistance_sql_access_form->last_processed_record));
    for (auto [progress, source] : sources)
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
    QStringList beyond;
    for (const auto& [source, name] : sources) {
        try {
            source->connect_to_lumotrax();
            source->get_last_measured_record();
        } catch (const std::exception& error) {
            const QString text = QString::fromUtf8(error.what());
            messages->board().post_error(name + QStringLiteral(" database: ") + text);
            platform::report_error(text);
            continue;
        }
        // An index the database has not reached yet would let every new record pass by.
        if (source->last_measured_record_known &&
            source->last_processed_record > source->last_measured_record)
            beyond << QStringLiteral("%1: the last processed index %2 lies beyond the newest "
                                     "record %3 of the database. No new record is handled "
                                     "until the database passes it; use \"Get newest record\" "
                                     "or \"Forget the past\" in the %1 SQL settings.")
                          .arg(name)
                          .arg(source->last_processed_record)
                          .arg(source->last_measured_record);
    }
    if (beyond.isEmpty())
        return;
    for (const QString& line : beyond)
        messages->board().post_error(line);
    action_label->setText(beyond.first());
    platform::operator_ui().show_notice(beyond.join(u'\n'), nullptr);
}

void TLumotrax_spectrum_scanner_main::FormClose() {
    if (language_editor)
        language_editor->FormDestroy();
    // Ending the program closes no record source window: their connection files are
    // written when the operator closes them.
    TFS_scanner_main::FormClose();
}

void TLumotrax_spectrum_scanner_main::remove_own_temp_files() {
    // What a killed run left half-written in the folders it delivers to.
    QStringList folders;
    const QString measurements = measurement_folder(kalix_path, product_marker_name(kalix_path));
    for (const QString& channel : QDir(measurements).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        folders << QDir(measurements).filePath(channel + QStringLiteral("/new"));
    folders << QDir(measurements).filePath(QStringLiteral("new_results"));
    if (!postbake_total_output_path.isEmpty())
        folders << postbake_total_output_path;
    int removed = 0;
    for (const QString& folder : folders)
        if (platform::folder_exists(folder))
            removed += ::remove_own_temp_files(folder);
    if (removed > 0)
        send_message(QStringLiteral("%1 temporary files of an earlier run removed.").arg(removed));
}

void TLumotrax_spectrum_scanner_main::read_additional_kalix_scanner_ini_data(
    const QStringList& sl) {
    TFS_scanner_main::read_additional_kalix_scanner_ini_data(sl);
    const QSignalBlocker quiet(start_with_latest_processed_record);
    start_with_latest_processed_record->setChecked(start_choice(sl));
}

void TLumotrax_spectrum_scanner_main::write_additional_kalix_scanner_ini_data(QStringList& sl) {
    TFS_scanner_main::write_additional_kalix_scanner_ini_data(sl);
    sl = with_start_choice(sl, start_with_latest_processed_record->isChecked());
}

void TLumotrax_spectrum_scanner_main::remember_start_choice() {
    // Kept at once, so a start after a crash or a reboot continues where the last run
    // stopped when the operator had asked for that.
    const QString file = program_file_name(QStringLiteral("kalix_scanner.ini"));
    QStringList lines;
    if (!save_ini_file || !platform::load_lines(file, lines))
        return;
    if (!platform::save_lines(
            file, with_start_choice(lines, start_with_latest_processed_record->isChecked())))
        send_message(QStringLiteral("The settings file %1 could not be written.")
                         .arg(platform::native_path(file)));
}
