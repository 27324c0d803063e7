#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

namespace board {

// The persistent history of a message board: every line with its date and time in a
// daily file <folder>/<yyyy-MM-dd>.log (UTF-8), so it survives trimming and restarts.
class message_log {
public:
    explicit message_log(QString folder);

    // Appends one line; false (with the reason in `error`) when the file cannot be written.
    bool write(const QDateTime& when, const QString& line, QString* error = nullptr);
    // Removes the daily files dated more than `days` days before `today`.
    void remove_older_than(const QDate& today, int days);

    QString file_for(const QDate& day) const;
    const QString& folder() const { return folder_; }

private:
    QString folder_;
};

} // namespace board
