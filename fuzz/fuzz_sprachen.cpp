// The vocabulary table: the binary vocabulary file and the text import and append, each read
// from a file as the language editor reads it. The first byte picks the reader.
#include "fuzz/fuzz_support.h"

#include "shared/basics/sprachen.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    fuzz::set_up();
    const QString path = fuzz::scratch_file(fuzz::bytes_of(data + 1, size - 1));
    sprachen table;
    switch (data[0] % 3) {
    case 0:
        table.load_from_file(path);
        break;
    case 1:
        table.import_from_textfile(path);
        break;
    default:
        table.append_from_textfile(path);
        break;
    }
    // Whatever was read must leave a table the programs can use.
    for (int i = 0; i <= table.anzahl_vokabeln; ++i)
        for (int j = 0; j < table.anzahl_sprachen; ++j)
            table.wort(i, j);
    table.translation(QStringLiteral("Nickname"), 1, QString());
    table.sort();
    return 0;
}
