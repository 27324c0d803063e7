#include "shared/basics/scan_data.h"

#include "shared/basics/little_endian.h"

#include "test_data_path.h"
#include "tests/support/scratch_fixture.h"

#include <QDir>
#include <QFile>
#include <QtEndian>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <vector>

namespace {

// Deterministic content: every array gets values that tell their index apart.
scan_data filled(std::int32_t p_count, std::int32_t s_count, std::int32_t w_count) {
    scan_data data;
    data.set_size(p_count, s_count, w_count);
    for (std::int32_t p = 0; p < p_count; ++p) {
        data.positions[p] = 1000 + 25 * p;
        data.sheet_resistance[p] = 0.5f + static_cast<float>(p);
    }
    for (std::int32_t s = 0; s < s_count; ++s) {
        data.x_min[s] = 300.0f + 10.0f * static_cast<float>(s);
        data.x_max[s] = 800.0f + 10.0f * static_cast<float>(s);
        data.no_points[s] = w_count - s;
    }
    for (std::size_t i = 0; i < data.spectral_data.size(); ++i)
        data.spectral_data[i] = static_cast<float>(i) * 0.25f;
    data.time_of_measurement = 45351.75; // 29 February 2024, 18:00
    return data;
}

// Builds scan files by hand, field by field.
struct byte_builder {
    QByteArray bytes;
    template <typename T> byte_builder& put(T value) {
        char raw[sizeof(T)];
        std::memcpy(raw, &value, sizeof(T));
        if constexpr (Q_BYTE_ORDER == Q_BIG_ENDIAN)
            std::reverse(raw, raw + sizeof(T));
        bytes.append(raw, sizeof(T));
        return *this;
    }
};

void expect_same_content(const scan_data& a, const scan_data& b) {
    EXPECT_EQ(a.no_positions, b.no_positions);
    EXPECT_EQ(a.no_spectra, b.no_spectra);
    EXPECT_EQ(a.max_no_points, b.max_no_points);
    EXPECT_EQ(a.positions, b.positions);
    EXPECT_EQ(a.sheet_resistance, b.sheet_resistance);
    EXPECT_EQ(a.x_min, b.x_min);
    EXPECT_EQ(a.x_max, b.x_max);
    EXPECT_EQ(a.no_points, b.no_points);
    EXPECT_EQ(a.spectral_data, b.spectral_data);
    EXPECT_EQ(a.time_of_measurement, b.time_of_measurement);
    EXPECT_EQ(a.file_format, b.file_format);
}

double now_day_number() {
    return to_day_number(QDateTime::currentDateTime());
}

class scan_data_test : public scratch_fixture {
protected:
    QStringList temp_files() const { return QDir(temp_folder()).entryList(QDir::Files); }
};

} // namespace

TEST_F(scan_data_test, fresh_container_is_empty_version_1_2) {
    const scan_data data;
    EXPECT_EQ(data.no_positions, 0);
    EXPECT_TRUE(data.spectral_data.empty());
    EXPECT_EQ(data.time_of_measurement, 0.0);
    std::uint32_t bits = 0;
    std::memcpy(&bits, &data.file_format, sizeof bits);
    EXPECT_EQ(bits, 0x3F99999Au);
}

TEST_F(scan_data_test, whole_scan_matches_golden_file) {
    const QString target = path(QStringLiteral("pane.scn"));
    EXPECT_TRUE(filled(2, 3, 4).savetofile(target));

    const QByteArray written = read_file(target);
    ASSERT_EQ(written.size(), 172);
    EXPECT_EQ(written.left(4), QByteArray::fromHex("9A99993F"));
    EXPECT_EQ(written, read_file(QStringLiteral(KALIX_TEST_DATA_DIR "/scan_2x3x4_v12.scn")));
    EXPECT_TRUE(temp_files().isEmpty()) << temp_files().join(u' ').toStdString();
    EXPECT_TRUE(ui().messages.isEmpty());
}

TEST_F(scan_data_test, round_trip_keeps_every_field) {
    const scan_data original = filled(3, 2, 5);
    const QString target = path(QStringLiteral("pane.scn"));
    ASSERT_TRUE(original.savetofile(target));

    scan_data loaded;
    loaded.loadfromfile(target);
    expect_same_content(loaded, original);
}

TEST_F(scan_data_test, writing_onto_existing_file_replaces_it) {
    const QString target = write_file(QStringLiteral("pane.scn"), QByteArray(1000, 'x'));
    EXPECT_TRUE(filled(2, 3, 4).savetofile(target));
    EXPECT_EQ(read_file(target),
              read_file(QStringLiteral(KALIX_TEST_DATA_DIR "/scan_2x3x4_v12.scn")));
}

