#include "shared/message_board/message_board.h"

#include "shared/basics/number_text.h"
#include "shared/basics/program_folders.h"
#include "shared/message_board/password_masking.h"

#include <QRegularExpression>

#include <algorithm>

namespace board {

namespace {

constexpr int log_days_kept = 30;

QStringList board_lines(const QString& text) {
    static const QRegularExpression line_break(QStringLiteral("\r\n|\n\r|\r|\n"));
    return mask_passwords(text).split(line_break);
}

} // namespace

QString home_log_folder() {
    return home_file_name(QStringLiteral("logs"));
}

message_board::message_board(const QString& log_folder, clock now)
    : now_(now ? std::move(now) : clock(&QDateTime::currentDateTime)) {
    if (!log_folder.isEmpty()) {
        log_ = std::make_unique<message_log>(log_folder);
        log_->remove_older_than(now_().date(), log_days_kept);
    }
}

message_board::~message_board() {
    end_repeating();
}

void message_board::set_line_limit(int lines) {
    line_limit_ = lines;
    if (line_limit_ > 0 && line_count() > line_limit_)
        trim(line_limit_);
}

void message_board::post(const QString& text) {
    end_repeating(false);
    const QStringList lines = board_lines(text);
    for (const QString& line : lines)
        log(line);
    append(lines);
}

void message_board::post_error(const QString& text) {
    fold_error(text, mask_passwords(text), false);
}

void message_board::post_error(const QString& text, const QString& fold_key) {
    fold_error(text, fold_key, true);
}

void message_board::fold_error(const QString& text, const QString& fold_key, bool by_kind) {
    const QString masked = mask_passwords(text);
    const QString stamp = date_time_text() + QStringLiteral("  ");
    const auto same_kind = std::find_if(folds_.begin(), folds_.end(),
                                        [&](const fold& f) { return f.key == fold_key; });
    if (same_kind != folds_.end()) {
        const int again = same_kind->repeats++;
        const int line = same_kind->line;
        lines_[line] = stamp + masked +
                       (again == 1 ? QStringLiteral(" (repeated once)")
                                   : QStringLiteral(" (repeated %1 times)").arg(again));
        if (line == line_count() - 1)
            notify(change::kind::replaced_last, {lines_[line]});
        else
            notify(change::kind::replaced_at, {lines_[line]}, 0, line);
        return;
    }
    log(masked);
    QStringList lines = board_lines(masked);
    lines.first().prepend(stamp);
    append(lines);
    // Only a one-line error can be folded into its line; trimming keeps the newest line.
    if (lines.size() == 1 && !lines_.isEmpty())
        folds_.push_back(fold{fold_key, line_count() - 1, masked, 1, by_kind});
}

void message_board::keep_log_open(bool on) {
    if (log_)
        log_->keep_open(on);
}

void message_board::trim(int rows) {
    const int excess = line_count() - std::max(rows, 0);
    if (excess <= 0)
        return;
    lines_.erase(lines_.begin(), lines_.begin() + excess);
    // Lines trimmed away are folded no more; the others move up.
    for (auto f = folds_.begin(); f != folds_.end();) {
        f->line -= excess;
        if (f->line < 0) {
            end_fold(*f);
            f = folds_.erase(f);
        } else {
            ++f;
        }
    }
    notify(change::kind::removed_first, {}, excess);
}

void message_board::clear() {
    end_repeating();
    lines_.clear();
    notify(change::kind::cleared);
}

void message_board::append(const QStringList& lines) {
    lines_.append(lines);
    notify(change::kind::appended, lines);
    if (line_limit_ > 0 && line_count() > line_limit_)
        trim(line_limit_);
}

void message_board::end_fold(const fold& ended) {
    if (ended.repeats <= 1)
        return;
    // Errors of other kinds may have been logged after it.
    if (last_logged_ == ended.logged)
        log(QStringLiteral("(the line before came %1 times)").arg(ended.repeats));
    else
        log(QStringLiteral("(\"%1\" came %2 times)").arg(ended.logged).arg(ended.repeats));
}

void message_board::end_repeating(bool also_by_kind) {
    std::vector<fold> kept;
    for (const fold& f : folds_) {
        if (f.by_kind && !also_by_kind)
            kept.push_back(f);
        else
            end_fold(f);
    }
    folds_ = std::move(kept);
}

void message_board::log(const QString& line) {
    if (!log_)
        return;
    QString error;
    last_logged_ = line;
    if (log_->write(now_(), line, &error)) {
        log_failed_ = false;
        return;
    }
    // Said once per failure, on the board only; the program goes on without its log.
    if (log_failed_)
        return;
    log_failed_ = true;
    const QStringList notice{
        QStringLiteral("Log file %1 cannot be written (%2); messages are not logged.")
            .arg(log_->file_for(now_().date()), error)};
    lines_.append(notice);
    notify(change::kind::appended, notice);
}

void message_board::notify(change::kind what, QStringList lines, int count, int index) {
    if (changed)
        changed(change{what, std::move(lines), count, index});
}

} // namespace board
