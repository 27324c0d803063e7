#pragma once

#include "scanner/record_widgets/record_source_parts.h"

#include <QWidget>

class QCloseEvent;
class QShowEvent;

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

    std::unique_ptr<database::sql_dataset> Query_test;

    virtual void show_all();
    virtual void show_last_100();
    virtual QString sql_query();
    virtual void get_last_measured_record();
    virtual void start_with_newest_record();

    virtual void FormCreate();
    void FormClose();

    // Opens the record query: afterwards Lumotrax_query holds all new records.
    void update_query();
    void test_sql_command();

    void show_all_buttonClick();
    void show_last_100_buttonClick();
    void test_buttonClick();
    void Get_last_index_buttonClick();
    void start_with_newest_record_buttonClick();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
};
