#pragma once

#include "shared/message_board/message_log.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

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
        enum class kind { appended, replaced_last, replaced_at, removed_first, cleared };
        kind what;
        QStringList lines; // appended lines, or the replacing line
        int count = 0;     // removed lines
        int index = 0;     // the replaced line (replaced_at)
    };

    using clock = std::function<QDateTime()>;

    // `log_folder` empty: no log. Daily files older than 30 days are removed here, once.
    explicit message_board(const QString& log_folder, clock now = nullptr);
    ~message_board();

    // At most `lines` are kept; the oldest go first (0: no limit).
    void set_line_limit(int lines);

    // Appends a text; each of its line breaks (CR LF, LF CR, LF or CR) starts a new line.
    void post(const QString& text);
    // An error a pass may meet again at every tick: shown with date and time. When the
    // same text comes again and since its line only errors of other kinds were posted,
    // that line shows the newest text and counts the repeats instead of filling the board
    // (the log notes how often it came). So several sources failing at every pass keep a
    // line each. An ordinary line, or trimming the line away, starts afresh.
    void post_error(const QString& text);
    // The same, with errors of one kind (`fold_key`, e.g. error_kind_key of the text)
    // folded into one line although their texts differ. Such a line keeps counting while
    // it stands on the board, also when ordinary lines came after it: a source that fails
    // at every pass while the others deliver shows one line, not one a pass.
    void post_error(const QString& text, const QString& fold_key);

    // Deletes the first line until at most `rows` remain.
    void trim(int rows);
    void clear();

    // While on, the log's file stays open between lines (see message_log::keep_open).
    void keep_log_open(bool on);

    const QStringList& lines() const { return lines_; }
    int line_count() const { return static_cast<int>(lines_.size()); }

    std::function<void(const change&)> changed;

private:
    std::unique_ptr<message_log> log_;
    clock now_;
    QStringList lines_;
    int line_limit_ = 0;
    // An error line that further errors of its kind replace.
    struct fold {
        QString key;
        int line = 0;    // its index in lines_
        QString logged;  // the text the log holds for it
        int repeats = 1; // how often it came
        bool by_kind = false;
    };
    std::vector<fold> folds_;
    QString last_logged_;
    bool log_failed_ = false;

    void append(const QStringList& lines);
    void end_fold(const fold& ended);
    // Ends the folds (those by kind only when `also_by_kind`).
    void end_repeating(bool also_by_kind = true);
    void fold_error(const QString& text, const QString& fold_key, bool by_kind);
    void log(const QString& line);
    void notify(change::kind what, QStringList lines = {}, int count = 0, int index = 0);
};

} // namespace board
