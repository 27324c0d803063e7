// Writes the two name translation tables of the demo site into a program folder:
// ovix_assignment.bin (result name to OVIX channel folder) and spectrum_nicknames.bin
// (result name to the nickname in file names), matching the demo in-line database.
//   make_demo_translation_tables <program folder>
#include "shared/basics/sprachen.h"
#include "shared/platform/paths.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdio>
#include <utility>
#include <vector>

namespace {

using pairs = std::vector<std::pair<const char*, const char*>>;

bool write_table(const QString& file, const pairs& words) {
    sprachen table;
    for (const auto& [name, mapped] : words) {
        table.anzahl_vokabeln_plus();
        auto& row = table.meine_liste[static_cast<std::size_t>(table.anzahl_vokabeln - 1)];
        row[0] = QString::fromUtf8(name);
        row[1] = QString::fromUtf8(mapped);
    }
    return table.save_to_file(file);
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_demo_translation_tables <program folder>\n");
        return 2;
    }
    QCoreApplication application(argc, argv);
    const QString folder = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    const bool written =
        write_table(platform::join_path(folder, QStringLiteral("ovix_assignment.bin")),
                    {{"Transmission", "T"},
                     {"Reflection Film", "RF"},
                     {"Reflection Glass", "RC"},
                     {"Sheet Resistance", "T"}}) &&
        write_table(platform::join_path(folder, QStringLiteral("spectrum_nicknames.bin")),
                    {{"Transmission", "T"},
                     {"Reflection Film", "RF"},
                     {"Reflection Glass", "RG"},
                     {"Sheet Resistance", "R_sq"}});
    if (!written)
        std::fprintf(stderr, "could not write the tables into %s\n", argv[1]);
    return written ? 0 : 1;
}
