#include "scanner/bridge/pass_engine.h"

#include "scanner/bridge/record_cursor.h"
#include "scanner/bridge/set_aside_file.h"
#include "scanner/bridge/sheetresistance_file.h"
#include "scanner/bridge/source_progress.h"
#include "scanner/bridge/spectrum_names.h"
#include "scanner/bridge/xy_file.h"
#include "shared/basics/number_text.h"
#include "shared/basics/sprachen.h"
#include "shared/basics/text_fields.h"
#include "shared/message_board/message_board.h"
#include "shared/platform/file_ops.h"
#include "shared/platform/paths.h"

#include <algorithm>
#include <stdexcept>

namespace {

const QString id_column = QStringLiteral("Id");
const QString load_column = QStringLiteral("LoadID");
const QString point_column = QStringLiteral("MeasPointIndex");
const QString result_name_column = QStringLiteral("resultname");
const QString longitudinal_column = QStringLiteral("LongitudinalPositionRelativeMm");
const QString lateral_column = QStringLiteral("LateralPositionRelativeMm");

constexpr int board_lines_kept = 100;
constexpr qint64 store_interval_ms = 1000;
constexpr qint64 progress_interval_ms = 500;

// The Id of a record identifies it for everything that follows: a record without a
// usable one cannot be set aside, so its step fails as the environment's.
std::int64_t record_id(const record_cursor& records) {
    try {
        return records.integer(id_column);
    } catch (const record_fault& fault) {
        throw std::runtime_error(fault.what());
    }
}

// The Ids in first..last that `seen` does not hold.
id_ranges unseen_between(const id_ranges& seen, std::int64_t first, std::int64_t last) {
    id_ranges missing;
    std::int64_t next = first;
    for (const auto& [a, b] : seen.ranges()) {
        if (b < next)
            continue;
        if (a > last)
            break;
        if (a > next)
            missing.insert(next, std::min(a - 1, last));
        next = std::max(next, b + 1);
        if (next > last)
            break;
    }
    if (next <= last)
        missing.insert(next, last);
    return missing;
}

} // namespace

pass_observer::~pass_observer() = default;
void pass_observer::product_read(const QString&) {}
void pass_observer::progress(const QString&) {}
void pass_observer::new_error_kind(const QString&) {}
void pass_observer::spectrum_written(const QString&, const QString&, const QString&,
                                     const QString&) {}

enum class walk_mode { new_records, late_records, rerun };

// One loop over one record set.
struct pass_engine::walk {
    walk_mode mode = walk_mode::new_records;
    // The records come in Id order (P): those not read yet lie at or above the last one.
    bool ordered = false;
    int limit = 0; // records read at most (0: no limit)

    bool complete = false;
    int read = 0;
    int processed = 0;
    id_ranges seen;
    std::int64_t max_seen = -1;
    std::optional<std::int64_t> min_unhandled;
    std::optional<std::int64_t> in_progress;
    std::optional<std::int64_t> last_done;
    std::optional<std::int64_t> next_unread;
};

struct pass_engine::record_meta {
    std::int64_t id = 0;
    QString load_id;
    QString result_name;
    QString destination;
};

pass_engine::pass_engine(board::message_board& board, pass_observer& observer, clock now)
    : board_(board), observer_(observer), now_(std::move(now)) {
    since_store_.start();
    since_progress_.start();
}

pass_engine::~pass_engine() = default;

QDateTime pass_engine::now() const {
    return now_ ? now_() : QDateTime::currentDateTime();
}

void pass_engine::run_step(source_progress& source, record_source& database) {
    channels_.clear();
    source.expire_gaps(now().toMSecsSinceEpoch());
    walk w;
    w.ordered = source.kind == source_kind::lumotrax_p;
    w.limit = source.kind == source_kind::lumotrax_p ? p_records_per_pass : 0;
    bool walked = false;
    try {
        database.connect();
        record_cursor& records = database.new_records(source.index);
        walked = true;
        walk_records(&source, database, records, w);
        finish(source, w);
        if (source.kind != source_kind::lumotrax_p)
            summary(&source, w, source.index);
        ask_late_records(source, database);
        source.health.succeeded(board_, now());
    } catch (const std::exception& error) {
        if (walked && !w.complete)
            finish(source, w);
        if (source.health.failed(board_, QString::fromUtf8(error.what()), now()))
            observer_.new_error_kind(QString::fromUtf8(error.what()));
    }
    database.step_done();
    store(source);
}

