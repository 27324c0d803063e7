#include "shared/basics/sprachen.h"

#include "shared/basics/little_endian.h"
#include "shared/basics/string_records.h"
#include "shared/basics/text_fields.h"
#include "shared/platform/line_list.h"
#include "shared/platform/operator_interface.h"
#include "shared/platform/paths.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QStringList>

#include <algorithm>
#include <exception>
#include <iterator>
#include <stdexcept>
#include <utility>

namespace {

const QByteArray unicode_mark = QByteArrayLiteral("UNICODE");
constexpr qint64 header_size = 11; // mark and version
// Vocabulary files without the mark predate the new string layout.
constexpr float markless_version = 3.17f;
// Smallest possible string record of each layout: an empty text.
constexpr qint64 new_record_min_size = 4;
constexpr qint64 old_record_min_size = 4 + 256;

qint32 read_int32(QIODevice& file) {
    QByteArray bytes;
    if (!read_exactly(file, 4, bytes))
        throw std::runtime_error("read failed");
    return int32_at(bytes, 0);
}

vokabel row_from_line(const QString& line, int columns) {
    // Split once: a line of many fields is walked once, not once per field.
    QStringList fields = tab_fields(line);
    fields.resize(columns);
    return vokabel(std::make_move_iterator(fields.begin()), std::make_move_iterator(fields.end()));
}

// Real word lists have hundreds of cells; a text file of a few kilobytes full of tabs and line
// breaks would otherwise ask for gigabytes, as every line gets as many cells as the first.
constexpr qint64 max_text_cells = qint64{1} << 22;

// False, after telling the operator, when a table of `rows` x `columns` from `the_file` would
// be larger than any real word list.
bool text_table_fits(const QString& the_file, qint64 rows, qint64 columns) {
    if (rows * columns <= max_text_cells)
        return true;
    platform::operator_ui().show_message(
        QStringLiteral("Error: Text file too large for a word list (%1 rows of %2 languages, "
                       "more than %3 cells): %4")
            .arg(rows)
            .arg(columns)
            .arg(max_text_cells)
            .arg(platform::native_path(the_file)));
    return false;
}

} // namespace

sprachen::sprachen()
    : anzahl_sprachen(3),
      anzahl_vokabeln(1), meine_liste{{QStringLiteral("Nickname"), QStringLiteral("English"),
                                       QStringLiteral("Deutsch")}} {}

QString sprachen::wort(int index, int sprache) const {
    if (index < 0 || index >= anzahl_vokabeln || sprache < 0 || sprache >= anzahl_sprachen)
        return {};
    const auto row = static_cast<std::size_t>(index);
    const auto column = static_cast<std::size_t>(sprache);
    if (row >= meine_liste.size() || column >= meine_liste[row].size())
        return {};
    return meine_liste[row][column];
}

int sprachen::get_index(const QString& my_vocabulary, int language) const {
    if (language < 0 || language >= anzahl_sprachen)
        return -1;
    for (int i = 0; i < anzahl_vokabeln; ++i) {
        const auto row = static_cast<std::size_t>(i);
        if (row < meine_liste.size() &&
            static_cast<std::size_t>(language) < meine_liste[row].size() &&
            meine_liste[row][static_cast<std::size_t>(language)] == my_vocabulary)
            return i;
    }
    return -1;
}

QString sprachen::translation(const QString& nickname, int language,
                              const QString& default_text) const {
    const QString word = wort(get_index(nickname, 0), language);
    return word.isEmpty() ? default_text : word;
}

void sprachen::anzahl_vokabeln_plus() {
    meine_liste.emplace_back(static_cast<std::size_t>(anzahl_sprachen));
    ++anzahl_vokabeln;
}

void sprachen::anzahl_sprachen_plus() {
    // A cancelled prompt returns the preset, so a column is added either way.
    neue_sprache(platform::operator_ui().input_box(QStringLiteral("New language"),
                                                   QStringLiteral("Enter name of new language: "),
                                                   QStringLiteral("Esperanto")));
}

void sprachen::neue_sprache(const QString& die_sprache) {
    for (vokabel& row : meine_liste)
        row.emplace_back();
    ++anzahl_sprachen;
    if (!meine_liste.empty())
        meine_liste.front().back() = die_sprache;
}

void sprachen::sort() {
    if (anzahl_vokabeln <= 2 || meine_liste.size() <= 2)
        return;
    // Each key is upper-cased once; a stable sort keeps rows with equal keys in their order,
    // as exchanging neighbours did. The title row stays in front.
    struct keyed_row {
        QString key;
        std::size_t row;
    };
    std::vector<keyed_row> keyed;
    keyed.reserve(meine_liste.size());
    for (std::size_t i = 1; i < meine_liste.size(); ++i) {
        // Rows without cells have no key (a table without columns): nothing to order by.
        if (meine_liste[i].empty())
            return;
        keyed.push_back({ascii_upper(meine_liste[i].front()), i});
    }
    std::stable_sort(keyed.begin(), keyed.end(), [](const keyed_row& a, const keyed_row& b) {
        return QString::compare(a.key, b.key, Qt::CaseSensitive) < 0;
    });
    vokabel_liste sorted;
    sorted.reserve(meine_liste.size());
    sorted.push_back(std::move(meine_liste.front()));
    for (const keyed_row& k : keyed)
        sorted.push_back(std::move(meine_liste[k.row]));
    meine_liste = std::move(sorted);
}

