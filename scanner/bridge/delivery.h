#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

class sprachen;

// Where the spectra and results of the databases go: the KALIX installations and the two
// name translation tables. Set by the window before every pass.
struct delivery_site {
    QString kalix_path; // with its trailing separator
    QString postbake_kalix_path;
    QString postbake_total_output_path; // empty without a postbake installation
    QString postbake_key_phrase;
    std::int32_t offset_rfilm_probehead = 109;
    const sprachen* ovix_assignment = nullptr;
    const sprachen* spectrum_nickname = nullptr;
};

// A file's folder and the installation and product it lies in, so a missing folder can be
// told apart: a channel the product lacks, or an installation out of reach.
struct destination {
    QString folder; // without a trailing separator
    QString root;   // the installation's folder; empty: not checked
    QString product;
    bool product_checked = false;
};

// The channel's "new" folder of `product` (as the marker names it) for a result name.
destination channel_destination(const delivery_site& site, const QString& product,
                                const QString& result_name);
// The postbake installation's folder for postbake samples.
destination postbake_destination(const delivery_site& site);

// What became of one file.
enum class delivery { written, folder_missing };

// Raises record_fault (hopeless) when the name cannot exist on this file system.
void check_file_name(const QString& full_name);

// Raises std::runtime_error when the folder is missing because the installation, its
// product marker or the product folder is out of reach; returns normally when only the
// folder itself (a channel the product lacks) is missing.
void check_missing_folder(const destination& where);

// Hands `content` over as `folder`/`name`, replacing an existing file. A failure that a
// probe file in the same folder does not meet is the record's (record_fault); one it
// meets too is the folder's or the disk's (std::runtime_error).
delivery deliver_file(const destination& where, const QString& name, const QByteArray& content);
// The same for a file that must not replace one of its name: false when one is there.
bool deliver_new_file(const QString& folder, const QString& name, const QByteArray& content);

// folder of a full file name (everything before the last separator).
QString folder_of(const QString& file_name);
