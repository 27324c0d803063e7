#include "scanner/ThinProcess_SQL_access_unit.h"

#include "scanner/record_sources/record_queries.h"
#include "scanner/record_widgets/record_grid.h"
#include "shared/database/sql_dataset.h"
#include "shared/platform/operator_interface.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

TThinProcess_sql_access_form::TThinProcess_sql_access_form(QWidget* parent)
    : QWidget(parent, Qt::Window),
      record_source_parts(
          *this, {QStringLiteral("select * from Spectra"), QStringLiteral("order by ID desc")}) {
    setObjectName(QStringLiteral("ThinProcess_sql_access_form"));
    setWindowTitle(QStringLiteral("ThinProcess SQL database"));
    resize(1000, 640);

    connected_buttons = {disconnect_button, show_all_button};
    // Disconnecting leaves Execute enabled in this window.
    kept_buttons = {execute_sql_button};

    command_buttons = new QHBoxLayout;
    command_buttons->addWidget(execute_sql_button);
    command_buttons->addWidget(show_all_button);
    command_buttons->addStretch(1);

    auto* records = bookkeeping_row();
    records->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(connection_row());
    layout->addWidget(sql_memo(sql_command_editor, 3));
    layout->addLayout(command_buttons);
    layout->addLayout(records);
    layout->addWidget(DBNavigator1);
    layout->addWidget(DBGrid1, 1);

    on_click(show_all_button, [this] { show_all_buttonClick(); });
    on_click(Get_last_index_button, [this] { Get_last_index_buttonClick(); });
}

TThinProcess_sql_access_form::~TThinProcess_sql_access_form() = default;

void TThinProcess_sql_access_form::show_all() {
    browse(*Lumotrax_query, *DBGrid1, spectra_show_all_query());
}

QString TThinProcess_sql_access_form::sql_query() {
    return spectra_record_query(last_processed_record, SQL_where_phrase);
}

void TThinProcess_sql_access_form::get_last_measured_record() {
    fetch_last_measured_record(spectra_newest_record_query());
}

void TThinProcess_sql_access_form::FormCreate() {
    read_connection_file();
    last_processed_record = 0;
}

void TThinProcess_sql_access_form::FormClose() {
    write_connection_file();
}

void TThinProcess_sql_access_form::update_query() {
    open_record_query(sql_query());
}

void TThinProcess_sql_access_form::show_last_sql_command() {
    platform::operator_ui().show_message(Lumotrax_query->text());
}

void TThinProcess_sql_access_form::show_all_buttonClick() {
    show_all();
}

void TThinProcess_sql_access_form::Get_last_index_buttonClick() {
    get_last_measured_record();
}

void TThinProcess_sql_access_form::closeEvent(QCloseEvent* event) {
    FormClose();
    event->accept();
}

void TThinProcess_sql_access_form::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    refresh_stale_grid();
}
