#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

#include <memory>

class QFile;

namespace board {

// The persistent history of a message board: every line with its date and time in a
// daily file <folder>/<yyyy-MM-dd>.log (UTF-8), so it survives trimming and restarts.
class message_log {
public:
    explicit message_log(QString folder);
    ~message_log();

    // Appends one line; false (with the reason in `error`) when the file cannot be written.
    bool write(const QDateTime& when, const QString& line, QString* error = nullptr);
    // Removes the daily files dated more than `days` days before `today`.
    void remove_older_than(const QDate& today, int days);

    QString file_for(const QDate& day) const;
    const QString& folder() const { return folder_; }

    // While on (a pass runs), the day's file stays open between lines, which are still
    // written through at once: a catch-up logs a line every few records. Off closes it.
    void keep_open(bool on);

private:
    QString folder_;
    bool keep_open_ = false;
    std::unique_ptr<QFile> open_;
    QDate open_day_;
};

} // namespace board
