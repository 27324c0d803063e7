#include "shared/platform/operator_interface.h"

#include <QDebug>

namespace platform {

void operator_interface::show_notice(const QString& text, std::function<void()> closed) {
    show_message(text);
    if (closed)
        closed();
}

namespace {

log_operator& fallback() {
    static log_operator instance;
    return instance;
}

std::unique_ptr<operator_interface>& installed() {
    static std::unique_ptr<operator_interface> instance;
    return instance;
}

} // namespace

void log_operator::show_message(const QString& text) {
    qWarning().noquote() << text;
}

bool log_operator::ask_yes_no(const QString& caption, const QString& text) {
    qWarning().noquote() << caption << ":" << text << "-> No";
    return false;
}

QString log_operator::input_box(const QString& caption, const QString& prompt,
                                const QString& preset) {
    qWarning().noquote() << caption << ":" << prompt << "->" << preset;
    return preset;
}

QString log_operator::open_file(const file_dialog_request&) {
    return {};
}

QString log_operator::save_file(const file_dialog_request&) {
    return {};
}

QString log_operator::browse_for_folder(const QString&, const QString&, bool) {
    return {};
}

operator_interface& operator_ui() {
    auto& current = installed();
    if (current)
        return *current;
    return fallback();
}

std::unique_ptr<operator_interface>
install_operator(std::unique_ptr<operator_interface> replacement) {
    auto previous = std::move(installed());
    installed() = std::move(replacement);
    return previous;
}

} // namespace platform
