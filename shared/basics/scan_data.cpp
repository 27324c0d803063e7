#include "shared/basics/scan_data.h"

#include "shared/basics/little_endian.h"
#include "shared/basics/program_folders.h"
#include "shared/platform/file_ops.h"

#include <QByteArray>
#include <QDate>
#include <QFile>
#include <QTime>

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>
#include <utility>

namespace {

// Versions are compared against the decimal constants in extended precision, so the
// single-precision 1.2 and 1.1 stored in files count as "at least" those versions.
bool has_sheet_resistance(float version) {
    return static_cast<long double>(version) >= 1.2L;
}
bool has_time_of_measurement(float version) {
    return static_cast<long double>(version) >= 1.1L;
}

std::int32_t not_negative(std::int32_t count) {
    return std::max<std::int32_t>(count, 0);
}

// Product of three non-negative counts, or -1 when it does not fit into 63 bits.
std::int64_t checked_product(std::int64_t a, std::int64_t b, std::int64_t c) {
    if (a < 0 || b < 0 || c < 0)
        return -1;
    constexpr std::int64_t max = std::numeric_limits<std::int64_t>::max();
    if (a != 0 && b > max / a)
        return -1;
    const std::int64_t ab = a * b;
    if (ab != 0 && c > max / ab)
        return -1;
    return ab * c;
}

std::size_t element_count(std::int64_t count) {
    if (count < 0 || static_cast<std::uint64_t>(count) > std::numeric_limits<std::size_t>::max())
        throw std::length_error("scan data too large");
    return static_cast<std::size_t>(count);
}

std::runtime_error file_error(const QFile& file) {
    return std::runtime_error(file.errorString().toStdString());
}

// Collects little-endian fields and hands them to the file in large pieces.
class field_writer {
public:
    explicit field_writer(QFile& file) : file_(file) { buffer_.reserve(chunk); }

    void put(std::int32_t value) { add(int32_bytes(value)); }
    void put(float value) { add(single_bytes(value)); }
    void put(double value) { add(double_bytes(value)); }

    void flush() {
        if (!buffer_.isEmpty())
            write_all(file_, buffer_);
        buffer_.clear();
    }

private:
    void add(const QByteArray& field) {
        buffer_ += field;
        if (buffer_.size() >= chunk)
            flush();
    }

    static constexpr qsizetype chunk = 1 << 16;
    QFile& file_;
    QByteArray buffer_;
};

// Reads little-endian fields; a field the data no longer holds is left untouched.
class field_reader {
public:
    explicit field_reader(const QByteArray& data) : data_(data) {}

    bool get(std::int32_t& value) { return take(4, value, int32_at); }
    bool get(float& value) { return take(4, value, single_at); }
    bool get(double& value) { return take(8, value, double_at); }

    template <typename T> bool get_all(std::vector<T>& values) {
        for (T& value : values)
            if (!get(value))
                return false;
        return true;
    }

private:
    template <typename T>
    bool take(qsizetype size, T& value, T (*decode)(const QByteArray&, qsizetype)) {
        if (data_.size() - offset_ < size)
            return false;
        value = decode(data_, offset_);
        offset_ += size;
        return true;
    }

    const QByteArray& data_;
    qsizetype offset_ = 0;
};

// Deletes the temporary file however the save ends.
class temp_file_guard {
public:
    explicit temp_file_guard(QString name) : name_(std::move(name)) {}
    ~temp_file_guard() {
        if (!name_.isEmpty())
            platform::delete_file(name_);
    }
    temp_file_guard(const temp_file_guard&) = delete;
    temp_file_guard& operator=(const temp_file_guard&) = delete;

private:
    QString name_;
};

const QDate& day_zero() {
    static const QDate date(1899, 12, 30);
    return date;
}

constexpr double msecs_per_day = 86400000.0;

} // namespace

