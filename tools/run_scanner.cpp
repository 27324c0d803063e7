// Runs Lumotrax_SQL_spectrum_scanner's main window on a demo site without a desktop: its
// start-up and, with --passes N, "Start scan" and N passes of the scan timer, called one at a
// time (the output checks and the crash test run the program through it). --every MS waits
// that long between passes (as the scan timer would; the health strip's states depend on the
// time); --home FOLDER keeps the home folder (logs, status.json) there instead of in a
// temporary folder; --picture renders the main window into a PNG at the end, for the README;
// --pane-selection also renders the selection window of "Re-run pane":
//   run_scanner <site folder> [--passes N] [--every MS] [--home FOLDER] [--picture <png>]
//               [--pane-selection <png>]
#include "scanner/historic_pane_selection_unit.h"
#include "scanner/lumotrax_sql_spectrum_scanner_Unit.h"
#include "tools/runner/scanner_run.h"
#include "tools/runner/window_picture.h"

#include <QApplication>
#include <QLineEdit>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char* argv[]) {
    int passes = 0;
    int every_ms = 0;
    QString home_folder;
    QString picture;
    QString selection_picture;
    bool usable = argc >= 2;
    for (int i = 2; usable && i < argc; i += 2) {
        if (i + 1 >= argc)
            usable = false;
        else if (std::strcmp(argv[i], "--passes") == 0)
            passes = std::atoi(argv[i + 1]);
        else if (std::strcmp(argv[i], "--every") == 0)
            every_ms = std::atoi(argv[i + 1]);
        else if (std::strcmp(argv[i], "--home") == 0)
            home_folder = QString::fromLocal8Bit(argv[i + 1]);
        else if (std::strcmp(argv[i], "--picture") == 0)
            picture = QString::fromLocal8Bit(argv[i + 1]);
        else if (std::strcmp(argv[i], "--pane-selection") == 0)
            selection_picture = QString::fromLocal8Bit(argv[i + 1]);
        else
            usable = false;
    }
    if (!usable || passes < 0 || every_ms < 0) {
        std::fprintf(stderr, "usage: run_scanner <site folder> [--passes N] [--every MS] "
                             "[--home FOLDER] [--picture <png>] [--pane-selection <png>]\n");
        return 2;
    }
    QApplication application(argc, argv);
    runner::scanner_run scanner(QString::fromLocal8Bit(argv[1]), home_folder);
    scanner.window().show();
    QApplication::processEvents();
    if (passes > 0) {
        scanner.start();
        scanner.passes(passes, every_ms);
    }
    bool saved = picture.isEmpty() || runner::save_window_picture(scanner.window(), picture);
    if (!selection_picture.isEmpty()) {
        Thistoric_pane_selection selection(&scanner.window());
        selection.LoadID_editor->setText(QStringLiteral("L20261210-0003"));
        selection.show();
        saved = runner::save_window_picture(selection, selection_picture) && saved;
    }
    scanner.window().close();
    return saved ? 0 : 1;
}
