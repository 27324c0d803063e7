#include "scanner/bridge/set_aside_file.h"

#include <QFile>
#include <QStringList>

namespace {

QString csv_field(const QString& text) {
    if (!text.contains(u',') && !text.contains(u'"') && !text.contains(u'\n') &&
        !text.contains(u'\r'))
        return text;
    QString quoted = text;
    quoted.replace(u'"', QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

} // namespace

QString set_aside_header() {
    return QStringLiteral("Date and time,Source,Id,LoadID,Result name,Destination,Reason");
}

bool append_set_aside_record(const QString& file_name, const set_aside_record& r) {
    QFile file(file_name);
    if (!file.open(QIODevice::Append))
        return false;
    QByteArray text;
    if (file.size() == 0)
        text = set_aside_header().toUtf8() + "\r\n";
    const QStringList fields{r.when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                             r.source,
                             QString::number(r.id),
                             r.load_id,
                             r.result_name,
                             r.destination,
                             r.reason};
    QStringList quoted;
    for (const QString& field : fields)
        quoted << csv_field(field);
    text += quoted.join(u',').toUtf8() + "\r\n";
    return file.write(text) == text.size() && file.flush();
}
