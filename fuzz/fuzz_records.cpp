// The password file, and string records read in the old and the new layout. The first byte
// picks the reader (and for string records the read version).
#include "fuzz/fuzz_support.h"

#include "shared/basics/password_file.h"
#include "shared/basics/string_records.h"

#include <QBuffer>

#include <cstddef>
#include <cstdint>
#include <stdexcept>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    fuzz::set_up();
    const QByteArray rest = fuzz::bytes_of(data + 1, size - 1);
    if (data[0] % 2 == 0) {
        read_password_file(fuzz::scratch_file(rest));
        return 0;
    }
    set_read_version(data[0] & 2 ? 3.18f : file_format_version);
    QByteArray bytes = rest;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    try {
        // A record too short for its count field is read as empty text without consuming it.
        qint64 position = -1;
        while (!buffer.atEnd() && buffer.pos() != position) {
            position = buffer.pos();
            read_string_from_stream(buffer);
        }
    } catch (const std::runtime_error&) {
        // A short old-layout record is reported this way.
    }
    return 0;
}
