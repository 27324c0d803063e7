// The csv measurement file of the in-line system: the three reading phases and the routing,
// in the order the main window runs them, over arbitrary bytes decoded as lines.
#include "fuzz/fuzz_support.h"

#include "scanner/csv/csv_reader.h"
#include "scanner/csv/csv_routing.h"
#include "shared/basics/scan_data.h"

#include <QDateTime>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::set_up();
    const QByteArray bytes = fuzz::bytes_of(data, size);
    const QStringList lines = fuzz::lines_of(bytes);
    // The W carried over from the last file: the settings value most of the time, or what a
    // damaged file left behind.
    const std::int32_t carried_w = size % 7 == 0 ? static_cast<std::int32_t>(size % 9000) : 125;
    const QDateTime file_time(QDate(2024, 5, 17), QTime(10, 30));
    const QString file_name = QStringLiteral("line7-O-AB_0815.csv");

    const csv_layout layout = read_csv_layout(lines, file_name, file_time, carried_w);
    if (!layout.complete())
        return 0;
    const csv_plate plate = read_csv_plate(layout);

    csv_route_input in;
    in.file_name = file_name;
    in.zeiss_plate = plate.zeiss_plate;
    in.zeiss_plate_id = plate.zeiss_plate_id;
    in.plate_text = layout.plate_text;
    in.position_count = layout.no_positions;
    in.x_scan = layout.x_scan != x_scan_kind::none;
    in.product = QStringLiteral("DemoCoating");
    in.postbake_product = QStringLiteral("DemoCoating postbake");
    in.no_scan_files = 1 + static_cast<int>(size % 4);
    const csv_route route = route_csv_file(in);
    identification_lines(in, route.postbake_mode, route.new_product);
    scan_file_targets(route, QStringLiteral("/kalix/out"), QStringLiteral("/kalix/pb"));

    scan_data sc;
    read_csv_values(lines, layout, file_name, sc);
    const postbake_offsets offsets;
    apply_position_offsets(sc, route.postbake_mode, offsets);
    return 0;
}
