#include "scanner/bridge/source_progress.h"

#include "scanner/bridge/index_files.h"
#include "shared/platform/disk_flush.h"
#include "shared/platform/line_list.h"

#include <algorithm>

source_progress::source_progress(QString name_, source_kind kind_, QString index_file,
                                 QString handled_file)
    : name(std::move(name_)), kind(kind_), health(name), index_file_(std::move(index_file)),
      handled_file_(std::move(handled_file)) {}

void source_progress::restart_at(std::int64_t value) {
    index = value;
    handled.clear();
    gaps.clear();
    failures.clear();
}

id_ranges source_progress::all_gaps() const {
    id_ranges all;
    for (const gap_batch& batch : gaps)
        for (const auto& [first, last] : batch.ids.ranges())
            all.insert(first, last);
    return all;
}

void source_progress::expire_gaps(qint64 now_ms) {
    std::erase_if(gaps, [now_ms](const gap_batch& batch) {
        return batch.deadline <= now_ms || batch.ids.empty();
    });
}

void source_progress::remove_gap(std::int64_t id) {
    for (gap_batch& batch : gaps)
        batch.ids.erase(id);
}

void source_progress::add_gaps(const id_ranges& ids, qint64 deadline_ms, std::int64_t limit) {
    if (ids.empty())
        return;
    gap_batch batch{deadline_ms, ids};
    batch.ids.keep_largest(limit);
    std::int64_t total = batch.ids.size();
    for (const gap_batch& older : gaps)
        total += older.ids.size();
    // Over the limit the oldest gaps go first.
    while (total > limit && !gaps.empty()) {
        gap_batch& oldest = gaps.front();
        const std::int64_t size = oldest.ids.size();
        if (size <= total - limit) {
            total -= size;
            gaps.pop_front();
        } else {
            oldest.ids.keep_largest(size - (total - limit));
            total = limit;
        }
    }
    gaps.push_back(std::move(batch));
}

source_progress::load_result source_progress::load() {
    load_result result;
    const index_reading reading = read_index_file(index_file_);
    result.index_valid = reading.from != index_reading::origin::none;
    result.from_previous_copy = reading.from == index_reading::origin::previous_copy;
    index = reading.value;
    stored_index_ = result.index_valid && !result.from_previous_copy ? index : -1;
    QStringList lines;
    handled.clear();
    if (platform::load_lines(handled_file_, lines))
        handled = id_ranges::from_lines(lines);
    handled.erase_up_to(index);
    stored_handled_ = handled;
    return result;
}

bool source_progress::stored_unchanged() const {
    return index == stored_index_ && handled == stored_handled_;
}

bool source_progress::store(QStringList& written_files) {
    if (stored_unchanged())
        return true;
    if (!written_files.isEmpty()) {
        if (!platform::flush_to_disk(written_files))
            return false;
        written_files.clear();
    }
    // The handled Ids first: a crash between the two writes leaves either the old index
    // with more handled Ids above it, or the new index with some of them below it.
    if (!(handled == stored_handled_)) {
        if (!platform::save_lines(handled_file_, handled.lines()))
            return false;
        stored_handled_ = handled;
    }
    if (index != stored_index_) {
        if (!write_index_file(index_file_, index))
            return false;
        stored_index_ = index;
    }
    return true;
}