TEST_F(scan_data_test, target_in_missing_folder_fails_without_leaving_temp_file) {
    const scan_data data = filled(2, 3, 4);
    const QString target = path(QStringLiteral("missing/pane.scn"));
    EXPECT_FALSE(data.savetofile(target));
    EXPECT_FALSE(data.save_partially_to_file(target, 1, 2));
    EXPECT_FALSE(QFile::exists(target));
    EXPECT_TRUE(temp_files().isEmpty()) << temp_files().join(u' ').toStdString();
}

TEST_F(scan_data_test, unobtainable_temp_file_throws) {
    ASSERT_TRUE(QDir(temp_folder()).removeRecursively());
    const QString target = path(QStringLiteral("pane.scn"));
    EXPECT_THROW(filled(2, 3, 4).savetofile(target), std::runtime_error);
    EXPECT_FALSE(QFile::exists(target));
    EXPECT_EQ(ui().messages, QStringList{"Warning - creation of temporary file failed"});
}

TEST_F(scan_data_test, counts_out_of_step_with_arrays_throw_before_writing) {
    scan_data data = filled(2, 3, 4);
    data.no_positions = 3; // set by hand, without set_size
    const QString target = path(QStringLiteral("pane.scn"));
    EXPECT_THROW(data.savetofile(target), std::runtime_error);
    EXPECT_FALSE(QFile::exists(target));
    EXPECT_TRUE(temp_files().isEmpty());
}

TEST_F(scan_data_test, the_index_is_position_major) {
    scan_data data;
    data.set_size(2, 3, 125);
    EXPECT_EQ(data.the_index(1, 2, 3), 628);
    EXPECT_EQ(data.the_index(0, 0, 0), 0);
    EXPECT_EQ(data.the_index(1, 2, 124), static_cast<std::int32_t>(data.spectral_data.size()) - 1);
}

TEST_F(scan_data_test, set_size_keeps_elements_at_their_indices_and_zeroes_new_ones) {
    scan_data data = filled(2, 2, 2);
    data.set_size(3, 3, 3);
    EXPECT_EQ(data.positions, (std::vector<std::int32_t>{1000, 1025, 0}));
    EXPECT_EQ(data.sheet_resistance, (std::vector<float>{0.5f, 1.5f, 0.0f}));
    EXPECT_EQ(data.x_min, (std::vector<float>{300.0f, 310.0f, 0.0f}));
    EXPECT_EQ(data.no_points, (std::vector<std::int32_t>{2, 1, 0}));
    ASSERT_EQ(data.spectral_data.size(), 27u);
    // Kept by index, not by (position, spectrum, point): the layout changes with the counts.
    for (std::size_t i = 0; i < 27; ++i)
        EXPECT_EQ(data.spectral_data[i], i < 8 ? static_cast<float>(i) * 0.25f : 0.0f) << i;
    EXPECT_EQ(data.time_of_measurement, 45351.75);

    // Shrinking and growing again does not bring old values back.
    data.set_size(1, 3, 3);
    data.set_size(2, 3, 3);
    EXPECT_EQ(data.positions, (std::vector<std::int32_t>{1000, 0}));
    EXPECT_EQ(data.spectral_data[9], 0.0f);
}

TEST_F(scan_data_test, set_size_treats_negative_counts_as_zero) {
    scan_data data = filled(2, 2, 2);
    data.set_size(-1, 2, -5);
    EXPECT_EQ(data.no_positions, 0);
    EXPECT_EQ(data.max_no_points, 0);
    EXPECT_TRUE(data.positions.empty());
    EXPECT_TRUE(data.spectral_data.empty());
    EXPECT_EQ(data.x_min.size(), 2u);
}

