#pragma once

#include "scanner/record_widgets/record_source_parts.h"

#include <QWidget>

// The record source window of one in-line spectrometer system (Lumotrax Q or P): its
// database connection, the query of new Spectra records, the wavelength query and the
// bookkeeping of the last processed and newest record. The creator calls FormCreate() right
// after construction. Closing the window only hides it.
class Tlumotrax_sql_access_form : public QWidget, public record_source_parts {
    Q_OBJECT
public:
    explicit Tlumotrax_sql_access_form(QWidget* parent = nullptr);
    ~Tlumotrax_sql_access_form() override;

    QPushButton* show_last_100_button = nullptr;
    QPushButton* start_with_newest_record_button = nullptr;
    QPlainTextEdit* memo_test = nullptr;
    QPushButton* test_button = nullptr;
    record_grid* DBGrid2 = nullptr;

    // The test query, shown in DBGrid2.
    database::sql_dataset* Query_test = nullptr;

    virtual void show_last_100();
    virtual void start_with_newest_record();

    void test_sql_command();

    void show_last_100_buttonClick();
    void test_buttonClick();
    void start_with_newest_record_buttonClick();

private:
    // The controls this window hands to the shared parts when it creates them.
    struct handed_controls;
    Tlumotrax_sql_access_form(QWidget* parent, const handed_controls& handed);
};
