#include "scanner/Lumotrax_SQL_unit.h"

#include "scanner/record_sources/record_display.h"
#include "scanner/record_sources/record_queries.h"
#include "scanner/record_widgets/record_grid.h"
#include "shared/database/sql_connection.h"
#include "shared/database/sql_dataset.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

std::vector<record_grid::column> spectra_columns() {
    const auto text = [](int length) {
        return [length](const QVariant& value) { return shortened_text(value, length); };
    };
    const record_grid::display_rule mm = millimetre_text;
    return {
        {QStringLiteral("Id"), 50, {}},
        {QStringLiteral("Timestamp"), 170, {}},
        {QStringLiteral("LoadId"), 150, text(50)},
        {QStringLiteral("ResultName"), 100, text(50)},
        {QStringLiteral("MeasPointIndex"), 0, {}},
        {QStringLiteral("Run_Id"), 0, {}},
        {QStringLiteral("LateralPositionMm"), 0, mm},
        {QStringLiteral("LongitudinalPositionMm"), 0, mm},
        {QStringLiteral("GroupInfo"), 0, text(50)},
        {QStringLiteral("LateralPositionRelativeMm"), 0, mm},
        {QStringLiteral("LongitudinalPositionRelativeMm"), 0, mm},
        {QStringLiteral("UsedInClusterStatistics"), 0, {}},
        {QStringLiteral("MetaData_Id"), 0, {}},
        {QStringLiteral("Unit_Id"), 0, {}},
        {QStringLiteral("ResultId"), 0, {}},
        {QStringLiteral("GlobalResultId"), 0, {}},
        {QStringLiteral("Values"), 0, text(100)},
        {QStringLiteral("Tolerance"), 0, {}},
    };
}

} // namespace

Tlumotrax_sql_access_form::Tlumotrax_sql_access_form(QWidget* parent)
    : QWidget(parent, Qt::Window),
      record_source_parts(*this, {QStringLiteral("select top 100 * from Spectra"),
                                  QStringLiteral("order by ID desc")}) {
    setObjectName(QStringLiteral("lumotrax_sql_access_form"));
    setWindowTitle(QStringLiteral("Lumotrax SQL database"));
    resize(1100, 720);

    Query_test = std::make_unique<database::sql_dataset>(*Lumotrax_sql_connection);
    Query_test->set_text(QStringLiteral("select * from Spectra"));

    show_last_100_button =
        named_button(QStringLiteral("Show last 100"), "show_last_100_button", false);
    start_with_newest_record_button =
        named_button(QStringLiteral("Forget the past and start analyzing new records"),
                     "start_with_newest_record_button", true);
    memo_test = new QPlainTextEdit(QStringLiteral("select * from Spectra\norder by ID desc"));
    memo_test->setObjectName(QStringLiteral("memo_test"));
    test_button = named_button(QStringLiteral("Execute"), "test_button", false);
    DBGrid2 = new record_grid;
    DBGrid2->setObjectName(QStringLiteral("DBGrid2"));
    DBGrid1->set_columns(spectra_columns());

    connected_buttons = {disconnect_button, execute_sql_button, show_all_button,
                         show_last_100_button, test_button};
    other_queries = {Query_test.get()};
    other_grids = {DBGrid2};

    auto* browse_buttons = new QVBoxLayout;
    browse_buttons->addWidget(show_last_100_button);
    browse_buttons->addWidget(show_all_button);
    browse_buttons->addWidget(execute_sql_button);
    browse_buttons->addStretch(1);
    auto* command_row = new QHBoxLayout;
    command_row->addWidget(sql_memo(sql_command_editor, 3), 1);
    command_row->addLayout(browse_buttons);

    auto* records = bookkeeping_row();
    records->addWidget(start_with_newest_record_button);
    records->addStretch(1);

    auto* test_buttons = new QVBoxLayout;
    test_buttons->addWidget(test_button);
    test_buttons->addStretch(1);
    auto* test_row = new QHBoxLayout;
    test_row->addWidget(sql_memo(memo_test, 5), 1);
    test_row->addLayout(test_buttons);
    test_row->addWidget(DBGrid2, 2);
    DBGrid2->setFixedHeight(memo_test->height());

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(connection_row());
    layout->addLayout(command_row);
    layout->addLayout(records);
    layout->addLayout(test_row);
    layout->addWidget(DBNavigator1);
    layout->addWidget(DBGrid1, 1);

    on_click(show_all_button, [this] { show_all_buttonClick(); });
    on_click(show_last_100_button, [this] { show_last_100_buttonClick(); });
    on_click(test_button, [this] { test_buttonClick(); });
    on_click(Get_last_index_button, [this] { Get_last_index_buttonClick(); });
    on_click(start_with_newest_record_button, [this] { start_with_newest_record_buttonClick(); });
}

Tlumotrax_sql_access_form::~Tlumotrax_sql_access_form() = default;

void Tlumotrax_sql_access_form::show_all() {
    browse(*Lumotrax_query, *DBGrid1, spectra_show_all_query());
}

void Tlumotrax_sql_access_form::show_last_100() {
    browse(*Lumotrax_query, *DBGrid1, spectra_show_last_100_query());
}

QString Tlumotrax_sql_access_form::sql_query() {
    return spectra_record_query(last_processed_record, SQL_where_phrase);
}

void Tlumotrax_sql_access_form::get_last_measured_record() {
    fetch_last_measured_record(spectra_newest_record_query());
}

void Tlumotrax_sql_access_form::start_with_newest_record() {
    get_last_measured_record();
    last_processed_record = last_measured_record;
    update_last_processed_label();
}

void Tlumotrax_sql_access_form::FormCreate() {
    read_connection_file();
    last_processed_record = 0;
}

void Tlumotrax_sql_access_form::FormClose() {
    write_connection_file();
}

void Tlumotrax_sql_access_form::update_query() {
    open_record_query(sql_query());
}

void Tlumotrax_sql_access_form::test_sql_command() {
    browse(*Query_test, *DBGrid2, memo_test->toPlainText());
    // The grid shows its own copy. A record set left open would hold the embedded
    // database's snapshot for the whole connection, and the record query would stop
    // seeing new records.
    Query_test->close();
}

void Tlumotrax_sql_access_form::show_all_buttonClick() {
    show_all();
}

void Tlumotrax_sql_access_form::show_last_100_buttonClick() {
    show_last_100();
}

void Tlumotrax_sql_access_form::test_buttonClick() {
    test_sql_command();
}

void Tlumotrax_sql_access_form::Get_last_index_buttonClick() {
    get_last_measured_record();
}

void Tlumotrax_sql_access_form::start_with_newest_record_buttonClick() {
    start_with_newest_record();
}

void Tlumotrax_sql_access_form::closeEvent(QCloseEvent* event) {
    FormClose();
    event->accept();
}

void Tlumotrax_sql_access_form::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    refresh_stale_grid();
}
