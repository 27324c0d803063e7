#pragma once

#include <QString>

// The folder browser: the chosen folder, or the empty text when the operator cancels.
QString browse_for_folder(const QString& title, const QString& initial_folder,
                          bool allow_new_folder);
