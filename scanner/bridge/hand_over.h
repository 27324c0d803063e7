#pragma once

#include <QByteArray>
#include <QString>

// Hands a file over: written under a unique temporary name (".tmp") in its folder, then
// renamed onto `file_name`, replacing an existing file in one step, so no reader ever sees
// half of it. False when the folder does not exist (nothing is written); a failed write or
// rename raises std::runtime_error and leaves no temporary file behind.
bool hand_over_file(const QString& file_name, const QByteArray& content);

// Hands a new file over without replacing anything: written under a temporary name in
// `folder` (with its trailing separator) and renamed onto `name`. False, with nothing left
// behind, when a file of that name is there already; write errors raise std::runtime_error.
bool hand_over_new_file(const QString& folder, const QString& name, const QByteArray& content);
