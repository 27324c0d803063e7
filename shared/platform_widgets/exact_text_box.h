#pragma once

#include <QString>
#include <QStringList>

class QPlainTextEdit;

// A text box changes what it shows: a no-break space reads back as a space, CR LF, a lone
// CR and U+2028 as LF. A text or a list of lines put in with these routines reads back
// exactly as it was put in for as long as the operator has not changed the box's text;
// after an edit, the box's text counts.

void set_exact_text(QPlainTextEdit* box, const QString& text);
QString exact_text(const QPlainTextEdit* box);

// One line per text line. Lines read back exactly, empty ones too, also a last empty line
// and a single empty line, which the box alone cannot tell from no line at all. After an
// edit the box's lines count, a final line break adding no line.
void set_exact_lines(QPlainTextEdit* box, const QStringList& lines);
QStringList exact_lines(const QPlainTextEdit* box);
