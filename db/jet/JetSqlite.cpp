// The SQLite module over an opened Access file: one virtual table per Access table, rows
// by id, equality lookups through in-memory indexes, writes refused.
// Layer: virtual table, the only engine file that includes sqlite3.h. No exception may
// leave a callback: each one catches and hands SQLite an error code with the message.
#include "db/jet/JetSqlite.h"

#include "db/jet/CaseFold.h"
#include "db/jet/Database.h"

#include <sqlite3.h>

#include <cmath>
#include <cstring>
#include <new>
#include <unordered_map>

namespace db::jet {

namespace {

// What SQLite holds on to: the database stays open while any connection uses one of its
// tables' modules.
struct ModuleData {
    std::shared_ptr<Database> database;
    uint32_t tableDefPage = 0;
};

// How a column's values are keyed in an in-memory equality index.
enum class KeyKind { None, Integer, Real, Text };

KeyKind keyKind(const ColumnDef& c)
{
    if (c.isCalculated())
        return KeyKind::None;
    switch (c.type) {
    case ColumnType::Boolean:
    case ColumnType::Byte:
    case ColumnType::Integer:
    case ColumnType::Long:
    case ColumnType::BigInt:
        return KeyKind::Integer;
    case ColumnType::Currency:
    case ColumnType::Single:
    case ColumnType::Double:
        return KeyKind::Real;
    case ColumnType::Text:
    case ColumnType::Memo:
    case ColumnType::DateTime:
    case ColumnType::Guid:
    case ColumnType::Numeric:
        return KeyKind::Text;
    default:
        return KeyKind::None;
    }
}

std::string integerKey(int64_t v)
{
    std::string k(9, 'i');
    std::memcpy(k.data() + 1, &v, 8);
    return k;
}

std::string realKey(double v)
{
    if (v == 0)
        v = 0;  // -0.0 equals 0.0
    std::string k(9, 'r');
    std::memcpy(k.data() + 1, &v, 8);
    return k;
}

// The key of a stored value; false when the value can never equal anything (NULL).
bool storedKey(KeyKind kind, const Value& v, std::string& key)
{
    switch (v.kind) {
    case Value::Kind::Integer:
        key = kind == KeyKind::Real ? realKey(static_cast<double>(v.integer)) : integerKey(v.integer);
        return true;
    case Value::Kind::Real:
        if (std::isnan(v.real))
            return false;
        key = realKey(v.real);
        return true;
    case Value::Kind::Text:
        if (!foldedKey(v.bytes, key))
            key = "b" + v.bytes;  // undecodable text is matched by the table scan only
        else
            key.insert(0, 1, 't');
        return true;
    default:
        return false;
    }
}

enum class Probe { Key, NoRows, Scan };

// The key to look up for `value` compared with `=` against a column of `kind`: NoRows when
// no value of the column can be equal, Scan when the index cannot decide (SQLite's own
// comparison rules would convert the value), so the cursor falls back to a full scan.
Probe probeKey(KeyKind kind, sqlite3_value* value, std::string& key)
{
    switch (sqlite3_value_type(value)) {
    case SQLITE_NULL:
        return Probe::NoRows;
    case SQLITE_INTEGER: {
        const sqlite3_int64 i = sqlite3_value_int64(value);
        if (kind == KeyKind::Integer) {
            key = integerKey(i);
            return Probe::Key;
        }
        if (kind == KeyKind::Real && i > -(int64_t(1) << 53) && i < (int64_t(1) << 53)) {
            key = realKey(static_cast<double>(i));
            return Probe::Key;
        }
        return Probe::Scan;
    }
    case SQLITE_FLOAT: {
        const double d = sqlite3_value_double(value);
        if (std::isnan(d))
            return Probe::NoRows;
        if (kind == KeyKind::Real) {
            key = realKey(d);
            return Probe::Key;
        }
        if (kind == KeyKind::Integer) {
            if (d != std::floor(d) || d < -9.2e18 || d > 9.2e18)
                return Probe::NoRows;
            key = integerKey(static_cast<int64_t>(d));
            return Probe::Key;
        }
        return Probe::Scan;
    }
    case SQLITE_TEXT: {
        if (kind != KeyKind::Text)
            return Probe::Scan;
        const auto* t = reinterpret_cast<const char*>(sqlite3_value_text(value));
        const std::string s(t ? t : "", static_cast<size_t>(sqlite3_value_bytes(value)));
        if (!foldedKey(s, key))
            return Probe::Scan;
        key.insert(0, 1, 't');
        return Probe::Key;
    }
    default:
        return Probe::Scan;
    }
}

using EqualityIndex = std::unordered_map<std::string, std::vector<uint64_t>>;

struct JetVtab : sqlite3_vtab {
    std::shared_ptr<Database> database;
    Table* table = nullptr;
    std::unordered_map<int, EqualityIndex> indexes;  // built once per column
};

enum Plan { kPlanScan = 0, kPlanRowId = 1, kPlanColumn = 2 };

struct JetCursor : sqlite3_vtab_cursor {
    Table::ScanState scan;
    Table::Row row;
    bool scanning = false;
    const std::vector<uint64_t>* ids = nullptr;
    std::vector<uint64_t> ownIds;
    size_t position = 0;
    bool eof = true;
};

JetVtab* vtabOf(sqlite3_vtab_cursor* c) { return static_cast<JetVtab*>(c->pVtab); }

void setError(sqlite3_vtab* vtab, const char* message)
{
    sqlite3_free(vtab->zErrMsg);
    vtab->zErrMsg = sqlite3_mprintf("%s", message);
}

// Runs `body`, turning every exception into an SQLite error code and message.
template <typename F>
int guarded(sqlite3_vtab* vtab, F&& body)
{
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return SQLITE_NOMEM;
    } catch (const std::exception& e) {
        if (vtab)
            setError(vtab, e.what());
        return SQLITE_ERROR;
    } catch (...) {
        if (vtab)
            setError(vtab, "Unbekannter Fehler beim Lesen der Access-Datei.");
        return SQLITE_ERROR;
    }
}

std::string quoteIdentifier(const std::string& name)
{
    std::string q = "\"";
    for (const char ch : name) {
        q.push_back(ch);
        if (ch == '"')
            q.push_back('"');
    }
    q.push_back('"');
    return q;
}

int textChars(const ColumnDef& c, const Format& f) { return f.jet3 ? c.length : c.length / 2; }

std::string declaredType(const ColumnDef& c, const Format& f)
{
    switch (c.type) {
    case ColumnType::Boolean: return "BOOLEAN";
    case ColumnType::Byte: return "BYTE";
    case ColumnType::Integer: return "SMALLINT";
    case ColumnType::Long: return c.isAutoNumber() ? "COUNTER" : "INTEGER";
    case ColumnType::BigInt: return "BIGINT";
    case ColumnType::Currency: return "CURRENCY";
    case ColumnType::Single: return "REAL";
    case ColumnType::Double: return "DOUBLE";
    case ColumnType::DateTime: return "DATETIME";
    case ColumnType::Binary: return "VARBINARY(" + std::to_string(c.length) + ")";
    case ColumnType::Text: return "VARCHAR(" + std::to_string(textChars(c, f)) + ") COLLATE NOCASE";
    case ColumnType::Ole: return "LONGBINARY";
    case ColumnType::Memo: return "LONGTEXT COLLATE NOCASE";
    case ColumnType::Guid: return "GUID";
    case ColumnType::Numeric:
        return "DECIMAL(" + std::to_string(c.precision) + "," + std::to_string(c.scale) + ")";
    case ColumnType::Complex: return "COMPLEX";
    case ColumnType::DateTimeExtended: return "DATETIME2";
    }
    return "BLOB";
}

int xConnect(sqlite3* sqlite, void* aux, int, const char* const*, sqlite3_vtab** out, char** err)
{
    *out = nullptr;
    try {
        auto* data = static_cast<ModuleData*>(aux);
        const CatalogEntry* entry = nullptr;
        for (const CatalogEntry& e : data->database->userTables())
            if (e.tableDefPage == data->tableDefPage)
                entry = &e;
        if (!entry)
            throw JetError("Die Access-Datei enthält keine Tabelle mit der Definitionsseite "
                           + std::to_string(data->tableDefPage) + ".");
        Table& table = data->database->table(*entry);
        const Format& f = data->database->format();
        std::string sql = "CREATE TABLE x(";
        bool first = true;
        for (const ColumnDef& c : table.def().columns) {
            if (!first)
                sql += ", ";
            first = false;
            sql += quoteIdentifier(c.name) + " " + declaredType(c, f);
            if (entry->requiredColumns.count(c.name))
                sql += " NOT NULL";
        }
        sql += ")";
        const int rc = sqlite3_declare_vtab(sqlite, sql.c_str());
        if (rc != SQLITE_OK)
            throw JetError("Die Tabelle \"" + entry->name + "\" kann nicht angelegt werden: "
                           + sqlite3_errmsg(sqlite));
        auto vtab = std::make_unique<JetVtab>();
        std::memset(static_cast<sqlite3_vtab*>(vtab.get()), 0, sizeof(sqlite3_vtab));
        vtab->database = data->database;
        vtab->table = &table;
        *out = vtab.release();
        return SQLITE_OK;
    } catch (const std::bad_alloc&) {
        return SQLITE_NOMEM;
    } catch (const std::exception& e) {
        *err = sqlite3_mprintf("%s", e.what());
        return SQLITE_ERROR;
    }
}

int xDisconnect(sqlite3_vtab* vtab)
{
    delete static_cast<JetVtab*>(vtab);
    return SQLITE_OK;
}

std::string readOnlyMessage(JetVtab* v)
{
    return "Die Tabelle \"" + v->table->name() + "\" der Datei " + v->database->file().path()
           + " ist schreibgeschützt: Das Schreiben in Access-Dateien wird noch nicht unterstützt.";
}

int xDestroy(sqlite3_vtab* vtab)
{
    // DROP TABLE would remove an Access table: a write like any other.
    setError(vtab, readOnlyMessage(static_cast<JetVtab*>(vtab)).c_str());
    return SQLITE_READONLY;
}

int xBestIndex(sqlite3_vtab* vtab, sqlite3_index_info* info)
{
    return guarded(vtab, [&] {
        auto* v = static_cast<JetVtab*>(vtab);
        const TableDef& def = v->table->def();
        const double rows = def.rowCount > 0 ? def.rowCount : 1;
        int rowIdConstraint = -1;
        int columnConstraint = -1;
        bool columnIndexed = false;
        for (int i = 0; i < info->nConstraint; ++i) {
            const auto& c = info->aConstraint[i];
            if (!c.usable || c.op != SQLITE_INDEX_CONSTRAINT_EQ)
                continue;
            if (c.iColumn < 0) {
                rowIdConstraint = i;
                continue;
            }
            if (c.iColumn >= static_cast<int>(def.columns.size()))
                continue;
            const ColumnDef& col = def.columns[static_cast<size_t>(c.iColumn)];
            const KeyKind kind = keyKind(col);
            if (kind == KeyKind::None)
                continue;
            if (kind == KeyKind::Text) {
                // JET_NOCASE: the database layer's Access collation; its equal texts
                // have equal folded keys, like those of NOCASE and BINARY.
                const char* coll = sqlite3_vtab_collation(info, i);
                if (coll && sqlite3_stricmp(coll, "NOCASE") != 0 && sqlite3_stricmp(coll, "BINARY") != 0
                    && sqlite3_stricmp(coll, "JET_NOCASE") != 0)
                    continue;
            }
            // Prefer a column Access itself indexes, and one whose lookup table exists.
            bool indexed = v->indexes.count(c.iColumn) > 0;
            for (const IndexDef& x : def.indexes)
                if (!x.columns.empty() && x.columns.front().columnNumber == col.number)
                    indexed = true;
            if (columnConstraint < 0 || (indexed && !columnIndexed)) {
                columnConstraint = i;
                columnIndexed = indexed;
            }
        }
        if (rowIdConstraint >= 0) {
            info->idxNum = kPlanRowId;
            info->aConstraintUsage[rowIdConstraint].argvIndex = 1;
            info->aConstraintUsage[rowIdConstraint].omit = 1;
            info->estimatedCost = 1;
            info->estimatedRows = 1;
            info->idxFlags = SQLITE_INDEX_SCAN_UNIQUE;
        } else if (columnConstraint >= 0) {
            const int column = info->aConstraint[columnConstraint].iColumn;
            info->idxNum = kPlanColumn | (column << 8);
            // SQLite checks the value again: the lookup may return a few rows too many.
            info->aConstraintUsage[columnConstraint].argvIndex = 1;
            info->estimatedCost = columnIndexed ? 10 + std::log2(rows) : 20 + std::log2(rows);
            info->estimatedRows = 4;
        } else {
            info->idxNum = kPlanScan;
            info->estimatedCost = 1000 + 10 * rows;
            info->estimatedRows = static_cast<sqlite3_int64>(rows);
        }
        return SQLITE_OK;
    });
}

int xOpen(sqlite3_vtab*, sqlite3_vtab_cursor** out)
{
    auto* c = new (std::nothrow) JetCursor();
    if (!c)
        return SQLITE_NOMEM;
    *out = c;
    return SQLITE_OK;
}

int xClose(sqlite3_vtab_cursor* cursor)
{
    delete static_cast<JetCursor*>(cursor);
    return SQLITE_OK;
}

const EqualityIndex& equalityIndex(JetVtab* v, int column)
{
    auto it = v->indexes.find(column);
    if (it != v->indexes.end())
        return it->second;
    const KeyKind kind = keyKind(v->table->def().columns.at(static_cast<size_t>(column)));
    EqualityIndex index;
    Table::ScanState scan;
    Table::Row row;
    std::string key;
    while (v->table->next(scan, row))
        if (storedKey(kind, v->table->value(row, static_cast<size_t>(column)), key))
            index[key].push_back(row.rowId);
    return v->indexes.emplace(column, std::move(index)).first->second;
}

// Moves to the next row of the id list that still exists.
void advanceIds(JetCursor* c)
{
    Table& t = *vtabOf(c)->table;
    while (c->position < c->ids->size()) {
        if (t.fetch((*c->ids)[c->position], c->row)) {
            c->eof = false;
            return;
        }
        ++c->position;
    }
    c->eof = true;
}

int xFilter(sqlite3_vtab_cursor* cursor, int idxNum, const char*, int argc, sqlite3_value** argv)
{
    auto* c = static_cast<JetCursor*>(cursor);
    return guarded(cursor->pVtab, [&] {
        JetVtab* v = vtabOf(c);
        c->scan = Table::ScanState{};
        c->scanning = false;
        c->ids = nullptr;
        c->ownIds.clear();
        c->position = 0;
        c->eof = true;
        const int plan = idxNum & 0xFF;
        if (plan == kPlanRowId && argc >= 1) {
            // The row id compares as an integer: '6914' and 6914.0 name row 6914 too.
            const int type = sqlite3_value_numeric_type(argv[0]);
            sqlite3_int64 id = -1;
            if (type == SQLITE_INTEGER) {
                id = sqlite3_value_int64(argv[0]);
            } else if (type == SQLITE_FLOAT) {
                const double d = sqlite3_value_double(argv[0]);
                if (d >= 0 && d < 1e15 && d == std::floor(d))
                    id = static_cast<sqlite3_int64>(d);
            }
            if (id >= 0)
                c->ownIds.push_back(static_cast<uint64_t>(id));
            c->ids = &c->ownIds;
            advanceIds(c);
            return SQLITE_OK;
        }
        if (plan == kPlanColumn && argc >= 1) {
            const int column = idxNum >> 8;
            const KeyKind kind = keyKind(v->table->def().columns.at(static_cast<size_t>(column)));
            std::string key;
            const Probe probe = probeKey(kind, argv[0], key);
            if (probe == Probe::NoRows) {
                c->ids = &c->ownIds;
                return SQLITE_OK;
            }
            if (probe == Probe::Key) {
                const EqualityIndex& index = equalityIndex(v, column);
                const auto it = index.find(key);
                c->ids = it == index.end() ? &c->ownIds : &it->second;
                advanceIds(c);
                return SQLITE_OK;
            }
        }
        c->scanning = true;
        c->eof = !v->table->next(c->scan, c->row);
        return SQLITE_OK;
    });
}

int xNext(sqlite3_vtab_cursor* cursor)
{
    auto* c = static_cast<JetCursor*>(cursor);
    return guarded(cursor->pVtab, [&] {
        if (c->scanning) {
            c->eof = !vtabOf(c)->table->next(c->scan, c->row);
        } else if (c->ids) {
            ++c->position;
            advanceIds(c);
        } else {
            c->eof = true;
        }
        return SQLITE_OK;
    });
}

int xEof(sqlite3_vtab_cursor* cursor) { return static_cast<JetCursor*>(cursor)->eof ? 1 : 0; }

int xColumn(sqlite3_vtab_cursor* cursor, sqlite3_context* ctx, int column)
{
    auto* c = static_cast<JetCursor*>(cursor);
    try {
        const Value v = vtabOf(c)->table->value(c->row, static_cast<size_t>(column));
        switch (v.kind) {
        case Value::Kind::Null: sqlite3_result_null(ctx); break;
        case Value::Kind::Integer: sqlite3_result_int64(ctx, v.integer); break;
        case Value::Kind::Real: sqlite3_result_double(ctx, v.real); break;
        case Value::Kind::Text:
            sqlite3_result_text64(ctx, v.bytes.data(), v.bytes.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
            break;
        case Value::Kind::Blob: sqlite3_result_blob64(ctx, v.bytes.data(), v.bytes.size(), SQLITE_TRANSIENT); break;
        }
        return SQLITE_OK;
    } catch (const std::bad_alloc&) {
        sqlite3_result_error_nomem(ctx);
        return SQLITE_NOMEM;
    } catch (const std::exception& e) {
        sqlite3_result_error(ctx, e.what(), -1);
        return SQLITE_ERROR;
    } catch (...) {
        sqlite3_result_error(ctx, "Unbekannter Fehler beim Lesen der Access-Datei.", -1);
        return SQLITE_ERROR;
    }
}

int xRowid(sqlite3_vtab_cursor* cursor, sqlite3_int64* rowId)
{
    *rowId = static_cast<sqlite3_int64>(static_cast<JetCursor*>(cursor)->row.rowId);
    return SQLITE_OK;
}

int xUpdate(sqlite3_vtab* vtab, int, sqlite3_value**, sqlite3_int64*)
{
    return guarded(vtab, [&] {
        setError(vtab, readOnlyMessage(static_cast<JetVtab*>(vtab)).c_str());
        return SQLITE_READONLY;
    });
}

int xRename(sqlite3_vtab* vtab, const char*)
{
    return guarded(vtab, [&] {
        setError(vtab, readOnlyMessage(static_cast<JetVtab*>(vtab)).c_str());
        return SQLITE_READONLY;
    });
}

// Each table is its own module without xCreate: an eponymous virtual table, which SQLite
// connects on first use. Opening a file therefore costs nothing per table; creating 100
// tables with CREATE VIRTUAL TABLE took longer than reading most of them.
const sqlite3_module kModule = {
    /* iVersion */ 1,
    /* xCreate */ nullptr,
    /* xConnect */ xConnect,
    xBestIndex,
    xDisconnect,
    xDestroy,
    xOpen,
    xClose,
    xFilter,
    xNext,
    xEof,
    xColumn,
    xRowid,
    xUpdate,
    /* xBegin */ nullptr,
    /* xSync */ nullptr,
    /* xCommit */ nullptr,
    /* xRollback */ nullptr,
    /* xFindFunction */ nullptr,
    xRename,
    /* xSavepoint */ nullptr,
    /* xRelease */ nullptr,
    /* xRollbackTo */ nullptr,
    /* xShadowName */ nullptr,
};

class AttachedAccessFile : public AttachedDatabase {
public:
    explicit AttachedAccessFile(std::shared_ptr<Database> db) : m_db(std::move(db)) {}
    std::vector<std::string> tableNames() const override
    {
        std::vector<std::string> names;
        for (const CatalogEntry& e : m_db->userTables())
            names.push_back(e.name);
        return names;
    }

private:
    std::shared_ptr<Database> m_db;
};

}  // namespace

std::unique_ptr<AttachedDatabase> attachAccessFile(sqlite3* sqlite, const std::string& path,
                                                   const std::string& password, AccessMode mode)
{
    std::shared_ptr<Database> db;
    try {
        db = Database::open(path, password, mode);
    } catch (const CorruptError& e) {
        throw JetError(std::string(e.what()) + " (Datei " + path + ")");
    }
    for (const CatalogEntry& e : db->userTables()) {
        auto* data = new ModuleData{db, e.tableDefPage};
        if (sqlite3_create_module_v2(sqlite, e.name.c_str(), &kModule, data,
                                     [](void* p) { delete static_cast<ModuleData*>(p); })
            != SQLITE_OK)
            throw JetError("Die Tabelle \"" + e.name + "\" der Datei " + path
                           + " kann nicht eingebunden werden: " + sqlite3_errmsg(sqlite));
    }
    return std::make_unique<AttachedAccessFile>(db);
}

}  // namespace db::jet
