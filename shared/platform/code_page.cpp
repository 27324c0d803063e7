#include "shared/platform/code_page.h"

#include <QStringDecoder>

#include <array>

namespace platform {

namespace {

// Windows-1252 differs from Latin-1 only in 0x80..0x9F. The five unassigned bytes map
// to the control character of the same value, as the Windows conversion does.
constexpr std::array<char16_t, 32> high_controls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char to_8bit(QChar c) {
    const char16_t u = c.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return static_cast<char>(u);
    for (std::size_t i = 0; i < high_controls.size(); ++i)
        if (high_controls[i] == u)
            return static_cast<char>(0x80 + i);
    return '?';
}

} // namespace

QChar from_8bit(char byte) {
    const auto b = static_cast<unsigned char>(byte);
    if (b >= 0x80 && b < 0xA0)
        return QChar(high_controls[b - 0x80]);
    return QChar(char16_t(b));
}

QString from_8bit(const QByteArray& bytes) {
    QString text(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i)
        text[i] = from_8bit(bytes[i]);
    return text;
}

QByteArray to_8bit(const QString& text) {
    QByteArray bytes(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i)
        bytes[i] = to_8bit(text[i]);
    return bytes;
}

QString decode_text(const QByteArray& bytes) {
    // The mark is cut off here; Qt's decoders would cut off a second one as well, so a text
    // that itself begins with U+FEFF keeps it only when they are told to leave it.
    const auto decode = [&bytes](QStringDecoder::Encoding encoding,
                                 qsizetype mark_size) -> QString {
        return QStringDecoder(encoding,
                              QStringDecoder::Flag::ConvertInitialBom)(bytes.mid(mark_size));
    };
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return decode(QStringDecoder::Utf8, 3);
    if (bytes.startsWith("\xFF\xFE"))
        return decode(QStringDecoder::Utf16LE, 2);
    if (bytes.startsWith("\xFE\xFF"))
        return decode(QStringDecoder::Utf16BE, 2);
    return from_8bit(bytes);
}

} // namespace platform
