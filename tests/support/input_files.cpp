#include "tests/support/input_files.h"

#include "shared/basics/sprachen.h"

#include <gtest/gtest.h>

QByteArray production_csv(int positions, int plate) {
    QByteArray csv = "Measurement report\r\nLine;4\r\nRecipe;Low-E\r\nOperator;day\r\n"
                     "Date;2026-12-10\r\n"
                     "Stamp;Plate;Kind;Position;X;Y;Glass;Sheet Resistance; \r\n";
    for (int p = 0; p < positions; ++p)
        csv += QByteArray::number(p + 1) + ";" + QByteArray::number(plate) + ";Sheet Resistance;" +
               QByteArray::number(100 * (p + 1)) + ";0;0;1.0;2.5;\r\n";
    for (int block = 1; block <= 4; ++block) {
        csv += "Spectrum;channel " + QByteArray::number(block) + "\r\n;\r\n";
        csv += "380;390;400;410;420\r\nnm;nm;nm;nm;nm;\r\n";
        for (int p = 0; p < positions; ++p)
            csv += QByteArray::number(block) + ".1;0.2;0.3;0.4;0." + QByteArray::number(p % 10) +
                   "\r\n";
    }
    return csv;
}

void write_table(const QString& file_name,
                 const std::vector<std::pair<const char*, const char*>>& words) {
    sprachen table;
    for (const auto& [name, mapped] : words) {
        table.anzahl_vokabeln_plus();
        table.meine_liste.back()[0] = QString::fromUtf8(name);
        table.meine_liste.back()[1] = QString::fromUtf8(mapped);
    }
    ASSERT_TRUE(table.save_to_file(file_name));
}
