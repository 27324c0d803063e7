#include "shared/message_board/memo/message_memo.h"

#include <QTextBlock>
#include <QTextCursor>

message_memo::message_memo(const QString& log_folder, QWidget* parent)
    : QPlainTextEdit(parent), board_(log_folder) {
    setReadOnly(true);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    // Every append and trim would otherwise stay on the undo stack for the program's life.
    setUndoRedoEnabled(false);
    board_.changed = [this](const board::message_board::change& change) { follow(change); };
}

message_memo::appends_held::appends_held(message_memo& memo) : memo_(memo) {
    if (memo_.holds_++ == 0)
        memo_.board_.keep_log_open(true);
}

message_memo::appends_held::~appends_held() {
    if (--memo_.holds_ == 0) {
        memo_.board_.keep_log_open(false);
        memo_.show_held_lines();
    }
}

void message_memo::show_held_lines() {
    if (held_.isEmpty())
        return;
    // One block a line, laid out in one go.
    appendPlainText(held_.join(u'\n'));
    held_.clear();
}

void message_memo::follow(const board::message_board::change& change) {
    using kind = board::message_board::change::kind;
    if (change.what == kind::appended && holds_ > 0) {
        held_ += change.lines;
        return;
    }
    // Changes of earlier lines count the lines in the memo: the waiting ones go in first.
    show_held_lines();
    switch (change.what) {
    case kind::appended:
        for (const QString& line : change.lines)
            appendPlainText(line);
        break;
    case kind::replaced_last: {
        QTextCursor cursor(document()->lastBlock());
        cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        cursor.insertText(change.lines.value(0));
        break;
    }
    case kind::replaced_at: {
        QTextCursor cursor(document()->findBlockByNumber(change.index));
        cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        cursor.insertText(change.lines.value(0));
        break;
    }
    case kind::removed_first: {
        if (change.count >= document()->blockCount()) {
            clear();
            break;
        }
        QTextCursor cursor(document()->firstBlock());
        cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor, change.count);
        cursor.removeSelectedText();
        break;
    }
    case kind::cleared:
        clear();
        break;
    }
}
