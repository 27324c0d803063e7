#include "scanner/bridge/index_files.h"

#include "shared/basics/number_text.h"
#include "shared/platform/file_ops.h"

#include <QFile>
#include <QStringDecoder>

#include <optional>

namespace {

// Longer than any 64-bit index with blanks around it; a longer first line is garbage.
constexpr qint64 read_limit = 64;

QString previous_copy(const QString& path) {
    return path + QStringLiteral(".previous");
}

// The index of one file: its first line, a whole number of at least 0.
std::optional<std::int64_t> read_one(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray head = file.read(read_limit);
    const bool whole_file = file.atEnd();
    QString text;
    // A hand-edited file may carry a byte-order mark.
    if (head.startsWith("\xEF\xBB\xBF"))
        text = QString::fromUtf8(head.mid(3));
    else if (head.startsWith("\xFF\xFE"))
        text = QStringDecoder(QStringDecoder::Utf16LE)(head.mid(2));
    else if (head.startsWith("\xFE\xFF"))
        text = QStringDecoder(QStringDecoder::Utf16BE)(head.mid(2));
    else
        text = QString::fromLatin1(head);
    qsizetype line_end = 0;
    while (line_end < text.size() && text[line_end] != u'\r' && text[line_end] != u'\n')
        ++line_end;
    if (line_end == text.size() && !whole_file)
        return std::nullopt;
    // Blanks an editor left behind the number do no harm.
    QString line = text.left(line_end);
    while (!line.isEmpty() && (line.back() == u' ' || line.back() == u'\t'))
        line.chop(1);
    std::int64_t value = 0;
    if (!text_to_integer64(line, value) || value < 0)
        return std::nullopt;
    return value;
}

QByteArray index_text(std::int64_t value) {
    return QByteArray::number(static_cast<qlonglong>(value)) + "\r\n";
}

} // namespace

index_reading read_index_file(const QString& path) {
    if (const auto value = read_one(path))
        return {*value, index_reading::origin::file};
    if (const auto value = read_one(previous_copy(path)))
        return {*value, index_reading::origin::previous_copy};
    return {};
}

bool write_index_file(const QString& path, std::int64_t value) {
    // The copy is written first: a crash in between leaves two good files.
    if (const auto current = read_one(path))
        platform::write_file_atomically(previous_copy(path), index_text(*current));
    return platform::write_file_atomically(path, index_text(value));
}

QString index_problem_line(const QString& file_name) {
    return QStringLiteral("Index file %1 missing or unreadable: starting from 0.").arg(file_name);
}

QString index_previous_copy_line(const QString& file_name, std::int64_t value) {
    return QStringLiteral("Index file %1 missing or unreadable: its previous copy gives %2.")
        .arg(file_name)
        .arg(value);
}
