#include "shared/platform_widgets/qt_operator.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QRegularExpression>
#include <QToolButton>

namespace platform {

namespace {

// Dialogs belong to the window the operator works in, as the system's dialogs do; with no
// window active they stand on their own.
QWidget* owner() {
    return QApplication::activeWindow();
}

// The system's texts break lines with CR LF or LF CR; either pair is one line break on
// screen. Texts are shown as they are, never read as markup.
QString display_text(const QString& text) {
    static const QRegularExpression line_break(QStringLiteral("\n\r|\r\n|\r"));
    return QString(text).replace(line_break, QStringLiteral("\n"));
}

QString first_selected(const QFileDialog& dialog) {
    const QStringList chosen = dialog.selectedFiles();
    return chosen.isEmpty() ? QString() : QDir::toNativeSeparators(chosen.first());
}

// The Qt dialog looks and behaves the same on every platform, which the tests rely on.
QString run_file_dialog(const file_dialog_request& request, QFileDialog::AcceptMode mode) {
    QFileDialog dialog(owner(), request.title, request.initial_folder, request.filter);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile
                                                       : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(request.default_suffix);
    if (!request.file_name.isEmpty())
        dialog.selectFile(request.file_name);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return first_selected(dialog);
}

} // namespace

void qt_operator::show_message(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QGuiApplication::applicationDisplayName(),
                    display_text(text), QMessageBox::Ok, owner());
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void qt_operator::show_notice(const QString& text, std::function<void()> closed) {
    // Not modal: the scan timer and the operator's buttons go on while it stands.
    auto* box = new QMessageBox(QMessageBox::Warning, QGuiApplication::applicationDisplayName(),
                                display_text(text), QMessageBox::Ok, owner());
    box->setTextFormat(Qt::PlainText);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->setWindowModality(Qt::NonModal);
    QObject::connect(box, &QObject::destroyed, [closed = std::move(closed)] {
        if (closed)
            closed();
    });
    box->show();
}

bool qt_operator::ask_yes_no(const QString& caption, const QString& text) {
    QMessageBox box(QMessageBox::Question, caption, display_text(text),
                    QMessageBox::Yes | QMessageBox::No, owner());
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

QString qt_operator::input_box(const QString& caption, const QString& prompt,
                               const QString& preset) {
    QInputDialog dialog(owner());
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setWindowTitle(caption);
    dialog.setLabelText(display_text(prompt));
    dialog.setTextValue(preset);
    if (dialog.exec() != QDialog::Accepted)
        return preset;
    return dialog.textValue();
}

QString qt_operator::open_file(const file_dialog_request& request) {
    return run_file_dialog(request, QFileDialog::AcceptOpen);
}

QString qt_operator::save_file(const file_dialog_request& request) {
    return run_file_dialog(request, QFileDialog::AcceptSave);
}

QString qt_operator::browse_for_folder(const QString& caption, const QString& initial_folder,
                                       bool allow_new_folder) {
    QFileDialog dialog(owner(), caption);
    QFileDialog::Options options = QFileDialog::DontUseNativeDialog | QFileDialog::ShowDirsOnly;
    // A read-only dialog also drops "New Folder" (and rename, delete) from the context menu.
    if (!allow_new_folder)
        options |= QFileDialog::ReadOnly;
    dialog.setOptions(options);
    dialog.setFileMode(QFileDialog::Directory);
    // Opening in the initial folder makes it the answer when the operator just confirms.
    if (!initial_folder.isEmpty())
        dialog.setDirectory(initial_folder);
    if (auto* new_folder = dialog.findChild<QToolButton*>(QStringLiteral("newFolderButton")))
        new_folder->setVisible(allow_new_folder);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return first_selected(dialog);
}

// The system's cursor is one global setting, not a stack: busy twice, then arrow once,
// shows the arrow.
void qt_operator::set_busy_cursor() {
    if (QGuiApplication::overrideCursor())
        QGuiApplication::changeOverrideCursor(Qt::WaitCursor);
    else
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

void qt_operator::set_arrow_cursor() {
    while (QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();
}

} // namespace platform
