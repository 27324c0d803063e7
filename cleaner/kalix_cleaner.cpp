// kalix_cleaner: deletes outdated files from the input and KALIX channel folders and packs
// the archive day folders into one zip archive per load.
#include "cleaner/kalix_cleaner_unit.h"
#include "shared/basics/program_folders.h"
#include "shared/message_board/memo/message_memo.h"
#include "shared/platform/heap.h"
#include "shared/platform/program_version.h"
#include "shared/platform_widgets/error_reporting_application.h"
#include "shared/platform_widgets/qt_operator.h"

#include <memory>

int main(int argc, char* argv[]) {
    if (platform::print_version_if_asked(argc, argv, "kalix_cleaner"))
        return 0;
    platform::keep_freed_heap_memory();
    platform::error_reporting_application application(argc, argv);
    platform::install_operator(std::make_unique<platform::qt_operator>());
    basics_start_up();
    int result = 0;
    {
        TKALIX_cleaner_form window;
        window.messages->board().post(QStringLiteral("Version ") + platform::program_version());
        window.show();
        window.FormCreate();
        result = application.exec();
    }
    basics_shut_down();
    return result;
}
