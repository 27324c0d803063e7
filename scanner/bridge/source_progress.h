#pragma once

#include "scanner/bridge/id_ranges.h"
#include "scanner/bridge/step_health.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <deque>
#include <map>

enum class source_kind { lumotrax_q, lumotrax_p, sheet_resistance };

// What the scanner knows of one database between passes.
//
// `index` is the safe index: every record at or below it was delivered or set aside.
// `handled` holds the Ids above it that were delivered already (a pass that broke off, or
// records that come in load order rather than Id order), so they are not written again.
// Ids the index passed without seeing them are remembered for a while as gaps: a
// transaction that commits late brings its record there.
class source_progress {
public:
    source_progress(QString name, source_kind kind, QString index_file, QString handled_file);

    const QString name;
    const source_kind kind;
    step_health health;

    std::int64_t index = 0;
    id_ranges handled;

    // Gaps, each batch until its deadline (milliseconds since the epoch).
    struct gap_batch {
        qint64 deadline = 0;
        id_ranges ids;
    };
    std::deque<gap_batch> gaps;
    // Records that failed, by Id: in how many passes in a row.
    std::map<std::int64_t, int> failures;
    // Set aside in this run; `retry` those the operator hands to the next pass again.
    id_ranges set_aside;
    id_ranges retry;

    // What the status and the operator's view show.
    std::int64_t late_delivered = 0;
    std::int64_t delivered = 0;
    QDateTime last_delivery;
    QString last_file;

    // Starts afresh from `value` (the operator set the index): what was known above or
    // below the old index no longer applies.
    void restart_at(std::int64_t value);
    // All gaps, and the gaps without those past their deadline.
    id_ranges all_gaps() const;
    void expire_gaps(qint64 now_ms);
    void remove_gap(std::int64_t id);
    // Adds gaps for `deadline_ms`, keeping at most `limit` gap Ids (the newest).
    void add_gaps(const id_ranges& ids, qint64 deadline_ms, std::int64_t limit);

    // The index files: read at start-up, written when they changed. Files delivered since
    // the last store are flushed to disk first, so no stored index stands ahead of a file.
    struct load_result {
        bool index_valid = false;
        bool from_previous_copy = false;
    };
    load_result load();
    bool store(QStringList& written_files);
    bool stored_unchanged() const;
    const QString& index_file() const { return index_file_; }

private:
    QString index_file_;
    QString handled_file_;
    std::int64_t stored_index_ = -1;
    id_ranges stored_handled_;
};
