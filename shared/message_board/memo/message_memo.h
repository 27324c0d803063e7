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

    // While one is held (a pass runs), appended lines wait and go into the memo together when
    // the last is released or the lines are shown, and the board's log stays open: a
    // catch-up posts a line every 20 records, and laying each out on its own costs more than
    // writing the files.
    class appends_held {
    public:
        explicit appends_held(message_memo& memo);
        ~appends_held();
        appends_held(const appends_held&) = delete;
        appends_held& operator=(const appends_held&) = delete;

    private:
        message_memo& memo_;
    };
    // Puts the waiting lines into the memo now.
    void show_held_lines();

private:
    board::message_board board_;
    int holds_ = 0;
    QStringList held_;
    void follow(const board::message_board::change& change);
};