void pass_engine::rerun_q(record_source& database, record_cursor& records, std::int64_t index) {
    channels_.clear();
    walk w;
    w.mode = walk_mode::rerun;
    walk_q(nullptr, database, records, w);
    summary(nullptr, w, index);
}

void pass_engine::walk_records(source_progress* source, record_source& database,
                               record_cursor& records, walk& w) {
    switch (source->kind) {
    case source_kind::lumotrax_q:
        walk_q(source, database, records, w);
        break;
    case source_kind::lumotrax_p:
        walk_p(source, database, records, w);
        break;
    case source_kind::sheet_resistance:
        walk_sheetresistance(source, records, w);
        break;
    }
}

void pass_engine::walk_q(source_progress* source, record_source& database, record_cursor& records,
                         walk& w) {
    // All spectra of a measurement point carry the position of its first record; a point
    // whose first record has no usable position takes that of its next record.
    QString current_load;
    std::int64_t current_point = 0;
    bool latched = false;
    const auto latch_point = [&] {
        latched = false;
        current_point = records.integer(point_column);
        point_longitudinal = static_cast<float>(records.number(longitudinal_column));
        point_lateral = static_cast<float>(records.number(lateral_column));
        latched = true;
    };
    bool first = true;
    while (!records.eof()) {
        record_meta meta;
        meta.id = record_id(records);
        std::optional<record_fault> fault;
        try {
            meta.load_id = records.text(QStringLiteral("LoadId"));
            meta.result_name = records.text(result_name_column);
            if (first || meta.load_id != current_load) {
                current_load = meta.load_id;
                latch_point();
            } else if (!latched || records.integer(point_column) != current_point) {
                latch_point();
            }
        } catch (const record_fault& error) {
            fault = error;
        }
        first = false;
        handle(source, w, meta, fault, [&] {
            const bool postbake = is_postbake_load(meta.load_id, site.postbake_key_phrase);
            const destination where =
                postbake ? postbake_destination(site) : channel(meta.result_name);
            const QString full = spectrum_file_name(
                where.folder, load_in_file_name(meta.load_id),
                file_name_part(site.spectrum_nickname->translation(meta.result_name, 1, QString())),
                position_field_1mm(point_longitudinal), position_field_1mm(point_lateral));
            write_xy(database, records, meta, where, full, false);
        });
        if (w.processed > 0 && w.mode != walk_mode::late_records) {
            if (w.processed % 20 == 0 && w.in_progress)
                board_.post(QString::number(w.processed) + QStringLiteral(" records processed."));
            if (w.processed % 2000 == 0)
                board_.trim(board_lines_kept);
        }
        show_progress(u"Lumotrax Q", w.read);
        w.in_progress.reset();
        records.next();
    }
    w.complete = true;
}

void pass_engine::walk_p(source_progress* source, record_source& database, record_cursor& records,
                         walk& w) {
    std::optional<std::int64_t> last_id;
    while (!records.eof()) {
        record_meta meta;
        meta.id = record_id(records);
        // Records of one Id are never split between passes.
        if (w.limit > 0 && w.read >= w.limit && meta.id != last_id) {
            w.next_unread = meta.id;
            return;
        }
        last_id = meta.id;
        std::optional<record_fault> fault;
        double longitudinal = 0.0;
        double lateral = 0.0;
        try {
            meta.load_id = records.text(load_column);
            meta.result_name = records.text(result_name_column);
            longitudinal = records.number(longitudinal_column);
            lateral = records.number(lateral_column);
        } catch (const record_fault& error) {
            fault = error;
        }
        handle(source, w, meta, fault, [&] {
            const destination where = channel(meta.result_name);
            const QString load = load_in_file_name(meta.load_id);
            const QString nickname =
                file_name_part(site.spectrum_nickname->translation(meta.result_name, 1, QString()));
            write_xy(database, records, meta, where,
                     spectrum_file_name(where.folder, load, nickname,
                                        position_field_grid(longitudinal, 20),
                                        position_field_grid(lateral, 20)),
                     true);
            if (meta.result_name == QLatin1String("Reflection Film")) {
                const double offset = site.offset_rfilm_probehead;
                write_xy(database, records, meta, where,
                         spectrum_file_name(where.folder, load, nickname,
                                            position_field_grid(longitudinal - offset, 10),
                                            position_field_grid(lateral - offset, 10)),
                         true);
            }
        });
        show_progress(u"Lumotrax P", w.read);
        w.in_progress.reset();
        records.next();
    }
    w.complete = true;
}

