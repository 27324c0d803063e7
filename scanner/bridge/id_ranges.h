#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <map>

// A set of record Ids kept as disjoint closed ranges: Ids of a catch-up come in long runs,
// so even a hundred thousand of them take a few entries.
class id_ranges {
public:
    void insert(std::int64_t id) { insert(id, id); }
    // Inserts first..last (nothing when last < first).
    void insert(std::int64_t first, std::int64_t last);
    void erase(std::int64_t id);
    // Erases first..last.
    void erase(std::int64_t first, std::int64_t last);
    // Drops every Id at or below `id`.
    void erase_up_to(std::int64_t id);
    // Keeps at most `limit` Ids, dropping the smallest first.
    void keep_largest(std::int64_t limit);
    bool contains(std::int64_t id) const;
    bool empty() const { return ranges_.empty(); }
    void clear() { ranges_.clear(); }
    // How many Ids the set holds.
    std::int64_t size() const;
    std::int64_t smallest() const { return ranges_.begin()->first; }
    std::int64_t largest() const { return ranges_.rbegin()->second; }
    const std::map<std::int64_t, std::int64_t>& ranges() const { return ranges_; }

    bool operator==(const id_ranges& other) const { return ranges_ == other.ranges_; }

    // "a-b" or "a", one range a line; the reading skips lines it cannot take.
    QStringList lines() const;
    static id_ranges from_lines(const QStringList& lines);
    // An SQL condition on column Id over at most `max_ranges` of the ranges, smallest first:
    // "(Id between 5 and 9 or Id=12)".
    QString sql_condition(int max_ranges) const;

private:
    std::map<std::int64_t, std::int64_t> ranges_; // first -> last
};
