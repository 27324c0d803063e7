#pragma once

#include <QDateTime>
#include <QString>

namespace board {
class message_board;
}

// Whether one step of the pass (a database, the csv folder, the index files) gets through.
// Its errors go to the board with date and time, folded with earlier ones of the same
// kind (the same text apart from file names and numbers); a new kind may be shown once
// in a box; the first pass that gets through again says so.
class step_health {
public:
    explicit step_health(QString step) : step_(std::move(step)) {}

    // Posts the error; true when it is of another kind than the step's last error.
    bool failed(board::message_board& board, const QString& text, const QDateTime& now);
    // "<step> working again." after a failure.
    void succeeded(board::message_board& board, const QDateTime& now);

    const QString& step() const { return step_; }
    bool failing() const { return !kind_.isEmpty(); }
    const QString& last_error() const { return text_; }
    const QDateTime& failing_since() const { return since_; }

private:
    QString step_;
    QString kind_; // of the error the step is failing with; empty when it gets through
    QString text_;
    QDateTime since_;
    // The kind last shown in a box, and since when the step has got through again: an
    // error that comes and goes shows no new box unless the step had run well for a while.
    QString boxed_kind_;
    QDateTime working_since_;
};
