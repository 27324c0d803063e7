// Renders the kalix_cleaner window on a demo site into a PNG, after one confirmed cleaning
// pass, for the README and for looking at the layout without a desktop:
//   cleaner_window_screenshot <site folder> <picture.png>
#include "cleaner/kalix_cleaner_unit.h"
#include "tools/runner/cleaner_run.h"
#include "tools/runner/window_picture.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char* argv[]) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: cleaner_window_screenshot <site folder> <picture.png>\n");
        return 2;
    }
    QApplication application(argc, argv);
    runner::cleaner_run cleaner(QString::fromLocal8Bit(argv[1]));
    cleaner.pass();
    const bool saved =
        runner::save_window_picture(cleaner.window(), QString::fromLocal8Bit(argv[2]));
    cleaner.window().close();
    return saved ? 0 : 1;
}
