// Runs one of the two programs unattended for scripts/soak: the real window with its own
// timers, the operator's part scripted ("Start scan" for the scanner, yes to the cleaner's
// one question before it deletes), every message to standard error. Ends after the given
// minutes.
//   soak_driver scanner|cleaner <site folder> <home folder> <minutes>
#include "cleaner/kalix_cleaner_unit.h"
#include "scanner/lumotrax_sql_spectrum_scanner_Unit.h"
#include "shared/basics/program_folders.h"
#include "shared/platform/folders.h"
#include "shared/platform/heap.h"
#include "shared/platform/operator_interface.h"
#include "shared/platform_widgets/error_reporting_application.h"

#include <QCheckBox>
#include <QDateTime>
#include <QDir>
#include <QPushButton>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

class unattended_operator final : public platform::log_operator {
public:
    void show_message(const QString& text) override { log(QStringLiteral("message: ") + text); }
    bool ask_yes_no(const QString& caption, const QString& text) override {
        log(QStringLiteral("question answered yes: ") + caption + QStringLiteral(": ") + text);
        return true;
    }
    QString input_box(const QString& caption, const QString&, const QString& preset) override {
        log(QStringLiteral("input box: ") + caption);
        return preset;
    }

private:
    static void log(const QString& line) {
        std::fprintf(stderr, "%s %s\n",
                     qPrintable(QDateTime::currentDateTime().toString(Qt::ISODate)),
                     qPrintable(line));
    }
};

} // namespace

int main(int argc, char* argv[]) {
    platform::keep_freed_heap_memory();
    if (argc != 5 || (std::strcmp(argv[1], "scanner") != 0 && std::strcmp(argv[1], "cleaner"))) {
        std::fprintf(stderr,
                     "usage: soak_driver scanner|cleaner <site folder> <home folder> <minutes>\n");
        return 2;
    }
    const bool scanner = std::strcmp(argv[1], "scanner") == 0;
    platform::error_reporting_application application(argc, argv);
    platform::install_operator(std::make_unique<unattended_operator>());
    const QString site = QDir(QString::fromLocal8Bit(argv[2])).absolutePath();
    const QString home = QDir(QString::fromLocal8Bit(argv[3])).absolutePath();
    const QString program =
        scanner ? QStringLiteral("Lumotrax_SQL_spectrum_scanner") : QStringLiteral("kalix_cleaner");
    platform::redirect_folders(
        {QDir::toNativeSeparators(site + QStringLiteral("/program/") + program), home, home});
    basics_start_up();
    QTimer::singleShot(std::atoi(argv[4]) * 60 * 1000, &application, &QApplication::quit);
    int result = 0;
    if (scanner) {
        TLumotrax_spectrum_scanner_main window;
        window.FormCreate();
        window.show();
        window.start_with_latest_processed_record->setChecked(true);
        window.active_button->click();
        result = application.exec();
    } else {
        TKALIX_cleaner_form window;
        window.show();
        window.FormCreate();
        result = application.exec();
    }
    basics_shut_down();
    return result;
}
