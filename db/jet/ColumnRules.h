// The rules Access's engine applies to a row it writes, as a table's properties set them
// (MSysObjects.LvProp): Required, AllowZeroLength, the column's and the table's
// ValidationRule, the table's CheckConstraints, and DefaultValue for an insert.
// Layer: table helper; knows column definitions and values, not pages or SQL. It evaluates
// no expression: a rule it cannot evaluate refuses the write instead of guessing.
#pragma once

#include "db/jet/Properties.h"
#include "db/jet/TableDef.h"
#include "db/jet/Value.h"

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace db::jet {

// How an insert's statement treats a column: it names the column (a NULL is the value
// NULL), leaves it out (the column takes its default), or cannot be read to tell.
enum class ColumnGiven : uint8_t { Named, Omitted, Unknown };

class ColumnRules {
public:
    // No rules: what files without properties have (Jackcess's, our samples').
    ColumnRules() = default;
    // The rules among a table's properties (decodeProperties).
    explicit ColumnRules(const std::vector<PropertyBlock>& blocks);
    // A table whose properties cannot be read: its rules are unknown, so every insert and
    // update is refused, naming `why`.
    static ColumnRules unreadable(std::string why);
    // A copy binds its columns afresh (the cache points into the rules it belongs to).
    ColumnRules(const ColumnRules& other);
    ColumnRules& operator=(const ColumnRules& other);
    ColumnRules(ColumnRules&&) = default;
    ColumnRules& operator=(ColumnRules&&) = default;

    // Columns whose Required property is true, named as the properties name them.
    const std::set<std::string>& requiredColumns() const { return m_required; }
    // Why the properties could not be read; empty when they could.
    const std::string& unreadableBecause() const { return m_unreadable; }

    // What the properties rule for one column; nothing when they rule nothing for it.
    struct Column {
        bool required = false;
        bool noZeroLength = false;  // AllowZeroLength false; absent allows "" (see docs)
        std::string validationRule;
        std::string defaultValue;
    };
    const Column* column(const std::string& name) const;
    size_t ruledColumns() const { return m_columns.size(); }

    // Whether some column has a default value: only then does it matter which columns
    // an insert leaves out.
    bool hasDefaults() const { return m_hasDefaults; }

    // The values an insert writes, one per column: a column `given` marks as left out
    // takes its default (empty `given`: every value is named), then every rule is checked.
    // Throws JetError (German, naming table and column) for a value Access would refuse,
    // for a rule or default this engine cannot evaluate with certainty, and for a NULL in a
    // column with a default when it is unknown whether the statement named the column.
    std::vector<Value> insertRow(const std::string& table, const std::vector<ColumnDef>& columns,
                                 const std::vector<Value>& values, const std::vector<ColumnGiven>& given = {}) const;
    // Checks an update: `values` holds what the statement sets (empty: kept), `changed`
    // the columns whose stored value changes. Rules on values apply to what is set; rules
    // the engine cannot evaluate refuse when their column (a column's rule) or any column
    // (the table's) changes.
    void checkUpdate(const std::string& table, const std::vector<ColumnDef>& columns,
                     const std::vector<std::optional<Value>>& values, const std::vector<bool>& changed) const;

private:
    struct Check {
        std::string name;
        std::string expression;
    };

    const std::vector<const Column*>& bind(const std::vector<ColumnDef>& columns) const;
    void checkValue(const std::string& table, const ColumnDef& column, const Column& rule, const Value& value,
                    bool inserting) const;
    void refuseTableRules(const std::string& table, const std::string& what) const;

    std::map<std::string, Column> m_columns;  // by folded column name
    std::set<std::string> m_required;
    std::string m_tableRule;
    std::vector<Check> m_checks;
    std::string m_unreadable;
    bool m_hasDefaults = false;
    mutable std::vector<std::string> m_boundNames;
    mutable std::vector<const Column*> m_bound;  // the rule of each column, by position
};

// The value a default text stands for in `column`, when it is a literal whose value is
// certain: a whole number for whole-number types, a decimal number with a point for the
// others, a quoted text ("..." or '...', quotes doubled inside) for text and memo,
// True/False/Yes/No or a whole number for Yes/No. Nothing for anything else (functions,
// dates, expressions).
std::optional<Value> literalDefault(const ColumnDef& column, const std::string& text);

}  // namespace db::jet
