// Renders the main window of Lumotrax_SQL_spectrum_scanner on a demo site into a PNG, after
// its start-up and, with --passes N, after "Start scan" and N passes of the scan timer, for
// the README and for running the program on a site without a desktop:
//   scanner_window_screenshot <site folder> <picture.png> [--passes N]
#include "scanner/lumotrax_sql_spectrum_scanner_Unit.h"
#include "shared/basics/program_folders.h"
#include "shared/platform/folders.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <QCheckBox>
#include <QPushButton>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char* argv[]) {
    int passes = 0;
    if (argc == 5 && std::strcmp(argv[3], "--passes") == 0)
        passes = std::atoi(argv[4]);
    if ((argc != 3 && argc != 5) || passes < 0) {
        std::fprintf(stderr,
                     "usage: scanner_window_screenshot <site folder> <picture.png> [--passes N]\n");
        return 2;
    }
    QApplication application(argc, argv);
    const QString site = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    const QString picture = QString::fromLocal8Bit(argv[2]);
    QTemporaryDir home;
    platform::redirect_folders(
        {QDir::toNativeSeparators(site + "/program/Lumotrax_SQL_spectrum_scanner"), home.path(),
         home.path()});
    basics_start_up();

    TLumotrax_spectrum_scanner_main window;
    window.FormCreate();
    window.show();
    QApplication::processEvents();
    if (passes > 0) {
        // Scanning from the stored indices, as the operator would with the box ticked.
        window.start_with_latest_processed_record->setChecked(true);
        window.active_button->click();
        for (int pass = 0; pass < passes; ++pass) {
            window.timer_action();
            window.Timer1->stop();
            QApplication::processEvents();
        }
    }
    const bool saved = window.grab().save(picture);
    window.close();
    basics_shut_down();
    return saved ? 0 : 1;
}
