#pragma once

#include "shared/platform/operator_interface.h"

namespace platform {

// The operator's real, modal Qt dialogs.
class qt_operator final : public operator_interface {
public:
    void show_message(const QString& text) override;
    void show_notice(const QString& text, std::function<void()> closed) override;
    bool ask_yes_no(const QString& caption, const QString& text) override;
    QString input_box(const QString& caption, const QString& prompt,
                      const QString& preset) override;
    QString open_file(const file_dialog_request& request) override;
    QString save_file(const file_dialog_request& request) override;
    QString browse_for_folder(const QString& caption, const QString& initial_folder,
                              bool allow_new_folder) override;
    void set_busy_cursor() override;
    void set_arrow_cursor() override;
};

} // namespace platform
