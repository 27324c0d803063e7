#pragma once

#include "shared/basics/scan_data.h"
#include "shared/kalix_spectrum_scanner/kalix_spectrum_scanner_unit.h"

#include <QStringList>

#include <array>
#include <cstdint>
#include <memory>

class QPushButton;

// The csv scanner window: what the csv path of the main window works with, the lines of
// the csv file being processed and the scan data container. The creator calls FormCreate()
// right after construction.
class TFS_scanner_main : public TKALIX_spectrum_scanner {
    Q_OBJECT
public:
    explicit TFS_scanner_main(QWidget* parent = nullptr);
    ~TFS_scanner_main() override;

    QPushButton* Button1 = nullptr;

    QString temp_filename_r;
    QString temp_filename_t;
    QString old_filename;
    QString extension = QStringLiteral("*.csv");
    std::unique_ptr<QStringList> my_file_content;
    std::array<float, 261> wavelengths{};
    QString archive_path;
    std::uint16_t this_year = 0;
    std::uint16_t this_month = 0;
    std::uint16_t this_day = 0;
    std::unique_ptr<scan_data> sc_data;

    // Creates and sizes the scan data container; every csv file resizes it again.
    virtual void initialize_sc_data();

    void FormCreate() override;
};
