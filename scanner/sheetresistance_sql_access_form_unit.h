#pragma once

#include "scanner/ThinProcess_SQL_access_unit.h"

// The record source window of the sheet-resistance results in table ScalarResults,
// selected by their result name (the key phrase).
class Tsheetresistance_sql_access_form : public TThinProcess_sql_access_form {
    Q_OBJECT
public:
    explicit Tsheetresistance_sql_access_form(QWidget* parent = nullptr);
    ~Tsheetresistance_sql_access_form() override;

    QPushButton* Button1 = nullptr;
    QString sheet_resistance_keyphrase;

    void show_all() override;
    QString sql_query() override;
    void get_last_measured_record() override;
    void FormCreate() override;

    void Button1Click();
};
