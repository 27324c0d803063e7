// Renders the vocabulary editor with a loaded table of a dozen words and a selected cell into
// a PNG, for the README and for looking at the layout without a desktop:
//   language_editor_screenshot <picture.png>
#include "shared/basics/sprachen.h"
#include "shared/language_editor/language_editor_unit.h"
#include "tools/runner/headless_run.h"
#include "tools/runner/window_picture.h"

#include <QApplication>
#include <QDir>
#include <QTableView>
#include <QTemporaryDir>

#include <cstdio>

namespace {

// A spectrum nickname table as the scanner keeps one.
sprachen nickname_table() {
    sprachen table;
    table.neue_sprache(QStringLiteral("Francais"));
    const vokabel_liste words{
        {"ch01_reflectance", "Reflectance front", "Reflexion vorne", "Reflexion avant"},
        {"ch02_reflectance", "Reflectance back", "Reflexion hinten", "Reflexion arriere"},
        {"ch03_transmission", "Transmission", "Transmission", "Transmission"},
        {"ch04_haze", "Haze", "Trubung", "Voile"},
        {"ch05_colour_L", "Colour L*", "Farbe L*", "Couleur L*"},
        {"ch06_colour_a", "Colour a*", "Farbe a*", "Couleur a*"},
        {"ch07_colour_b", "Colour b*", "Farbe b*", "Couleur b*"},
        {"ch08_thickness", "Layer thickness", "Schichtdicke", "Epaisseur"},
        {"ch09_sheet_res", "Sheet resistance", "Flachenwiderstand", "Resistance carree"},
        {"ch10_emissivity", "Emissivity", "Emissivitat", "Emissivite"},
        {"ch11_uv", "UV transmission", "UV-Transmission", "Transmission UV"},
        {"ch12_ir", "IR reflectance", "IR-Reflexion", "Reflexion IR"}};
    for (const vokabel& row : words)
        table.meine_liste.push_back(row);
    table.anzahl_vokabeln = static_cast<std::int32_t>(table.meine_liste.size());
    return table;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: language_editor_screenshot <picture.png>\n");
        return 2;
    }
    QApplication application(argc, argv);
    const QString picture = QString::fromLocal8Bit(argv[1]);
    QTemporaryDir home;
    runner::headless_run run(QDir::toNativeSeparators(home.path() + "/language_editor"),
                             home.path());

    const QString file = QDir::toNativeSeparators(home.path() + "/spectrum_nicknames.bin");
    nickname_table().save_to_file(file);
    Tlanguage_editor_form window;
    window.save_question = false;
    window.show();
    window.load_file(file);
    window.select_grid_cell(5, 3);
    const bool saved = runner::save_window_picture(window, picture);
    window.close();
    return saved ? 0 : 1;
}
