#include "scanner/lumotrax_sql_spectrum_scanner_Unit.h"

#include "scanner/lumotrax_sql_spectrum_scanner_engine_view.h"

#include "scanner/Lumotrax_SQL_unit.h"
#include "scanner/sheetresistance_sql_access_form_unit.h"
#include "shared/basics/program_folders.h"
#include "shared/basics/sprachen.h"
#include "shared/language_editor/language_editor_unit.h"
#include "shared/message_board/memo/message_memo.h"
#include "shared/platform_widgets/guarded_handler.h"
#include "shared/platform_widgets/named_control.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

using platform::named;

namespace {

// Panels and rows closer together than the style's default: the window fits a screen of
// 800 pixels with the strip and the plot.
const QMargins panel_margins(8, 4, 8, 4);
constexpr int row_spacing = 4;

QPushButton* button(const char* caption, const char* name) {
    return named(new QPushButton(QString::fromUtf8(caption)), name);
}

QLabel* label(const char* caption, const char* name) {
    return named(new QLabel(QString::fromUtf8(caption)), name);
}

} // namespace

TLumotrax_spectrum_scanner_main::TLumotrax_spectrum_scanner_main(QWidget* parent)
    : TFS_scanner_main(parent) {
    setObjectName(QStringLiteral("lumotrax_spectrum_scanner_main"));
    setWindowTitle(QStringLiteral("Lumotrax SQL spectrum scanner"));
    build_controls();
}

