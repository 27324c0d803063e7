#pragma once

#include "shared/message_board/message_log.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace board {

// The folder of the daily logs: logs in the program's home folder.
QString home_log_folder();

// The operator's message board of a main window, without its widget: lines appended at
// the end, trimmed from the top, repeated error lines folded into one, passwords masked,
// and every line also written to the daily log.
class message_board {
public:
    // What changed, so a view can follow without redrawing every line.
    struct change {
        enum class kind { appended, replaced_last, removed_first, cleared };
        kind what;
        QStringList lines; // appended lines, or the new last line
        int count = 0;     // removed lines
    };

    using clock = std::function<QDateTime()>;

    // `log_folder` empty: no log. Daily files older than 30 days are removed here, once.
    explicit message_board(const QString& log_folder, clock now = nullptr);
    ~message_board();

    // At most `lines` are kept; the oldest go first (0: no limit).
    void set_line_limit(int lines);

    // Appends a text; each of its line breaks (CR LF, LF CR, LF or CR) starts a new line.
    void post(const QString& text);
    // An error a pass may meet again at every tick: shown with date and time; while the
    // same text comes again and its line is still the last one, that line counts the
    // repeats instead of filling the board (the log notes how often it came).
    void post_error(const QString& text);

    // Deletes the first line until at most `rows` remain.
    void trim(int rows);
    void clear();

    const QStringList& lines() const { return lines_; }
    int line_count() const { return static_cast<int>(lines_.size()); }

    std::function<void(const change&)> changed;

private:
    std::unique_ptr<message_log> log_;
    clock now_;
    QStringList lines_;
    int line_limit_ = 0;
    QString repeating_; // the error text the last line shows, empty if none
    int repeats_ = 0;   // how often it came
    bool log_failed_ = false;

    void append(const QStringList& lines);
    void end_repeating();
    void log(const QString& line);
    void notify(change::kind what, QStringList lines = {}, int count = 0);
};

} // namespace board
