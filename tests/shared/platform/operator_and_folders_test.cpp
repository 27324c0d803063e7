#include "shared/platform/folders.h"
#include "shared/platform/operator_interface.h"
#include "shared/platform/paths.h"
#include "tests/support/scratch_fixture.h"

#include <QCoreApplication>
#include <QDir>

namespace {

class operator_and_folders : public scratch_fixture {};

TEST_F(operator_and_folders, folders_point_into_the_scratch_directory) {
    EXPECT_EQ(platform::program_folder(), program_folder());
    EXPECT_EQ(platform::program_file_path(),
              platform::join_path(program_folder(), QStringLiteral("test_program.exe")));
    EXPECT_EQ(platform::roaming_app_data_folder(), app_data_folder());
    EXPECT_EQ(platform::temp_folder(), temp_folder());
}

TEST(folders, real_folders_when_not_redirected) {
    platform::reset_folders();
    EXPECT_EQ(platform::program_folder(),
              QDir::toNativeSeparators(QCoreApplication::applicationDirPath()));
    EXPECT_FALSE(platform::roaming_app_data_folder().isEmpty());
    EXPECT_FALSE(platform::ends_with_separator(platform::roaming_app_data_folder()));
    EXPECT_FALSE(platform::temp_folder().isEmpty());
#ifdef Q_OS_WIN
    // The roaming folder (settings follow the operator), not the local one.
    EXPECT_TRUE(platform::roaming_app_data_folder().endsWith(QStringLiteral("\\AppData\\Roaming"),
                                                             Qt::CaseInsensitive))
        << platform::roaming_app_data_folder().toStdString();
    EXPECT_TRUE(QDir(platform::roaming_app_data_folder()).exists());
#endif
}

TEST_F(operator_and_folders, scripted_operator_answers_in_order_and_records_texts) {
    ui().answer_yes_no(true);
    ui().answer_input(QStringLiteral("Latin"));
    ui().cancel_input();
    ui().answer_open_file(QStringLiteral("/x/a.bin"));
    ui().answer_folder(QString());

    auto& op = platform::operator_ui();
    op.show_message(QStringLiteral("hello"));
    EXPECT_TRUE(op.ask_yes_no(QStringLiteral("Caption"), QStringLiteral("Really?")));
    EXPECT_EQ(op.input_box(QStringLiteral("New language"), QStringLiteral("Name:"),
                           QStringLiteral("Esperanto")),
              QStringLiteral("Latin"));
    EXPECT_EQ(op.input_box(QStringLiteral("New language"), QStringLiteral("Name:"),
                           QStringLiteral("Esperanto")),
              QStringLiteral("Esperanto"));
    EXPECT_EQ(op.open_file({QStringLiteral("Load"), QStringLiteral("*.bin"), {}, {}, {}}),
              QStringLiteral("/x/a.bin"));
    EXPECT_EQ(op.browse_for_folder(QStringLiteral("Pick"), QString(), false), QString());
    {
        platform::busy_cursor_scope busy;
        EXPECT_EQ(ui().busy_depth, 1);
    }
    EXPECT_EQ(ui().busy_depth, 0);

    EXPECT_EQ(ui().messages, QStringList{QStringLiteral("hello")});
    EXPECT_EQ(ui().questions.size(), 5);
    EXPECT_EQ(ui().questions.front(), QStringLiteral("Caption|Really?"));
}

TEST(log_operator, answers_cautiously_without_anyone_there) {
    platform::log_operator op;
    EXPECT_FALSE(op.ask_yes_no(QStringLiteral("c"), QStringLiteral("t")));
    EXPECT_EQ(op.input_box(QStringLiteral("c"), QStringLiteral("p"), QStringLiteral("preset")),
              QStringLiteral("preset"));
    EXPECT_EQ(op.open_file({}), QString());
    EXPECT_EQ(op.browse_for_folder(QStringLiteral("c"), QStringLiteral("/"), true), QString());
}

} // namespace
