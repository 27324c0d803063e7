#include "scanner/bridge/archive_reload.h"

#include <gtest/gtest.h>

namespace {

TEST(archive_reload, a_sample_file_gives_the_date_folders_and_the_pane) {
    struct sample_case {
        const char* file;
        const char* year;
        const char* month;
        const char* day;
        const char* pane;
        bool keyed = true; // the name holds "___"
    };
    const sample_case cases[] = {
        {"D:\\kalix\\archive\\ProductA\\2016\\5\\16\\OVIX1\\L0815___T___1240___260___0.xy", "2016",
         "5", "16", "L0815"},
        {"/srv/kalix/archive/P/2024/12/31/T/L9___RG___0___0___0.xy", "2024", "12", "31", "L9"},
        {"/a/b/no_key.xy", "", "", "a", "", false},
        {"/x.xy", "", "", "", "", false},
        {"L1___T.xy", "", "", "", "L1"},
        // Fewer than three folders: a field number below 1 reads as the first field.
        {"D:\\2016\\T\\L1___T.xy", "D:", "D:", "2016", "L1"},
        {"C:\\T\\L1___T.xy", "C:", "C:", "C:", "L1"},
        {"D:\\5\\16\\T\\___T___0.xy", "D:", "5", "16", ""},
    };
    for (const sample_case& c : cases) {
        const archive_sample s = archive_sample_fields(QString::fromUtf8(c.file));
        EXPECT_EQ(s.year, QString::fromUtf8(c.year)) << c.file;
        EXPECT_EQ(s.month, QString::fromUtf8(c.month)) << c.file;
        EXPECT_EQ(s.day, QString::fromUtf8(c.day)) << c.file;
        EXPECT_EQ(s.pane_id, QString::fromUtf8(c.pane)) << c.file;
        EXPECT_EQ(s.has_pane_id, c.keyed) << c.file;
    }
}

TEST(archive_reload, masks_names_and_dummy) {
    EXPECT_EQ(archive_spectrum_masks("L0815"),
              (QStringList{"L0815___RC___*.xy", "L0815___RG___*.xy", "L0815___T___*.xy",
                           "L0815___RG55___*.xy"}));
    EXPECT_EQ(r55_name_for("L0815___RG___1240___260___0.xy"), "L0815___RG55___1240___260___0.xy");
    EXPECT_EQ(dummy_r55_spectrum(), QByteArray("300 0.0\r\n1000 0.0\r\n2500 0.0\r\n"));
}

} // namespace
