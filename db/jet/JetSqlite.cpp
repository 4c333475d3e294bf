// The SQLite module over an opened Access file: one virtual table per Access table, rows
// by id, equality and range constraints handed to the table layer's lookups (RowLookup.h),
// row changes through the table layer, and SQLite's transactions mapped onto the page
// file's units.
// Layer: virtual table, the only engine file that includes sqlite3.h. No exception may
// leave a callback: each one catches and hands SQLite an error code with the message.
#include "db/jet/JetSqlite.h"

#include "db/jet/CaseFold.h"
#include "db/jet/Check.h"
#include "db/jet/Database.h"
#include "db/jet/InsertColumns.h"
#include "db/jet/RowLookup.h"

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <optional>

namespace db::jet {

namespace {

// What SQLite holds on to: the database stays open while any connection uses one of its
// tables' modules.
struct ModuleData {
    std::shared_ptr<Database> database;
    uint32_t tableDefPage = 0;
};

struct JetVtab : sqlite3_vtab {
    std::shared_ptr<Database> database;
    Table* table = nullptr;
    sqlite3* sqlite = nullptr;  // the connection, whose running statement an insert reads
    std::unique_ptr<RowLookup> lookup;
};

enum Plan { kPlanScan = 0, kPlanRowId = 1, kPlanColumn = 2, kPlanRange = 3 };
// Range plans: which bounds come as arguments (the lower first).
constexpr int kRangeLow = 0x10;
constexpr int kRangeHigh = 0x20;

// Whether a range over `column` may narrow the rows: numbers, and text compared under the
// column's own case-insensitive collation.
bool rangeColumn(const RowLookup& lookup, size_t column, sqlite3_index_info* info, int constraint)
{
    if (!lookup.rangeable(column))
        return false;
    if (!lookup.textKeyed(column))
        return true;
    const char* coll = sqlite3_vtab_collation(info, constraint);
    return !coll || sqlite3_stricmp(coll, "NOCASE") == 0 || sqlite3_stricmp(coll, "JET_NOCASE") == 0;
}

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
    if (c.isUnknownType())
        return "BLOB";  // its raw bytes
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
            if (entry->rules.requiredColumns().count(c.name))
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
        vtab->sqlite = sqlite;
        vtab->table = &table;
        vtab->lookup = std::make_unique<RowLookup>(data->database->file(), table);
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

constexpr const char* kSchemaRefusal =
    "Tabellen, Sichten und Indizes einer Access-Datei können nicht angelegt, geändert oder gelöscht werden.";

int xDestroy(sqlite3_vtab* vtab)
{
    // DROP TABLE would remove an Access table.
    setError(vtab, kSchemaRefusal);
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
            const size_t column = static_cast<size_t>(c.iColumn);
            if (!v->lookup->keyed(column))
                continue;
            // JET_NOCASE: the database layer's Access collation; its equal texts have equal
            // folded keys, like those of NOCASE and BINARY.
            const char* coll = sqlite3_vtab_collation(info, i);
            if (v->lookup->textKeyed(column) && coll && sqlite3_stricmp(coll, "NOCASE") != 0
                && sqlite3_stricmp(coll, "BINARY") != 0 && sqlite3_stricmp(coll, "JET_NOCASE") != 0)
                continue;
            // Prefer a column Access itself indexes, or one whose keys are kept already.
            const bool indexed = v->lookup->quick(column);
            if (columnConstraint < 0 || (indexed && !columnIndexed)) {
                columnConstraint = i;
                columnIndexed = indexed;
            }
        }
        // Without an equality, a range on one column (the first found) narrows the rows.
        int low = -1, high = -1, rangeColumnIndex = -1;
        if (columnConstraint < 0 && rowIdConstraint < 0) {
            for (int i = 0; i < info->nConstraint; ++i) {
                const auto& c = info->aConstraint[i];
                const bool lower = c.op == SQLITE_INDEX_CONSTRAINT_GT || c.op == SQLITE_INDEX_CONSTRAINT_GE;
                const bool upper = c.op == SQLITE_INDEX_CONSTRAINT_LT || c.op == SQLITE_INDEX_CONSTRAINT_LE;
                if (!c.usable || (!lower && !upper) || c.iColumn < 0
                    || c.iColumn >= static_cast<int>(def.columns.size()))
                    continue;
                if (rangeColumnIndex >= 0 && c.iColumn != rangeColumnIndex)
                    continue;
                if (!rangeColumn(*v->lookup, static_cast<size_t>(c.iColumn), info, i))
                    continue;
                rangeColumnIndex = c.iColumn;
                (lower ? low : high) = i;
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
        } else if (rangeColumnIndex >= 0) {
            int flags = 0, arg = 1;
            if (low >= 0) {
                info->aConstraintUsage[low].argvIndex = arg++;
                flags |= kRangeLow;
            }
            if (high >= 0) {
                info->aConstraintUsage[high].argvIndex = arg++;
                flags |= kRangeHigh;
            }
            // SQLite checks the bounds again: the range is taken inclusive.
            info->idxNum = kPlanRange | flags | (rangeColumnIndex << 8);
            info->estimatedCost = 100 + (low >= 0 && high >= 0 ? 1 : 3) * rows;
            info->estimatedRows = static_cast<sqlite3_int64>(rows / (low >= 0 && high >= 0 ? 8 : 3)) + 1;
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

Value sqlValue(sqlite3_value* v)
{
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER: return Value::ofInteger(sqlite3_value_int64(v));
    case SQLITE_FLOAT: return Value::ofReal(sqlite3_value_double(v));
    case SQLITE_TEXT: {
        const auto* t = reinterpret_cast<const char*>(sqlite3_value_text(v));
        return Value::ofText(std::string(t ? t : "", static_cast<size_t>(sqlite3_value_bytes(v))));
    }
    case SQLITE_BLOB: {
        const auto* b = static_cast<const char*>(sqlite3_value_blob(v));
        return Value::ofBlob(std::string(b ? b : "", static_cast<size_t>(sqlite3_value_bytes(v))));
    }
    default: return Value::null();
    }
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
        const int plan = idxNum & 0x0F;
        const auto answer = [&](std::optional<std::vector<uint64_t>> rows) {
            if (!rows)
                return false;
            c->ownIds = std::move(*rows);
            c->ids = &c->ownIds;
            advanceIds(c);
            return true;
        };
        if (plan == kPlanRange) {
            std::optional<Value> low, high;
            int arg = 0;
            if ((idxNum & kRangeLow) && arg < argc)
                low = sqlValue(argv[arg++]);
            if ((idxNum & kRangeHigh) && arg < argc)
                high = sqlValue(argv[arg++]);
            if (answer(v->lookup->range(static_cast<size_t>(idxNum >> 8), low, high)))
                return SQLITE_OK;
        }
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
        if (plan == kPlanColumn && argc >= 1
            && answer(v->lookup->equal(static_cast<size_t>(idxNum >> 8), sqlValue(argv[0]))))
            return SQLITE_OK;
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
    // An UPDATE asks for the columns it does not change this way: their stored bytes stay,
    // and long values need not be read.
    if (sqlite3_vtab_nochange(ctx))
        return SQLITE_OK;
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

// Which columns the running INSERT names: SQLite hands over a NULL for a column left out
// as for one set to NULL, and only the first takes Access's default. The statement is
// the connection's one running statement that writes; its text says the rest.
std::vector<ColumnGiven> givenColumns(sqlite3* sqlite, Table& table)
{
    const std::vector<ColumnDef>& columns = table.def().columns;
    std::vector<ColumnGiven> given(columns.size(), ColumnGiven::Unknown);
    sqlite3_stmt* writer = nullptr;
    int writers = 0;
    for (sqlite3_stmt* s = sqlite3_next_stmt(sqlite, nullptr); s; s = sqlite3_next_stmt(sqlite, s))
        if (sqlite3_stmt_busy(s) && !sqlite3_stmt_readonly(s)) {
            writer = s;
            ++writers;
        }
    const char* text = writers == 1 ? sqlite3_sql(writer) : nullptr;
    const std::optional<InsertColumns> named = text ? insertColumns(text, table.name()) : std::nullopt;
    if (!named)
        return given;
    std::vector<std::string> keys;
    for (const std::string& n : named->names) {
        std::string k;
        keys.push_back(foldedKey(n, k) ? k : n);
    }
    for (size_t i = 0; i < columns.size(); ++i) {
        std::string k;
        const std::string key = foldedKey(columns[i].name, k) ? k : columns[i].name;
        given[i] = named->all || std::find(keys.begin(), keys.end(), key) != keys.end() ? ColumnGiven::Named
                                                                                       : ColumnGiven::Omitted;
    }
    return given;
}

int xUpdate(sqlite3_vtab* vtab, int argc, sqlite3_value** argv, sqlite3_int64* newRowId)
{
    return guarded(vtab, [&] {
        auto* v = static_cast<JetVtab*>(vtab);
        Table& table = *v->table;
        RowLookup& lookup = *v->lookup;
        if (argc == 1) {
            const uint64_t id = static_cast<uint64_t>(sqlite3_value_int64(argv[0]));
            const RowLookup::Change change = lookup.beforeRemove(id);
            table.remove(id);
            lookup.afterRemove(change);
            return SQLITE_OK;
        }
        const size_t columns = table.def().columns.size();
        if (static_cast<size_t>(argc) != columns + 2)
            throw JetError("Interner Fehler: " + std::to_string(argc) + " Werte für die Tabelle \"" + table.name()
                           + "\".");
        if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
            if (sqlite3_value_type(argv[1]) != SQLITE_NULL)
                throw JetError("Die Zeilennummer einer Zeile der Tabelle \"" + table.name()
                               + "\" vergibt die Access-Datei selbst; sie kann nicht angegeben werden.");
            std::vector<Value> values;
            for (size_t i = 0; i < columns; ++i)
                values.push_back(sqlValue(argv[2 + i]));
            RowLookup::Change change = lookup.beforeInsert();
            const uint64_t id =
                table.insert(values, table.rules().hasDefaults() ? givenColumns(v->sqlite, table) : std::vector<ColumnGiven>{});
            *newRowId = static_cast<sqlite3_int64>(id);
            lookup.afterInsert(std::move(change), id);
            return SQLITE_OK;
        }
        const uint64_t id = static_cast<uint64_t>(sqlite3_value_int64(argv[0]));
        if (sqlite3_value_int64(argv[1]) != sqlite3_value_int64(argv[0]))
            throw JetError("Die Zeilennummer einer Zeile der Tabelle \"" + table.name() + "\" kann nicht geändert werden.");
        std::vector<std::optional<Value>> values;
        values.reserve(columns);
        for (size_t i = 0; i < columns; ++i) {
            if (sqlite3_value_nochange(argv[2 + i]))
                values.emplace_back();
            else
                values.emplace_back(sqlValue(argv[2 + i]));
        }
        RowLookup::Change change = lookup.beforeUpdate(id);
        table.update(id, values, [&](const Table::Row& old) { lookup.oldRow(change, old, values); });
        lookup.afterUpdate(change, values);
        return SQLITE_OK;
    });
}

// The engine's whole check, once before a connection's first change: a damaged file is
// refused with what is wrong before a single byte of it is written.
void refuseDamagedFile(Database& db)
{
    std::vector<std::string> errors;
    try {
        errors = checkErrors(checkDatabase(db));
    } catch (const CorruptError& e) {
        errors.push_back(e.what());
    }
    returnFreedMemory();
    if (!errors.empty()) {
        std::string text = "Die Datei " + db.file().path() + " ist beschädigt und wird nicht geändert: " + errors.front();
        if (errors.size() > 1)
            text += " (und " + std::to_string(errors.size() - 1) + " weitere Fehler; edvara-sql --check nennt alle)";
        throw JetError(text + ".");
    }
    db.setCheckedForWrites();
}

// SQLite's transaction hooks, called for every table a transaction writes to: the first
// opens the file's unit, the first xSync ends it; the rest find it done.
int xBegin(sqlite3_vtab* vtab)
{
    return guarded(vtab, [&] {
        Database& db = *static_cast<JetVtab*>(vtab)->database;
        PageFile& file = db.file();
        if (!file.inUnit()) {
            if (!db.checkedForWrites() && file.writable())
                refuseDamagedFile(db);
            file.beginUnit();
        }
        return SQLITE_OK;
    });
}

int xSync(sqlite3_vtab* vtab)
{
    return guarded(vtab, [&] {
        static_cast<JetVtab*>(vtab)->database->file().commitUnit();
        return SQLITE_OK;
    });
}

int xCommit(sqlite3_vtab* vtab)
{
    return guarded(vtab, [&] {
        static_cast<JetVtab*>(vtab)->database->file().commitUnit();
        return SQLITE_OK;
    });
}

int xRollback(sqlite3_vtab* vtab)
{
    return guarded(vtab, [&] {
        static_cast<JetVtab*>(vtab)->database->file().rollbackUnit();
        return SQLITE_OK;
    });
}

int xSavepoint(sqlite3_vtab* vtab, int level)
{
    return guarded(vtab, [&] {
        static_cast<JetVtab*>(vtab)->database->file().savepoint(level);
        return SQLITE_OK;
    });
}

int xRelease(sqlite3_vtab* vtab, int level)
{
    return guarded(vtab, [&] {
        static_cast<JetVtab*>(vtab)->database->file().release(level);
        return SQLITE_OK;
    });
}

int xRollbackTo(sqlite3_vtab* vtab, int level)
{
    return guarded(vtab, [&] {
        static_cast<JetVtab*>(vtab)->database->file().rollbackTo(level);
        return SQLITE_OK;
    });
}

int xRename(sqlite3_vtab* vtab, const char*)
{
    return guarded(vtab, [&] {
        setError(vtab, kSchemaRefusal);
        return SQLITE_READONLY;
    });
}

// Schema statements would change SQLite's own in-memory schema, not the Access file, and
// a table of the same name would hide the Access table: they are refused.
int authorize(void*, int action, const char*, const char*, const char*, const char*)
{
    switch (action) {
    case SQLITE_CREATE_INDEX:
    case SQLITE_CREATE_TABLE:
    case SQLITE_CREATE_TEMP_INDEX:
    case SQLITE_CREATE_TEMP_TABLE:
    case SQLITE_CREATE_TEMP_TRIGGER:
    case SQLITE_CREATE_TEMP_VIEW:
    case SQLITE_CREATE_TRIGGER:
    case SQLITE_CREATE_VIEW:
    case SQLITE_DROP_INDEX:
    case SQLITE_DROP_TABLE:
    case SQLITE_DROP_TEMP_INDEX:
    case SQLITE_DROP_TEMP_TABLE:
    case SQLITE_DROP_TEMP_TRIGGER:
    case SQLITE_DROP_TEMP_VIEW:
    case SQLITE_DROP_TRIGGER:
    case SQLITE_DROP_VIEW:
    case SQLITE_ALTER_TABLE:
    case SQLITE_CREATE_VTABLE:
    case SQLITE_DROP_VTABLE:
    case SQLITE_ATTACH:
    case SQLITE_DETACH:
        return SQLITE_DENY;
    default:
        return SQLITE_OK;
    }
}

// Each table is its own module without xCreate: an eponymous virtual table, which SQLite
// connects on first use. Opening a file therefore costs nothing per table; creating 100
// tables with CREATE VIRTUAL TABLE took longer than reading most of them.
const sqlite3_module kModule = {
    /* iVersion */ 2,
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
    xBegin,
    xSync,
    xCommit,
    xRollback,
    /* xFindFunction */ nullptr,
    xRename,
    xSavepoint,
    xRelease,
    xRollbackTo,
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
    static std::vector<std::string> columnNames(const TableDef& def, const IndexDef& index)
    {
        std::vector<std::string> out;
        for (const IndexColumn& ic : index.columns)
            for (const ColumnDef& c : def.columns)
                if (c.number == ic.columnNumber)
                    out.push_back(c.name);
        return out;
    }
    std::vector<Relationship> relationships() override
    {
        std::vector<Relationship> out;
        const std::vector<CatalogEntry>& tables = m_db->userTables();
        for (const CatalogEntry& e : tables)
            for (const IndexDef& x : m_db->table(e).def().indexes) {
                if (!x.isForeignKey() || x.relatedSide != kIndexRelatedReferenced)
                    continue;
                const auto child = std::find_if(tables.begin(), tables.end(), [&](const CatalogEntry& c) {
                    return c.tableDefPage == x.relatedTablePage;
                });
                // The referencing side's index carries the relationship's own name; the
                // referenced side's is a generated one (".rB").
                Relationship r;
                r.name = x.name;
                r.parent = e.name;
                r.parentColumns = columnNames(m_db->table(e).def(), x);
                r.child = child == tables.end() ? std::to_string(x.relatedTablePage) : child->name;
                if (child != tables.end())
                    for (const IndexDef& c : m_db->table(*child).def().indexes)
                        if (x.relatedIndex >= 0 && c.number == static_cast<uint32_t>(x.relatedIndex)) {
                            r.name = c.name;
                            r.childColumns = columnNames(m_db->table(*child).def(), c);
                        }
                r.cascadeUpdates = x.cascadeUpdates;
                r.cascadeDeletes = x.cascadeDeletes;
                r.cascadeSetNull = x.cascadeSetNull;
                out.push_back(std::move(r));
            }
        return out;
    }
    void setDurability(Durability durability) override { m_db->file().setDurability(durability); }
    std::vector<CheckFinding> check() override { return checkDatabase(*m_db); }
    ScrubReport scrub(const ScrubProgress& progress) override { return scrubDatabase(*m_db, progress); }
    void finishWrites() override
    {
        if (!m_db->file().writable())
            return;
        m_db->file().flush();
        m_db->file().verifyName();
    }

private:
    std::shared_ptr<Database> m_db;
};

}  // namespace

std::unique_ptr<AttachedDatabase> attachAccessFile(sqlite3* sqlite, const std::string& path,
                                                   const std::string& password, AccessMode mode, int fd)
{
    std::shared_ptr<Database> db;
    try {
        db = fd >= 0 ? Database::open(fd, path, password, mode) : Database::open(path, password, mode);
    } catch (const CorruptError& e) {
        throw JetError(std::string(e.what()) + " (Datei " + path + ")");
    }
    sqlite3_set_authorizer(sqlite, authorize, nullptr);
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
