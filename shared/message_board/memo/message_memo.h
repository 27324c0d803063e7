#pragma once

#include "shared/message_board/message_board.h"

#include <QPlainTextEdit>

// The memo that shows a message board: read-only, vertical scroll bar, following the
// board's changes line by line.
class message_memo : public QPlainTextEdit {
    Q_OBJECT
public:
    // `log_folder` as for the board; empty: no log.
    explicit message_memo(const QString& log_folder, QWidget* parent = nullptr);

    board::message_board& board() { return board_; }

private:
    board::message_board board_;
    void follow(const board::message_board::change& change);
};
