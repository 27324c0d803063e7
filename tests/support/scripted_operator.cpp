#include "tests/support/scripted_operator.h"

#include <gtest/gtest.h>

scripted_operator::~scripted_operator() {
    for (const answer& left : answers_)
        ADD_FAILURE() << "prepared answer never asked for: " << left.text.toStdString();
}

void scripted_operator::answer_yes_no(bool yes) {
    answers_.push_back({kind::yes_no, {}, yes});
}

void scripted_operator::answer_input(const QString& text) {
    answers_.push_back({kind::input, text, true});
}

void scripted_operator::cancel_input() {
    answers_.push_back({kind::input, {}, false});
}

void scripted_operator::answer_open_file(const QString& path) {
    answers_.push_back({kind::open_file, path});
}

void scripted_operator::answer_save_file(const QString& path) {
    answers_.push_back({kind::save_file, path});
}

void scripted_operator::answer_folder(const QString& path) {
    answers_.push_back({kind::folder, path});
}

bool scripted_operator::take(kind what, const QString& question, answer& result) {
    questions.append(question);
    if (answers_.empty() || answers_.front().what != what) {
        ADD_FAILURE() << "unexpected question: " << question.toStdString();
        return false;
    }
    result = answers_.front();
    answers_.pop_front();
    return true;
}

void scripted_operator::show_message(const QString& text) {
    messages.append(text);
}

void scripted_operator::show_notice(const QString& text, std::function<void()> closed) {
    messages.append(text);
    notices_.push_back(std::move(closed));
}

void scripted_operator::close_notices() {
    auto standing = std::move(notices_);
    notices_.clear();
    for (const auto& closed : standing)
        if (closed)
            closed();
}

bool scripted_operator::ask_yes_no(const QString& caption, const QString& text) {
    answer result;
    return take(kind::yes_no, caption + u'|' + text, result) && result.flag;
}

QString scripted_operator::input_box(const QString& caption, const QString& prompt,
                                     const QString& preset) {
    answer result;
    if (!take(kind::input, caption + u'|' + prompt, result) || !result.flag)
        return preset;
    return result.text;
}

QString scripted_operator::open_file(const platform::file_dialog_request& request) {
    file_dialogs.append(request);
    answer result;
    return take(kind::open_file, request.title, result) ? result.text : QString();
}

QString scripted_operator::save_file(const platform::file_dialog_request& request) {
    file_dialogs.append(request);
    answer result;
    return take(kind::save_file, request.title, result) ? result.text : QString();
}

QString scripted_operator::browse_for_folder(const QString& caption, const QString& initial_folder,
                                             bool allow_new_folder) {
    folder_dialogs.append({caption, initial_folder, allow_new_folder});
    answer result;
    return take(kind::folder, caption, result) ? result.text : QString();
}