void pass_engine::walk_sheetresistance(source_progress* source, record_cursor& records, walk& w) {
    const QString sheet_resistance = QStringLiteral("Sheet Resistance");
    sheetresistance_result result;
    result.nickname =
        site.spectrum_nickname->translation(sheet_resistance, 1, QStringLiteral("SR_test"));
    result.channel = site.ovix_assignment->translation(sheet_resistance, 1, QString());
    QString point_load;
    std::int64_t point_index = 0;
    bool latched = false;
    bool first = true;
    const auto latch_point = [&](const QString& load) {
        latched = false;
        point_load = load;
        point_index = records.integer(point_column);
        point_longitudinal = static_cast<float>(records.number(longitudinal_column));
        point_lateral = static_cast<float>(records.number(lateral_column));
        latched = true;
    };
    while (!records.eof()) {
        record_meta meta;
        meta.id = record_id(records);
        meta.result_name = sheet_resistance;
        std::optional<record_fault> fault;
        double longitudinal = 0.0;
        double lateral = 0.0;
        try {
            meta.load_id = records.text(load_column);
            if (first || meta.load_id != point_load)
                latch_point(meta.load_id);
            else if (!latched || records.integer(point_column) != point_index)
                latch_point(meta.load_id);
            longitudinal = records.number(longitudinal_column);
            lateral = records.number(lateral_column);
            result.value = records.text(QStringLiteral("Value"));
        } catch (const record_fault& error) {
            fault = error;
        }
        first = false;
        handle(source, w, meta, fault, [&] {
            result.date_time = date_time_text();
            result.load_id = point_load;
            result.longitudinal = point_longitudinal;
            result.lateral = point_lateral;
            const QString folder = sheetresistance_folder(site.kalix_path, product);
            meta.destination = folder;
            if (!platform::folder_exists(folder)) {
                destination where;
                where.root = site.kalix_path;
                where.product = product;
                where.product_checked = true;
                check_missing_folder(where);
                throw std::runtime_error(QStringLiteral("The folder %1 does not exist.")
                                             .arg(platform::native_path(folder))
                                             .toStdString());
            }
            const QString name =
                sheetresistance_file_name(load_in_file_name(meta.load_id), longitudinal, lateral);
            meta.destination = folder + name;
            // A result of that name is there already: it is kept.
            if (deliver_new_file(folder, name, sheetresistance_file_content(result)))
                written_files << folder + name;
        });
        if (w.processed > 0 && w.processed % 20 == 0 && w.in_progress &&
            w.mode != walk_mode::late_records)
            board_.post(QString::number(w.processed) + QStringLiteral(" records processed."));
        show_progress(u"Sheet resistance", w.read);
        w.in_progress.reset();
        records.next();
    }
    w.complete = true;
}

void pass_engine::handle(source_progress* source, walk& w, record_meta& meta,
                         const std::optional<record_fault>& fault,
                         const std::function<void()>& deliver) {
    ++w.read;
    // Records that share an Id are all handled in the pass that meets the first of them.
    const bool met_in_this_walk = w.seen.contains(meta.id);
    w.seen.insert(meta.id);
    w.max_seen = std::max(w.max_seen, meta.id);
    if (!source) {
        // A re-run: no bookkeeping, every error reaches the caller.
        w.in_progress = meta.id;
        ++w.processed;
        if (fault)
            throw *fault;
        deliver();
        return;
    }
    if (w.mode == walk_mode::new_records && !met_in_this_walk &&
        source->handled.contains(meta.id)) {
        w.last_done = meta.id;
        return; // delivered by an earlier pass that broke off
    }
    w.in_progress = meta.id;
    ++w.processed;
    try {
        // A field that did not convert fails the record where delivering it would.
        if (fault)
            throw *fault;
        deliver();
        delivered(*source, w, meta);
    } catch (const record_fault& fault) {
        failed(*source, w, meta, fault);
    }
    w.last_done = meta.id;
    keep_stored(*source);
}

