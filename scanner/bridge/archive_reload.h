#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Re-loading the archived spectra of one pane into the current output folder.

// The masks of a pane's spectra in the order they are re-loaded: RC, RG, T, RG55.
QStringList archive_spectrum_masks(const QString& pane_id);
constexpr int rg_mask_index = 1;
constexpr int rg55_mask_index = 3;

// The dummy R55 spectrum that stands in for a missing one, and its name beside an RG
// spectrum (the first "___RG" becomes "___RG55").
QByteArray dummy_r55_spectrum();
QString r55_name_for(const QString& rg_file_name);

// What a sample file chosen in the archive says: the three folder levels above its folder
// (backslash fields n-3, n-2, n-1 of the folder path with n backslashes; a field number
// below 1 reads as the first field) and, when the name holds "___", the pane id before
// the first one (possibly empty).
struct archive_sample {
    QString year;
    QString month;
    QString day;
    bool has_pane_id = false;
    QString pane_id;
};
archive_sample archive_sample_fields(const QString& file_name);
