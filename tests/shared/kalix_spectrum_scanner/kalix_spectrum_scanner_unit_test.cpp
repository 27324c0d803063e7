#include "shared/kalix_spectrum_scanner/kalix_spectrum_scanner_unit.h"

#include "tests/support/file_size_limit.h"
#include "tests/support/scratch_fixture.h"
#include "tests/support/separator.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>

namespace {

// A window with a pass of its own and hooks that record what the base window hands them.
class probe_window : public TKALIX_spectrum_scanner {
    Q_OBJECT
public:
    std::function<void()> pass;
    int passes = 0;
    QStringList additional_lines;
    QStringList postbake_lines;
    QStringList appended{"extra line"};

    void timer_action() override {
        scan_pass_guard guard(*this);
        ++passes;
        if (pass)
            pass();
    }
    void read_additional_kalix_scanner_ini_data(const QStringList& sl) override {
        additional_lines = sl;
    }
    void read_additional_postbake_ini_data(const QStringList& sl) override { postbake_lines = sl; }
    void write_additional_kalix_scanner_ini_data(QStringList& sl) override { sl += appended; }
};

class scanner_window : public scratch_fixture {
protected:
    probe_window& start() {
        window_ = std::make_unique<probe_window>();
        window_->FormCreate();
        return *window_;
    }

    QStringList settings_lines() const {
        return QString::fromLatin1(read_file(path("program/kalix_scanner.ini")))
            .split(QStringLiteral("\r\n"));
    }

