#pragma once

#include "scanner/fs_scanner_main_unit.h"

#include <array>
#include <cstdint>
#include <memory>

class QCheckBox;
class QFrame;
class QLabel;
class QPlainTextEdit;
class Tlanguage_editor_form;
class Tlumotrax_sql_access_form;
class Tsheetresistance_sql_access_form;
class message_memo;
class sprachen;
struct lumotrax_scanner_settings;

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

    // Fields, in the order the window declares them.
    bool start_flag = true;
    std::int32_t postbake_mode = 0;
    int zeiss_plate = 0;
    QString zeiss_plate_id;
    std::int32_t position_offset_4points_0 = 3777;
    std::int32_t position_offset_4points_1 = 3237;
    std::int32_t position_offset_4points_2 = 2497;
    std::int32_t position_offset_4points_3 = 1357;
    std::int32_t position_offset_A = 3790;
    std::int32_t position_offset_B = 2790;
    std::int32_t position_offset_C = 1790;
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
    void active_buttonClick() override;
    void initialize_sc_data() override;

    void Button2Click();
    void lumotraxQ_sql_access_form_buttonClick();
    void LumotraxP_SQL_access_fomr_buttonClick();
    void sheet_resistance_buttonClick();
    void ovix_assign_buttonClick();
    void nickname_buttonClick();
    void test_mode_0_buttonClick();
    void test_mode_1_buttonClick();

private:
    void build_controls();
    void read_kalix_ini_keys();
    void read_settings_file();
    void apply_settings(const lumotrax_scanner_settings& settings);
    void connect_record_sources();
    void edit_translation_table(const QString& file_name);
};
