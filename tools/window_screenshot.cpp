// Renders the kalix_cleaner window on a demo site into a PNG, after one confirmed cleaning
// pass, for the README and for looking at the layout without a desktop:
//   window_screenshot <site folder> <picture.png>
#include "cleaner/kalix_cleaner_unit.h"
#include "shared/basics/program_folders.h"
#include "shared/platform/folders.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char* argv[]) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: window_screenshot <site folder> <picture.png>\n");
        return 2;
    }
    QApplication application(argc, argv);
    const QString site = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    const QString picture = QString::fromLocal8Bit(argv[2]);
    QTemporaryDir home;
    platform::redirect_folders(
        {QDir::toNativeSeparators(site + "/program/kalix_cleaner"), home.path(), home.path()});
    basics_start_up();

    TKALIX_cleaner_form window;
    window.show();
    window.FormCreate();
    // As if the operator had agreed to the folder list.
    window.first_warning = false;
    window.Timer1Timer();
    QApplication::processEvents();
    const bool saved = window.grab().save(picture);
    window.close();
    basics_shut_down();
    return saved ? 0 : 1;
}