    std::unique_ptr<probe_window> window_;
};

TEST_F(scanner_window, two_line_settings_file_gives_defaults_and_is_rewritten_whole) {
    write_file("program/kalix_scanner.ini", "C:\\input\r\nOVIX1\r\n");
    probe_window& w = start();
    EXPECT_TRUE(ui().messages.isEmpty());
    EXPECT_EQ(w.input_path_editor->text(), "C:\\input");
    EXPECT_EQ(w.output_path_editor->text(), "OVIX1");
    EXPECT_FALSE(w.automatic_product_identification->isChecked());
    EXPECT_EQ(w.no_scan_files, 1);
    EXPECT_EQ(w.no_spectral_positions, 125);
    EXPECT_EQ(w.ovix_insitu_name, "");
    EXPECT_EQ(w.process_file_delay_time_in_seconds, 0.0f);
    EXPECT_TRUE(w.save_ini_file);
    EXPECT_EQ(w.additional_lines, (QStringList{"C:\\input", "OVIX1"}));

    w.no_spectral_positions = 999; // the value read at start-up is what goes back
    w.close();
    const QStringList expected{"C:\\input",         "OVIX1", "False", "1", "125", "",
                               "Insitu input path", sep(),   "",      "0", "",    "true",
                               "extra line",        ""};
    EXPECT_EQ(settings_lines(), expected);
}

TEST_F(scanner_window, edge_values_of_the_settings_file) {
    write_file("program/kalix_scanner.ini",
               "in\r\nov\r\n true\r\n2x\r\nabc\r\nINS\r\n\r\n\r\n\r\n0,5\r\n\r\n TRUE \r\n");
    probe_window& w = start();
    EXPECT_FALSE(w.automatic_product_identification->isChecked());
    EXPECT_EQ(w.no_scan_files, 1);
    EXPECT_EQ(w.no_spectral_positions, 125);
    EXPECT_EQ(w.process_file_delay_time_in_seconds, 0.0f);
    EXPECT_TRUE(w.save_ini_file);
    EXPECT_EQ(w.ovix_insitu_editor->text(), "INS");
}

TEST_F(scanner_window, one_line_settings_file_is_reported_and_replaced_on_close) {
    write_file("program/kalix_scanner.ini", "only one line\r\n");
    probe_window& w = start();
    EXPECT_EQ(ui().messages,
              QStringList{"Error: kalix_scanner.ini does not contain sufficient information!"});
    EXPECT_EQ(w.input_path_editor->text(), "Specify input path here");
    EXPECT_EQ(w.output_path_editor->text(), "Specify OVIX name here");
    EXPECT_TRUE(w.additional_lines.isEmpty());
    w.close();
    EXPECT_EQ(settings_lines().size(), 14);
    EXPECT_EQ(settings_lines()[0], "Specify input path here");
}

TEST_F(scanner_window, a_settings_file_that_cannot_be_saved_is_said) {
    if (!file_size_limit::supported)
        GTEST_SKIP() << file_size_limit::unsupported_reason;
    const QString file = write_file("program/kalix_scanner.ini", "a\r\nb\r\n");
    probe_window& w = start();
    {
        const file_size_limit full_disk(4);
        w.close();
    }
    EXPECT_EQ(read_file(file), "a\r\nb\r\n");
    EXPECT_EQ(ui().messages,
              QStringList{"Error: " + QDir::toNativeSeparators(file) + " could not be saved!"});
}

TEST_F(scanner_window, without_settings_file_the_editors_are_empty) {
    probe_window& w = start();
    EXPECT_EQ(w.input_path_editor->text(), "");
    EXPECT_EQ(w.output_path_editor->text(), "");
    EXPECT_EQ(w.no_scan_files, 0);
    EXPECT_EQ(w.no_spectral_positions, 0);
    EXPECT_EQ(w.input_path, sep());
}

TEST_F(scanner_window, settings_file_is_left_alone_when_read_only_or_not_to_be_saved) {
    const QString file = write_file("program/kalix_scanner.ini",
                                    "a\r\nb\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\nfalse\r\n");
    start().close();
    EXPECT_EQ(read_file(file), "a\r\nb\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\nfalse\r\n");

    write_file("program/kalix_scanner.ini", "a\r\nb\r\n");
    QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    start().close();
    EXPECT_EQ(read_file(file), "a\r\nb\r\n");
}

TEST_F(scanner_window, installation_product_and_output_paths) {
    const QString kalix = make_kalix_installation("kalix", "ProductA", {"OVIX1"});
    write_file("program/kalix_path.ini", path("kalix").toUtf8() + "\r\n");
    write_file("program/kalix_scanner.ini", "in\r\nOVIX1\r\n");
    write_file("kalix/kalix.ini", "x\r\nexternal ARCHIVE directory\r\nE:\\arch\\\r\n");
    probe_window& w = start();
    EXPECT_EQ(w.kalix_path, kalix);
    EXPECT_EQ(w.KALIX_path_label->text(), kalix);
    EXPECT_EQ(w.product_label->text(), "ProductA");
    const QString expected = kalix + "database" + sep() + "products" + sep() + "ProductA" + sep() +
                             "measurements" + sep() + "OVIX1" + sep() + "new";
    EXPECT_EQ(w.total_output_path, expected);
    EXPECT_EQ(w.total_output_path_label->text(), expected);
    EXPECT_EQ(w.input_path, "in" + sep());
    EXPECT_EQ(w.live_signal_file, kalix + "live_signals" + sep() + "test_program.alv");
    EXPECT_EQ(w.external_archive_directory, "E:\\arch\\");
    EXPECT_EQ(w.compute_archive_path(), "E:\\arch\\");
    EXPECT_TRUE(w.kalix_postbake_path.isEmpty());

    // The marker is gone: an empty product between two separators.
    QFile::remove(kalix + "database" + sep() + "current_product" + sep() + "ProductA");
    w.compose_total_output_path();
    EXPECT_EQ(w.product, "");
    EXPECT_EQ(w.total_output_path, kalix + "database" + sep() + "products" + sep() + sep() +
                                       "measurements" + sep() + "OVIX1" + sep() + "new");
}

TEST_F(scanner_window, empty_or_missing_kalix_path_file_means_the_program_folder) {
    write_file("program/kalix_path.ini");
    write_file("program/kalix_postbake_path.ini");
    probe_window& w = start();
    EXPECT_EQ(w.kalix_path, program_folder() + sep());
    EXPECT_EQ(w.kalix_postbake_path, "");
    EXPECT_TRUE(w.postbake_lines.isEmpty());
    EXPECT_EQ(w.compute_archive_path(), "");
}

TEST_F(scanner_window, postbake_installation_and_product_change) {
    const QString kalix = make_kalix_installation("kalix", "ProductA");
    const QString postbake = make_kalix_installation("post", "PB");
    write_file("program/kalix_path.ini", path("kalix").toUtf8());
    write_file("program/kalix_postbake_path.ini",
               path("post").toUtf8() + "\r\nOVIXPB\r\nOffset\r\n");
    probe_window& w = start();
    EXPECT_EQ(w.kalix_postbake_path, postbake);
    EXPECT_EQ(w.postbake_output_path_editor->text(), "OVIXPB");
    EXPECT_EQ(w.postbake_lines.size(), 3);
    EXPECT_EQ(w.postbake_product_label->text(), "PB");
    EXPECT_EQ(w.postbake_total_output_path, postbake + "database" + sep() + "products" + sep() +
                                                "PB" + sep() + "measurements" + sep() + "OVIXPB" +
                                                sep() + "new");

    w.product = "Maintenance";
    w.set_new_product();
    w.compose_total_output_path();
    EXPECT_EQ(w.product_label->text(), "Maintenance");
    w.compose_measurement_path();
    EXPECT_EQ(w.measurement_path, kalix + "database" + sep() + "products" + sep() + "Maintenance" +
                                      sep() + "measurements" + sep());
    EXPECT_EQ(w.new_name("a.b.dat"), "a.b___R.dat");
}

TEST_F(scanner_window, switching_the_scan_timer) {
    probe_window& w = start();
    // Start-up switches scanning on by itself.
    EXPECT_TRUE(w.Timer1->isActive());
    EXPECT_EQ(w.Timer1->interval(), 1000);
    EXPECT_EQ(w.active_button->text(), "Stop scan");
    EXPECT_EQ(w.active_button->palette().color(QPalette::ButtonText), QColor(Qt::red));
    EXPECT_EQ(w.action_label->text(), "Scanning " + sep() + " ... ");

    w.active_button->click();
    EXPECT_FALSE(w.Timer1->isActive());
    EXPECT_EQ(w.active_button->text(), "Start scan");
    EXPECT_EQ(w.active_button->palette().color(QPalette::ButtonText), QColor(Qt::black));
    EXPECT_EQ(w.action_label->text(), "Not scanning ... ");

    w.set_timer_state(true);
    w.action_label->setText("x");
    w.set_timer_state(true);
    EXPECT_TRUE(w.Timer1->isActive());
    EXPECT_EQ(w.action_label->text(), "Scanning " + sep() + " ... ");
}

TEST_F(scanner_window, scan_button_during_a_pass_leaves_scanning_on_and_passes_never_nest) {
    probe_window& w = start();
    w.pass = [&w] {
        EXPECT_FALSE(w.Timer1->isActive());
        w.active_button->click(); // finds the timer off, so it switches scanning on
        w.Timer1Timer();          // a tick inside the pass starts no second pass
    };
    w.Timer1Timer();
    EXPECT_EQ(w.passes, 1);
    EXPECT_TRUE(w.Timer1->isActive());
    EXPECT_EQ(w.active_button->text(), "Stop scan");
}

TEST_F(scanner_window, a_failing_pass_switches_the_timer_on_again) {
    probe_window& w = start();
    w.pass = [] { throw std::runtime_error("disk gone"); };
    EXPECT_THROW(w.Timer1Timer(), std::runtime_error);
    EXPECT_TRUE(w.Timer1->isActive());
    w.pass = nullptr;
    w.Timer1Timer();
    EXPECT_EQ(w.passes, 2);
}

TEST_F(scanner_window, live_signal_file_comes_back_while_scanning_is_off) {
    const QString kalix = make_kalix_installation("kalix", "P");
    write_file("program/kalix_path.ini", path("kalix").toUtf8());
    probe_window& w = start();
    w.active_button->click();
    ASSERT_FALSE(w.Timer1->isActive());
    EXPECT_TRUE(w.alive_timer->isActive());
    EXPECT_EQ(w.alive_timer->interval(), 5000);

    w.alive_timerTimer();
    EXPECT_EQ(QFile(w.live_signal_file).size(), 0);
    QFile::remove(w.live_signal_file);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(w.live_signal_file), 6000);
    // Nothing but the signal is left behind in its folder.
    EXPECT_EQ(QDir(kalix + "live_signals").entryList(QDir::Files), QStringList{"test_program.alv"});
}

TEST_F(scanner_window, live_signal_that_cannot_be_created_is_an_error_for_the_handler) {
    write_file("program/kalix_path.ini", path("no/such/kalix").toUtf8());
    probe_window& w = start();
    EXPECT_THROW(w.alive_timerTimer(), std::runtime_error);
    EXPECT_TRUE(w.alive_timer->isActive());
}

} // namespace

#include "kalix_spectrum_scanner_unit_test.moc"
