#pragma once

#include <QString>

#include <cstdint>
#include <stdexcept>

class id_ranges;

// A record that cannot be delivered as it stands: a field that does not convert, a name
// the file system cannot hold, a folder in its file's place. Anything else that fails
// (database, folders, disk) is the environment's and is waited out.
class record_fault : public std::runtime_error {
public:
    // `hopeless`: trying again cannot help, the record is set aside at once.
    explicit record_fault(const QString& text, bool hopeless = false);
    bool hopeless() const { return hopeless_; }

private:
    bool hopeless_;
};

// The records of one query, read forward. Missing columns and failed reads raise
// std::runtime_error; a value that does not convert raises record_fault.
class record_cursor {
public:
    virtual ~record_cursor();
    virtual bool eof() const = 0;
    virtual void next() = 0;
    virtual QString text(const QString& column) const = 0;
    virtual std::int64_t integer(const QString& column) const = 0;
    virtual double number(const QString& column) const = 0;
};

// One database: its connection, its record query and its wavelength grids.
class record_source {
public:
    virtual ~record_source();
    // Connects when not connected; raises std::runtime_error when that fails.
    virtual void connect() = 0;
    // The source's record query over the records after `index`.
    virtual record_cursor& new_records(std::int64_t index) = 0;
    // The same query restricted to the Ids of `ids` (at most `max_ranges` of its ranges).
    virtual record_cursor& records_in(const id_ranges& ids, int max_ranges) = 0;
    // The wavelength grid of a spectrum record; empty when the table has none.
    virtual QString wavelengths(const QString& result_id, const QString& run_id) = 0;
    // After a step: the window shows the source's bookkeeping.
    virtual void step_done() {}
};
