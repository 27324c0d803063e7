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

} // namespace

QByteArray xy_file_content(const QString& wavelengths, const QString& values, xy_fields fields) {
    // Built straight into bytes: a catch-up writes one of these per record.
    QByteArray out;
    out.reserve(wavelengths.size() + values.size() + 3 * (values.count(u';') + 1));
    field_reader w(wavelengths);
    field_reader v(values);
    const auto field = [fields](QStringView text) {
        return fields == xy_fields::trimmed ? trim_blanks_view(text) : text;
    };
    while (!v.done()) {
        append_8bit(out, field(w.next()));
        out.append('\t');
        append_8bit(out, field(v.next()));
        out.append("\r\n", 2);
    }
    return out;
}
