#pragma once

#include <QDialog>

class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;

// Asks for the load id and production date of a pane to run through again; keeps its
// values between uses.
class Thistoric_pane_selection : public QDialog {
    Q_OBJECT
public:
    explicit Thistoric_pane_selection(QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* LoadID_editor = nullptr;
    QLabel* Label3 = nullptr;
    QDateEdit* DateTimePicker1 = nullptr;
    QPushButton* ok_button = nullptr;
    QPushButton* cancel_button = nullptr;
};