void scan_data::set_size(std::int32_t no_pos, std::int32_t no_spec, std::int32_t max_np) {
    no_pos = not_negative(no_pos);
    no_spec = not_negative(no_spec);
    max_np = not_negative(max_np);
    // The large array first: when it cannot be had, the container is still as it was.
    spectral_data.resize(element_count(checked_product(no_pos, no_spec, max_np)));
    positions.resize(static_cast<std::size_t>(no_pos));
    sheet_resistance.resize(static_cast<std::size_t>(no_pos));
    x_min.resize(static_cast<std::size_t>(no_spec));
    x_max.resize(static_cast<std::size_t>(no_spec));
    no_points.resize(static_cast<std::size_t>(no_spec));
    no_positions = no_pos;
    no_spectra = no_spec;
    max_no_points = max_np;
}

std::int32_t scan_data::the_index(std::int32_t p, std::int32_t s, std::int32_t w) const {
    // Unsigned arithmetic wraps instead of overflowing for out-of-range arguments; for
    // every index that fits the result is the same.
    const auto u = [](std::int32_t value) { return static_cast<std::uint32_t>(value); };
    return static_cast<std::int32_t>(u(max_no_points) * (u(p) * u(no_spectra) + u(s)) + u(w));
}

namespace {

// Writes positions first .. first+count-1 of `data` as a scan file to a fresh temporary
// file and copies that onto the target.
bool save_positions(const scan_data& data, const QString& a_filename, std::int64_t first,
                    std::int64_t count, bool with_time) {
    const std::int64_t values_per_position =
        static_cast<std::int64_t>(data.no_spectra) * data.max_no_points;
    const auto arrays_fit = [&] {
        const auto positions = static_cast<std::uint64_t>(data.no_positions);
        const auto spectra = static_cast<std::uint64_t>(data.no_spectra);
        const std::int64_t values =
            checked_product(data.no_positions, data.no_spectra, data.max_no_points);
        return data.no_positions >= 0 && data.no_spectra >= 0 && data.max_no_points >= 0 &&
               data.positions.size() >= positions && data.sheet_resistance.size() >= positions &&
               data.x_min.size() >= spectra && data.x_max.size() >= spectra &&
               data.no_points.size() >= spectra && values >= 0 &&
               data.spectral_data.size() >= static_cast<std::uint64_t>(values);
    };
    // Counts set by hand without set_size would otherwise make the writer read past the
    // arrays.
    if (!arrays_fit())
        throw std::runtime_error("scan data arrays do not match their counts");

    const QString temp_name = temp_file_name();
    const temp_file_guard guard(temp_name);
    {
        QFile file(temp_name);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            throw file_error(file);
        field_writer out(file);
        out.put(data.file_format);
        out.put(static_cast<std::int32_t>(count));
        out.put(data.no_spectra);
        out.put(data.max_no_points);
        for (std::int64_t p = first; p < first + count; ++p)
            out.put(data.positions[static_cast<std::size_t>(p)]);
        if (has_sheet_resistance(data.file_format))
            for (std::int64_t p = first; p < first + count; ++p)
                out.put(data.sheet_resistance[static_cast<std::size_t>(p)]);
        for (std::size_t s = 0; s < static_cast<std::size_t>(data.no_spectra); ++s) {
            out.put(data.x_min[s]);
            out.put(data.x_max[s]);
            out.put(data.no_points[s]);
        }
        const std::int64_t begin = first * values_per_position;
        const std::int64_t end = (first + count) * values_per_position;
        for (std::int64_t i = begin; i < end; ++i)
            out.put(data.spectral_data[static_cast<std::size_t>(i)]);
        if (with_time && has_time_of_measurement(data.file_format))
            out.put(data.time_of_measurement);
        out.flush();
        if (!file.flush())
            throw file_error(file);
        file.close();
        if (file.error() != QFileDevice::NoError)
            throw file_error(file);
    }
    return platform::copy_file_overwrite(temp_name, a_filename);
}

} // namespace

