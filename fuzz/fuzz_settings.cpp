// The settings readers of both programs, the postbake offsets and the index files. The first
// byte picks the reader; the rest is a settings file decoded as the programs decode it.
#include "fuzz/fuzz_support.h"

#include "cleaner/cleaning/cleaner_settings.h"
#include "scanner/bridge/index_files.h"
#include "scanner/bridge/scanner_settings_file.h"
#include "scanner/csv/csv_routing.h"
#include "shared/kalix_spectrum_scanner/settings/kalix_scanner_settings.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    fuzz::set_up();
    const QByteArray rest = fuzz::bytes_of(data + 1, size - 1);
    switch (data[0] % 5) {
    case 0: {
        kalix_scanner_settings settings;
        if (read_kalix_scanner_settings(fuzz::lines_of(rest), settings))
            kalix_scanner_settings_lines(settings);
        break;
    }
    case 1: {
        cleaner_settings settings;
        read_cleaner_settings(fuzz::lines_of(rest), settings);
        cleaner_settings_lines(settings);
        break;
    }
    case 2:
        lumotrax_scanner_settings_lines(read_lumotrax_scanner_settings(fuzz::lines_of(rest)));
        break;
    case 3:
        read_additional_postbake_ini_data(fuzz::lines_of(rest));
        break;
    default:
        read_index_file(fuzz::scratch_file(rest));
        break;
    }
    return 0;
}
