// Every loader meets files cut at every length and counts set to extremes: none may crash,
// allocate beyond the file, or leave its object inconsistent.
#include "shared/basics/little_endian.h"
#include "shared/basics/password_file.h"
#include "shared/basics/scan_data.h"
#include "shared/basics/sprachen.h"
#include "shared/basics/string_records.h"
#include "test_data_path.h"
#include "tests/support/scratch_fixture.h"

#include <limits>
#include <random>
#include <stdexcept>
#include <vector>

namespace {

class damaged_files : public scratch_fixture {
protected:
    damaged_files() : saved_version_(read_version()) {}
    ~damaged_files() override { set_read_version(saved_version_); }

    static QByteArray golden(const char* name) {
        return read_file(QStringLiteral(KALIX_TEST_DATA_DIR "/") + QString::fromLatin1(name));
    }

    // The golden file cut short, and with each 32-bit field in the first
    // `header_fields` words replaced by extreme values.
    static std::vector<QByteArray> variants(const QByteArray& original, qsizetype first_field,
                                            int header_fields) {
        std::vector<QByteArray> result;
        // Every length through the headers, then a sample through the records.
        for (qsizetype length = 0; length < original.size(); length += length < 800 ? 1 : 13)
            result.push_back(original.left(length));
        const std::vector<std::int32_t> extremes = {-1, std::numeric_limits<std::int32_t>::min(),
                                                    std::numeric_limits<std::int32_t>::max(),
                                                    0x10000, 0};
        for (int field = 0; field < header_fields; ++field) {
            for (const std::int32_t value : extremes) {
                QByteArray changed = original;
                changed.replace(first_field + 4 * field, 4, int32_bytes(value));
                result.push_back(changed);
            }
        }
        std::mt19937 noise(20261210);
        for (int i = 0; i < 20; ++i) {
            QByteArray changed = original;
            for (char& byte : changed)
                if (noise() % 16 == 0)
                    byte = static_cast<char>(noise());
            result.push_back(changed);
        }
        return result;
    }

private:
    float saved_version_;
};

TEST_F(damaged_files, vocabulary_tables_stay_consistent) {
    std::vector<QByteArray> inputs = variants(golden("new_table.bin"), 11, 2);
    for (const QByteArray& old : variants(golden("old_layout_table.bin"), 0, 2))
        inputs.push_back(old);
    const QString file = path(QStringLiteral("damaged.bin"));
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        SCOPED_TRACE(i);
        write_file(QStringLiteral("damaged.bin"), inputs[i]);
        sprachen table;
        table.load_from_file(file);
        ASSERT_GE(table.anzahl_sprachen, 0);
        ASSERT_EQ(static_cast<std::size_t>(table.anzahl_vokabeln), table.meine_liste.size());
        for (const vokabel& row : table.meine_liste)
            ASSERT_EQ(row.size(), static_cast<std::size_t>(table.anzahl_sprachen));
        EXPECT_EQ(ui().busy_depth, 0);
    }
}

TEST_F(damaged_files, password_files_read_what_is_there) {
    const QString file = path(QStringLiteral("damaged.bin"));
    for (const QByteArray& input : variants(golden("old_layout_password.bin"), 752, 0)) {
        write_file(QStringLiteral("damaged.bin"), input);
        // Every character read needs at least one byte of the file.
        EXPECT_LE(read_password_file(file).size(), input.size());
    }
}

TEST_F(damaged_files, scan_files_load_or_throw) {
    const QString file = path(QStringLiteral("damaged.scn"));
    for (const QByteArray& input : variants(golden("scan_2x3x4_v12.scn"), 4, 3)) {
        write_file(QStringLiteral("damaged.scn"), input);
        scan_data data;
        try {
            data.loadfromfile(file);
        } catch (const std::runtime_error&) {
        }
        ASSERT_EQ(data.positions.size(), static_cast<std::size_t>(data.no_positions));
        ASSERT_EQ(data.x_min.size(), static_cast<std::size_t>(data.no_spectra));
        ASSERT_EQ(data.spectral_data.size(), static_cast<std::size_t>(data.no_positions) *
                                                 static_cast<std::size_t>(data.no_spectra) *
                                                 static_cast<std::size_t>(data.max_no_points));
    }
}

} // namespace
