#include "scanner/sheetresistance_sql_access_form_unit.h"

#include "scanner/record_sources/record_display.h"
#include "scanner/record_sources/record_queries.h"
#include "scanner/record_widgets/record_grid.h"
#include "shared/platform_widgets/named_control.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

std::vector<record_grid::column> scalar_results_columns() {
    const auto text = [](int length) {
        return [length](const QVariant& value) { return shortened_text(value, length); };
    };
    const record_grid::display_rule mm = millimetre_text;
    return {
        {QStringLiteral("Id"), 0, {}},
        {QStringLiteral("Timestamp"), 170, {}},
        {QStringLiteral("ResultName"), 114, text(20)},
        {QStringLiteral("LoadId"), 150, text(50)},
        {QStringLiteral("LateralPositionMm"), 0, mm},
        {QStringLiteral("LongitudinalPositionMm"), 0, mm},
        {QStringLiteral("MeasPointIndex"), 0, {}},
        {QStringLiteral("Run_Id"), 0, {}},
        {QStringLiteral("Value"), 0, sheet_resistance_value_text},
        {QStringLiteral("GroupInfo"), 0, text(30)},
        {QStringLiteral("Source"), 0, text(30)},
        {QStringLiteral("LowerError"), 0, {}},
        {QStringLiteral("LowerWarning"), 0, {}},
        {QStringLiteral("Nominal"), 0, {}},
        {QStringLiteral("UpperWarning"), 0, {}},
        {QStringLiteral("UpperError"), 0, {}},
        {QStringLiteral("Tolerance"), 0, {}},
        {QStringLiteral("LateralPositionRelativeMm"), 0, mm},
        {QStringLiteral("LongitudinalPositionRelativeMm"), 0, mm},
        {QStringLiteral("UsedInClusterStatistics"), 0, {}},
        {QStringLiteral("MetaData_Id"), 0, {}},
        {QStringLiteral("Unit_Id"), 0, {}},
        {QStringLiteral("GlobalResultId"), 0, {}},
        {QStringLiteral("ResultId"), 0, {}},
    };
}

} // namespace

Tsheetresistance_sql_access_form::Tsheetresistance_sql_access_form(QWidget* parent)
    : TThinProcess_sql_access_form(parent) {
    setObjectName(QStringLiteral("sheetresistance_sql_access_form"));
    setWindowTitle(QStringLiteral("sheetresistance_sql_access_form"));
    sql_command_editor->setPlainText(
        QStringLiteral("select * from Scalarresults\norder by ID desc"));
    DBGrid1->set_columns(scalar_results_columns());

    Button1 =
        platform::named(new QPushButton(QStringLiteral("Show last SQL command"), this), "Button1");
    command_buttons->insertWidget(command_buttons->count() - 1, Button1);
    on_click(Button1, [this] { Button1Click(); });
}

Tsheetresistance_sql_access_form::~Tsheetresistance_sql_access_form() = default;

void Tsheetresistance_sql_access_form::show_all() {
    browse(*Lumotrax_query, *DBGrid1, scalar_results_show_all_query(sheet_resistance_keyphrase));
}

QString Tsheetresistance_sql_access_form::sql_query() {
    return scalar_results_record_query(last_processed_record, sheet_resistance_keyphrase);
}

void Tsheetresistance_sql_access_form::get_last_measured_record() {
    fetch_last_measured_record(scalar_results_newest_record_query());
}

void Tsheetresistance_sql_access_form::FormCreate() {
    TThinProcess_sql_access_form::FormCreate();
    sheet_resistance_keyphrase = QStringLiteral("Sheet Resistance");
}

void Tsheetresistance_sql_access_form::Button1Click() {
    show_last_sql_command();
}
