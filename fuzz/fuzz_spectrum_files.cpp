// The spectrum payload writers: the xy file from a wavelength text and a values text as the
// record sources deliver them, and the sheet-resistance file. Parts are separated by 0x00:
// wavelengths, values, then the sheet-resistance texts.
#include "fuzz/fuzz_support.h"

#include "scanner/bridge/sheetresistance_file.h"
#include "scanner/bridge/xy_file.h"

#include "shared/platform/code_page.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::set_up();
    const QList<QByteArray> parts = fuzz::parts_of(fuzz::bytes_of(data, size), 7);
    const auto text = [&parts](int i) { return platform::decode_text(parts[i]); };

    xy_file_content(text(0), text(1), xy_fields::unchanged);
    xy_file_content(text(0), text(1), xy_fields::trimmed);

    sheetresistance_result result;
    result.nickname = text(2);
    result.value = text(3);
    result.date_time = text(4);
    result.channel = text(5);
    result.load_id = text(6);
    // Positions from the last bytes, any bit pattern (NaN and infinities included).
    if (size >= 8) {
        std::memcpy(&result.longitudinal, data + size - 8, 4);
        std::memcpy(&result.lateral, data + size - 4, 4);
    }
    sheetresistance_file_content(result);
    sheetresistance_file_name(result.load_id, result.longitudinal, result.lateral);
    sheetresistance_folder(QStringLiteral("/kalix"), result.channel);
    return 0;
}
