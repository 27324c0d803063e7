#include "shared/platform/line_list.h"

#include "shared/platform/code_page.h"
#include "shared/platform/file_ops.h"

#include <QFile>
#include <QStringEncoder>

namespace platform {

QStringList split_lines(const QString& text) {
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = text[i];
        if (c == u'\r' || c == u'\n') {
            lines.append(text.mid(start, i - start));
            if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n')
                ++i;
            start = i + 1;
        }
        ++i;
    }
    if (start < n)
        lines.append(text.mid(start));
    return lines;
}

bool load_lines(const QString& path, QStringList& lines) {
    lines.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return false;
    lines = split_lines(decode_text(bytes));
    return true;
}

bool save_lines(const QString& path, const QStringList& lines, text_encoding encoding,
                write_mode mode) {
    QString text;
    for (const QString& line : lines) {
        text += line;
        text += QStringLiteral("\r\n");
    }
    QByteArray bytes;
    if (encoding == text_encoding::utf16le_bom) {
        bytes = QByteArray("\xFF\xFE", 2);
        bytes += QStringEncoder(QStringEncoder::Utf16LE)(text);
    } else {
        bytes = to_8bit(text);
    }
    return write_file_atomically(path, bytes, mode);
}

} // namespace platform
