#include "shared/message_board/password_masking.h"

#include <QRegularExpression>

namespace board {

QString mask_passwords(const QString& text) {
    // A key starts the text or follows a separator, so "OldPassword=" is left alone.
    // Braced values escape "}" as "}}", quoted ones their quote by doubling it; a plain
    // value runs to the next ";".
    static const QRegularExpression secret(
        QStringLiteral(R"((^|[;\s{'"])((?:password|pwd)\s*=\s*))"
                       R"((\{(?:[^}]|\}\})*\}?|'(?:[^']|'')*'?|"(?:[^"]|"")*"?|[^;]*))"),
        QRegularExpression::CaseInsensitiveOption);
    if (!text.contains(QLatin1String("pw"), Qt::CaseInsensitive) &&
        !text.contains(QLatin1String("password"), Qt::CaseInsensitive))
        return text;
    QString masked = text;
    masked.replace(secret, QStringLiteral("\\1\\2****"));
    return masked;
}

} // namespace board
