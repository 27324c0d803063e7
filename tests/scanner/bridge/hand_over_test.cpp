#include "scanner/bridge/hand_over.h"
#include "tests/support/scratch_fixture.h"
#include "tests/support/writer_process.h"

#include <QDir>
#include <QFile>

#include <stdexcept>

namespace {

using own_temp_files = scratch_fixture;

TEST_F(own_temp_files, only_our_free_leftovers_are_removed) {
    const char* const removed[] = {"lsq_1_2_3.tmp", "lsq_999999_0_123456.tmp", "LSQ_12_34_56.TMP"};
    const char* const kept[] = {
        "123_4_5.tmp",           // another program's (or an older version's) temporary
        "lsq_notes.tmp",         //
        "x.tmp",                 //
        "lsq_1_2_3.tmp.bak",     //
        "lsq_1234567_1_1.tmp",   // more digits than a hand-over makes
        "lsq_1_2.tmp",           //
        "my_lsq_1_2_3.tmp",      //
        "L1___T___0___0___0.xy", //
        "sub/lsq_7_8_9.tmp",     // not in a subfolder
    };
    for (const char* name : removed)
        write_file(QStringLiteral("new/") + QString::fromLatin1(name), "0");
    for (const char* name : kept)
        write_file(QStringLiteral("new/") + QString::fromLatin1(name), "0");
    const QString open_file = write_file(QStringLiteral("new/lsq_4_5_6.tmp"), "0");
    writer_process writer(open_file);
    ASSERT_TRUE(writer.ready());

    EXPECT_EQ(remove_own_temp_files(path(QStringLiteral("new"))), 3);
    for (const char* name : removed)
        EXPECT_FALSE(QFile::exists(path(QStringLiteral("new/") + QString::fromLatin1(name))))
            << name;
    for (const char* name : kept)
        EXPECT_TRUE(QFile::exists(path(QStringLiteral("new/") + QString::fromLatin1(name))))
            << name;
    EXPECT_TRUE(QFile::exists(open_file)) << "a file its writer still holds";

    writer.finish();
    EXPECT_EQ(remove_own_temp_files(path(QStringLiteral("new"))), 1);
    EXPECT_EQ(remove_own_temp_files(path(QStringLiteral("missing"))), 0);
}

TEST_F(own_temp_files, a_hand_over_writes_under_our_own_temporary_name) {
    // The failed rename names its temporary file.
    write_file(QStringLiteral("new/blocked.xy/inside"), "kept");
    try {
        hand_over_file(path(QStringLiteral("new/blocked.xy")), "x");
        FAIL() << "a folder under the final name cannot be replaced";
    } catch (const std::runtime_error& error) {
        const QString text = QString::fromStdString(error.what());
        const QString temp = text.section(u' ', 3, 3);
        EXPECT_TRUE(is_own_temp_file_name(QFileInfo(temp).fileName())) << error.what();
    }
}

TEST_F(own_temp_files, hand_overs_report_the_files_they_made_durable) {
    QStringList written;
    const hand_over_durability durability{true, &written};
    write_file(QStringLiteral("new/taken.csv"), "old");
    const QString folder = path(QStringLiteral("new")) + QDir::separator();

    ASSERT_TRUE(hand_over_file(folder + QStringLiteral("a.xy"), "A", durability));
    ASSERT_TRUE(hand_over_new_file(folder, QStringLiteral("b.csv"), "B", durability));
    EXPECT_FALSE(hand_over_new_file(folder, QStringLiteral("taken.csv"), "C", durability));
    EXPECT_FALSE(hand_over_file(path(QStringLiteral("missing/c.xy")), "C", durability));

    EXPECT_EQ(written,
              (QStringList{folder + QStringLiteral("a.xy"), folder + QStringLiteral("b.csv")}));
    EXPECT_EQ(read_file(folder + QStringLiteral("b.csv")), QByteArray("B"));
    EXPECT_EQ(read_file(folder + QStringLiteral("taken.csv")), QByteArray("old"));
    EXPECT_EQ(QDir(folder).entryList(QStringList{QStringLiteral("*.tmp")}, QDir::Files),
              QStringList{});
}

} // namespace
