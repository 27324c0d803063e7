#include "scanner/bridge/step_health.h"

#include "shared/message_board/error_kind.h"
#include "shared/message_board/message_board.h"

bool step_health::failed(board::message_board& board, const QString& text, const QDateTime& now) {
    const QString line = step_ + QStringLiteral(": ") + text;
    const QString kind = step_ + u'\n' + board::error_kind_key(text);
    board.post_error(line, kind);
    constexpr qint64 settled_seconds = 600;
    const bool settled = working_since_.isValid() && working_since_.secsTo(now) >= settled_seconds;
    const bool new_kind = kind != boxed_kind_ || (kind_.isEmpty() && settled);
    if (new_kind)
        boxed_kind_ = kind;
    if (kind_.isEmpty())
        since_ = now;
    kind_ = kind;
    text_ = text;
    return new_kind;
}

void step_health::succeeded(board::message_board& board, const QDateTime& now) {
    if (!working_since_.isValid() || !kind_.isEmpty())
        working_since_ = now;
    if (kind_.isEmpty())
        return;
    board.post(step_ + QStringLiteral(" working again."));
    kind_.clear();
    text_.clear();
}
