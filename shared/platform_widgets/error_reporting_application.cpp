#include "shared/platform_widgets/error_reporting_application.h"

#include "shared/platform/operator_interface.h"

#include <QDebug>
#include <QThread>

#include <exception>

namespace platform {

namespace {

// Touched only in the window thread. The report box runs its own event loop, so an
// event handler that keeps failing would otherwise stack boxes without end.
bool report_on_screen = false;

bool in_window_thread() {
    const auto* app = QCoreApplication::instance();
    return app == nullptr || QThread::currentThread() == app->thread();
}

void show_report(const QString& text) {
    if (report_on_screen || !in_window_thread()) {
        qWarning().noquote() << "Error while handling an event:" << text;
        return;
    }
    report_on_screen = true;
    try {
        operator_ui().show_message(text);
    } catch (...) {
        qWarning().noquote() << "Error while handling an event:" << text;
    }
    report_on_screen = false;
}

} // namespace

error_reporting_application::error_reporting_application(int& argc, char** argv)
    : QApplication(argc, argv) {}

bool error_reporting_application::notify(QObject* receiver, QEvent* event) {
    return deliver_reporting_errors([&] { return QApplication::notify(receiver, event); });
}

bool deliver_reporting_errors(const std::function<bool()>& deliver) {
    try {
        return deliver();
    } catch (const std::exception& e) {
        show_report(QString::fromUtf8(e.what()));
    } catch (...) {
        show_report(QStringLiteral("Unknown error."));
    }
    return false;
}

void report_error(const QString& text) {
    show_report(text);
}

} // namespace platform
