#pragma once

#include "scanner/bridge/delivery.h"
#include "scanner/bridge/product_marker.h"
#include "scanner/bridge/record_cursor.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QHash>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <cstdint>
#include <functional>
#include <optional>

namespace board {
class message_board;
}
class record_cursor;
class record_source;
class source_progress;

// What the window learns from a pass while it runs.
class pass_observer {
public:
    virtual ~pass_observer();
    // The product a file name was just composed for.
    virtual void product_read(const QString& product);
    // A long loop's progress, at most twice a second.
    virtual void progress(const QString& text);
    // An error of a kind not shown before: the window may show it once the pass is over.
    virtual void new_error_kind(const QString& text);
    // A spectrum file was just handed over: its channel, full name and payload as written.
    virtual void spectrum_written(const QString& channel, const QString& file_name,
                                  const QString& wavelengths, const QString& values);
};

// The record loops of the Q, P and sheet-resistance databases, without any window: they
// read records through a cursor, hand files over, keep each source's index and report on
// the message board. A step never raises: a fault of the environment (database, folders,
// disk) ends that source's step and is tried again from its safe index at the next pass;
// a record that cannot be delivered is set aside after failing in three passes in a row
// (at once where trying again cannot help), so it never holds up the others.
class pass_engine {
public:
    using clock = std::function<QDateTime()>;
    pass_engine(board::message_board& board, pass_observer& observer, clock now = nullptr);
    ~pass_engine();
    pass_engine(const pass_engine&) = delete;
    pass_engine& operator=(const pass_engine&) = delete;

    delivery_site site;
    // The product of the sheet-resistance folder: as the window composed it last, and as
    // every spectrum name reads it afresh.
    QString product;
    // records_not_delivered.csv
    QString set_aside_file;

    // One step of one source: new records, then late and retried ones, then the index.
    void run_step(source_progress& source, record_source& database);
    // The Q loop over `records` with no bookkeeping (a historic pane run again); every
    // error reaches the caller. The summary names `index` as the last processed one.
    void rerun_q(record_source& database, record_cursor& records, std::int64_t index);
    // Stores the source's index files if they changed; a failure is the "Index files"
    // step's error.
    bool store(source_progress& source);
    // Hands the records set aside to the next pass again.
    void retry_set_aside(source_progress& source);
    // Posts, and forgets, the folders whose records counted as handled without a file.
    void post_unwritten_folders();

    // A load id as file names carry it; a changed one is said once on the board.
    QString load_in_file_name(const QString& load_id);

    // Files handed over since the indices were last stored.
    QStringList written_files;
    // The position of the measurement point being handled (shared with the window).
    float point_longitudinal = 0.0f;
    float point_lateral = 0.0f;

    static constexpr int failures_before_set_aside = 3;
    static constexpr std::int64_t gap_limit = 10000;
    static constexpr qint64 gap_lifetime_ms = 15 * 60 * 1000;
    static constexpr int ranges_per_query = 100;
    static constexpr int p_records_per_pass = 100;

private:
    struct walk;
    struct record_meta;
    board::message_board& board_;
    pass_observer& observer_;
    clock now_;
    QElapsedTimer since_store_;
    QElapsedTimer since_progress_;
    QMap<QString, int> unwritten_;
    QSet<QString> renamed_loads_;
    bool index_files_failing_ = false;

    QDateTime now() const;
    void walk_records(source_progress* source, record_source& database, record_cursor& records,
                      walk& w);
    void walk_q(source_progress* source, record_source& database, record_cursor& records, walk& w);
    void walk_p(source_progress* source, record_source& database, record_cursor& records, walk& w);
    void walk_sheetresistance(source_progress* source, record_cursor& records, walk& w);
    void handle(source_progress* source, walk& w, record_meta& meta,
                const std::optional<record_fault>& fault, const std::function<void()>& deliver);
    void delivered(source_progress& source, const walk& w, const record_meta& meta);
    void failed(source_progress& source, walk& w, const record_meta& meta,
                const record_fault& fault);
    void set_aside(source_progress& source, const record_meta& meta, const QString& reason);
    void finish(source_progress& source, walk& w);
    void ask_late_records(source_progress& source, record_source& database);
    void summary(const source_progress* source, const walk& w, std::int64_t index);
    void keep_stored(source_progress& source);
    void show_progress(QStringView source, int records);

    // Writing the files.
    product_marker marker_;
    // The channel folders of the current product by result name, for one step.
    QHash<QString, destination> channels_;
    QString channels_product_;
    QString channels_root_;
    void write_xy(record_source& database, record_cursor& records, record_meta& meta,
                  const destination& where, const QString& name, bool trimmed);
    destination channel(const QString& result_name);
};
