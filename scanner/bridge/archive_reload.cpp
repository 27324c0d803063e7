#include "scanner/bridge/archive_reload.h"

#include "shared/basics/text_fields.h"

QStringList archive_spectrum_masks(const QString& pane_id) {
    return {pane_id + QStringLiteral("___RC___*.xy"), pane_id + QStringLiteral("___RG___*.xy"),
            pane_id + QStringLiteral("___T___*.xy"), pane_id + QStringLiteral("___RG55___*.xy")};
}

QByteArray dummy_r55_spectrum() {
    return QByteArrayLiteral("300 0.0\r\n1000 0.0\r\n2500 0.0\r\n");
}

QString r55_name_for(const QString& rg_file_name) {
    QString name = rg_file_name;
    const qsizetype at = name.indexOf(QStringLiteral("___RG"));
    if (at >= 0)
        name.replace(at, 5, QStringLiteral("___RG55"));
    return name;
}

archive_sample archive_sample_fields(const QString& file_name) {
    // Counted on backslashes, so a path reads the same whichever separator it uses.
    QString path = file_name;
    path.replace(u'/', u'\\');
    const qsizetype end = path.lastIndexOf(u'\\');
    const QString folder = path.left(end + 1);
    const int n = backslash_count(folder);
    archive_sample sample;
    sample.year = backslash_field(folder, n - 3);
    sample.month = backslash_field(folder, n - 2);
    sample.day = backslash_field(folder, n - 1);
    const QString name = path.mid(end + 1);
    const qsizetype key_end = name.indexOf(QStringLiteral("___"));
    sample.has_pane_id = key_end >= 0;
    if (sample.has_pane_id)
        sample.pane_id = name.left(key_end);
    return sample;
}
