#pragma once

#include "scanner/csv/csv_routing.h"
#include "scanner/fs_scanner_main_unit.h"
#include "shared/platform/operator_interface.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QMap>
#include <QSet>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class QCheckBox;
class QFrame;
class QLabel;
class QPlainTextEdit;
class QLineEdit;
class Tlanguage_editor_form;
class Thistoric_pane_selection;
class Tlumotrax_sql_access_form;
class Tsheetresistance_sql_access_form;
class record_source_parts;
namespace database {
class sql_dataset;
}
class health_strip;
class message_memo;
class pass_engine;
class source_health;
class source_progress;
class spectrum_plot;
class status_file_writer;
class sprachen;
class step_health;
class window_record_source;
struct lumotrax_scanner_settings;
struct sheetresistance_result;
struct source_status;

// The main window of Lumotrax_SQL_spectrum_scanner: its settings, the processed-record
// indices of the three databases, the two name translation tables, the message board and
// the buttons that open the record source windows and the vocabulary editor. The creator
// calls FormCreate() right after construction and FormClose() before the program ends.
class TLumotrax_spectrum_scanner_main : public TFS_scanner_main {
    Q_OBJECT
public:
    explicit TLumotrax_spectrum_scanner_main(QWidget* parent = nullptr);
    ~TLumotrax_spectrum_scanner_main() override;

    // Own controls.
    QPlainTextEdit* Memo1 = nullptr;
    message_memo* messages = nullptr;
    QLabel* Label2 = nullptr;
    QPushButton* Button2 = nullptr;
    QLabel* kalix_postbake_path_ = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label9 = nullptr;
    QLabel* Label11 = nullptr;
    QPushButton* Button3 = nullptr;
    QPushButton* Button4 = nullptr;
    QLabel* line_speed_label = nullptr;
    QFrame* Panel1 = nullptr;
    QLabel* Label4 = nullptr;
    QPushButton* lumotraxQ_sql_access_form_button = nullptr;
    QPushButton* LumotraxP_SQL_access_fomr_button = nullptr;
    QPushButton* ovix_assign_button = nullptr;
    QPushButton* nickname_button = nullptr;
    QPushButton* test_mode_0_button = nullptr;
    QPushButton* test_mode_1_button = nullptr;
    QCheckBox* start_with_latest_processed_record = nullptr;
    QPushButton* sheet_resistance_button = nullptr;
    QPushButton* rerun_pane_button = nullptr;
    QPushButton* retry_set_aside_button = nullptr;
    QFrame* Panel2 = nullptr;
    QLabel* Label12 = nullptr;
    QPushButton* load_archive_spectra_button = nullptr;
    QLabel* Label13 = nullptr;
    QLineEdit* archive_pane_id_edit = nullptr;
    QLabel* Label14 = nullptr;
    QLineEdit* archive_year_editor = nullptr;
    QLabel* Label15 = nullptr;
    QLineEdit* archive_month_editor = nullptr;
    QLabel* Label16 = nullptr;
    QLineEdit* archive_day_editor = nullptr;
    QPushButton* pick_archive_date_button = nullptr;
    QCheckBox* add_R55_spectrum_option = nullptr;
    // The operator's view: how each source is doing, and the last spectrum per channel.
    health_strip* health_strip_view = nullptr;
    spectrum_plot* spectrum_plot_view = nullptr;
    platform::file_dialog_request archive_file_dialog;

    // Fields, in the order the window declares them.
    bool start_flag = true;
    std::int32_t postbake_mode = 0;
    int zeiss_plate = 0;
    QString zeiss_plate_id;
    std::int32_t position_offset_4points_0 = postbake_offsets{}.position_offset_4points_0;
    std::int32_t position_offset_4points_1 = postbake_offsets{}.position_offset_4points_1;
    std::int32_t position_offset_4points_2 = postbake_offsets{}.position_offset_4points_2;
    std::int32_t position_offset_4points_3 = postbake_offsets{}.position_offset_4points_3;
    std::int32_t position_offset_A = postbake_offsets{}.position_offset_A;
    std::int32_t position_offset_B = postbake_offsets{}.position_offset_B;
    std::int32_t position_offset_C = postbake_offsets{}.position_offset_C;
    bool archive_using_date_of_measurement = false;
    QString avantes_input_path;
    std::array<QString, 5> sql_query_pane_id_high;
    std::array<QString, 5> sql_query_pane_id_low;
    QString sql_query_line_speed_pos20;
    QString sql_connection_string;
    QString sql_database;
    QString sql_fieldname;
    QString ovix_name_inline_channel_0;
    QString ovix_name_inline_channel_1;
    QString ovix_name_inline_channel_2;
    QString ovix_name_inline_channel_3;
    QString ovix_name_inline_channel_4;
    std::int32_t test_mode = 0;
    std::array<bool, 100> glass_present{};
    Tlumotrax_sql_access_form* lumotrax_q_sql_access_form = nullptr;
    Tlumotrax_sql_access_form* lumotrax_p_sql_access_form = nullptr;
    Tsheetresistance_sql_access_form* sheetresistance_sql_access_form = nullptr;
    std::unique_ptr<sprachen> ovix_assignment;
    std::unique_ptr<sprachen> spectrum_nickname;
    std::int32_t offset_rfilm_probehead = 0;
    float this_longitudinalpositionmm = 0.0f;
    float this_lateralpositionmm = 0.0f;
    QString postbake_key_phrase;

    // The one vocabulary editor of the program, created on first use.
    Tlanguage_editor_form* language_editor = nullptr;

