#include "shared/message_board/message_board.h"

#include "shared/basics/number_text.h"
#include "shared/basics/program_folders.h"
#include "shared/message_board/password_masking.h"

#include <QRegularExpression>

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
    end_repeating();
    const QStringList lines = board_lines(text);
    for (const QString& line : lines)
        log(line);
    append(lines);
}

void message_board::post_error(const QString& text) {
    const QString masked = mask_passwords(text);
    const QString stamp = date_time_text() + QStringLiteral("  ");
    if (!repeating_.isEmpty() && masked == repeating_ && !lines_.isEmpty()) {
        ++repeats_;
        const int again = repeats_ - 1;
        lines_.last() = stamp + masked +
                        (again == 1 ? QStringLiteral(" (repeated once)")
                                    : QStringLiteral(" (repeated %1 times)").arg(again));
        notify(change::kind::replaced_last, {lines_.last()});
        return;
    }
    end_repeating();
    log(masked);
    QStringList lines = board_lines(masked);
    lines.first().prepend(stamp);
    append(lines);
    // Only a one-line error can be folded into its line.
    if (lines.size() == 1) {
        repeating_ = masked;
        repeats_ = 1;
    }
}

void message_board::trim(int rows) {
    const int excess = line_count() - std::max(rows, 0);
    if (excess <= 0)
        return;
    lines_.erase(lines_.begin(), lines_.begin() + excess);
    if (lines_.isEmpty())
        end_repeating();
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

void message_board::end_repeating() {
    if (repeats_ > 1)
        log(QStringLiteral("(the line before came %1 times)").arg(repeats_));
    repeating_.clear();
    repeats_ = 0;
}

void message_board::log(const QString& line) {
    if (!log_)
        return;
    QString error;
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

void message_board::notify(change::kind what, QStringList lines, int count) {
    if (changed)
        changed(change{what, std::move(lines), count});
}

} // namespace board
