// Renders the main window of Lumotrax_SQL_spectrum_scanner on a demo site into a PNG, after
// its start-up, for the README and for looking at the layout without a desktop:
//   scanner_window_screenshot <site folder> <picture.png>
#include "scanner/lumotrax_sql_spectrum_scanner_Unit.h"
#include "shared/basics/program_folders.h"
#include "shared/platform/folders.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char* argv[]) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: scanner_window_screenshot <site folder> <picture.png>\n");
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
    const bool saved = window.grab().save(picture);
    window.close();
    basics_shut_down();
    return saved ? 0 : 1;
}
