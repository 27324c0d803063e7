#pragma once

#include <QApplication>

namespace platform {

// The application object of both programs: an error that escapes an event handler is
// shown to the operator instead of ending the program, and the event loop goes on.
class error_reporting_application final : public QApplication {
public:
    error_reporting_application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

} // namespace platform
