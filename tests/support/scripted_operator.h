#pragma once

#include "shared/platform/operator_interface.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <vector>

// The operator of the tests: records every text shown and answers questions from a
// prepared list. A question without a prepared answer of its kind fails the test, and so
// does an answer left unused when the operator is destroyed.
class scripted_operator final : public platform::operator_interface {
public:
    ~scripted_operator() override;

    // Prepared answers, consumed in order.
    void answer_yes_no(bool yes);
    void answer_input(const QString& text);     // the text the operator types
    void cancel_input();                        // the input box then returns its preset
    void answer_open_file(const QString& path); // empty text: cancel
    void answer_save_file(const QString& path); // empty text: cancel
    void answer_folder(const QString& path);    // empty text: cancel

    // Everything shown so far: messages, and the caption and text of every question.
    QStringList messages;
    QStringList questions;
    QList<platform::file_dialog_request> file_dialogs;
    struct folder_dialog {
        QString caption;
        QString initial_folder;
        bool allow_new_folder = false;
    };
    QList<folder_dialog> folder_dialogs;
    int busy_depth = 0;

    void show_message(const QString& text) override;
    // Recorded in `messages` and left standing until close_notices(), as an operator who
    // is away leaves a box open.
    void show_notice(const QString& text, std::function<void()> closed) override;
    int open_notices() const { return static_cast<int>(notices_.size()); }
    // The operator clicks OK on every notice standing.
    void close_notices();
    bool ask_yes_no(const QString& caption, const QString& text) override;
    QString input_box(const QString& caption, const QString& prompt,
                      const QString& preset) override;
    QString open_file(const platform::file_dialog_request& request) override;
    QString save_file(const platform::file_dialog_request& request) override;
    QString browse_for_folder(const QString& caption, const QString& initial_folder,
                              bool allow_new_folder) override;
    void set_busy_cursor() override { ++busy_depth; }
    void set_arrow_cursor() override { busy_depth = 0; }

private:
    enum class kind { yes_no, input, open_file, save_file, folder };
    struct answer {
        kind what;
        QString text;
        bool flag = false;
    };
    std::deque<answer> answers_;
    std::vector<std::function<void()>> notices_;
    bool take(kind what, const QString& question, answer& result);
};
