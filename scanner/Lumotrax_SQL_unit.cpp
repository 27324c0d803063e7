#include "scanner/Lumotrax_SQL_unit.h"

#include "scanner/record_sources/record_display.h"
#include "scanner/record_sources/record_queries.h"
#include "scanner/record_widgets/record_grid.h"
#include "shared/database/sql_dataset.h"
#include "shared/platform_widgets/named_control.h"

#include <QHBoxLayout>
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

// Created before the shared parts, which take them over and give them to the window.
struct Tlumotrax_sql_access_form::handed_controls {
    QPushButton* show_last_100 =
        platform::named(new QPushButton(QStringLiteral("Show last 100")), "show_last_100_button");
    QPushButton* test = platform::named(new QPushButton(QStringLiteral("Execute")), "test_button");
    record_grid* grid = platform::named(new record_grid, "DBGrid2");
};

Tlumotrax_sql_access_form::Tlumotrax_sql_access_form(QWidget* parent)
    : Tlumotrax_sql_access_form(parent, handed_controls{}) {}

Tlumotrax_sql_access_form::Tlumotrax_sql_access_form(QWidget* parent, const handed_controls& handed)
    : QWidget(parent, Qt::Window),
      record_source_parts(*this, {{QStringLiteral("select top 100 * from Spectra"),
                                   QStringLiteral("order by ID desc")},
                                  false,
                                  {handed.show_last_100, handed.test},
                                  {handed.grid}}),
      show_last_100_button(handed.show_last_100), test_button(handed.test), DBGrid2(handed.grid),
      Query_test(&window_query(0)) {
    setObjectName(QStringLiteral("lumotrax_sql_access_form"));
    setWindowTitle(QStringLiteral("Lumotrax SQL database"));
    resize(1100, 720);

    Query_test->set_text(QStringLiteral("select * from Spectra"));
    start_with_newest_record_button = platform::named(
        new QPushButton(QStringLiteral("Forget the past and start analyzing new records"), this),
        "start_with_newest_record_button");
    memo_test = platform::named(
        new QPlainTextEdit(QStringLiteral("select * from Spectra\norder by ID desc"), this),
        "memo_test");
    DBGrid1->set_columns(spectra_columns());

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

    on_click(show_last_100_button, [this] { show_last_100_buttonClick(); });
    on_click(test_button, [this] { test_buttonClick(); });
    on_click(start_with_newest_record_button, [this] { start_with_newest_record_buttonClick(); });
}

Tlumotrax_sql_access_form::~Tlumotrax_sql_access_form() = default;

void Tlumotrax_sql_access_form::show_last_100() {
    browse(*Lumotrax_query, *DBGrid1, spectra_show_last_100_query());
}

void Tlumotrax_sql_access_form::start_with_newest_record() {
    get_last_measured_record();
    last_processed_record = last_measured_record;
    update_last_processed_label();
}

void Tlumotrax_sql_access_form::test_sql_command() {
    browse(*Query_test, *DBGrid2, memo_test->toPlainText());
    // The grid shows its own copy. A record set left open would hold the embedded
    // database's snapshot for the whole connection, and the record query would stop
    // seeing new records.
    Query_test->close();
}

void Tlumotrax_sql_access_form::show_last_100_buttonClick() {
    show_last_100();
}

void Tlumotrax_sql_access_form::test_buttonClick() {
    test_sql_command();
}

void Tlumotrax_sql_access_form::start_with_newest_record_buttonClick() {
    start_with_newest_record();
}