void pass_engine::delivered(source_progress& source, const walk& w, const record_meta& meta) {
    source.failures.erase(meta.id);
    source.delivered += 1;
    // Once per record: the UTC clock needs no look at the time zone.
    source.last_delivery = now_ ? now_() : QDateTime::currentDateTimeUtc();
    if (!meta.destination.isEmpty())
        source.last_file = meta.destination;
    if (w.mode == walk_mode::new_records) {
        source.handled.insert(meta.id);
        return;
    }
    if (source.retry.contains(meta.id)) {
        source.retry.erase(meta.id);
        source.set_aside.erase(meta.id);
        board_.post(QStringLiteral("Record %1 of %2 set aside before is delivered now.")
                        .arg(meta.id)
                        .arg(source.name));
        return;
    }
    source.remove_gap(meta.id);
    ++source.late_delivered;
    board_.post(QStringLiteral("Late record %1 delivered.").arg(meta.id));
}

void pass_engine::failed(source_progress& source, walk& w, const record_meta& meta,
                         const record_fault& fault) {
    const QString reason = QString::fromUtf8(fault.what());
    if (w.mode == walk_mode::late_records && source.retry.contains(meta.id)) {
        // Tried again on the operator's word: it stays set aside.
        source.retry.erase(meta.id);
        board_.post(QStringLiteral("Record %1 of %2 still cannot be delivered: %3")
                        .arg(meta.id)
                        .arg(source.name, reason));
        return;
    }
    const int count = ++source.failures[meta.id];
    if (fault.hopeless() || count >= failures_before_set_aside) {
        set_aside(source, meta, reason);
        if (w.mode == walk_mode::new_records)
            source.handled.insert(meta.id);
        else
            source.remove_gap(meta.id);
        return;
    }
    if (w.mode == walk_mode::new_records)
        w.min_unhandled = std::min(w.min_unhandled.value_or(meta.id), meta.id);
}

void pass_engine::set_aside(source_progress& source, const record_meta& meta,
                            const QString& reason) {
    source.failures.erase(meta.id);
    source.set_aside.insert(meta.id);
    set_aside_record line;
    line.when = now();
    line.source = source.name;
    line.id = meta.id;
    line.load_id = meta.load_id;
    line.result_name = meta.result_name;
    line.destination = platform::native_path(meta.destination);
    line.reason = reason;
    const bool noted = append_set_aside_record(set_aside_file, line);
    board_.post(QStringLiteral("Record %1 of %2 (load %3, %4) set aside: %5")
                    .arg(meta.id)
                    .arg(source.name, meta.load_id, meta.result_name, reason));
    if (!noted)
        board_.post_error(QStringLiteral("The list of records set aside %1 could not be written.")
                              .arg(platform::native_path(set_aside_file)));
}

void pass_engine::finish(source_progress& source, walk& w) {
    std::int64_t bound = source.index;
    if (w.complete) {
        bound = std::max(w.max_seen, source.index);
    } else if (w.ordered) {
        // Every record below the one being read has been read.
        if (w.next_unread)
            bound = *w.next_unread - 1;
        else if (w.in_progress)
            bound = *w.in_progress - 1;
        else if (w.last_done)
            bound = *w.last_done;
    }
    if (w.min_unhandled)
        bound = std::min(bound, *w.min_unhandled - 1);
    if (bound <= source.index)
        return;
    source.add_gaps(unseen_between(w.seen, source.index + 1, bound),
                    now().toMSecsSinceEpoch() + gap_lifetime_ms, gap_limit);
    source.index = bound;
    source.handled.erase_up_to(bound);
}

void pass_engine::ask_late_records(source_progress& source, record_source& database) {
    id_ranges asked = source.all_gaps();
    for (const auto& [first, last] : source.retry.ranges())
        asked.insert(first, last);
    if (asked.empty())
        return;
    // What one query can ask for; the rest follows in later passes.
    id_ranges limited;
    int ranges = 0;
    for (const auto& [first, last] : asked.ranges()) {
        if (ranges++ >= ranges_per_query)
            break;
        limited.insert(first, last);
    }
    record_cursor& records = database.records_in(limited, ranges_per_query);
    walk w;
    w.mode = walk_mode::late_records;
    w.ordered = source.kind == source_kind::lumotrax_p;
    walk_records(&source, database, records, w);
    // Retried records the query returned have left the retry list already; those it did not
    // return are no longer in the database and stay set aside.
    for (const auto& [first, last] : limited.ranges())
        source.retry.erase(first, last);
}

