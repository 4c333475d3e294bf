// SQLite access of the sample generator. The pragmas trade crash safety for speed:
// the file is written under a temporary name and only renamed into place once it is
// complete, so a half-written file never carries the final name.
#include "tools/sample/SqliteFile.h"

#include "db/SqliteAccess.h"
#include "util/Error.h"

#include <QFile>

#include <sqlite3.h>

#include <stdexcept>
#include <utility>

namespace sample {

namespace {

QString quoted(const QString& path) { return QStringLiteral("„%1“").arg(path); }

}  // namespace

SqliteFile::SqliteFile(const QString& path) : m_path(path)
{
    const QByteArray name = QFile::encodeName(path);
    const int rc = sqlite3_open_v2(name.constData(), &m_db,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_EXCLUSIVE, nullptr);
    if (rc != SQLITE_OK) {
        const QString reason = m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QStringLiteral("kein Speicher");
        sqlite3_close(m_db);
        m_db = nullptr;
        throw util::Error(QStringLiteral("Die Datei %1 kann nicht angelegt werden: %2").arg(quoted(path), reason));
    }
    db::installAccessSemantics(m_db);
    // No rollback journal: the temporary file is thrown away on any failure anyway.
    exec("PRAGMA journal_mode=OFF");
    exec("PRAGMA locking_mode=EXCLUSIVE");
}

SqliteFile::~SqliteFile()
{
    if (m_db)
        sqlite3_close_v2(m_db);
}

void SqliteFile::exec(const std::string& sql)
{
    char* message = nullptr;
    if (sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        const std::string reason = message ? message : sqlite3_errmsg(m_db);
        sqlite3_free(message);
        throw util::Error(QStringLiteral("Die Datei %1 kann nicht geschrieben werden: %2 (bei „%3“)")
                              .arg(quoted(m_path), QString::fromStdString(reason), QString::fromStdString(sql)));
    }
}

std::int64_t SqliteFile::scalar(const std::string& sql)
{
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(m_db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK)
        fail(sql);
    const int rc = sqlite3_step(stmt);
    const std::int64_t value = rc == SQLITE_ROW ? sqlite3_column_int64(stmt, 0) : 0;
    sqlite3_finalize(stmt);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE)
        fail(sql);
    return value;
}

void SqliteFile::forEachRow(const std::string& sql, const std::function<void(const std::vector<Value>&)>& row)
{
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(m_db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK)
        fail(sql);
    const int columns = sqlite3_column_count(stmt);
    std::vector<Value> values(static_cast<std::size_t>(columns));
    int rc;
    try {
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
            for (int i = 0; i < columns; ++i) {
                Value& v = values[static_cast<std::size_t>(i)];
                switch (sqlite3_column_type(stmt, i)) {
                case SQLITE_INTEGER: v = Value(static_cast<long long>(sqlite3_column_int64(stmt, i))); break;
                case SQLITE_FLOAT: v = Value(sqlite3_column_double(stmt, i)); break;
                case SQLITE_TEXT:
                    v = Value(std::string(reinterpret_cast<const char*>(sqlite3_column_text(stmt, i)),
                                          static_cast<std::size_t>(sqlite3_column_bytes(stmt, i))));
                    break;
                case SQLITE_BLOB: {
                    const auto* b = static_cast<const unsigned char*>(sqlite3_column_blob(stmt, i));
                    v = Value(Blob(b, b + sqlite3_column_bytes(stmt, i)));
                    break;
                }
                default: v = Value(); break;
                }
            }
            row(values);
        }
    } catch (...) {
        sqlite3_finalize(stmt);
        throw;
    }
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE)
        fail(sql);
}

void SqliteFile::close()
{
    if (!m_db)
        return;
    if (sqlite3_close(m_db) != SQLITE_OK)
        fail("Schließen");
    m_db = nullptr;
}