TEST_F(scan_data_test, part_files_cut_positions_into_consecutive_blocks) {
    struct part_case {
        std::int32_t positions;
        std::int32_t parts;
        std::vector<std::int32_t> counts; // positions of each part, in part order
    };
    const std::vector<part_case> cases = {
        {15, 4, {4, 4, 4, 3}}, {100, 4, {25, 25, 25, 25}}, {10, 3, {4, 4, 2}},
        {9, 4, {3, 3, 3, 0}},  {5, 4, {2, 2, 1, 0}},       {0, 2, {0, 0}},
        {3, 1, {3}},
    };
    constexpr std::int32_t spectra = 2;
    constexpr std::int32_t points = 3;
    for (const part_case& c : cases) {
        const scan_data data = filled(c.positions, spectra, points);
        std::int32_t first = 0;
        for (std::int32_t part = 1; part <= c.parts; ++part) {
            SCOPED_TRACE(testing::Message()
                         << "N=" << c.positions << " part " << part << "/" << c.parts);
            const QString target = path(QStringLiteral("pane.sc%1").arg(part));
            ASSERT_TRUE(data.save_partially_to_file(target, part, c.parts));
            const QByteArray bytes = read_file(target);
            const std::int32_t count = c.counts[static_cast<std::size_t>(part - 1)];

            // No date-time at the end.
            ASSERT_EQ(bytes.size(), 16 + 8 * count + 12 * spectra + 4 * count * spectra * points);
            EXPECT_EQ(single_at(bytes, 0), 1.2f);
            EXPECT_EQ(int32_at(bytes, 4), count);
            EXPECT_EQ(int32_at(bytes, 8), spectra);
            EXPECT_EQ(int32_at(bytes, 12), points);
            qsizetype at = 16;
            for (std::int32_t p = 0; p < count; ++p, at += 4)
                EXPECT_EQ(int32_at(bytes, at), data.positions[first + p]);
            for (std::int32_t p = 0; p < count; ++p, at += 4)
                EXPECT_EQ(single_at(bytes, at), data.sheet_resistance[first + p]);
            for (std::int32_t s = 0; s < spectra; ++s, at += 12) {
                EXPECT_EQ(single_at(bytes, at), data.x_min[s]);
                EXPECT_EQ(single_at(bytes, at + 4), data.x_max[s]);
                EXPECT_EQ(int32_at(bytes, at + 8), data.no_points[s]);
            }
            const std::int32_t run_start = first * spectra * points;
            for (std::int32_t i = 0; i < count * spectra * points; ++i, at += 4)
                EXPECT_EQ(single_at(bytes, at), data.spectral_data[run_start + i]) << i;
            first += count;
        }
        EXPECT_EQ(first, c.positions);
    }
}

TEST_F(scan_data_test, part_numbers_out_of_range_give_empty_parts) {
    const scan_data data = filled(4, 1, 1);
    struct range_case {
        std::int32_t part;
        std::int32_t parts;
    };
    for (const range_case& c : std::vector<range_case>{{0, 2}, {3, 2}, {1, 0}, {-1, -1}}) {
        SCOPED_TRACE(testing::Message() << c.part << "/" << c.parts);
        const QString target = path(QStringLiteral("pane.sc1"));
        ASSERT_TRUE(data.save_partially_to_file(target, c.part, c.parts));
        const qsizetype expected = c.parts == 0 && c.part == 1 ? 16 + 8 * 4 + 12 + 4 * 4 : 28;
        EXPECT_EQ(read_file(target).size(), expected);
    }
}

TEST_F(scan_data_test, part_file_reads_back_with_current_time) {
    const scan_data data = filled(5, 2, 3);
    const QString target = path(QStringLiteral("pane.sc2"));
    ASSERT_TRUE(data.save_partially_to_file(target, 2, 2));

    scan_data loaded;
    const double before = now_day_number();
    loaded.loadfromfile(target);
    const double after = now_day_number();
    EXPECT_GE(loaded.time_of_measurement, before);
    EXPECT_LE(loaded.time_of_measurement, after);
    EXPECT_EQ(loaded.no_positions, 2);
    EXPECT_EQ(loaded.positions, (std::vector<std::int32_t>{1075, 1100}));
    EXPECT_EQ(loaded.spectral_data,
              std::vector<float>(data.spectral_data.begin() + 18, data.spectral_data.end()));
}

TEST_F(scan_data_test, older_versions_read_without_their_missing_fields) {
    struct version_case {
        float version;
        bool has_time;
    };
    for (const version_case& c : std::vector<version_case>{{1.0f, false}, {1.1f, true}}) {
        SCOPED_TRACE(c.version);
        byte_builder file;
        file.put(c.version).put<std::int32_t>(2).put<std::int32_t>(1).put<std::int32_t>(2);
        file.put<std::int32_t>(7).put<std::int32_t>(9);
        file.put(400.0f).put(700.0f).put<std::int32_t>(2);
        file.put(1.0f).put(2.0f).put(3.0f).put(4.0f);
        if (c.has_time)
            file.put(40000.25);
        const QString name = write_file(QStringLiteral("old.scn"), file.bytes);

        scan_data loaded;
        loaded.set_size(1, 0, 0);
        loaded.sheet_resistance[0] = 33.0f;
        const double before = now_day_number();
        loaded.loadfromfile(name);
        const double after = now_day_number();

        EXPECT_EQ(loaded.positions, (std::vector<std::int32_t>{7, 9}));
        // Sheet resistances are not in the file: the surviving element stays.
        EXPECT_EQ(loaded.sheet_resistance, (std::vector<float>{33.0f, 0.0f}));
        EXPECT_EQ(loaded.x_min, std::vector<float>{400.0f});
        EXPECT_EQ(loaded.x_max, std::vector<float>{700.0f});
        EXPECT_EQ(loaded.no_points, std::vector<std::int32_t>{2});
        EXPECT_EQ(loaded.spectral_data, (std::vector<float>{1.0f, 2.0f, 3.0f, 4.0f}));
        if (c.has_time) {
            EXPECT_EQ(loaded.time_of_measurement, 40000.25);
        } else {
            EXPECT_GE(loaded.time_of_measurement, before);
            EXPECT_LE(loaded.time_of_measurement, after);
        }
        // The container keeps writing its own version.
        EXPECT_EQ(loaded.file_format, 1.2f);
    }
}

