#include "scanner/bridge/id_ranges.h"

#include <algorithm>
#include <iterator>

void id_ranges::insert(std::int64_t first, std::int64_t last) {
    if (last < first)
        return;
    // Merge with every range that overlaps or touches first..last.
    auto it = ranges_.upper_bound(first);
    if (it != ranges_.begin()) {
        auto before = std::prev(it);
        if (before->second >= first - 1) {
            first = before->first;
            last = std::max(last, before->second);
            it = ranges_.erase(before);
        }
    }
    while (it != ranges_.end() && it->first <= last + 1) {
        last = std::max(last, it->second);
        it = ranges_.erase(it);
    }
    ranges_.emplace(first, last);
}

void id_ranges::erase(std::int64_t id) {
    auto it = ranges_.upper_bound(id);
    if (it == ranges_.begin())
        return;
    --it;
    const std::int64_t first = it->first;
    const std::int64_t last = it->second;
    if (id > last)
        return;
    ranges_.erase(it);
    if (first < id)
        ranges_.emplace(first, id - 1);
    if (id < last)
        ranges_.emplace(id + 1, last);
}

void id_ranges::erase(std::int64_t first, std::int64_t last) {
    std::map<std::int64_t, std::int64_t> kept;
    for (const auto& [a, b] : ranges_) {
        if (b < first || a > last) {
            kept.emplace(a, b);
            continue;
        }
        if (a < first)
            kept.emplace(a, first - 1);
        if (b > last)
            kept.emplace(last + 1, b);
    }
    ranges_ = std::move(kept);
}

void id_ranges::erase_up_to(std::int64_t id) {
    while (!ranges_.empty() && ranges_.begin()->first <= id) {
        const auto first = ranges_.begin();
        const std::int64_t last = first->second;
        ranges_.erase(first);
        if (last > id)
            ranges_.emplace(id + 1, last);
    }
}

void id_ranges::keep_largest(std::int64_t limit) {
    std::int64_t excess = size() - std::max<std::int64_t>(limit, 0);
    while (excess > 0 && !ranges_.empty()) {
        const auto first = ranges_.begin();
        const std::int64_t count = first->second - first->first + 1;
        if (count <= excess) {
            excess -= count;
            ranges_.erase(first);
        } else {
            const std::int64_t last = first->second;
            const std::int64_t start = first->first + excess;
            ranges_.erase(first);
            ranges_.emplace(start, last);
            excess = 0;
        }
    }
}

bool id_ranges::contains(std::int64_t id) const {
    auto it = ranges_.upper_bound(id);
    if (it == ranges_.begin())
        return false;
    return std::prev(it)->second >= id;
}

std::int64_t id_ranges::size() const {
    std::int64_t count = 0;
    for (const auto& [first, last] : ranges_)
        count += last - first + 1;
    return count;
}

QStringList id_ranges::lines() const {
    QStringList lines;
    for (const auto& [first, last] : ranges_)
        lines << (first == last ? QString::number(first)
                                : QString::number(first) + u'-' + QString::number(last));
    return lines;
}

id_ranges id_ranges::from_lines(const QStringList& lines) {
    id_ranges set;
    for (const QString& line : lines) {
        // The separator is the first '-' after the first character, so negatives read too.
        const qsizetype dash = line.indexOf(u'-', 1);
        bool first_ok = false;
        bool last_ok = true;
        const std::int64_t first = line.left(dash < 0 ? line.size() : dash).toLongLong(&first_ok);
        const std::int64_t last = dash < 0 ? first : line.mid(dash + 1).toLongLong(&last_ok);
        if (first_ok && last_ok)
            set.insert(first, last);
    }
    return set;
}

QString id_ranges::sql_condition(int max_ranges) const {
    QStringList terms;
    for (const auto& [first, last] : ranges_) {
        if (terms.size() >= max_ranges)
            break;
        terms << (first == last ? QStringLiteral("Id=") + QString::number(first)
                                : QStringLiteral("Id between %1 and %2").arg(first).arg(last));
    }
    return u'(' + terms.join(QStringLiteral(" or ")) + u')';
}