bool scan_data::savetofile(const QString& a_filename) const {
    return save_positions(*this, a_filename, 0, no_positions, true);
}

bool scan_data::save_partially_to_file(const QString& a_filename, std::int32_t this_part,
                                       std::int32_t no_parts) const {
    const std::int64_t n = std::max<std::int64_t>(no_positions, 0);
    const std::int64_t parts = std::max<std::int32_t>(no_parts, 1);
    const std::int64_t block = n / parts + (n % parts != 0 ? 1 : 0);
    // A part lying (partly) beyond the last position holds only the positions that exist.
    std::int64_t first = 0;
    std::int64_t count = 0;
    if (this_part >= 1) {
        first = std::min<std::int64_t>((this_part - 1) * block, n);
        count = std::min(block, n - first);
    }
    return save_positions(*this, a_filename, first, count, false);
}

void scan_data::loadfromfile(const QString& a_filename) {
    QByteArray content;
    {
        QFile file(a_filename);
        if (!file.open(QIODevice::ReadOnly))
            throw file_error(file);
        content = file.readAll();
        if (file.error() != QFileDevice::NoError)
            throw file_error(file);
    }

    field_reader in(content);
    float version = 0.0f;
    std::int32_t no_pos = 0;
    std::int32_t no_spec = 0;
    std::int32_t max_np = 0;
    if (!in.get(version) || !in.get(no_pos) || !in.get(no_spec) || !in.get(max_np))
        throw std::runtime_error("Scan file too short: " + a_filename.toStdString());
    // Every element needs at least one byte of the file, so larger counts can only come
    // from a damaged file and must not reach the allocation.
    const std::int64_t size = content.size();
    const std::int64_t values = checked_product(no_pos, no_spec, max_np);
    if (no_pos < 0 || no_spec < 0 || max_np < 0 || no_pos > size || no_spec > size || values < 0 ||
        values > size)
        throw std::runtime_error("Scan file with impossible counts: " + a_filename.toStdString());

    set_size(no_pos, no_spec, max_np);
    // A file that ends early leaves the rest of every array as it was.
    bool complete = in.get_all(positions);
    if (complete && has_sheet_resistance(version))
        complete = in.get_all(sheet_resistance);
    for (std::size_t s = 0; complete && s < x_min.size(); ++s)
        complete = in.get(x_min[s]) && in.get(x_max[s]) && in.get(no_points[s]);
    if (complete)
        complete = in.get_all(spectral_data);

    time_of_measurement = to_day_number(QDateTime::currentDateTime());
    double stored_time = 0.0;
    if (complete && has_time_of_measurement(version) && in.get(stored_time))
        time_of_measurement = stored_time;
}

double to_day_number(const QDateTime& local_time) {
    const QDateTime local = local_time.toLocalTime();
    const double days = static_cast<double>(day_zero().daysTo(local.date()));
    const double fraction = local.time().msecsSinceStartOfDay() / msecs_per_day;
    // Before day zero the integer part counts the days back while the fraction still
    // runs forward through the day: 29 December 1899, 6:00 is -1.25.
    return days >= 0 ? days + fraction : days - fraction;
}

QDateTime from_day_number(double days) {
    // Far beyond any date the calendar of QDate holds sensibly.
    if (!std::isfinite(days) || std::fabs(days) > 1.0e9)
        return {};
    const double whole = std::trunc(days);
    auto msecs = static_cast<std::int64_t>(std::llround(std::fabs(days - whole) * msecs_per_day));
    auto day = static_cast<std::int64_t>(whole);
    QDate date = day_zero().addDays(day);
    if (msecs >= static_cast<std::int64_t>(msecs_per_day)) {
        // Rounding reached midnight of the next day.
        date = date.addDays(1);
        msecs = 0;
    }
    return QDateTime(date, QTime::fromMSecsSinceStartOfDay(static_cast<int>(msecs)), Qt::LocalTime);
}
