#pragma once

#include <QString>

#include <cstdint>
#include <vector>

using vokabel = std::vector<QString>;
using vokabel_liste = std::vector<vokabel>;

// A small multi-language word table: one column per language (column 0 the key column
// "Nickname"), row 0 the language titles, rows 1.. the words. The programs use it as a
// name translation table (column 0 internal name, column 1 mapped name).
class sprachen {
public:
    std::int32_t anzahl_sprachen = 0;
    std::int32_t anzahl_vokabeln = 0;
    vokabel_liste meine_liste;
    QString my_title;

    // A new table: columns "Nickname", "English", "Deutsch" and the title row only.
    sprachen();

    QString wort(int index, int sprache) const;
    int get_index(const QString& my_vocabulary, int language) const;
    QString translation(const QString& nickname, int language, const QString& default_text) const;

    void anzahl_vokabeln_plus();
    // Asks the operator for the name of the new language.
    void anzahl_sprachen_plus();
    void neue_sprache(const QString& die_sprache);
    void sort();

    // Replaces the table with a vocabulary file; silent on failure (the table keeps what
    // was read and stays consistent).
    void load_from_file(const QString& this_file);
    // Writes the table as a vocabulary file; true when it was written.
    bool save_to_file(const QString& this_file) const;
    bool export_to_textfile(const QString& the_file) const;
    void import_from_textfile(const QString& the_file);
    void append_from_textfile(const QString& the_file);
};
