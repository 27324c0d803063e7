#pragma once

#include <QString>

#include <functional>

#include <memory>

namespace platform {

// A file dialog as the windows ask for it. `filter` uses Qt's syntax
// ("Word lists (*.bin);;All files (*)"); the empty text stands for cancel in the answer.
struct file_dialog_request {
    QString title;
    QString filter;
    QString initial_folder;
    QString file_name;
    QString default_suffix;
};

// Every modal exchange with the operator goes through here, so tests can script
// the answers and the unattended programs never block on a hidden dialog.
class operator_interface {
public:
    virtual ~operator_interface() = default;

    virtual void show_message(const QString& text) = 0;
    // Shows `text` without waiting for the operator: returns at once, and `closed` runs
    // once the operator has dismissed it. Unattended passes report this way, so their
    // work never waits for a click. By default a message that needs no answer.
    virtual void show_notice(const QString& text, std::function<void()> closed);
    virtual bool ask_yes_no(const QString& caption, const QString& text) = 0;
    // Returns `preset` when the operator cancels, as the system's input box does.
    virtual QString input_box(const QString& caption, const QString& prompt,
                              const QString& preset) = 0;
    virtual QString open_file(const file_dialog_request& request) = 0;
    virtual QString save_file(const file_dialog_request& request) = 0;
    // Returns the empty text when the operator cancels.
    virtual QString browse_for_folder(const QString& caption, const QString& initial_folder,
                                      bool allow_new_folder) = 0;
    virtual void set_busy_cursor() = 0;
    virtual void set_arrow_cursor() = 0;
};

// Used until a window program installs its dialogs: messages go to the log,
// questions get the cautious answer (no, cancel), so nothing ever waits for a person.
// Unattended tools derive from it and change only what they answer or report differently.
class log_operator : public operator_interface {
public:
    void show_message(const QString& text) override;
    bool ask_yes_no(const QString& caption, const QString& text) override;
    QString input_box(const QString& caption, const QString& prompt,
                      const QString& preset) override;
    QString open_file(const file_dialog_request& request) override;
    QString save_file(const file_dialog_request& request) override;
    QString browse_for_folder(const QString& caption, const QString& initial_folder,
                              bool allow_new_folder) override;
    void set_busy_cursor() override {}
    void set_arrow_cursor() override {}
};

// The operator in charge; never null.
operator_interface& operator_ui();

// Installs `replacement` and returns the previous one (nullptr stands for the log operator).
std::unique_ptr<operator_interface>
install_operator(std::unique_ptr<operator_interface> replacement);

// Shows the busy cursor for the lifetime of the object, the arrow cursor afterwards,
// however the scope is left.
class busy_cursor_scope {
public:
    busy_cursor_scope() { operator_ui().set_busy_cursor(); }
    ~busy_cursor_scope() { operator_ui().set_arrow_cursor(); }
    busy_cursor_scope(const busy_cursor_scope&) = delete;
    busy_cursor_scope& operator=(const busy_cursor_scope&) = delete;
};

} // namespace platform
