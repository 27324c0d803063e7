#include "scanner/bridge/sheetresistance_file.h"

#include "scanner/bridge/spectrum_names.h"
#include "shared/kalix_spectrum_scanner/settings/kalix_paths.h"
#include "shared/platform/code_page.h"
#include "shared/platform/paths.h"

#include <QStringList>

QString sheetresistance_folder(const QString& kalix_path, const QString& product) {
    return measurement_folder(kalix_path, product) + QStringLiteral("new_results") +
           platform::path_separator();
}

QString sheetresistance_file_name(const QString& load_id, double longitudinal, double lateral) {
    const QString separator = QStringLiteral("___");
    return load_id + separator + QString::number(position_field_grid(longitudinal, 1)) + separator +
           QString::number(position_field_grid(lateral, 1)) + separator +
           QStringLiteral("0___SR.txt");
}

QByteArray sheetresistance_file_content(const sheetresistance_result& r) {
    const QStringList lines{r.nickname,
                            r.value,
                            QStringLiteral("---"),
                            QStringLiteral("0"),
                            QStringLiteral("measured"),
                            r.date_time,
                            r.channel,
                            r.load_id,
                            QString::number(position_field_1mm(r.longitudinal)),
                            QString::number(position_field_1mm(r.lateral)),
                            QStringLiteral("0")};
    return platform::to_8bit(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
}
