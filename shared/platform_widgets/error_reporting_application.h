#pragma once

#include <QApplication>

#include <functional>

namespace platform {

// The application object of both programs: an error that escapes an event handler is
// shown to the operator instead of ending the program, and the event loop goes on.
class error_reporting_application final : public QApplication {
    Q_OBJECT
public:
    error_reporting_application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// What notify does around the delivery of one event: returns the result of `deliver`, or
// false after showing the text of an error that escaped it. An error while a report is
// still on screen (or in a thread without windows) only goes to the log.
bool deliver_reporting_errors(const std::function<bool()>& deliver);

// Reports an error that was caught where it happened the way escaped errors are reported.
void report_error(const QString& text);

} // namespace platform
