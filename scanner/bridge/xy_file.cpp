#include "scanner/bridge/xy_file.h"

#include "shared/basics/text_fields.h"

#include "shared/platform/code_page.h"

#include <QStringView>

namespace {

// The fields of a ";"-separated text one after the other, as QString::split gives them;
// past the last one, empty fields.
class field_reader {
public:
    explicit field_reader(QStringView text) : text_(text) {}
    bool done() const { return done_; }
    QStringView next() {
        if (done_)
            return {};
        const qsizetype end = text_.indexOf(u';', at_);
        QStringView field;
        if (end < 0) {
            field = text_.mid(at_);
            done_ = true;
        } else {
            field = text_.mid(at_, end - at_);
            at_ = end + 1;
        }
        return field;
    }

private:
    QStringView text_;
    qsizetype at_ = 0;
    bool done_ = false;
};

void append_8bit(QByteArray& out, QStringView text) {
    for (const QChar c : text) {
        // Numbers are ASCII; anything else takes the code page's way.
        if (c.unicode() < 0x80)
            out.append(static_cast<char>(c.unicode()));
        else
            out.append(platform::to_8bit(QString(c)));
    }
}

QStringView field_of(QStringView text, xy_fields fields) {
    return fields == xy_fields::trimmed ? trim_blanks_view(text) : text;
}

// Any text: characters beyond ASCII go through the code page one by one.
QByteArray any_content(const QString& wavelengths, const QString& values, xy_fields fields,
                       qsizetype lines) {
    QByteArray out;
    out.reserve(wavelengths.size() + values.size() + 3 * lines);
    field_reader w(wavelengths);
    field_reader v(values);
    while (!v.done()) {
        append_8bit(out, field_of(w.next(), fields));
        out.append('\t');
        append_8bit(out, field_of(v.next(), fields));
        out.append("\r\n", 2);
    }
    return out;
}

// Copies ASCII text to `at`; false at the first character beyond ASCII.
bool copy_ascii(QStringView text, char*& at) {
    for (const QChar c : text) {
        if (c.unicode() >= 0x80)
            return false;
        *at++ = static_cast<char>(c.unicode());
    }
    return true;
}

} // namespace

QByteArray xy_file_content(const QString& wavelengths, const QString& values, xy_fields fields) {
    // A catch-up writes one of these per record: numbers are ASCII, so the bytes are
    // written straight into a buffer of the largest size they can take (a line a value
    // field, so at most one more than the values' characters).
    const qsizetype lines = values.size() + 1;
    QByteArray out(wavelengths.size() + values.size() + 3 * lines, Qt::Uninitialized);
    char* at = out.data();
    field_reader w(wavelengths);
    field_reader v(values);
    while (!v.done()) {
        if (!copy_ascii(field_of(w.next(), fields), at))
            return any_content(wavelengths, values, fields, lines);
        *at++ = '\t';
        if (!copy_ascii(field_of(v.next(), fields), at))
            return any_content(wavelengths, values, fields, lines);
        *at++ = '\r';
        *at++ = '\n';
    }
    out.truncate(at - out.constData());
    return out;
}
