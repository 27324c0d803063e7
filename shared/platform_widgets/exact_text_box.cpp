#include "shared/platform_widgets/exact_text_box.h"

#include <QPlainTextEdit>
#include <QVariant>

namespace {

// What was put in, and what the box made of it.
constexpr char original_property[] = "exact_text_original";
constexpr char shown_property[] = "exact_text_shown";

void remember(QPlainTextEdit* box, const QVariant& original, const QString& shown) {
    box->setPlainText(shown);
    box->setProperty(original_property, original);
    box->setProperty(shown_property, box->toPlainText());
}

// The value put in, or an invalid QVariant when the box has been edited since.
QVariant unedited(const QPlainTextEdit* box) {
    const QVariant shown = box->property(shown_property);
    if (!shown.isValid() || shown.toString() != box->toPlainText())
        return {};
    return box->property(original_property);
}

} // namespace

void set_exact_text(QPlainTextEdit* box, const QString& text) {
    remember(box, text, text);
}

QString exact_text(const QPlainTextEdit* box) {
    const QVariant original = unedited(box);
    return original.isValid() ? original.toString() : box->toPlainText();
}

void set_exact_lines(QPlainTextEdit* box, const QStringList& lines) {
    remember(box, lines, lines.join(u'\n'));
}

QStringList exact_lines(const QPlainTextEdit* box) {
    const QVariant original = unedited(box);
    if (original.isValid())
        return original.toStringList();
    const QString text = box->toPlainText();
    if (text.isEmpty())
        return {};
    QStringList lines = text.split(u'\n');
    if (lines.last().isEmpty())
        lines.removeLast();
    return lines;
}