void TLumotrax_spectrum_scanner_main::build_controls() {
    Label1->setText(QStringLiteral("Input path for csv files:"));
    Label5->setText(QStringLiteral("Lumotrax spectrum scanner"));
    clear_button->setText(QStringLiteral("Panic: Flush traverse folder"));
    Button1->setText(QStringLiteral("Historic ID"));

    Memo1 = named(new QPlainTextEdit, "Memo1");
    Memo1->setPlainText(
        QStringLiteral("Lumotrax SQL spectrum scanner reads spectra from SQL database tables.\n"
                       "Access to the Zeiss database is through Microsoft SQL client.\n"
                       "\n"
                       "The connection is defined by the connection string which contains "
                       "server name, database and access data."));
    Memo1->setReadOnly(true);
    Memo1->setFrameShape(QFrame::NoFrame);
    Memo1->setFixedHeight(Memo1->fontMetrics().lineSpacing() * 4 + 12);
    main_layout->insertWidget(1, Memo1);

    // The postbake installation's fields are shown, with their labels.
    kalix_postbake_path_ = label("KALIX postbake path:", "kalix_postbake_path_");
    Label7 = label("Current postbake product:", "Label7");
    Label9 = label("Postbake data go to:", "Label9");
    Label11 = label("OVIX:", "Label11");
    for (auto [caption, field] :
         {std::pair<QLabel*, QWidget*>{Label11, postbake_output_path_editor},
          {kalix_postbake_path_, kalix_postbake_path_label},
          {Label7, postbake_product_label},
          {Label9, postbake_total_output_path_label}}) {
        int row = 0, column = 0, rows = 0, columns = 0;
        path_grid->getItemPosition(path_grid->indexOf(field), &row, &column, &rows, &columns);
        path_grid->addWidget(caption, row, 0);
        field->setVisible(true);
    }

    // Kept for the window's layout, never reachable by the operator.
    Button3 = button("Button3", "Button3");
    Button4 = button("Button4", "Button4");
    line_speed_label = label("", "line_speed_label");
    for (QWidget* hidden : std::initializer_list<QWidget*>{Button3, Button4, line_speed_label}) {
        hidden->setVisible(false);
        button_row->insertWidget(button_row->count() - 1, hidden);
    }

    Panel1 = named(new QFrame, "Panel1");
    Panel1->setFrameShape(QFrame::StyledPanel);
    Label4 = label("Lumotrax SQL import:", "Label4");
    lumotraxQ_sql_access_form_button =
        button("Lumotrax Q SQL settings", "lumotraxQ_sql_access_form_button");
    LumotraxP_SQL_access_fomr_button =
        button("Lumotrax P SQL settings", "LumotraxP_SQL_access_fomr_button");
    sheet_resistance_button = button("Sheet resistance SQL settings", "sheet_resistance_button");
    ovix_assign_button = button("Change OVIX assignment", "ovix_assign_button");
    nickname_button = button("Change spectrum nicknames", "nickname_button");
    test_mode_0_button = button("Test mode 0", "test_mode_0_button");
    test_mode_1_button = button("Test mode 1", "test_mode_1_button");
    start_with_latest_processed_record =
        named(new QCheckBox(QStringLiteral("Start with last processed record")),
              "start_with_latest_processed_record");

    auto* panel_grid = new QGridLayout(Panel1);
    panel_grid->setContentsMargins(panel_margins);
    panel_grid->addWidget(Label4, 0, 0);
    panel_grid->addWidget(lumotraxQ_sql_access_form_button, 0, 1);
    panel_grid->addWidget(LumotraxP_SQL_access_fomr_button, 0, 2);
    panel_grid->addWidget(sheet_resistance_button, 0, 3);
    panel_grid->addWidget(start_with_latest_processed_record, 1, 0);
    panel_grid->addWidget(ovix_assign_button, 1, 1);
    panel_grid->addWidget(nickname_button, 1, 2);
    auto* test_row = new QHBoxLayout;
    test_row->addWidget(test_mode_0_button);
    test_row->addWidget(test_mode_1_button);
    panel_grid->addLayout(test_row, 1, 3);
    rerun_pane_button = button("Re-run pane", "rerun_pane_button");
    panel_grid->addWidget(rerun_pane_button, 0, 4);
    retry_set_aside_button = button("Retry records set aside", "retry_set_aside_button");
    panel_grid->addWidget(retry_set_aside_button, 1, 4);
    panel_grid->setColumnStretch(5, 1);
    main_layout->setSpacing(row_spacing);
    main_layout->addWidget(Panel1);
    build_archive_panel();
    build_operator_view();

    Label2 = label("Messages:", "Label2");
    Button2 = button("Clear messages", "Button2");
    auto* board_row = new QHBoxLayout;
    board_row->addWidget(Label2);
    board_row->addStretch(1);
    board_row->addWidget(Button2);
    main_layout->addLayout(board_row);
    messages = named(new message_memo(board::home_log_folder()), "messages");
    // Five lines at least: with the strip and the plot the window still fits a screen of
    // 800 pixels; a taller window gives the board the room.
    messages->setMinimumHeight(messages->fontMetrics().lineSpacing() * 5 + 12);
    main_layout->addWidget(messages, 1);
    resize(920, 720);
    platform::connect_guarded(start_with_latest_processed_record, &QCheckBox::toggled, this,
                              [this] { remember_start_choice(); });

    for (auto [source, handler] : std::initializer_list<
             std::pair<QPushButton*, void (TLumotrax_spectrum_scanner_main::*)()>>{
             {Button2, &TLumotrax_spectrum_scanner_main::Button2Click},
             {lumotraxQ_sql_access_form_button,
              &TLumotrax_spectrum_scanner_main::lumotraxQ_sql_access_form_buttonClick},
             {LumotraxP_SQL_access_fomr_button,
              &TLumotrax_spectrum_scanner_main::LumotraxP_SQL_access_fomr_buttonClick},
             {sheet_resistance_button,
              &TLumotrax_spectrum_scanner_main::sheet_resistance_buttonClick},
             {ovix_assign_button, &TLumotrax_spectrum_scanner_main::ovix_assign_buttonClick},
             {nickname_button, &TLumotrax_spectrum_scanner_main::nickname_buttonClick},
             {test_mode_0_button, &TLumotrax_spectrum_scanner_main::test_mode_0_buttonClick},
             {test_mode_1_button, &TLumotrax_spectrum_scanner_main::test_mode_1_buttonClick},
             {rerun_pane_button, &TLumotrax_spectrum_scanner_main::rerun_pane_buttonClick},
             {retry_set_aside_button,
              &TLumotrax_spectrum_scanner_main::retry_set_aside_buttonClick},
             {load_archive_spectra_button,
              &TLumotrax_spectrum_scanner_main::load_archive_spectra_buttonClick},
             {pick_archive_date_button,
              &TLumotrax_spectrum_scanner_main::pick_archive_date_buttonClick}})
        platform::connect_guarded(source, &QPushButton::clicked, this,
                                  [this, h = handler] { (this->*h)(); });
}

