#pragma once

#include "scanner/record_widgets/record_source_parts.h"

#include <QWidget>

class QHBoxLayout;

// A record source window without the browsing extras of the Q/P window; the base of the
// sheet-resistance window. The creator calls FormCreate() right after construction.
// Closing the window only hides it.
class TThinProcess_sql_access_form : public QWidget, public record_source_parts {
    Q_OBJECT
public:
    explicit TThinProcess_sql_access_form(QWidget* parent = nullptr);
    ~TThinProcess_sql_access_form() override;

    void show_last_sql_command();

protected:
    // For derived windows: the row of the browsing buttons.
    QHBoxLayout* command_buttons = nullptr;
};
