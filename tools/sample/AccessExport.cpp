// Column kinds of the sample schema mapped to Access column types, its keys and indexes
// to Access's primary keys and indexes.
#include "tools/sample/AccessExport.h"

#include "db/jet/JetError.h"
#include "db/jet/NewDatabaseFile.h"
#include "tools/sample/SqliteFile.h"
#include "util/Error.h"

#include <QDir>
#include <QFile>

namespace sample {

namespace {

using db::jet::ColumnType;

db::jet::NewColumn accessColumn(const ColumnDef& c)
{
    switch (c.kind) {
    case ColumnKind::Key:
    case ColumnKind::Integer: return {c.name, ColumnType::Long, 0};
    case ColumnKind::Text: return {c.name, ColumnType::Text, static_cast<uint16_t>(c.size)};
    case ColumnKind::Memo: return {c.name, ColumnType::Memo, 0};
    case ColumnKind::SmallInt: return {c.name, ColumnType::Integer, 0};
    case ColumnKind::Byte: return {c.name, ColumnType::Byte, 0};
    case ColumnKind::DateTime: return {c.name, ColumnType::DateTime, 0};
    case ColumnKind::Boolean: return {c.name, ColumnType::Boolean, 0};
    case ColumnKind::Binary: return {c.name, ColumnType::Ole, 0};
    case ColumnKind::Double: return {c.name, ColumnType::Double, 0};
    }
    return {c.name, ColumnType::Long, 0};
}

db::jet::Value accessValue(const Value& v)
{
    switch (v.kind()) {
    case Value::Kind::Null: return db::jet::Value::null();
    case Value::Kind::Integer: return db::jet::Value::ofInteger(v.integer());
    case Value::Kind::Real: return db::jet::Value::ofReal(v.real());
    case Value::Kind::Text: return db::jet::Value::ofText(v.text());
    case Value::Kind::Bytes:
        return db::jet::Value::ofBlob(std::string(v.blob().begin(), v.blob().end()));
    }
    return db::jet::Value::null();
}

// The primary key (every table's ID, the directory's text key) and the sample's indexes,
// named after their columns as Access names an index it makes for a field.
std::vector<db::jet::NewIndex> accessIndexes(const TableDef& t)
{
    std::vector<db::jet::NewIndex> out;
    for (const ColumnDef& c : t.columns)
        if (c.kind == ColumnKind::Key || c.primaryKey)
            out.push_back({"PrimaryKey", {c.name}, true, false});
    for (const IndexDef& x : t.indexes) {
        std::string name;
        for (const std::string& c : x.columns)
            name += (name.empty() ? "" : "_") + c;
        out.push_back({name, x.columns, false, x.unique});
    }
    return out;
}

}  // namespace

void exportToAccess(SqliteFile& from, const std::vector<TableDef>& tables, const QString& path,
                    const std::string& password)
{
    try {
        db::jet::NewDatabaseFile out({password, 0, kSampleCreationDate});
        std::vector<db::jet::Value> values;
        for (const TableDef& t : tables) {
            std::vector<db::jet::NewColumn> columns;
            std::string list;
            for (const ColumnDef& c : t.columns) {
                columns.push_back(accessColumn(c));
                list += (list.empty() ? "" : ", ") + c.name;
            }
            const size_t table = out.addTable(t.name, columns, accessIndexes(t));
            from.forEachRow("SELECT " + list + " FROM " + t.name + " ORDER BY rowid", [&](const std::vector<Value>& row) {
                values.clear();
                for (const Value& v : row)
                    values.push_back(accessValue(v));
                out.addRow(table, values);
            });
        }
        out.write(QFile::encodeName(path).toStdString());
    } catch (const db::jet::JetError& e) {
        throw util::Error(QStringLiteral("Die Access-Datei „%1“ kann nicht geschrieben werden: %2")
                              .arg(QDir::toNativeSeparators(path), QString::fromUtf8(e.what())));
    }
}

}  // namespace sample
