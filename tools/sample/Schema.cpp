// Compact table definitions turned into CREATE TABLE and CREATE INDEX statements.
#include "tools/sample/Schema.h"

#include <set>
#include <sstream>
#include <stdexcept>

namespace sample {

namespace {

// Key columns of other rows that the product looks rows up by.
const std::set<std::string> kLookupColumns = {"Schueler_ID", "Abschnitt_ID", "Lehrer_ID", "Kurs_ID",
                                              "Leistung_ID", "Adresse_ID",   "Gruppe_ID"};

ColumnDef parseColumn(const std::string& spec, const std::string& table)
{
    const auto colon = spec.find(':');
    if (colon == std::string::npos)
        throw std::logic_error("column without type in " + table + ": " + spec);
    ColumnDef c;
    c.name = spec.substr(0, colon);
    std::string type = spec.substr(colon + 1);
    if (!type.empty() && type.back() == '!') {
        c.primaryKey = true;
        type.pop_back();
    }
    if (type == "key") {
        c.kind = ColumnKind::Key;
    } else if (type == "flag") {
        c.kind = ColumnKind::Text;
        c.size = 1;
    } else if (type.size() > 1 && type[0] == 't') {
        c.kind = ColumnKind::Text;
        c.size = std::stoi(type.substr(1));
    } else if (type == "memo") {
        c.kind = ColumnKind::Memo;
    } else if (type == "int") {
        c.kind = ColumnKind::Integer;
    } else if (type == "small") {
        c.kind = ColumnKind::SmallInt;
    } else if (type == "byte") {
        c.kind = ColumnKind::Byte;
    } else if (type == "dt") {
        c.kind = ColumnKind::DateTime;
    } else if (type == "bool") {
        c.kind = ColumnKind::Boolean;
    } else if (type == "bin") {
        c.kind = ColumnKind::Binary;
    } else if (type == "dbl") {
        c.kind = ColumnKind::Double;
    } else {
        throw std::logic_error("unknown column type in " + table + ": " + spec);
    }
    return c;
}

std::string columnSql(const ColumnDef& c)
{
    const std::string& n = c.name;
    switch (c.kind) {
    case ColumnKind::Key:
        return n + " INTEGER NOT NULL PRIMARY KEY";
    case ColumnKind::Text: {
        const std::string size = std::to_string(c.size);
        return n + " VARCHAR(" + size + ") COLLATE NOCASE" + (c.primaryKey ? " NOT NULL PRIMARY KEY" : "") +
               " CHECK(length(" + n + ")<=" + size + ")";
    }
    case ColumnKind::Memo:
        return n + " LONGTEXT COLLATE NOCASE";
    case ColumnKind::Integer:
        return n + " INTEGER";
    case ColumnKind::SmallInt:
        return n + " SMALLINT";
    case ColumnKind::Byte:
        return n + " BYTE";
    case ColumnKind::DateTime:
        return n + " DATETIME";
    case ColumnKind::Boolean:
        return n + " BOOLEAN";
    case ColumnKind::Binary:
        return n + " LONGBINARY";
    case ColumnKind::Double:
        return n + " DOUBLE";
    }
    return n;
}

std::vector<std::string> splitOn(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, separator))
        if (!part.empty())
            parts.push_back(part);
    return parts;
}

}  // namespace

TableDef makeTable(const std::string& name, const std::string& columns, const std::vector<std::string>& indexes,
                   bool withOwner)
{
    TableDef t;
    t.name = name;
    std::istringstream in(columns);
    std::string spec;
    while (in >> spec)
        t.columns.push_back(parseColumn(spec, name));
    if (withOwner)
        t.columns.push_back(parseColumn("SchulnrEigner:int", name));

    std::set<std::string> indexed;
    for (const std::string& ix : indexes) {
        IndexDef d;
        std::string list = ix;
        if (!list.empty() && list[0] == '!') {
            d.unique = true;
            list.erase(0, 1);
        }
        d.columns = splitOn(list, ',');
        for (const std::string& col : d.columns) {
            bool known = false;
            for (const ColumnDef& c : t.columns)
                known = known || c.name == col;
            if (!known)
                throw std::logic_error("index on unknown column " + name + "." + col);
        }
        if (d.columns.size() == 1)
            indexed.insert(d.columns[0]);
        t.indexes.push_back(d);
    }
    for (const ColumnDef& c : t.columns)
        if (kLookupColumns.count(c.name) && !indexed.count(c.name))
            t.indexes.push_back(IndexDef{{c.name}, false});
    return t;
}

std::string createTableSql(const TableDef& table)
{
    std::string sql = "CREATE TABLE " + table.name + " (";
    for (std::size_t i = 0; i < table.columns.size(); ++i)
        sql += (i ? ",\n  " : "\n  ") + columnSql(table.columns[i]);
    return sql + "\n)";
}

std::vector<std::string> createIndexSql(const TableDef& table)
{
    std::vector<std::string> out;
    for (const IndexDef& ix : table.indexes) {
        std::string name = table.name;
        std::string cols;
        for (std::size_t i = 0; i < ix.columns.size(); ++i) {
            name += "_" + ix.columns[i];
            cols += (i ? ", " : "") + ix.columns[i];
        }
        out.push_back(std::string(ix.unique ? "CREATE UNIQUE INDEX " : "CREATE INDEX ") + name + " ON " +
                      table.name + " (" + cols + ")");
    }
    return out;
}

std::vector<std::string> columnNames(const TableDef& table)
{
    std::vector<std::string> names;
    for (const ColumnDef& c : table.columns)
        names.push_back(c.name);
    return names;
}

}  // namespace sample
