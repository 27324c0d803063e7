#include "shared/basics/text_fields.h"

QString delimited_field(const QString& text, QChar separator, int n) {
    qsizetype start = 0;
    for (int i = 1; i < n; ++i) {
        const qsizetype p = text.indexOf(separator, start);
        if (p < 0)
            return {};
        start = p + 1;
    }
    const qsizetype end = text.indexOf(separator, start);
    return trim_blanks(end < 0 ? text.mid(start) : text.mid(start, end - start));
}

QStringList delimited_fields(const QString& text, QChar separator) {
    QStringList fields;
    fields.reserve(text.count(separator) + 1);
    qsizetype start = 0;
    for (qsizetype p = text.indexOf(separator); p >= 0; p = text.indexOf(separator, start)) {
        fields.append(trim_blanks(text.mid(start, p - start)));
        start = p + 1;
    }
    fields.append(trim_blanks(text.mid(start)));
    return fields;
}

QStringList tab_fields(const QString& text) {
    return delimited_fields(text, u'\t');
}

int char_count(const QString& text, QChar c) {
    return static_cast<int>(text.count(c));
}

QString tab_field(const QString& text, int n) {
    return delimited_field(text, u'\t', n);
}
QString semicolon_field(const QString& text, int n) {
    return delimited_field(text, u';', n);
}
QString backslash_field(const QString& text, int n) {
    return delimited_field(text, u'\\', n);
}

int tab_count(const QString& text) {
    return char_count(text, u'\t');
}
int semicolon_count(const QString& text) {
    return char_count(text, u';');
}
int backslash_count(const QString& text) {
    return char_count(text, u'\\');
}

bool bit_is_set(std::uint32_t value, int bit) {
    // Shift counts wrap like the processor's, so -1 addresses bit 31.
    const unsigned shift = static_cast<unsigned>(bit) & 31u;
    return ((value >> shift) & 1u) != 0;
}

QStringView trim_blanks_view(QStringView text) {
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text[first].unicode() <= 32)
        ++first;
    while (last > first && text[last - 1].unicode() <= 32)
        --last;
    return text.sliced(first, last - first);
}

QString trim_blanks(const QString& text) {
    return trim_blanks_view(text).toString();
}

QString ascii_upper(const QString& text) {
    QString result = text;
    for (QChar& c : result) {
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - (u'a' - u'A'));
    }
    return result;
}

QString file_name_part(const QString& text) {
    static const QString forbidden = QStringLiteral("\\/:*?\"<>|");
    QString part = text;
    for (QChar& c : part) {
        if (c.unicode() < 32 || forbidden.contains(c))
            c = u'_';
    }
    return part;
}
