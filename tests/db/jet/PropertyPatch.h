// Gives a table of a file property blob, where Access keeps it: the LvProp column of the
// table's MSysObjects row. Tests use it for the rules no writer of ours or the judge's sets.
#pragma once

#include "db/jet/Database.h"

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace jettest {

inline void setTableProperties(const std::string& file, const std::string& password, const std::string& table,
                               const std::string& blob)
{
    using namespace db::jet;
    const auto db = Database::open(file, password, AccessMode::ReadWriteExclusive);
    Table& catalog = db->catalogTable();
    const std::vector<ColumnDef>& columns = catalog.def().columns;
    size_t name = columns.size(), type = columns.size(), lvProp = columns.size();
    for (size_t i = 0; i < columns.size(); ++i) {
        if (columns[i].name == "Name")
            name = i;
        else if (columns[i].name == "Type")
            type = i;
        else if (columns[i].name == "LvProp")
            lvProp = i;
    }
    if (lvProp == columns.size())
        throw std::runtime_error("MSysObjects has no LvProp");
    Table::ScanState scan;
    Table::Row row;
    while (catalog.next(scan, row)) {
        const Value t = catalog.value(row, type);
        if (catalog.value(row, name).bytes != table || t.kind != Value::Kind::Integer || t.integer != kObjectTypeTable)
            continue;
        std::vector<std::optional<Value>> change(columns.size());
        change[lvProp] = blob.empty() ? Value::null() : Value::ofBlob(blob);
        const uint64_t id = row.rowId;
        row = Table::Row{};
        db->file().beginUnit();
        catalog.update(id, change);
        db->file().commitUnit();
        return;
    }
    throw std::runtime_error("no table " + table);
}

}  // namespace jettest
