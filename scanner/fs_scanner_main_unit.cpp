#include "scanner/fs_scanner_main_unit.h"

#include "shared/platform_widgets/named_control.h"

#include <QHBoxLayout>
#include <QPushButton>

TFS_scanner_main::TFS_scanner_main(QWidget* parent) : TKALIX_spectrum_scanner(parent) {
    setObjectName(QStringLiteral("FS_scanner_main"));
    Button1 = platform::named(new QPushButton(QStringLiteral("Button1")), "Button1");
    Button1->setVisible(false);
    button_row->insertWidget(button_row->count() - 1, Button1);
}

TFS_scanner_main::~TFS_scanner_main() = default;

void TFS_scanner_main::initialize_sc_data() {
    sc_data = std::make_unique<scan_data>();
}

void TFS_scanner_main::FormCreate() {
    TKALIX_spectrum_scanner::FormCreate();
    my_file_content = std::make_unique<QStringList>();
    initialize_sc_data();
    active_button->setFocus();
}
