#include "shared/platform_widgets/qt_operator.h"

#include "tests/support/scratch_fixture.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <deque>
#include <functional>

namespace {

// Plays the operator on the real modal dialogs: each step waits for the next dialog of
// its kind to come up and acts on it. Steps run from a separate zero-delay timer, because
// the act may open a nested dialog, and a timer does not fire while its own slot runs.
class dialog_driver {
public:
    dialog_driver() {
        QObject::connect(&poll_, &QTimer::timeout, [this] { poll(); });
        poll_.start(10);
    }
    ~dialog_driver() { EXPECT_TRUE(steps_.empty()) << steps_.size() << " dialog(s) never came up"; }
    dialog_driver(const dialog_driver&) = delete;
    dialog_driver& operator=(const dialog_driver&) = delete;

    template <class Dialog> void then(std::function<void(Dialog&)> act) {
        steps_.push_back({[](QWidget& widget) { return qobject_cast<Dialog*>(&widget) != nullptr; },
                          [act](QWidget& widget) { act(*qobject_cast<Dialog*>(&widget)); }});
    }

private:
    void poll() {
        QWidget* modal = QApplication::activeModalWidget();
        if (steps_.empty() || busy_ || modal == nullptr || !modal->isVisible() ||
            modal == last_acted_on_)
            return;
        if (++waited_ > 500) {
            ADD_FAILURE() << "unexpected dialog " << modal->metaObject()->className();
            modal->close();
            waited_ = 0;
            return;
        }
        busy_ = true;
        QTimer::singleShot(0, modal, [this, modal] {
            busy_ = false;
            if (!steps_.front().matches(*modal))
                return;
            // Taken before acting: the act may not return until a nested dialog is done.
            const step current = std::move(steps_.front());
            steps_.pop_front();
            waited_ = 0;
            last_acted_on_ = modal;
            current.act(*modal);
        });
    }

