#pragma once

#include <QStringList>
#include <QWidget>

class QCheckBox;
class QCloseEvent;
class QGridLayout;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class QVBoxLayout;

// The base scanner window of both programs: settings files, KALIX installation, product
// marker, output paths, the scan timer and the live signal. The creator of a window calls
// FormCreate() once, right after construction, so that the derived windows' overrides take
// part in the start-up.
class TKALIX_spectrum_scanner : public QWidget {
    Q_OBJECT

public:
    explicit TKALIX_spectrum_scanner(QWidget* parent = nullptr);
    ~TKALIX_spectrum_scanner() override;

    // Controls, in the order the window declares them.
    QLineEdit* input_path_editor = nullptr;
    QLineEdit* output_path_editor = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* ovix_lab = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* action_label = nullptr;
    QLabel* Label5 = nullptr;
    QTimer* Timer1 = nullptr;
    QPushButton* clear_button = nullptr;
    QPushButton* active_button = nullptr;
    QLabel* bp_lb = nullptr;
    QLabel* KALIX_path_label = nullptr;
    QLabel* cp_lab = nullptr;
    QLabel* product_label = nullptr;
    QLabel* dgt_lab = nullptr;
    QLabel* total_output_path_label = nullptr;
    QTimer* alive_timer = nullptr;
    QCheckBox* start_active_check_box = nullptr;
    QCheckBox* automatic_product_identification = nullptr;
    QLineEdit* postbake_output_path_editor = nullptr;
    QLabel* kalix_postbake_path_label = nullptr;
    QLabel* postbake_product_label = nullptr;
    QLabel* postbake_total_output_path_label = nullptr;
    QLabel* Label4b = nullptr;
    QLineEdit* ovix_insitu_editor = nullptr;

    // State shared with the derived windows.
    QString input_path;
    QString kalix_path;
    QString product;
    QString postbake_product;
    QString ovix_name;
    QString postbake_ovix_name;
    QString total_output_path;
    QString measurement_path;
    QString postbake_total_output_path;
    QString live_signal_file;
    bool start_minimized = false;
    bool first_action = false;
    bool save_ini_file = false;
    QString kalix_postbake_path;
    QString ovix_insitu_name;
    QString total_output_path_insitu;
    QString insitu_input_path;
    int no_scan_files = 0;
    int no_spectral_positions = 0;
    int no_spectral_positions_backup = 0;
    QString external_archive_directory;
    float process_file_delay_time_in_seconds = 0.0f;

    virtual void timer_action();
    virtual void delete_action();
    virtual void switch_timer_state();
    virtual void set_timer_state(bool active);
    virtual void compose_total_output_path();
    virtual void compose_measurement_path();
    virtual void set_new_product();
    virtual QString new_name(const QString& old_name);
    virtual void read_additional_postbake_ini_data(const QStringList& sl);
    virtual void read_additional_kalix_scanner_ini_data(const QStringList& sl);
    virtual void write_additional_kalix_scanner_ini_data(QStringList& sl);

    virtual void FormCreate();
    virtual void FormClose();

    void read_kalix_ini();
    QString compute_archive_path();
    void timer_on();
    void timer_off();

    void Timer1Timer();
    void alive_timerTimer();
    virtual void active_buttonClick();
    void clear_buttonClick();

    // Keeps the scan timer off for the lifetime of a pass and switches it on again however
    // the pass ends, so passes never overlap and an error never stops scanning for good.
    class scan_pass_guard {
    public:
        explicit scan_pass_guard(TKALIX_spectrum_scanner& window);
        ~scan_pass_guard();
        scan_pass_guard(const scan_pass_guard&) = delete;
        scan_pass_guard& operator=(const scan_pass_guard&) = delete;

    private:
        TKALIX_spectrum_scanner& window_;
    };

protected:
    void closeEvent(QCloseEvent* event) override;
    // A settings file could not be saved; windows with a message board post it there.
    virtual void settings_not_saved(const QString& the_message);

    // Where derived windows add their controls.
    QVBoxLayout* main_layout = nullptr;
    QGridLayout* path_grid = nullptr;
    QHBoxLayout* button_row = nullptr;

private:
    bool pass_running_ = false;
};
