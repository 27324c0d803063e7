// Runs one of the two programs unattended for scripts/soak: the real window with its own
// timers, the operator's part scripted ("Start scan" for the scanner, yes to the cleaner's
// one question before it deletes), every message to standard error. Ends after the given
// minutes.
//   soak_driver scanner|cleaner <site folder> <home folder> <minutes>
#include "scanner/lumotrax_sql_spectrum_scanner_Unit.h"
#include "shared/platform/heap.h"
#include "shared/platform/operator_interface.h"
#include "shared/platform_widgets/error_reporting_application.h"
#include "tools/runner/cleaner_run.h"
#include "tools/runner/scanner_run.h"

#include <QDateTime>
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
    const QString site = QString::fromLocal8Bit(argv[2]);
    const QString home = QString::fromLocal8Bit(argv[3]);
    QTimer::singleShot(std::atoi(argv[4]) * 60 * 1000, &application, &QApplication::quit);
    // The windows' own timers run the passes here, as in the plant.
    if (scanner) {
        runner::scanner_run run(site, home);
        run.window().show();
        run.start();
        return application.exec();
    }
    runner::cleaner_run run(site, home);
    return application.exec();
}
