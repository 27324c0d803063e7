#include "shared/message_board/error_kind.h"

#include <gtest/gtest.h>

namespace {

TEST(error_kind, texts_apart_from_file_names_and_numbers_are_one_kind) {
    struct kind_case {
        const char* first;
        const char* second;
        bool same;
    };
    const kind_case cases[] = {
        {"Cannot create file \"/a/b/123_4_5.tmp\". No such file or directory",
         "Cannot create file \"/a/b/98_7_654321.tmp\". No such file or directory", true},
        {"Cannot create file \"C:\\new results\\1_2_3.tmp\". Access denied",
         "Cannot create file \"D:\\x\\lsq_4_5_6.tmp\". Access denied", true},
        {"Error renaming file /k/new/lsq_1_2_3.tmp to /k/new/L1___T___0___0___0.xy",
         "Error renaming file /k/new/lsq_9_9_9.tmp to /k/new/L2___T___1___2___0.xy", true},
        {"Cannot write 12_4_5.tmp: disk full.", "Cannot write 3_3_3.tmp: disk full.", true},
        {"Record 1201: Value 'abc' is not an integer.", "Record 99: Value 'abc' is not an integer.",
         true},
        {"Id 4294967296 is beyond the 32-bit range.", "Id 5000000000 is beyond the 32-bit range.",
         true},
        // Different wording is a different kind.
        {"Cannot create file \"/a/b/123_4_5.tmp\". No such file or directory",
         "Cannot write file \"/a/b/123_4_5.tmp\". No space left on device", false},
        {"no such table: Spectra", "no such table: ScalarResults", false},
        {"Value 'abc' is not an integer.", "Value 'abc' is not a number.", false},
        // A number with a fraction stays a number, not a file name.
        {"Value 3.7 is too large.", "Value 12.25 is too large.", true},
        {"Value 3.7 is too large.", "Value x.tmp is too large.", false},
    };
    for (const kind_case& c : cases) {
        SCOPED_TRACE(std::string(c.first) + " | " + c.second);
        const QString first = board::error_kind_key(QString::fromUtf8(c.first));
        const QString second = board::error_kind_key(QString::fromUtf8(c.second));
        EXPECT_EQ(first == second, c.same) << first.toStdString() << " | " << second.toStdString();
    }
}

TEST(error_kind, the_key_keeps_the_wording_and_marks_what_varies) {
    EXPECT_EQ(board::error_kind_key(
                  QStringLiteral("Cannot create file \"/a/b/123_4_5.tmp\". No such file (2)")),
              QStringLiteral("Cannot create file <file>. No such file (#)"));
    EXPECT_EQ(board::error_kind_key(QStringLiteral("Cannot read (D:\\archive\\a.csv), 3 times.")),
              QStringLiteral("Cannot read (<file>), # times."));
    EXPECT_EQ(board::error_kind_key(QStringLiteral("Done.")), QStringLiteral("Done."));
}

} // namespace
