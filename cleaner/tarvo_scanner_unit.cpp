#include "cleaner/tarvo_scanner_unit.h"

#include "shared/kalix_spectrum_scanner/settings/kalix_paths.h"
#include "shared/platform_widgets/named_control.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace {

QPlainTextEdit* folder_list(const char* name) {
    auto* list = platform::named(new QPlainTextEdit, name);
    list->setLineWrapMode(QPlainTextEdit::NoWrap);
    list->setMinimumHeight(90);
    return list;
}

} // namespace

TKALIX_tarvo_scanner::TKALIX_tarvo_scanner(QWidget* parent) : TKALIX_spectrum_scanner(parent) {
    input_subfolders = folder_list("input_subfolders");
    output_subfolders = folder_list("output_subfolders");
    Label4 = platform::named(new QLabel(QStringLiteral("Input path subfolders:")), "Label4");
    Memo1 = folder_list("Memo1");
    output_heading =
        platform::named(new QLabel(QStringLiteral("OVIX channel folders:")), "output_heading");

    input_column = new QVBoxLayout;
    input_column->addWidget(Label4);
    input_column->addWidget(input_subfolders);
    output_column = new QVBoxLayout;
    output_column->addWidget(output_heading);
    output_column->addWidget(output_subfolders);
    auto* lists = new QHBoxLayout;
    lists->addLayout(input_column, 1);
    lists->addWidget(Memo1);
    lists->addLayout(output_column, 1);
    main_layout->insertLayout(main_layout->indexOf(button_row), lists, 1);

    // The channels come from the list, not from the single OVIX name.
    output_path_editor->setVisible(false);
    ovix_lab->setVisible(false);
}

void TKALIX_tarvo_scanner::FormCreate() {
    no_subfolders = 26;
    TKALIX_spectrum_scanner::FormCreate();
}

void TKALIX_tarvo_scanner::compose_total_output_path() {
    input_path = input_path_editor->text();
    product = product_marker_name(kalix_path);
    product_label->setText(product);
    total_output_path = measurement_folder(kalix_path, product);
    total_output_path_label->setText(total_output_path);
}
