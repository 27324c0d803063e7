#include "scanner/bridge/xy_file.h"

#include "shared/basics/text_fields.h"
#include "shared/platform/code_page.h"

#include <QStringList>

QByteArray xy_file_content(const QString& wavelengths, const QString& values, xy_fields fields) {
    const QStringList w = wavelengths.split(u';');
    const QStringList v = values.split(u';');
    const auto field = [fields](const QStringList& list, qsizetype i) {
        const QString text = i < list.size() ? list[i] : QString();
        return fields == xy_fields::trimmed ? trim_blanks(text) : text;
    };
    QString text;
    for (qsizetype i = 0; i < v.size(); ++i)
        text += field(w, i) + u'\t' + field(v, i) + QStringLiteral("\r\n");
    return platform::to_8bit(text);
}
