#pragma once

#include <QString>

namespace platform {

// Full name of the running program file (native separators).
QString program_file_path();
// Folder of the running program file, without trailing separator.
QString program_folder();
// The current user's roaming application-data folder (Windows: roaming AppData;
// elsewhere: the XDG data home), without trailing separator; empty when unknown.
QString roaming_app_data_folder();
// The system's temporary folder, without trailing separator.
QString temp_folder();

// Tests point the three folders (and the program file) into a scratch directory.
struct folder_redirection {
    QString program_file; // full name of a (pretended) program file
    QString app_data;
    QString temp;
};
void redirect_folders(const folder_redirection& redirection);
void reset_folders();

} // namespace platform
