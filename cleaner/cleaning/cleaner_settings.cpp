#include "cleaner/cleaning/cleaner_settings.h"

#include "shared/basics/number_text.h"

namespace {

const QString insufficient_information =
    QStringLiteral("Error: ini-file does not contain sufficient information!");

// Walks the lines in file order; every read past the end reports it, so a short file
// can never index out of range.
class line_reader {
public:
    explicit line_reader(const QStringList& lines) : lines_(lines) {}

    bool next(QString& line) {
        if (position_ >= lines_.size())
            return false;
        line = lines_[position_++];
        return true;
    }

private:
    const QStringList& lines_;
    qsizetype position_ = 0;
};

enum class count_result { ok, missing, invalid };

// A negative count is reported like a non-number: taking it as 0 would read the lines
// after it one slot off and silently fill the wrong fields.
count_result read_count(line_reader& reader, int& count) {
    QString line;
    if (!reader.next(line))
        return count_result::missing;
    int value = 0;
    if (!text_to_integer(line, value) || value < 0)
        return count_result::invalid;
    count = value;
    return count_result::ok;
}

// A count line and the lines it counts: `list` becomes them, or as many as there are.
// Returns the problem, the empty text when there was none.
QString read_counted_list(line_reader& reader, const QString& bad_count, QStringList& list) {
    int count = 0;
    switch (read_count(reader, count)) {
    case count_result::missing:
        return insufficient_information;
    case count_result::invalid:
        return bad_count;
    case count_result::ok:
        break;
    }
    list.clear();
    QString line;
    for (int i = 0; i < count; ++i) {
        if (!reader.next(line))
            return insufficient_information;
        list.append(line);
    }
    return {};
}

} // namespace

// A file that ends anywhere before the start-active line, also inside a list, lacks
// information; a list cut short keeps the lines it has.
QString read_cleaner_settings(const QStringList& lines, cleaner_settings& settings) {
    line_reader reader(lines);
    QString line;

    if (!reader.next(line) || line != QStringLiteral("Version"))
        return insufficient_information;

    if (!reader.next(line))
        return insufficient_information;
    if (!text_to_integer(line, settings.file_version))
        return QStringLiteral("Error reading file version!");

    if (!reader.next(line))
        return insufficient_information;
    settings.input_path = line;

    QString problem =
        read_counted_list(reader, QStringLiteral("Error reading length of inputfolder list!"),
                          settings.input_subfolders);
    if (problem.isEmpty())
        problem =
            read_counted_list(reader, QStringLiteral("Error reading length of outputfolder list!"),
                              settings.output_subfolders);
    if (!problem.isEmpty())
        return problem;

    for (QString* lifetime_text :
         {&settings.input_days, &settings.input_hours, &settings.input_minutes,
          &settings.output_days, &settings.output_hours, &settings.output_minutes}) {
        if (!reader.next(line))
            return insufficient_information;
        *lifetime_text = line;
    }

    if (!reader.next(line))
        return insufficient_information;
    settings.active_at_start = line == QStringLiteral("Active at start");

    settings.start_minimized = reader.next(line) && line == QStringLiteral("Start minimized");
    return {};
}

QStringList cleaner_settings_lines(const cleaner_settings& settings) {
    QStringList lines;
    lines << QStringLiteral("Version") << QString::number(settings.file_version)
          << settings.input_path;
    lines << QString::number(settings.input_subfolders.size()) << settings.input_subfolders;
    lines << QString::number(settings.output_subfolders.size()) << settings.output_subfolders;
    lines << settings.input_days << settings.input_hours << settings.input_minutes;
    lines << settings.output_days << settings.output_hours << settings.output_minutes;
    lines << (settings.active_at_start ? QStringLiteral("Active at start")
                                       : QStringLiteral("Not active at start"));
    lines << (settings.start_minimized ? QStringLiteral("Start minimized")
                                       : QStringLiteral("Start normal"));
    return lines;
}