void pass_engine::summary(const source_progress* source, const walk& w, std::int64_t index) {
    if (w.processed == 0)
        return;
    const bool sheet = source && source->kind == source_kind::sheet_resistance;
    board_.post(QString());
    board_.post(date_time_text());
    board_.post(QString::number(w.processed) +
                (sheet ? QStringLiteral(" Sheet resistance records processed.")
                       : QStringLiteral(" Lumotrax Q records processed.")));
    if (index >= 0)
        board_.post(QStringLiteral("Last processed index: ") + QString::number(index));
}

bool pass_engine::store(source_progress& source) {
    since_store_.restart();
    const bool stored = source.store(written_files);
    if (stored && index_files_failing_) {
        index_files_failing_ = false;
        board_.post(QStringLiteral("Index files working again."));
    } else if (!stored) {
        const bool first = !index_files_failing_;
        index_files_failing_ = true;
        board_.post_error(
            QStringLiteral("Index files: The processed-record index of %1 could not be written.")
                .arg(source.name),
            QStringLiteral("Index files"));
        if (first)
            observer_.new_error_kind(
                QStringLiteral("The processed-record index files could not be written."));
    }
    return stored;
}

void pass_engine::keep_stored(source_progress& source) {
    // A crash in a long catch-up then writes again at most about a second of files.
    if (since_store_.elapsed() >= store_interval_ms)
        store(source);
}

void pass_engine::retry_set_aside(source_progress& source) {
    for (const auto& [first, last] : source.set_aside.ranges())
        source.retry.insert(first, last);
}

void pass_engine::post_unwritten_folders() {
    for (auto i = unwritten_.cbegin(); i != unwritten_.cend(); ++i)
        board_.post(QStringLiteral("%1 records not written: folder %2 does not exist")
                        .arg(i.value())
                        .arg(i.key()));
    unwritten_.clear();
}

void pass_engine::show_progress(QStringView source, int records) {
    // Called for every record: the text is made only when it is shown.
    if (since_progress_.elapsed() < progress_interval_ms)
        return;
    since_progress_.restart();
    observer_.progress(source.toString() + QStringLiteral(": %1 records ...").arg(records));
}

destination pass_engine::channel(const QString& result_name) {
    // The marker is read for every file name: the product may change within a pass. The
    // folders it leads to are kept for the step, as the translation tables are.
    const QString current = marker_.read(site.kalix_path);
    if (current != channels_product_ || site.kalix_path != channels_root_) {
        channels_.clear();
        channels_product_ = current;
        channels_root_ = site.kalix_path;
    }
    auto known = channels_.constFind(result_name);
    if (known == channels_.cend())
        known = channels_.insert(result_name, channel_destination(site, current, result_name));
    product = known->product;
    observer_.product_read(known->product);
    return *known;
}

QString pass_engine::load_in_file_name(const QString& load_id) {
    const QString part = file_name_part(load_id);
    if (part != load_id && !renamed_loads_.contains(load_id)) {
        if (renamed_loads_.size() > 10000)
            renamed_loads_.clear();
        renamed_loads_.insert(load_id);
        board_.post(QStringLiteral("Load %1 holds characters a file name cannot hold; its files "
                                   "are named %2.")
                        .arg(load_id, part));
    }
    return part;
}

void pass_engine::write_xy(record_source& database, record_cursor& records, record_meta& meta,
                           const destination& where, const QString& full_name, bool trimmed) {
    meta.destination = full_name;
    const QString name = full_name.mid(full_name.lastIndexOf(platform::path_separator()) + 1);
    // No look at the folder beforehand: the create of the file tells a missing one. A name
    // too long is found by the delivery.
    if (where.folder.isEmpty()) {
        check_file_name(full_name);
        check_missing_folder(where);
        ++unwritten_[where.folder];
        return;
    }
    const QString wavelengths = database.wavelengths(records.text(QStringLiteral("ResultID")),
                                                     records.text(QStringLiteral("Run_ID")));
    const QString values = records.text(QStringLiteral("Values"));
    const QByteArray content =
        xy_file_content(wavelengths, values, trimmed ? xy_fields::trimmed : xy_fields::unchanged);
    if (deliver_file(where, name, content) == delivery::written) {
        written_files << full_name;
        const QString channel =
            site.ovix_assignment ? site.ovix_assignment->translation(meta.result_name, 1, QString())
                                 : QString();
        observer_.spectrum_written(channel.isEmpty() ? meta.result_name : channel, full_name,
                                   wavelengths, values);
    } else {
        ++unwritten_[where.folder];
    }
}
