// The scan file loader, and writing back what it read.
#include "fuzz/fuzz_support.h"

#include "shared/basics/scan_data.h"

#include <cstddef>
#include <cstdint>
#include <stdexcept>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::set_up();
    const QString path = fuzz::scratch_file(fuzz::bytes_of(data, size));
    scan_data sc;
    try {
        sc.loadfromfile(path);
    } catch (const std::runtime_error&) {
        return 0;
    }
    for (std::int32_t p = 0; p < sc.no_positions; ++p)
        for (std::int32_t s = 0; s < sc.no_spectra; ++s)
            if (sc.max_no_points > 0)
                (void)sc.spectral_data.at(
                    static_cast<std::size_t>(sc.the_index(p, s, sc.max_no_points - 1)));
    return 0;
}