TEST_F(scan_data_test, truncated_file_keeps_earlier_contents_beyond_the_end) {
    const QString target = path(QStringLiteral("pane.scn"));
    ASSERT_TRUE(filled(2, 3, 4).savetofile(target));
    // Cut after field 7 and the first 5 values.
    const QString cut = write_file(QStringLiteral("cut.scn"), read_file(target).left(68 + 20));

    scan_data loaded;
    loaded.set_size(2, 3, 4);
    std::fill(loaded.spectral_data.begin(), loaded.spectral_data.end(), -1.0f);
    const double before = now_day_number();
    loaded.loadfromfile(cut);
    EXPECT_EQ(loaded.positions, (std::vector<std::int32_t>{1000, 1025}));
    EXPECT_EQ(loaded.no_points, (std::vector<std::int32_t>{4, 3, 2}));
    for (std::size_t i = 0; i < loaded.spectral_data.size(); ++i)
        EXPECT_EQ(loaded.spectral_data[i], i < 5 ? static_cast<float>(i) * 0.25f : -1.0f) << i;
    EXPECT_GE(loaded.time_of_measurement, before);
}

TEST_F(scan_data_test, missing_file_throws) {
    scan_data data;
    EXPECT_THROW(data.loadfromfile(path(QStringLiteral("absent.scn"))), std::runtime_error);
}

TEST_F(scan_data_test, impossible_counts_throw_and_leave_container_unchanged) {
    struct count_case {
        const char* what;
        std::int32_t positions;
        std::int32_t spectra;
        std::int32_t points;
    };
    const std::vector<count_case> cases = {
        {"negative positions", -1, 1, 1},
        {"negative spectra", 1, -3, 1},
        {"negative points", 1, 1, -2},
        {"values beyond file size", 1000, 1000, 1000},
        {"product overflows", 0x40000000, 0x40000000, 0x40000000},
        {"positions beyond file size", 0x7FFFFFFF, 0, 0},
    };
    const scan_data original = filled(2, 1, 2);
    for (const count_case& c : cases) {
        SCOPED_TRACE(c.what);
        byte_builder file;
        file.put(1.2f).put(c.positions).put(c.spectra).put(c.points);
        file.bytes.append(QByteArray(64, '\0'));
        const QString name = write_file(QStringLiteral("bad.scn"), file.bytes);

        scan_data loaded = original;
        EXPECT_THROW(loaded.loadfromfile(name), std::runtime_error);
        expect_same_content(loaded, original);
    }

    // Too short to hold the counts at all.
    scan_data loaded = original;
    const QString stub =
        write_file(QStringLiteral("stub.scn"), QByteArray::fromHex("9A99993F0200"));
    EXPECT_THROW(loaded.loadfromfile(stub), std::runtime_error);
    expect_same_content(loaded, original);
}

TEST(scan_data_day_number, converts_local_time_both_ways) {
    struct day_case {
        QDateTime local;
        double days;
    };
    const std::vector<day_case> cases = {
        {QDateTime(QDate(1899, 12, 30), QTime(0, 0)), 0.0},
        {QDateTime(QDate(1900, 1, 1), QTime(12, 0)), 2.5},
        {QDateTime(QDate(2024, 2, 29), QTime(18, 0)), 45351.75},
        {QDateTime(QDate(1899, 12, 29), QTime(6, 0)), -1.25},
    };
    for (const day_case& c : cases) {
        SCOPED_TRACE(c.local.toString(Qt::ISODate).toStdString());
        EXPECT_DOUBLE_EQ(to_day_number(c.local), c.days);
        EXPECT_EQ(from_day_number(c.days), c.local);
    }
    // Rounding to the millisecond may reach the next midnight.
    EXPECT_EQ(from_day_number(45351.9999999999), QDateTime(QDate(2024, 3, 1), QTime(0, 0)));
    EXPECT_FALSE(from_day_number(std::numeric_limits<double>::infinity()).isValid());
}
