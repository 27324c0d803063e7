#include "scanner/bridge/xy_file.h"

#include "shared/basics/program_folders.h"
#include "shared/basics/text_fields.h"
#include "shared/platform/code_page.h"
#include "shared/platform/file_ops.h"
#include "shared/platform/paths.h"

#include <QFile>
#include <QStringList>

#include <stdexcept>

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

bool hand_over_file(const QString& file_name, const QByteArray& content) {
    // A name without a folder of its own is never written relative to the current folder
    // or a root.
    const qsizetype end = file_name.lastIndexOf(platform::path_separator());
    const QString folder = end > 0 ? file_name.left(end) : QString();
    if (folder.isEmpty() || !platform::folder_exists(folder))
        return false;
    const QString temp = unique_temp_name(folder);
    QFile file(temp);
    const auto fail = [&](const QString& what) {
        const QString reason = file.errorString();
        file.close();
        QFile::remove(temp);
        throw std::runtime_error(QStringLiteral("%1 %2: %3").arg(what, temp, reason).toStdString());
    };
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        fail(QStringLiteral("Cannot create file"));
    if (file.write(content) != content.size() || !file.flush())
        fail(QStringLiteral("Cannot write file"));
    file.close();
    if (!platform::rename_replacing(temp, file_name)) {
        QFile::remove(temp);
        throw std::runtime_error(
            QStringLiteral("Error renaming file %1 to %2").arg(temp, file_name).toStdString());
    }
    return true;
}
