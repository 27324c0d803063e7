#include "shared/basics/sprachen.h"

#include "shared/basics/little_endian.h"
#include "shared/basics/string_records.h"
#include "shared/basics/text_fields.h"
#include "shared/platform/paths.h"
#include "test_data_path.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/scratch_fixture.h"

#include <QByteArray>
#include <QDir>
#include <QStringEncoder>

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <utility>
#include <vector>

namespace {

const QString mismatch_message =
    QStringLiteral("Error: Number of languages in file does not match current number in program");

class sprachen_table : public scratch_fixture {
protected:
    sprachen_table() : saved_version_(read_version()) {}
    ~sprachen_table() override { set_read_version(saved_version_); }

private:
    float saved_version_;
};

QByteArray new_record(const QString& text) {
    return int32_bytes(static_cast<qint32>(2 * text.size())) +
           QStringEncoder(QStringEncoder::Utf16LE)(text);
}

// Old-layout record of up to 255 Windows-1252 characters: one 256-byte block.
QByteArray old_record(const QByteArray& chars) {
    QByteArray block(256, '\x55');
    block[0] = static_cast<char>(chars.size());
    block.replace(1, chars.size(), chars);
    return int32_bytes(static_cast<qint32>(chars.size())) + block;
}

QByteArray unicode_header(qint32 columns, qint32 rows) {
    return QByteArray("UNICODE") + single_bytes(file_format_version) + int32_bytes(columns) +
           int32_bytes(rows);
}

sprachen table_of(const std::vector<vokabel>& rows) {
    sprachen table;
    table.meine_liste = rows;
    table.anzahl_vokabeln = static_cast<std::int32_t>(rows.size());
    table.anzahl_sprachen = rows.empty() ? 0 : static_cast<std::int32_t>(rows.front().size());
    return table;
}

void expect_consistent(const sprachen& table) {
    ASSERT_GE(table.anzahl_sprachen, 0);
    ASSERT_EQ(static_cast<std::size_t>(table.anzahl_vokabeln), table.meine_liste.size());
    for (const vokabel& row : table.meine_liste)
        ASSERT_EQ(static_cast<std::size_t>(table.anzahl_sprachen), row.size());
}

const vokabel new_titles = {"Nickname", "English", "Deutsch"};

TEST_F(sprachen_table, new_table_saves_to_75_bytes) {
    const sprachen table;
    EXPECT_EQ(table.meine_liste, vokabel_liste{new_titles});
    EXPECT_TRUE(table.my_title.isEmpty());

    const QString file = path("new.bin");
    ASSERT_TRUE(table.save_to_file(file));
    const QByteArray expected = unicode_header(3, 1) + new_record("Nickname") +
                                new_record("English") + new_record("Deutsch");
    ASSERT_EQ(expected.size(), 75);
    EXPECT_EQ(read_file(file), expected);
    EXPECT_EQ(read_file(file).mid(19, 4), int32_bytes(16));
    EXPECT_EQ(read_file(file), read_file(QStringLiteral(KALIX_TEST_DATA_DIR "/new_table.bin")));
    EXPECT_EQ(ui().busy_depth, 0);
}

TEST_F(sprachen_table, golden_file_of_the_older_kind_reads_back) {
    // Counts at offset 0, then 8-bit block records in Windows-1252.
    sprachen table;
    table.load_from_file(QStringLiteral(KALIX_TEST_DATA_DIR "/old_layout_table.bin"));
    EXPECT_EQ(table.anzahl_sprachen, 3);
    EXPECT_EQ(table.anzahl_vokabeln, 3);
    EXPECT_EQ(table.meine_liste,
              (vokabel_liste{new_titles,
                             {"Transmission", "T", "Transmission"},
                             {"Reflection Film", "Rf", "Reflexion Schicht \u00E4\u20AC"}}));
    EXPECT_EQ(table.translation("Reflection Film", 1, "?"), QStringLiteral("Rf"));
}

TEST_F(sprachen_table, save_and_load_round_trip) {
    sprachen table = table_of({{"Nickname", "English", "Deutsch"},
                               {"T_VIS", "ovix_visible", ""},
                               {"R\u00E9sum\u00E9 \u20AC", "", "Stra\u00DFe"}});
    const QString file = path("round.bin");
    ASSERT_TRUE(table.save_to_file(file));

    sprachen loaded;
    loaded.neue_sprache("Extra");
    loaded.load_from_file(file);
    EXPECT_EQ(loaded.meine_liste, table.meine_liste);
    EXPECT_EQ(loaded.anzahl_sprachen, 3);
    EXPECT_EQ(loaded.anzahl_vokabeln, 3);
    EXPECT_FLOAT_EQ(read_version(), file_format_version);
    EXPECT_EQ(ui().busy_depth, 0);
}

TEST_F(sprachen_table, save_into_missing_folder_fails_and_keeps_nothing) {
    const sprachen table;
    EXPECT_FALSE(table.save_to_file(path("no/such/folder/t.bin")));
    EXPECT_EQ(ui().busy_depth, 0);
    EXPECT_TRUE(ui().messages.isEmpty());
}

TEST_F(sprachen_table, a_save_on_a_full_disk_fails_and_keeps_the_old_file) {
    if (!file_size_limit::supported)
        GTEST_SKIP() << file_size_limit::unsupported_reason;
    const QString file = path("full.bin");
    ASSERT_TRUE(table_of({{"Nickname", "English"}, {"T", "t"}}).save_to_file(file));
    const QByteArray before = read_file(file);

    std::vector<vokabel> rows{{QStringLiteral("Nickname"), QStringLiteral("English")}};
    // More than the limit, less than the file's write buffer: the write fails only when
    // the buffer goes to the disk.
    for (int i = 0; i < 30; ++i)
        rows.push_back({QStringLiteral("word"), QString(100, u'w')});
    const sprachen larger = table_of(rows);
    {
        const file_size_limit full(4096);
        EXPECT_FALSE(larger.save_to_file(file));
    }
    EXPECT_EQ(read_file(file), before);
    EXPECT_EQ(QDir(path(".")).entryList(QDir::Files), QStringList{QStringLiteral("full.bin")});
}

TEST_F(sprachen_table, look_ups) {
    const sprachen table = table_of({{"Nickname", "English", "Deutsch"},
                                     {"T_VIS", "ovix_visible", "sichtbar"},
                                     {"t_vis", "lower", ""},
                                     {"T_EMPTY", "", "leer"},
                                     {"T_VIS", "second", ""}});
    struct index_case {
        const char* word;
        int language;
        int index;
    };
    const std::vector<index_case> index_cases = {
        {"Nickname", 0, 0}, {"T_VIS", 0, 1},    {"t_vis", 0, 2},  {"T_vis", 0, -1},
        {"T_VIS ", 0, -1},  {"sichtbar", 2, 1}, {"T_VIS", 3, -1}, {"T_VIS", -1, -1},
    };
    for (const index_case& c : index_cases) {
        SCOPED_TRACE(c.word);
        EXPECT_EQ(table.get_index(c.word, c.language), c.index);
    }

    struct translation_case {
        const char* key;
        int language;
        const char* result;
    };
    const std::vector<translation_case> translation_cases = {
        {"T_VIS", 1, "ovix_visible"}, {"t_vis", 1, "lower"},      {"T_EMPTY", 1, "default"},
        {"ABSENT", 1, "default"},     {"Nickname", 1, "English"}, {"T_VIS", 5, "default"},
        {"T_VIS", -1, "default"},     {"", 1, "default"},
    };
    for (const translation_case& c : translation_cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(table.translation(c.key, c.language, "default"), c.result);
    }

    EXPECT_EQ(table.wort(4, 1), "second");
    EXPECT_EQ(table.wort(5, 0), QString());
    EXPECT_EQ(table.wort(-1, 0), QString());
    EXPECT_EQ(table.wort(1, 3), QString());
}

TEST_F(sprachen_table, sort_ignores_case_and_keeps_titles_and_equal_keys) {
    sprachen table = table_of({{"Nickname", "English"},
                               {"beta", "1"},
                               {"Alpha", "2"},
                               {"alpha", "3"},
                               {"_x", "4"},
                               {"BETA", "5"}});
    table.sort();
    // "_" (0x5F) sorts after the upper-cased letters.
    EXPECT_EQ(table.meine_liste, (vokabel_liste{{"Nickname", "English"},
                                                {"Alpha", "2"},
                                                {"alpha", "3"},
                                                {"beta", "1"},
                                                {"BETA", "5"},
                                                {"_x", "4"}}));

    sprachen two_rows = table_of({{"zz", "title"}, {"b", "1"}});
    two_rows.sort();
    EXPECT_EQ(two_rows.meine_liste, (vokabel_liste{{"zz", "title"}, {"b", "1"}}));
}

// The order the table was sorted in before: neighbours exchanged until no pair is out of order.
vokabel_liste exchange_sorted(vokabel_liste rows) {
    bool exchanged = true;
    while (exchanged && rows.size() > 2) {
        exchanged = false;
        for (std::size_t i = 2; i < rows.size(); ++i) {
            if (ascii_upper(rows[i].front()) < ascii_upper(rows[i - 1].front())) {
                std::swap(rows[i], rows[i - 1]);
                exchanged = true;
            }
        }
    }
    return rows;
}

// `count` rows below a title row, keys drawn from a few letters so that many are equal; the
// second column numbers the rows in their original order.
vokabel_liste random_rows(std::size_t count, unsigned seed) {
    std::mt19937 generator(seed);
    const QString letters = QStringLiteral("aAbB_z\u00e4");
    std::uniform_int_distribution<qsizetype> letter(0, letters.size() - 1);
    std::uniform_int_distribution<int> length(0, 2);
    vokabel_liste rows{{"Nickname", "Order"}};
    for (std::size_t i = 0; i < count; ++i) {
        QString key;
        for (int n = length(generator); n > 0; --n)
            key += letters[letter(generator)];
        rows.push_back({key, QString::number(i)});
    }
    return rows;
}

TEST_F(sprachen_table, sort_gives_the_order_of_exchanging_neighbours) {
    struct sort_case {
        const char* name;
        vokabel_liste rows;
    };
    const std::vector<sort_case> cases = {
        {"reversed", {{"N", "E"}, {"c", "1"}, {"b", "2"}, {"a", "3"}}},
        {"all equal but case", {{"N", "E"}, {"x", "1"}, {"X", "2"}, {"x", "3"}, {"X", "4"}}},
        {"empty keys first", {{"N", "E"}, {"b", "1"}, {"", "2"}, {"a", "3"}, {"", "4"}}},
        {"prefixes", {{"N", "E"}, {"abc", "1"}, {"ab", "2"}, {"AB", "3"}, {"a", "4"}}},
        {"only ascii letters fold",
         {{"N", "E"}, {"\u00e4", "1"}, {"\u00c4", "2"}, {"z", "3"}, {"Z", "4"}}},
        {"digits and marks", {{"N", "E"}, {"_1", "1"}, {"10", "2"}, {"9", "3"}, {"[", "4"}}},
        {"three rows", {{"N", "E"}, {"b", "1"}, {"a", "2"}}},
        {"random", random_rows(300, 7)},
    };
    for (const sort_case& c : cases) {
        SCOPED_TRACE(c.name);
        sprachen table = table_of(c.rows);
        table.sort();
        expect_consistent(table);
        EXPECT_EQ(table.meine_liste, exchange_sorted(c.rows));
    }
}

TEST_F(sprachen_table, sort_of_ten_thousand_rows_keeps_equal_keys_in_their_order) {
    sprachen table = table_of(random_rows(10000, 11));
    table.sort();
    expect_consistent(table);
    EXPECT_EQ(table.meine_liste.front(), (vokabel{"Nickname", "Order"}));
    for (std::size_t i = 2; i < table.meine_liste.size(); ++i) {
        const vokabel& above = table.meine_liste[i - 1];
        const vokabel& row = table.meine_liste[i];
        const int order = QString::compare(ascii_upper(above[0]), ascii_upper(row[0]));
        ASSERT_LE(order, 0) << "row " << i;
        if (order == 0) {
            ASSERT_LT(above[1].toInt(), row[1].toInt()) << "row " << i;
        }
    }
}

TEST_F(sprachen_table, growing_the_table) {
    sprachen table;
    table.anzahl_vokabeln_plus();
    EXPECT_EQ(table.anzahl_vokabeln, 2);
    table.neue_sprache("Suomi");
    EXPECT_EQ(table.anzahl_sprachen, 4);
    EXPECT_EQ(table.meine_liste[0][3], "Suomi");
    EXPECT_EQ(table.meine_liste[1][3], QString());

    ui().cancel_input();
    table.anzahl_sprachen_plus();
    ui().answer_input("Svenska");
    table.anzahl_sprachen_plus();
    EXPECT_EQ(table.wort(0, 4), "Esperanto");
    EXPECT_EQ(table.wort(0, 5), "Svenska");
    EXPECT_EQ(ui().questions.front(), "New language|Enter name of new language: ");
    expect_consistent(table);
}

TEST_F(sprachen_table, files_too_short_or_missing_leave_the_table) {
    const sprachen original = table_of({{"Nickname", "English"}, {"a", "b"}});
    const std::vector<QByteArray> contents = {
        QByteArray("UNICODE") + single_bytes(file_format_version), // exactly 11 bytes
        QByteArray(), unicode_header(2, 1).left(15),               // the counts are cut short
    };
    for (const QByteArray& content : contents) {
        SCOPED_TRACE(content.size());
        sprachen table = original;
        table.load_from_file(write_file("short.bin", content));
        EXPECT_EQ(table.meine_liste, original.meine_liste);
        EXPECT_EQ(table.anzahl_vokabeln, 2);
        EXPECT_EQ(ui().busy_depth, 0);
    }
    sprachen table = original;
    table.load_from_file(path("absent.bin"));
    EXPECT_EQ(table.meine_liste, original.meine_liste);
}

TEST_F(sprachen_table, file_without_mark_is_read_with_old_records) {
    const QByteArray content = int32_bytes(2) + int32_bytes(2) + old_record("Nickname") +
                               old_record("English") + old_record("caf\xE9") +
                               old_record("\x80uro");
    sprachen table;
    table.load_from_file(write_file("old.bin", content));
    EXPECT_EQ(table.meine_liste,
              (vokabel_liste{{"Nickname", "English"},
                             {QString::fromUtf8("caf\xC3\xA9"), QString::fromUtf8("\xE2\x82\xAC"
                                                                                  "uro")}}));
    EXPECT_FLOAT_EQ(read_version(), 3.17f);
}

TEST_F(sprachen_table, marked_file_with_old_version_restarts_at_offset_zero) {
    // With an old version the counts come from offset 0, here the bytes "UNIC" and "ODE".
    const QByteArray content = QByteArray("UNICODE") + single_bytes(3.0f) + QByteArray(600, '\0');
    sprachen table;
    table.load_from_file(write_file("odd.bin", content));
    expect_consistent(table);
    EXPECT_LE(table.anzahl_vokabeln * table.anzahl_sprachen, 600 / 260);
}

// The rows given, filled up with empty cells to `rows` x `columns`.
vokabel_liste padded(vokabel_liste prefix, std::size_t rows, std::size_t columns) {
    prefix.resize(rows);
    for (vokabel& row : prefix)
        row.resize(columns);
    return prefix;
}

TEST_F(sprachen_table, untrusted_counts_load_a_consistent_table) {
    // 50 bytes of records: at most 12 cells fit, so counts beyond that are cut down.
    const QByteArray four_cells =
        new_record("Nickname") + new_record("English") + new_record("a") + new_record("b");
    struct count_case {
        const char* name;
        QByteArray content;
        vokabel_liste rows;
    };
    const std::vector<count_case> cases = {
        {"negative columns", unicode_header(-3, 2) + four_cells, padded({}, 2, 0)},
        {"negative rows", unicode_header(2, -1) + four_cells, {}},
        {"huge rows", unicode_header(2, 0x7FFFFFFF) + four_cells,
         padded({{"Nickname", "English"}, {"a", "b"}}, 6, 2)},
        {"huge columns and rows", unicode_header(0x7FFFFFFF, 0x7FFFFFFF) + four_cells,
         padded({{"Nickname", "English", "a", "b"}}, 1, 12)},
        {"rows beyond the records read as empty", unicode_header(2, 3) + four_cells,
         padded({{"Nickname", "English"}, {"a", "b"}}, 3, 2)},
        {"old layout huge counts",
         int32_bytes(0x7FFFFFFF) + int32_bytes(0x7FFFFFFF) + old_record("x") + old_record("y"),
         {{"x", "y"}}},
    };
    for (const count_case& c : cases) {
        SCOPED_TRACE(c.name);
        sprachen table;
        table.load_from_file(write_file("counts.bin", c.content));
        expect_consistent(table);
        EXPECT_EQ(table.meine_liste, c.rows);
        EXPECT_EQ(ui().busy_depth, 0);
    }
}

TEST_F(sprachen_table, old_file_cut_short_keeps_the_cells_read) {
    // The last record announces 255 characters (two blocks) but only its first block is there.
    const QByteArray content = int32_bytes(2) + int32_bytes(2) + old_record("Nickname") +
                               old_record("English") + old_record("a") + int32_bytes(255) +
                               old_record("b").mid(4);
    sprachen table;
    table.load_from_file(write_file("cut.bin", content));
    expect_consistent(table);
    EXPECT_EQ(table.meine_liste, (vokabel_liste{{"Nickname", "English"}, {"a", ""}}));
    EXPECT_EQ(ui().busy_depth, 0);
}

TEST_F(sprachen_table, export_writes_utf16_with_bom_and_crlf) {
    const sprachen table = table_of({{"Nickname", "English"}, {"k", "\u20AC"}});
    const QString file = path("export.txt");
    ASSERT_TRUE(table.export_to_textfile(file));
    const QByteArray expected =
        QByteArray("\xFF\xFE") + QStringEncoder(QStringEncoder::Utf16LE)(
                                     QStringLiteral("Nickname\tEnglish\r\nk\t\u20AC\r\n"));
    EXPECT_EQ(read_file(file), expected);
}

TEST_F(sprachen_table, export_and_import_round_trip) {
    // Built from the character: Qt's UTF-8 conversion of a literal would drop it.
    const QString zero_width_no_break(QChar(0xFEFF));
    struct round_trip_case {
        const char* name;
        vokabel_liste rows;
        vokabel_liste imported;
    };
    const std::vector<round_trip_case> cases = {
        {"plain",
         {{"Nickname", "English", "Deutsch"}, {"a", "", "c"}, {"", "", ""}},
         {{"Nickname", "English", "Deutsch"}, {"a", "", "c"}, {"", "", ""}}},
        {"blanks are trimmed",
         {{"Nickname", " English "}, {" a", "b\t"}},
         {{"Nickname", "English"}, {"a", "b"}}},
        {"a tab in a title adds a column",
         {{"Nickname", "Eng\tlish"}, {"a", "b"}},
         {{"Nickname", "Eng", "lish"}, {"a", "b", ""}}},
        {"a word that begins with U+FEFF keeps it",
         {{zero_width_no_break + "Nickname", "English"}, {zero_width_no_break, "\u00e4b"}},
         {{zero_width_no_break + "Nickname", "English"}, {zero_width_no_break, "\u00e4b"}}},
        {"a line break splits the row",
         {{"Nickname", "English"}, {"a", "b\nc"}},
         {{"Nickname", "English"}, {"a", "b"}, {"c", ""}}},
    };
    for (const round_trip_case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString file = path("trip.txt");
        ASSERT_TRUE(table_of(c.rows).export_to_textfile(file));
        sprachen imported;
        imported.import_from_textfile(file);
        expect_consistent(imported);
        EXPECT_EQ(imported.meine_liste, c.imported);
    }
}

TEST_F(sprachen_table, import_takes_the_shape_of_the_first_line) {
    // Windows-1252 without a byte-order mark.
    const QString file = write_file("import.txt", "Nickname\tEnglish\r\n"
                                                  "a\tb\tdropped\r\n"
                                                  "only\r\n"
                                                  "caf\xE9\t x \r\n");
    sprachen table;
    table.import_from_textfile(file);
    expect_consistent(table);
    EXPECT_EQ(table.meine_liste, (vokabel_liste{{"Nickname", "English"},
                                                {"a", "b"},
                                                {"only", ""},
                                                {QString::fromUtf8("caf\xC3\xA9"), "x"}}));
}

TEST_F(sprachen_table, append_checks_the_number_of_languages) {
    sprachen table = table_of({{"Nickname", "English"}, {"a", "b"}});
    table.append_from_textfile(write_file("three.txt", "x\ty\tz\r\nu\tv\tw\r\n"));
    EXPECT_EQ(ui().messages, QStringList{mismatch_message});
    EXPECT_EQ(table.anzahl_vokabeln, 2);

    ui().messages.clear();
    table.append_from_textfile(write_file("two.txt", "c\td\r\ne\r\n"));
    EXPECT_TRUE(ui().messages.isEmpty());
    expect_consistent(table);
    EXPECT_EQ(table.meine_liste,
              (vokabel_liste{{"Nickname", "English"}, {"a", "b"}, {"c", "d"}, {"e", ""}}));
}

TEST_F(sprachen_table, text_files_beyond_any_real_word_list_are_refused_before_reading_them_in) {
    // 16,384 tabs and 16,384 line feeds: 32 KB that would make 16,384 rows of 16,385 cells.
    const QString huge = write_file("huge.txt", QByteArray(16384, '\t') + QByteArray(16384, '\n'));
    const QString expected =
        QStringLiteral("Error: Text file too large for a word list (16384 rows of 16385 "
                       "languages, more than 4194304 cells): ") +
        platform::native_path(huge);

    sprachen imported = table_of({{"Nickname", "English"}, {"a", "b"}});
    const vokabel_liste before = imported.meine_liste;
    imported.import_from_textfile(huge);
    EXPECT_EQ(ui().messages, QStringList{expected});
    EXPECT_EQ(imported.meine_liste, before);
    EXPECT_EQ(imported.anzahl_sprachen, 2);
    EXPECT_EQ(imported.anzahl_vokabeln, 2);

    // Appending to a table as wide as the file's first line: the whole table would be too big.
    ui().messages.clear();
    sprachen appended = table_of({vokabel(16385)});
    appended.append_from_textfile(huge);
    EXPECT_EQ(ui().messages,
              QStringList{QStringLiteral("Error: Text file too large for a word list (16385 rows "
                                         "of 16385 languages, more than 4194304 cells): ") +
                          platform::native_path(huge)});
    EXPECT_EQ(appended.anzahl_vokabeln, 1);
    expect_consistent(appended);
}

TEST_F(sprachen_table, a_wide_first_line_is_split_once_into_its_columns) {
    // One line of 65,536 tabs: a row of 65,537 cells, the last one holding the word.
    const QString wide = write_file("wide.txt", QByteArray(65536, '\t') + "last\r\nkey\tvalue\r\n");
    sprachen table;
    table.import_from_textfile(wide);
    expect_consistent(table);
    EXPECT_TRUE(ui().messages.isEmpty());
    EXPECT_EQ(table.anzahl_sprachen, 65537);
    EXPECT_EQ(table.anzahl_vokabeln, 2);
    EXPECT_EQ(table.wort(0, 65536), "last");
    EXPECT_EQ(table.wort(1, 1), "value");
    EXPECT_EQ(table.wort(1, 2), "");

    table.append_from_textfile(wide);
    expect_consistent(table);
    EXPECT_EQ(table.anzahl_vokabeln, 4);
    EXPECT_EQ(table.wort(2, 65536), "last");
}

TEST_F(sprachen_table, empty_or_missing_text_files_leave_the_table) {
    const sprachen original = table_of({{"Nickname", "English"}, {"a", "b"}});
    const std::vector<QString> files = {
        write_file("empty.txt"), write_file("bom_only.txt", "\xFF\xFE"), path("missing.txt")};
    for (const QString& file : files) {
        SCOPED_TRACE(file.toStdString());
        sprachen imported = original;
        imported.import_from_textfile(file);
        EXPECT_EQ(imported.meine_liste, original.meine_liste);
        sprachen appended = original;
        appended.append_from_textfile(file);
        EXPECT_EQ(appended.meine_liste, original.meine_liste);
        EXPECT_EQ(appended.anzahl_vokabeln, 2);
    }
    EXPECT_TRUE(ui().messages.isEmpty());
}

} // namespace
