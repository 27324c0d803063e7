// Lumotrax_SQL_spectrum_scanner: turns the records of the in-line spectrometer databases
// (or, without a database, the in-line system's csv files) into files for KALIX.
#include "scanner/lumotrax_sql_spectrum_scanner_Unit.h"
#include "shared/basics/program_folders.h"
#include "shared/platform/heap.h"
#include "shared/platform/program_version.h"
#include "shared/platform_widgets/error_reporting_application.h"
#include "shared/platform_widgets/qt_operator.h"

#include <memory>

int main(int argc, char** argv) {
    if (platform::print_version_if_asked(argc, argv, "Lumotrax_SQL_spectrum_scanner"))
        return 0;
    platform::keep_freed_heap_memory();
    platform::error_reporting_application application(argc, argv);
    platform::install_operator(std::make_unique<platform::qt_operator>());
    basics_start_up();
    int result = 0;
    {
        TLumotrax_spectrum_scanner_main window;
        window.send_message(QStringLiteral("Version ") + platform::program_version());
        window.FormCreate();
        window.show();
        result = application.exec();
    }
    basics_shut_down();
    return result;
}