void sprachen::load_from_file(const QString& this_file) {
    const platform::busy_cursor_scope busy;
    QFile file(this_file);
    if (!file.open(QIODevice::ReadOnly))
        return;
    if (file.size() <= header_size)
        return;
    try {
        QByteArray mark, version;
        if (!read_exactly(file, unicode_mark.size(), mark) || !read_exactly(file, 4, version))
            return;
        set_read_version(single_at(version, 0));
        if (mark != unicode_mark)
            set_read_version(markless_version);
        if (static_cast<double>(read_version()) < 3.18 && !file.seek(0))
            return;

        qint32 columns = read_int32(file);
        qint32 rows = read_int32(file);
        // The counts are not trusted: never more cells than the rest of the file could hold.
        const qint64 min_record =
            uses_old_string_layout(read_version()) ? old_record_min_size : new_record_min_size;
        const qint64 max_cells = std::max<qint64>(file.size() - file.pos(), 0) / min_record;
        columns = static_cast<qint32>(std::clamp<qint64>(columns, 0, max_cells));
        const qint64 max_rows = columns > 0 ? max_cells / columns : max_cells;
        rows = static_cast<qint32>(std::clamp<qint64>(rows, 0, max_rows));

        anzahl_sprachen = columns;
        anzahl_vokabeln = rows;
        meine_liste.assign(static_cast<std::size_t>(rows),
                           vokabel(static_cast<std::size_t>(columns)));
        for (vokabel& row : meine_liste)
            for (QString& cell : row)
                cell = read_string_from_stream(file);
    } catch (const std::exception&) {
        // Silent by design: the table keeps the cells read so far.
    }
}

bool sprachen::save_to_file(const QString& this_file) const {
    const platform::busy_cursor_scope busy;
    QBuffer table;
    table.open(QIODevice::WriteOnly);
    try {
        write_all(table, unicode_mark);
        write_all(table, single_bytes(file_format_version));
        write_all(table, int32_bytes(anzahl_sprachen));
        write_all(table, int32_bytes(anzahl_vokabeln));
        for (int i = 0; i < anzahl_vokabeln; ++i)
            for (int c = 0; c < anzahl_sprachen; ++c)
                write_string_to_stream(wort(i, c), table);
    } catch (const std::exception&) {
        return false;
    }
    // Tables live in the program folder, which may take no new file while the table
    // itself may be written.
    return platform::write_file_atomically(this_file, table.data(),
                                           platform::write_mode::atomic_or_in_place);
}

bool sprachen::export_to_textfile(const QString& the_file) const {
    QStringList lines;
    for (int i = 0; i < anzahl_vokabeln; ++i) {
        QStringList cells;
        for (int c = 0; c < anzahl_sprachen; ++c)
            cells.append(wort(i, c));
        lines.append(cells.join(u'\t'));
    }
    return platform::save_lines(the_file, lines, platform::text_encoding::utf16le_bom);
}

void sprachen::import_from_textfile(const QString& the_file) {
    QStringList lines;
    if (!platform::load_lines(the_file, lines) || lines.isEmpty())
        return;
    const int columns = tab_count(lines.front()) + 1;
    if (!text_table_fits(the_file, lines.size(), columns))
        return;
    vokabel_liste rows;
    rows.reserve(static_cast<std::size_t>(lines.size()));
    for (const QString& line : lines)
        rows.push_back(row_from_line(line, columns));
    anzahl_sprachen = columns;
    anzahl_vokabeln = static_cast<std::int32_t>(rows.size());
    meine_liste = std::move(rows);
}

void sprachen::append_from_textfile(const QString& the_file) {
    QStringList lines;
    if (!platform::load_lines(the_file, lines) || lines.isEmpty())
        return;
    if (tab_count(lines.front()) + 1 != anzahl_sprachen) {
        platform::operator_ui().show_message(QStringLiteral(
            "Error: Number of languages in file does not match current number in program"));
        return;
    }
    if (!text_table_fits(the_file, static_cast<qint64>(meine_liste.size()) + lines.size(),
                         anzahl_sprachen))
        return;
    meine_liste.reserve(meine_liste.size() + static_cast<std::size_t>(lines.size()));
    for (const QString& line : lines)
        meine_liste.push_back(row_from_line(line, anzahl_sprachen));
    anzahl_vokabeln = static_cast<std::int32_t>(meine_liste.size());
}