    struct step {
        std::function<bool(QWidget&)> matches;
        std::function<void(QWidget&)> act;
    };
    QTimer poll_;
    std::deque<step> steps_;
    QPointer<QWidget> last_acted_on_;
    bool busy_ = false;
    int waited_ = 0;
};

QString folder_of(const QFileDialog& dialog) {
    return QDir::toNativeSeparators(dialog.directory().absolutePath());
}

// QFileDialog hides accept(); through QDialog it still runs the file dialog's checks.
void confirm(QFileDialog& dialog) {
    static_cast<QDialog&>(dialog).accept();
}

QLineEdit& file_name_edit(QFileDialog& dialog) {
    auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    EXPECT_NE(edit, nullptr);
    return *edit;
}

class qt_operator_test : public scratch_fixture {
protected:
    platform::qt_operator op;
    dialog_driver operator_;
};

TEST_F(qt_operator_test, message_box_shows_text_under_program_title_over_active_window) {
    QWidget window;
    window.show();
    QApplication::setActiveWindow(&window);
    QString text, title;
    QWidget* parent = nullptr;
    operator_.then<QMessageBox>([&](QMessageBox& box) {
        text = box.text();
        title = box.windowTitle();
        parent = box.parentWidget();
        box.button(QMessageBox::Ok)->click();
    });
    op.show_message(QStringLiteral("Scan finished."));
    EXPECT_EQ(text, QStringLiteral("Scan finished."));
    EXPECT_EQ(title, QGuiApplication::applicationDisplayName());
    EXPECT_EQ(parent, &window);
}

TEST_F(qt_operator_test, line_breaks_of_either_order_show_as_one_and_markup_stays_text) {
    QString text;
    Qt::TextFormat format = Qt::AutoText;
    operator_.then<QMessageBox>([&](QMessageBox& box) {
        text = box.text();
        format = box.textFormat();
        box.button(QMessageBox::Yes)->click();
    });
    op.ask_yes_no(QStringLiteral("Cleaning ..."),
                  QStringLiteral("<b>Folders?</b>\n\r\n\r\n\rC:\\a\r\nC:\\b"));
    EXPECT_EQ(text, QStringLiteral("<b>Folders?</b>\n\n\nC:\\a\nC:\\b"));
    EXPECT_EQ(format, Qt::PlainText);
}

TEST_F(qt_operator_test, yes_no_question_answers_by_button_and_escape_means_no) {
    struct case_ {
        const char* name;
        std::function<void(QMessageBox&)> act;
        bool expected;
    };
    const std::vector<case_> cases = {
        {"yes", [](QMessageBox& box) { box.button(QMessageBox::Yes)->click(); }, true},
        {"no", [](QMessageBox& box) { box.button(QMessageBox::No)->click(); }, false},
        {"escape", [](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Escape); }, false},
        {"closed", [](QMessageBox& box) { box.close(); }, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QString caption, text;
        operator_.then<QMessageBox>([&](QMessageBox& box) {
            caption = box.windowTitle();
            text = box.text();
            c.act(box);
        });
        EXPECT_EQ(op.ask_yes_no(QStringLiteral("Delete"), QStringLiteral("Delete the day?")),
                  c.expected);
        EXPECT_EQ(caption, QStringLiteral("Delete"));
        EXPECT_EQ(text, QStringLiteral("Delete the day?"));
    }
}

TEST_F(qt_operator_test, input_box_returns_typed_text_or_preset_on_cancel) {
    QString shown_preset, label, caption;
    operator_.then<QInputDialog>([&](QInputDialog& dialog) {
        caption = dialog.windowTitle();
        label = dialog.labelText();
        auto* edit = dialog.findChild<QLineEdit*>();
        ASSERT_NE(edit, nullptr);
        shown_preset = edit->text();
        edit->clear();
        QTest::keyClicks(edit, QStringLiteral("B 17"));
        dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    EXPECT_EQ(
        op.input_box(QStringLiteral("Product"), QStringLiteral("Name:"), QStringLiteral("A 12")),
        QStringLiteral("B 17"));
    EXPECT_EQ(shown_preset, QStringLiteral("A 12"));
    EXPECT_EQ(caption, QStringLiteral("Product"));
    EXPECT_EQ(label, QStringLiteral("Name:"));

    operator_.then<QInputDialog>([](QInputDialog& dialog) {
        dialog.findChild<QLineEdit*>()->setText(QStringLiteral("typed, then cancelled"));
        dialog.reject();
    });
    EXPECT_EQ(
        op.input_box(QStringLiteral("Product"), QStringLiteral("Name:"), QStringLiteral("A 12")),
        QStringLiteral("A 12"));
}

TEST_F(qt_operator_test, folder_browser_opens_in_initial_folder_and_offers_new_folder_on_request) {
    const QString archive = path(QStringLiteral("archive"));
    QDir().mkpath(archive);
    for (const bool allow_new_folder : {false, true}) {
        SCOPED_TRACE(allow_new_folder ? "new folder allowed" : "no new folder");
        QString title, folder;
        bool button_visible = !allow_new_folder;
        bool read_only = allow_new_folder;
        operator_.then<QFileDialog>([&](QFileDialog& dialog) {
            title = dialog.windowTitle();
            folder = folder_of(dialog);
            auto* button = dialog.findChild<QToolButton*>(QStringLiteral("newFolderButton"));
            ASSERT_NE(button, nullptr);
            button_visible = button->isVisible();
            read_only = dialog.testOption(QFileDialog::ReadOnly);
            confirm(dialog);
        });
        // Confirming at once chooses the preselected folder.
        EXPECT_EQ(
            op.browse_for_folder(QStringLiteral("Select day folder"), archive, allow_new_folder),
            archive);
        EXPECT_EQ(title, QStringLiteral("Select day folder"));
        EXPECT_EQ(folder, archive);
        EXPECT_EQ(button_visible, allow_new_folder);
        EXPECT_EQ(read_only, !allow_new_folder);
    }
}

TEST_F(qt_operator_test, folder_browser_returns_chosen_folder_natively_or_empty_on_cancel) {
    const QString archive = path(QStringLiteral("archive"));
    QDir().mkpath(archive + QStringLiteral("/2024_03_01"));
    operator_.then<QFileDialog>([](QFileDialog& dialog) {
        file_name_edit(dialog).setText(QStringLiteral("2024_03_01"));
        confirm(dialog);
    });
    EXPECT_EQ(op.browse_for_folder(QStringLiteral("Select day folder"), archive, false),
              path(QStringLiteral("archive/2024_03_01")));

    operator_.then<QFileDialog>([](QFileDialog& dialog) { dialog.reject(); });
    EXPECT_EQ(op.browse_for_folder(QStringLiteral("Select day folder"), archive, false), QString());
}

TEST_F(qt_operator_test, open_file_dialog_shows_request_and_returns_chosen_file) {
    const QString list = write_file(QStringLiteral("lists/words.bin"));
    const platform::file_dialog_request request{
        QStringLiteral("Load word list"), QStringLiteral("Word lists (*.bin);;All files (*)"),
        path(QStringLiteral("lists")), QStringLiteral("words.bin"), QStringLiteral("bin")};
    QStringList filters;
    QString title, folder;
    operator_.then<QFileDialog>([&](QFileDialog& dialog) {
        filters = dialog.nameFilters();
        title = dialog.windowTitle();
        folder = folder_of(dialog);
        dialog.reject();
    });
    EXPECT_EQ(op.open_file(request), QString());
    EXPECT_EQ(filters,
              QStringList({QStringLiteral("Word lists (*.bin)"), QStringLiteral("All files (*)")}));
    EXPECT_EQ(title, QStringLiteral("Load word list"));
    EXPECT_EQ(folder, path(QStringLiteral("lists")));

    operator_.then<QFileDialog>([](QFileDialog& dialog) { confirm(dialog); });
    EXPECT_EQ(op.open_file(request), list);
}

TEST_F(qt_operator_test, save_file_dialog_adds_default_suffix_and_asks_before_overwriting) {
    const QString existing = write_file(QStringLiteral("lists/old.bin"), "keep");
    const platform::file_dialog_request request{
        QStringLiteral("Save word list"), QStringLiteral("Word lists (*.bin)"),
        path(QStringLiteral("lists")), QString(), QStringLiteral("bin")};

    operator_.then<QFileDialog>([](QFileDialog& dialog) {
        file_name_edit(dialog).setText(QStringLiteral("new"));
        confirm(dialog);
    });
    EXPECT_EQ(op.save_file(request), path(QStringLiteral("lists/new.bin")));

    // Declining the overwrite leaves the operator in the dialog, who then cancels.
    bool asked = false;
    operator_.then<QFileDialog>([](QFileDialog& dialog) {
        file_name_edit(dialog).setText(QStringLiteral("old"));
        confirm(dialog);
    });
    operator_.then<QMessageBox>([&](QMessageBox& box) {
        asked = true;
        box.button(QMessageBox::No)->click();
    });
    operator_.then<QFileDialog>([](QFileDialog& dialog) { dialog.reject(); });
    EXPECT_EQ(op.save_file(request), QString());
    EXPECT_TRUE(asked);

    operator_.then<QFileDialog>([](QFileDialog& dialog) {
        file_name_edit(dialog).setText(QStringLiteral("old.bin"));
        confirm(dialog);
    });
    operator_.then<QMessageBox>([](QMessageBox& box) { box.button(QMessageBox::Yes)->click(); });
    EXPECT_EQ(op.save_file(request), existing);
}

TEST_F(qt_operator_test, arrow_cursor_follows_any_number_of_busy_calls) {
    op.set_busy_cursor();
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    op.set_busy_cursor();
    op.set_busy_cursor();
    op.set_arrow_cursor();
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    // An override left by someone else goes too: busy means busy, arrow means arrow.
    QGuiApplication::setOverrideCursor(Qt::CrossCursor);
    op.set_busy_cursor();
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    op.set_arrow_cursor();
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    op.set_arrow_cursor();
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

} // namespace