    void FormCreate() override;
    void FormClose() override;

    void send_message(const QString& the_message);
    void clean_message_board(int number_of_rows);
    QString ovix_assignment_file() const;
    QString spectrum_nicknames_file() const;
    void read_last_lumotrax_indices();
    // False when an index file could not be written; the others are still written.
    bool write_last_lumotrax_indices();

    void set_new_product() override;
    // The position offsets of the postbake samples from kalix_postbake_path.ini.
    void read_additional_postbake_ini_data(const QStringList& sl) override;
    void active_buttonClick() override;
    void initialize_sc_data() override;

    // One pass over the databases, run by the scan timer.
    void timer_action() override;
    // The panic flush: empties the "new" folder of the channel of "Transmission".
    void delete_action() override;
    void process_all_lumotrax_q_records();
    void process_all_sheetresistance_records();

    // Full names of the spectrum file of the current Q or P record.
    QString spectrum_name_q();
    QString spectrum_name_p();
    QString spectrum_name_p_shifted_RF();
    // The channel's "new" folder of the current product for a result name; the product is
    // read again for every name.
    QString destination_path(const QString& lumotrax_name);
    void write_q_spectrum_file(const QString& file_name);
    void write_p_spectrum_file(const QString& file_name);
    QString sheetresistance_target_folder();
    QString sheetresistance_filename();

    void Button2Click();
    void lumotraxQ_sql_access_form_buttonClick();
    void LumotraxP_SQL_access_fomr_buttonClick();
    void sheet_resistance_buttonClick();
    void ovix_assign_buttonClick();
    void nickname_buttonClick();
    void test_mode_0_buttonClick();
    void test_mode_1_buttonClick();
    // Feeds a historic pane from the Q database to KALIX once more.
    void rerun_pane_buttonClick();
    void load_archive_spectra_buttonClick();
    // Copies the archived spectra of one pane back into the output folder.
    void load_archive_spectra();
    void pick_archive_date_buttonClick();
    // Hands the records set aside to the next pass again.
    void retry_set_aside_buttonClick();

    // The pass engine and what it knows of each database (for tests and the status view).
    pass_engine& engine() { return *engine_; }
    source_progress& q_progress() { return *q_progress_; }
    source_progress& p_progress() { return *p_progress_; }
    source_progress& sheetresistance_progress() { return *sr_progress_; }
    // records_not_delivered.csv in the log folder.
    QString set_aside_file() const;
    // status.json in the log folder, replaced after a pass (at most once a second unless a
    // source's state changed).
    QString status_file() const;
    // Each source as the strip and status.json show it.
    std::vector<source_status> source_statuses(const QDateTime& now) const;

    // The selection window of the re-run, created on first use and kept.
    Thistoric_pane_selection* my_pane_selection = nullptr;

protected:
    void settings_not_saved(const QString& the_message) override;

private:
    class engine_view;
    std::unique_ptr<engine_view> engine_view_;
    std::unique_ptr<pass_engine> engine_;
    std::unique_ptr<source_progress> q_progress_;
    std::unique_ptr<source_progress> p_progress_;
    std::unique_ptr<source_progress> sr_progress_;
    std::unique_ptr<step_health> csv_health_;
    std::unique_ptr<window_record_source> q_source_;
    std::unique_ptr<window_record_source> p_source_;
    std::unique_ptr<window_record_source> sr_source_;
    // The error a box should show once the pass is over, and whether a box stands.
    QString pending_box_;
    bool box_open_ = false;
    bool progress_shown_ = false;
    bool failing_shown_ = false;
    std::int64_t shown_set_aside_ = 0;
    bool rerun_running_ = false;
    std::unique_ptr<source_health> q_health_;
    std::unique_ptr<source_health> p_health_;
    std::unique_ptr<source_health> sr_health_;
    std::unique_ptr<source_health> csv_view_health_;
    std::unique_ptr<status_file_writer> status_writer_;
    QDateTime started_;

    void create_engine();
    void run_source_step(source_progress& progress, record_source_parts& window,
                         window_record_source& source);
    static void take_window_index(source_progress& progress, record_source_parts& window);
    void csv_step();
    void process_csv_file(const QString& full_name);
    // False when a scan file due for the file could not be written.
    bool write_scan_files(const csv_route& route);
    // The seven offset fields as one value, and back.
    postbake_offsets position_offsets() const;
    void set_position_offsets(const postbake_offsets& offsets);
    void put_aside_unprocessed(const QString& full_name);
    void show_pending_box();
    void show_pass_status();
    void build_operator_view();
    // After a source's step: the newest Id when it is due, the rate and the last error.
    void note_step(source_progress& progress, record_source_parts& window);
    void note_csv_step();
    void update_operator_view(const QDateTime& pass_start, qint64 pass_duration_ms);
    // The strip as the configuration stands, before the first pass.
    void show_source_health();
    void write_spectrum_file(record_source_parts& source, window_record_source& reader,
                             const QString& file_name, bool trimmed);
    void remove_own_temp_files();
    void check_index_beyond_newest();
    void remember_start_choice();
    void read_additional_kalix_scanner_ini_data(const QStringList& sl) override;
    void write_additional_kalix_scanner_ini_data(QStringList& sl) override;
    void build_controls();
    void build_archive_panel();
    void copy_archived_file(const QString& day_folder, const QString& name);
    void read_kalix_ini_keys();
    void read_settings_file();
    void apply_settings(const lumotrax_scanner_settings& settings);
    void connect_record_sources();
    void edit_translation_table(const QString& file_name);
};
