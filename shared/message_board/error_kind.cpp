#include "shared/message_board/error_kind.h"

#include <QRegularExpression>

namespace board {

namespace {

const QString file_mark = QStringLiteral("<file>");

bool is_file_name(QStringView word) {
    if (word.contains(u'/') || word.contains(u'\\'))
        return true;
    // "name.tmp", "a.xy": an extension of up to 4 letters or digits, at least one of them a
    // letter, so that "3.7" stays a number.
    static const QRegularExpression extension(
        QStringLiteral("^.+\\.(?=[A-Za-z0-9]*[A-Za-z])[A-Za-z0-9]{1,4}$"));
    return extension.match(word).hasMatch();
}

// The word without the brackets and punctuation around it.
QStringView core_of(QStringView word, qsizetype& begin) {
    static const QString leading = QStringLiteral("([{'<");
    static const QString trailing = QStringLiteral(".,;:!?)]}'>");
    begin = 0;
    qsizetype end = word.size();
    while (begin < end && leading.contains(word[begin]))
        ++begin;
    while (end > begin && trailing.contains(word[end - 1]))
        --end;
    return word.sliced(begin, end - begin);
}

} // namespace

QString error_kind_key(const QString& text) {
    static const QRegularExpression quoted(QStringLiteral("\"[^\"]*\""));
    static const QRegularExpression word(QStringLiteral("\\S+"));
    static const QRegularExpression digits(QStringLiteral("[0-9]+"));
    const QString unquoted = QString(text).replace(quoted, file_mark);
    QString key;
    qsizetype done = 0;
    for (auto words = word.globalMatch(unquoted); words.hasNext();) {
        const QRegularExpressionMatch match = words.next();
        const QStringView whole = match.capturedView();
        qsizetype begin = 0;
        const QStringView core = core_of(whole, begin);
        if (core.isEmpty() || core == file_mark || !is_file_name(core))
            continue;
        key += QStringView(unquoted).sliced(done, match.capturedStart() + begin - done);
        key += file_mark;
        done = match.capturedStart() + begin + core.size();
    }
    key += QStringView(unquoted).sliced(done);
    return key.replace(digits, QStringLiteral("#"));
}

} // namespace board
