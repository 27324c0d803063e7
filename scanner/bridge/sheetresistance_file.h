#pragma once

#include <QByteArray>
#include <QString>

// One sheet-resistance result for KALIX: <load>___<long>___<lat>___0___SR.txt in the
// product's new_results folder, eleven lines of 8-bit text with CR LF.

// kalix_path + database\products\<product>\measurements\new_results\ (trailing separator).
QString sheetresistance_folder(const QString& kalix_path, const QString& product);

// From the record's own position, each rounded to whole millimetres (ties to even).
QString sheetresistance_file_name(const QString& load_id, double longitudinal, double lateral);

struct sheetresistance_result {
    QString nickname;          // of "Sheet Resistance"; "SR_test" when the table has none
    QString value;             // the record's Value column as text
    QString date_time;         // when it was exported
    QString channel;           // OVIX channel of "Sheet Resistance", may be empty
    QString load_id;           // of the measurement point
    float longitudinal = 0.0f; // position of the measurement point, mm
    float lateral = 0.0f;
};
QByteArray sheetresistance_file_content(const sheetresistance_result& result);
