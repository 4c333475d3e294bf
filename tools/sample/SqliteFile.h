// A SQLite file as the sample generator writes it: created fresh, Access semantics
// installed before any table exists, rows added through prepared statements.
// Layer: sample tool; the only place of the tool that calls the SQLite C API. It knows
// nothing about tables or content. Every failure raises util::Error naming the file.
#pragma once

#include <QString>

#include <cstdint>
#include <cstddef>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace sample {

using Blob = std::vector<unsigned char>;

// One value of a row. Texts are UTF-8.
class Value {
public:
    enum class Kind { Null, Integer, Real, Text, Bytes };

    Value() = default;
    Value(std::nullptr_t) {}
    Value(int v) : m_kind(Kind::Integer), m_int(v) {}
    Value(long v) : m_kind(Kind::Integer), m_int(v) {}
    Value(long long v) : m_kind(Kind::Integer), m_int(v) {}
    Value(unsigned v) : m_kind(Kind::Integer), m_int(v) {}
    Value(bool v) : m_kind(Kind::Integer), m_int(v ? 1 : 0) {}
    Value(double v) : m_kind(Kind::Real), m_real(v) {}
    Value(const char* v) : m_kind(v ? Kind::Text : Kind::Null), m_text(v ? v : "") {}
    Value(std::string v) : m_kind(Kind::Text), m_text(std::move(v)) {}
    Value(Blob v) : m_kind(Kind::Bytes), m_blob(std::move(v)) {}

    Kind kind() const { return m_kind; }
    std::int64_t integer() const { return m_int; }
    double real() const { return m_real; }
    const std::string& text() const { return m_text; }
    const Blob& blob() const { return m_blob; }

private:
    Kind m_kind = Kind::Null;
    std::int64_t m_int = 0;
    double m_real = 0.0;
    std::string m_text;
    Blob m_blob;
};

class SqliteFile {
public:
    // Creates the file (it must not exist yet) and installs the Access semantics.
    explicit SqliteFile(const QString& path);
    ~SqliteFile();
    SqliteFile(const SqliteFile&) = delete;
    SqliteFile& operator=(const SqliteFile&) = delete;

    void exec(const std::string& sql);
    // The first column of the first row of a query, as an integer.
    std::int64_t scalar(const std::string& sql);
    // Calls `row` with every row of a query, values in column order.
    void forEachRow(const std::string& sql, const std::function<void(const std::vector<Value>&)>& row);
    // Closes the file; a failure to write the last pages is reported here.
    void close();

    sqlite3* handle() const { return m_db; }
    const QString& path() const { return m_path; }
    [[noreturn]] void fail(const std::string& context) const;

private:
    QString m_path;
    sqlite3* m_db = nullptr;
};

// Inserts rows into one table with one prepared statement. Values are given either in
// column order (row) or by column name (set, then insert); unset columns are NULL.
class Inserter {
public:
    Inserter(SqliteFile& file, std::string table, std::vector<std::string> columns);
    ~Inserter();
    Inserter(Inserter&& other) noexcept;
    Inserter(const Inserter&) = delete;
    Inserter& operator=(const Inserter&) = delete;

    void row(std::initializer_list<Value> values);
    Inserter& set(const char* column, Value value);
    // A value that every following insert() starts from, such as the owner number.
    void setDefault(const char* column, Value value);
    void insert();
    std::int64_t count() const { return m_count; }

private:
    std::size_t indexOf(const char* column) const;
    void bind(std::size_t index, const Value& value);
    void step();

    SqliteFile& m_file;
    std::string m_table;
    std::vector<std::string> m_columns;
    std::vector<Value> m_pending;
    std::vector<Value> m_defaults;
    sqlite3_stmt* m_stmt = nullptr;
    std::int64_t m_count = 0;
};

}  // namespace sample
