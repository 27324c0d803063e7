#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// How a hand-over makes its file durable; by default that is left to the system.
struct hand_over_durability {
    // The file's data reaches the disk before it is renamed into place (a sync per file).
    bool flush_before_rename = false;
    // Receives the final name of each file handed over, so that one flush_to_disk covers
    // many files before the index that counts them is stored.
    QStringList* written = nullptr;
};

// Hands a file over: written under a temporary name only this program makes
// ("lsq_<n>_<n>_<n>.tmp") in its folder, then renamed onto `file_name`, replacing an
// existing file in one step, so no reader ever sees half of it. False when the folder does
// not exist (nothing is written); a failed write or rename raises std::runtime_error and
// leaves no temporary file behind.
bool hand_over_file(const QString& file_name, const QByteArray& content);
bool hand_over_file(const QString& file_name, const QByteArray& content,
                    const hand_over_durability& durability);

// Hands a new file over without replacing anything: written under a temporary name in
// `folder` (with its trailing separator) and renamed onto `name`. False, with nothing left
// behind, when a file of that name is there already; write errors raise std::runtime_error.
bool hand_over_new_file(const QString& folder, const QString& name, const QByteArray& content,
                        const hand_over_durability& durability = {});

// Whether `name` (without folder) has the shape of a hand-over's temporary file.
bool is_own_temp_file_name(const QString& name);
// Removes the hand-over's temporary files a crash left in `folder` (not in its
// subfolders), except those some process still holds open; how many were removed.
int remove_own_temp_files(const QString& folder);
