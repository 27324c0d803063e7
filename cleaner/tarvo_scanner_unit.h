#pragma once

#include "shared/kalix_spectrum_scanner/kalix_spectrum_scanner_unit.h"

class QLabel;
class QPlainTextEdit;

// The scanner window with two lists of subfolders: input subfolders below the input path and
// OVIX channel folders of the current product, whose measurement folder is the output path.
class TKALIX_tarvo_scanner : public TKALIX_spectrum_scanner {
    Q_OBJECT
public:
    explicit TKALIX_tarvo_scanner(QWidget* parent = nullptr);

    QPlainTextEdit* input_subfolders = nullptr;
    QPlainTextEdit* output_subfolders = nullptr;
    QLabel* Label4 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    int no_subfolders = 0;

    void compose_total_output_path() override;
    void FormCreate() override;

protected:
    // Heading over the channel list.
    QLabel* output_heading = nullptr;
    // The two lists side by side, each with room below for what derived windows add.
    QVBoxLayout* input_column = nullptr;
    QVBoxLayout* output_column = nullptr;
};
