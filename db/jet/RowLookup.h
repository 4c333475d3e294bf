// Finding a table's rows by the value of one column: through Access's index B-trees where
// one answers, else through keys of that column kept in memory (built from one scan on
// first use and kept current by the changes made through the owner). Where a B-tree may
// miss rows (texts with a rare case variant such as LONG S, keyed apart from its letter),
// only those rows' keys are kept beside it. The rows
// found are candidates in a stable order: the caller compares each row's value again (a
// few more may come, e.g. texts that differ in letter case).
// Layer: table (above Table); knows values, keys and row ids, not SQL. One rule turns a
// number into a whole-number key, for the B-trees and the kept keys alike.
#pragma once

#include "db/jet/Table.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace db::jet {

class PageFile;

class RowLookup {
public:
    RowLookup(PageFile& file, Table& table) : m_file(file), m_table(table) {}

    // Whether values of `column` have keys at all (a lookup may narrow the rows).
    bool keyed(size_t column) const;
    // Whether a lookup on `column` is cheap: an Access index starts with it, or its keys
    // are already kept.
    bool quick(size_t column) const;
    // Whether a range over `column` may narrow the rows (numbers; texts but decimals).
    bool rangeable(size_t column) const;
    // Whether `column` is keyed by its text (its order is a collation's, not a number's).
    bool textKeyed(size_t column) const;

    // The rows whose `column` equals `value`, ascending by row id; empty when no row can
    // (NULL); nothing when only a scan can tell (e.g. text against a number column).
    std::optional<std::vector<uint64_t>> equal(size_t column, const Value& value);
    // The rows whose `column` lies between the bounds (inclusive; an absent bound is
    // open), in key order; nothing when only a scan can tell.
    std::optional<std::vector<uint64_t>> range(size_t column, const std::optional<Value>& low,
                                               const std::optional<Value>& high);

    // Keeping the keys current around a change made through the table:
    //   Change c = lookup.before...(...); <the table changes>; lookup.after...(c, ...);
    // A change that set off more than itself (a cascade into this table) drops the keys;
    // they are built again when next needed.
    struct Change {
        uint64_t rowId = 0;
        uint64_t tableChanges = 0;
        std::vector<std::pair<size_t, std::optional<std::string>>> keys;  // of the row before
    };
    Change beforeRemove(uint64_t rowId);
    void afterRemove(const Change& change);
    Change beforeInsert();
    void afterInsert(Change change, uint64_t rowId);
    // The update's `before` callback hands over the old row; `values` as Table::update takes them.
    Change beforeUpdate(uint64_t rowId);
    void oldRow(Change& change, const Table::Row& row, const std::vector<std::optional<Value>>& values);
    void afterUpdate(const Change& change, const std::vector<std::optional<Value>>& values);

private:
    // The kept keys of one column, by key in key order; each key's rows ascending. A row
    // id fits 32 bits (a page number has 24).
    struct ColumnKeys {
        std::map<std::string, std::vector<uint32_t>> keys;
        bool ordered = true;  // false: a key's order is not its value's (only equality)
        // Only the rows the column's B-tree lookups may miss (see Table::indexLookup).
        bool partial = false;
        void add(const std::string& key, uint64_t rowId);
        void remove(const std::string& key, uint64_t rowId);
    };
    using Keys = std::vector<std::pair<size_t, std::optional<std::string>>>;

    void sync();
    ColumnKeys& keysOf(size_t column, bool partial);
    bool keeps(const ColumnKeys& kept, size_t column, const Value& stored);
    Keys rowKeys(const Table::Row* row, const std::vector<std::optional<Value>>* changing);
    void move(uint64_t rowId, const Keys& before, const Keys& after);
    void settle(uint64_t changesBefore);

    PageFile& m_file;
    Table& m_table;
    std::unordered_map<size_t, ColumnKeys> m_columns;
    uint64_t m_generation = 0;  // the page file's generation the keys match
    uint64_t m_changes = 0;     // the table's changes they include
};

}  // namespace db::jet
