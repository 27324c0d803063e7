#pragma once

#include "cleaner/cleaning/cleaner_settings.h"
#include "cleaner/cleaning/cleaner_status.h"
#include "cleaner/cleaning/zip_packing.h"
#include "cleaner/tarvo_scanner_unit.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class message_memo;
class QPushButton;

// The window of kalix_cleaner: after the operator has confirmed the folder list once, every
// tick deletes outdated files from the input and channel folders and packs today's archive
// day folder into one zip archive per load.
class TKALIX_cleaner_form : public TKALIX_tarvo_scanner {
    Q_OBJECT
public:
    explicit TKALIX_cleaner_form(QWidget* parent = nullptr);
    ~TKALIX_cleaner_form() override;

    QLineEdit* input_days = nullptr;
    QLineEdit* input_hours = nullptr;
    QLineEdit* input_minutes = nullptr;
    QLineEdit* output_days = nullptr;
    QLineEdit* output_hours = nullptr;
    QLineEdit* output_minutes = nullptr;
    QPushButton* zip_day_button = nullptr;
    message_memo* messages = nullptr;
    QPushButton* zip_month_button = nullptr;
    // The last cleaning run in one line.
    QLabel* last_run_label = nullptr;

    int in_days = 0;
    int in_hours = 0;
    int in_minutes = 0;
    int out_days = 0;
    int out_hours = 0;
    int out_minutes = 0;
    int file_version = 0;
    QString my_archive_path;
    bool first_warning = false;

    void FormCreate() override;
    void FormClose() override;
    void FormDestroy();
    void read_ini_file();
    void write_ini_file();
    void timer_action() override;
    void message(const QString& the_message);

    void zip_day_buttonClick();
    void zip_month_buttonClick();
    void zip_day_folder();
    void zip_month_folder();

    // kalix_cleaner_status.json in the log folder, replaced after every cleaning run.
    QString status_file() const;

protected:
    void settings_not_saved(const QString& the_message) override;

private:
    cleaner_settings settings_from_controls() const;
    bool lifetimes_valid();
    void cleaning_step();
    // Shows the run and writes the status file.
    void report_run(const cleaning_run& run);
    // Packs one day folder and posts the two summary lines.
    void zip_one_day_folder(const QString& folder, int& no_zip_files);
    // A packing started from a button must not meet the timer's packing of the same folder.
    bool zipping_on_demand_ = false;
    // The timer's packing: what it has passed over and reported, from one tick to the next.
    zip_packing_context timer_packing_;
    QDateTime started_ = QDateTime::currentDateTime();
    std::optional<cleaning_run> last_run_;
};
