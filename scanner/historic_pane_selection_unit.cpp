#include "scanner/historic_pane_selection_unit.h"

#include "shared/platform_widgets/named_control.h"

#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using platform::named;

Thistoric_pane_selection::Thistoric_pane_selection(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("historic_pane_selection"));
    setWindowTitle(QStringLiteral("Historic pane selection"));
    setModal(true);

    Label1 = named(new QLabel(QStringLiteral("Select historic pane for re-analysis in KALIX:")),
                   "Label1");
    Label2 = named(new QLabel(QStringLiteral("LoadID:")), "Label2");
    LoadID_editor = named(new QLineEdit, "LoadID_editor");
    Label3 = named(new QLabel(QStringLiteral("Production date:")), "Label3");
    DateTimePicker1 = named(new QDateEdit(QDate(2016, 5, 16)), "DateTimePicker1");
    DateTimePicker1->setCalendarPopup(true);
    DateTimePicker1->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    ok_button = named(new QPushButton(QStringLiteral("Ok")), "ok_button");
    cancel_button = named(new QPushButton(QStringLiteral("Cancel")), "cancel_button");
    ok_button->setDefault(true);

    auto* fields = new QGridLayout;
    fields->addWidget(Label2, 0, 0);
    fields->addWidget(LoadID_editor, 0, 1);
    fields->addWidget(Label3, 1, 0);
    fields->addWidget(DateTimePicker1, 1, 1);
    fields->setColumnStretch(1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok_button);
    buttons->addWidget(cancel_button);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addLayout(fields);
    layout->addLayout(buttons);
    setMinimumWidth(380);

    connect(ok_button, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel_button, &QPushButton::clicked, this, &QDialog::reject);
}
