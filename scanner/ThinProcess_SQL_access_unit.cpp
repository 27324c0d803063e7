#include "scanner/ThinProcess_SQL_access_unit.h"

#include "scanner/record_widgets/record_grid.h"
#include "shared/database/sql_dataset.h"
#include "shared/platform/operator_interface.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

TThinProcess_sql_access_form::TThinProcess_sql_access_form(QWidget* parent)
    : QWidget(parent, Qt::Window),
      record_source_parts(
          *this, {{QStringLiteral("select * from Spectra"), QStringLiteral("order by ID desc")},
                  // Disconnecting leaves Execute enabled in this window.
                  true,
                  {},
                  {}}) {
    setObjectName(QStringLiteral("ThinProcess_sql_access_form"));
    setWindowTitle(QStringLiteral("ThinProcess SQL database"));
    resize(1000, 640);

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
}

TThinProcess_sql_access_form::~TThinProcess_sql_access_form() = default;

void TThinProcess_sql_access_form::show_last_sql_command() {
    platform::operator_ui().show_message(Lumotrax_query->text());
}
