#include "cleaner/browseforfolderunit.h"

#include "shared/platform/operator_interface.h"

QString browse_for_folder(const QString& title, const QString& initial_folder,
                          bool allow_new_folder) {
    return platform::operator_ui().browse_for_folder(title, initial_folder, allow_new_folder);
}