void SqliteFile::fail(const std::string& context) const
{
    throw util::Error(QStringLiteral("Die Datei %1 kann nicht geschrieben werden: %2 (bei „%3“)")
                          .arg(quoted(m_path), QString::fromUtf8(sqlite3_errmsg(m_db)),
                               QString::fromStdString(context)));
}

Inserter::Inserter(SqliteFile& file, std::string table, std::vector<std::string> columns)
    : m_file(file), m_table(std::move(table)), m_columns(std::move(columns)), m_pending(m_columns.size()), m_defaults(m_columns.size())
{
    std::string sql = "INSERT INTO " + m_table + " (";
    std::string marks;
    for (std::size_t i = 0; i < m_columns.size(); ++i) {
        sql += (i ? ", " : "") + m_columns[i];
        marks += i ? ", ?" : "?";
    }
    sql += ") VALUES (" + marks + ")";
    if (sqlite3_prepare_v2(m_file.handle(), sql.c_str(), -1, &m_stmt, nullptr) != SQLITE_OK)
        m_file.fail(sql);
}

Inserter::Inserter(Inserter&& other) noexcept
    : m_file(other.m_file),
      m_table(std::move(other.m_table)),
      m_columns(std::move(other.m_columns)),
      m_pending(std::move(other.m_pending)),
      m_defaults(std::move(other.m_defaults)),
      m_stmt(std::exchange(other.m_stmt, nullptr)),
      m_count(other.m_count)
{
}

Inserter::~Inserter() { sqlite3_finalize(m_stmt); }

void Inserter::row(std::initializer_list<Value> values)
{
    if (values.size() != m_columns.size())
        throw std::logic_error("column count mismatch for " + m_table);
    std::size_t i = 0;
    for (const Value& v : values)
        bind(i++, v);
    step();
}

std::size_t Inserter::indexOf(const char* column) const
{
    for (std::size_t i = 0; i < m_columns.size(); ++i)
        if (m_columns[i] == column)
            return i;
    throw std::logic_error(std::string("no column ") + column + " in the insert into " + m_table);
}

Inserter& Inserter::set(const char* column, Value value)
{
    m_pending[indexOf(column)] = std::move(value);
    return *this;
}

void Inserter::setDefault(const char* column, Value value)
{
    const std::size_t i = indexOf(column);
    m_defaults[i] = value;
    m_pending[i] = std::move(value);
}

void Inserter::insert()
{
    for (std::size_t i = 0; i < m_pending.size(); ++i) {
        bind(i, m_pending[i]);
        m_pending[i] = m_defaults[i];
    }
    step();
}

void Inserter::bind(std::size_t index, const Value& value)
{
    const int at = static_cast<int>(index) + 1;
    int rc = SQLITE_OK;
    switch (value.kind()) {
    case Value::Kind::Null:
        rc = sqlite3_bind_null(m_stmt, at);
        break;
    case Value::Kind::Integer:
        rc = sqlite3_bind_int64(m_stmt, at, value.integer());
        break;
    case Value::Kind::Real:
        rc = sqlite3_bind_double(m_stmt, at, value.real());
        break;
    case Value::Kind::Text:
        rc = sqlite3_bind_text(m_stmt, at, value.text().data(), static_cast<int>(value.text().size()),
                               SQLITE_TRANSIENT);
        break;
    case Value::Kind::Bytes:
        rc = sqlite3_bind_blob(m_stmt, at, value.blob().data(), static_cast<int>(value.blob().size()),
                               SQLITE_TRANSIENT);
        break;
    }
    if (rc != SQLITE_OK)
        m_file.fail("INSERT INTO " + m_table);
}

void Inserter::step()
{
    const int rc = sqlite3_step(m_stmt);
    sqlite3_reset(m_stmt);
    if (rc != SQLITE_DONE) {
        // sqlite3_reset keeps the error of the failed step for sqlite3_errmsg.
        m_file.fail("INSERT INTO " + m_table);
    }
    ++m_count;
}

}  // namespace sample