void TLumotrax_spectrum_scanner_main::build_archive_panel() {
    Panel2 = named(new QFrame, "Panel2");
    Panel2->setFrameShape(QFrame::StyledPanel);
    Label12 = label("Re-load spectra from archive:", "Label12");
    load_archive_spectra_button =
        button("Load historic spectra from archive", "load_archive_spectra_button");
    Label13 = label("Pane ID:", "Label13");
    archive_pane_id_edit = named(new QLineEdit, "archive_pane_id_edit");
    Label14 = label("Year:", "Label14");
    archive_year_editor = named(new QLineEdit, "archive_year_editor");
    Label15 = label("Month:", "Label15");
    archive_month_editor = named(new QLineEdit, "archive_month_editor");
    Label16 = label("Day:", "Label16");
    archive_day_editor = named(new QLineEdit, "archive_day_editor");
    pick_archive_date_button = button("Pick sample file", "pick_archive_date_button");
    add_R55_spectrum_option =
        named(new QCheckBox(QStringLiteral("Add R55 dummy spectrum if necessary")),
              "add_R55_spectrum_option");
    const int digits =
        archive_year_editor->fontMetrics().horizontalAdvance(QStringLiteral("00000"));
    archive_year_editor->setFixedWidth(digits + 12);
    archive_month_editor->setFixedWidth(digits * 3 / 5 + 12);
    archive_day_editor->setFixedWidth(digits * 3 / 5 + 12);

    auto* grid = new QGridLayout(Panel2);
    grid->setContentsMargins(panel_margins);
    grid->addWidget(Label12, 0, 0, 1, 2);
    grid->addWidget(add_R55_spectrum_option, 0, 2, 1, 6);
    grid->addWidget(Label13, 1, 0);
    grid->addWidget(archive_pane_id_edit, 1, 1);
    grid->addWidget(Label14, 1, 2);
    grid->addWidget(archive_year_editor, 1, 3);
    grid->addWidget(Label15, 1, 4);
    grid->addWidget(archive_month_editor, 1, 5);
    grid->addWidget(Label16, 1, 6);
    grid->addWidget(archive_day_editor, 1, 7);
    grid->addWidget(pick_archive_date_button, 1, 8);
    grid->addWidget(load_archive_spectra_button, 1, 9);
    grid->setColumnStretch(1, 1);
    main_layout->addWidget(Panel2);

    archive_file_dialog.title = QStringLiteral("Pick sample file");
    archive_file_dialog.filter = QStringLiteral("Spectra (*.xy);;All files (*)");
}

void TLumotrax_spectrum_scanner_main::send_message(const QString& the_message) {
    messages->board().post(the_message);
}

void TLumotrax_spectrum_scanner_main::clean_message_board(int number_of_rows) {
    messages->board().trim(number_of_rows);
}

QString TLumotrax_spectrum_scanner_main::ovix_assignment_file() const {
    return program_file_name(QStringLiteral("ovix_assignment.bin"));
}

QString TLumotrax_spectrum_scanner_main::spectrum_nicknames_file() const {
    return program_file_name(QStringLiteral("spectrum_nicknames.bin"));
}

void TLumotrax_spectrum_scanner_main::set_new_product() {
    // While a postbake sample is being routed, the product marker is the router's.
    if (postbake_mode > 0)
        return;
    TFS_scanner_main::set_new_product();
}

void TLumotrax_spectrum_scanner_main::initialize_sc_data() {
    sc_data = std::make_unique<scan_data>();
    sc_data->set_size(32, 3, 125);
    for (int spectrum = 0; spectrum < 3; ++spectrum) {
        sc_data->x_min[spectrum] = 380.0f;
        sc_data->x_max[spectrum] = 1000.0f;
        sc_data->no_points[spectrum] = 125;
    }
}
