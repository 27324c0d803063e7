#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>

// A child process that holds a file open for appending until finish() (or destruction);
// then it appends `last_line` (if any) and closes the file.
class writer_process {
public:
    explicit writer_process(const QString& file, const QString& last_line = {});
    ~writer_process();
    writer_process(const writer_process&) = delete;
    writer_process& operator=(const writer_process&) = delete;

    // True once the child has the file open.
    bool ready() const { return ready_; }
    void finish();

private:
    QProcess process_;
    bool ready_ = false;
};
