// schema.json and data.json for `judge create`, and the SQLite twin of a fitted target.
#include "tools/judge-target/JudgeInput.h"

#include "util/Error.h"

#include <sqlite3.h>

#include <QFile>
#include <QString>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <set>

namespace judgetarget {

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

void appendJsonString(std::string& out, const char* text, size_t size)
{
    out += '"';
    for (size_t i = 0; i < size; ++i) {
        const auto ch = static_cast<unsigned char>(text[i]);
        if (ch == '"' || ch == '\\') {
            out += '\\';
            out += static_cast<char>(ch);
        } else if (ch < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", ch);
            out += buf;
        } else {
            out += static_cast<char>(ch);
        }
    }
    out += '"';
}

std::string jsonString(const std::string& s)
{
    std::string out;
    appendJsonString(out, s.data(), s.size());
    return out;
}

class ReadOnlySqlite {
public:
    explicit ReadOnlySqlite(const std::string& path, bool writable = false) : m_path(path)
    {
        const int flags = writable ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY;
        if (sqlite3_open_v2(path.c_str(), &m_db, flags, nullptr) != SQLITE_OK) {
            const QString why = QString::fromUtf8(m_db ? sqlite3_errmsg(m_db) : "kein Speicher");
            sqlite3_close(m_db);
            throw util::Error(QStringLiteral("Die SQLite-Datei „%1“ lässt sich nicht öffnen: %2").arg(q(path), why));
        }
    }
    ~ReadOnlySqlite() { sqlite3_close(m_db); }
    ReadOnlySqlite(const ReadOnlySqlite&) = delete;
    ReadOnlySqlite& operator=(const ReadOnlySqlite&) = delete;

    sqlite3_stmt* prepare(const std::string& sql) const
    {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(m_db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK)
            throw util::Error(QStringLiteral("Die SQLite-Datei „%1“ passt nicht zum Beispiel (%2): %3")
                                  .arg(q(m_path), q(sql.substr(0, 120)), QString::fromUtf8(sqlite3_errmsg(m_db))));
        return st;
    }
    void exec(const std::string& sql) const
    {
        char* message = nullptr;
        if (sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
            const QString why = QString::fromUtf8(message ? message : "");
            sqlite3_free(message);
            throw util::Error(QStringLiteral("Die SQLite-Datei „%1“ lässt sich nicht ändern: %2").arg(q(m_path), why));
        }
    }

private:
    std::string m_path;
    sqlite3* m_db = nullptr;
};

std::string quoted(const std::string& name) { return "\"" + name + "\""; }

// The row ids of references without a parent row, per relationship that fits its data.
std::map<std::string, std::set<long long>> orphans(const TargetPlan& plan, const ReadOnlySqlite& db)
{
    std::map<std::string, std::set<long long>> out;
    for (const PlanRelationship& r : plan.relationships) {
        if (!r.fitData)
            continue;
        sqlite3_stmt* st = db.prepare("SELECT c.rowid FROM " + quoted(r.child) + " c WHERE c." + quoted(r.childColumn)
                                      + " IS NOT NULL AND NOT EXISTS (SELECT 1 FROM " + quoted(r.parent) + " p WHERE p."
                                      + quoted(r.parentColumn) + " = c." + quoted(r.childColumn) + ")");
        std::set<long long>& ids = out[r.name];
        while (sqlite3_step(st) == SQLITE_ROW)
            ids.insert(sqlite3_column_int64(st, 0));
        sqlite3_finalize(st);
    }
    return out;
}

}  // namespace

void writeSchemaJson(const TargetPlan& plan, const std::string& path)
{
    std::string out = "{\n  \"password\": " + (plan.password.empty() ? std::string("null") : jsonString(plan.password))
                      + ",\n  \"tables\": [\n";
    for (size_t i = 0; i < plan.tables.size(); ++i) {
        const PlanTable& t = plan.tables[i];
        out += "    {\"name\": " + jsonString(t.name) + ", \"columns\": [";
        for (size_t c = 0; c < t.columns.size(); ++c)
            out += std::string(c ? ", " : "") + "{\"name\": " + jsonString(t.columns[c].name)
                   + ", \"type\": " + jsonString(t.columns[c].type) + "}";
        out += "],\n     \"indexes\": [";
        for (size_t x = 0; x < t.indexes.size(); ++x) {
            const PlanIndex& ix = t.indexes[x];
            out += std::string(x ? ",\n       " : "") + "{\"name\": " + jsonString(ix.name) + ", \"columns\": [";
            for (size_t c = 0; c < ix.columns.size(); ++c)
                out += std::string(c ? ", " : "") + jsonString(ix.columns[c]);
            out += "]";
            if (ix.primary)
                out += ", \"primary\": true";
            if (ix.unique)
                out += ", \"unique\": true";
            if (ix.ignoreNulls)
                out += ", \"ignoreNulls\": true";
            out += "}";
        }
        out += std::string("]}") + (i + 1 < plan.tables.size() ? "," : "") + "\n";
    }
    out += "  ],\n  \"relationships\": [\n";
    for (size_t i = 0; i < plan.relationships.size(); ++i) {
        const PlanRelationship& r = plan.relationships[i];
        out += "    {\"name\": " + jsonString(r.name) + ", \"from\": " + jsonString(r.parent) + ", \"to\": "
               + jsonString(r.child) + ", \"fromColumns\": [" + jsonString(r.parentColumn) + "], \"toColumns\": ["
               + jsonString(r.childColumn) + "], \"enforce\": true";
        if (r.cascade)
            out += ", \"cascadeUpdates\": true, \"cascadeDeletes\": true";
        out += std::string("}") + (i + 1 < plan.relationships.size() ? "," : "") + "\n";
    }
    out += "  ]\n}\n";
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f << out;
    if (!f.flush())
        throw util::Error(QStringLiteral("Die Datei „%1“ kann nicht geschrieben werden.").arg(q(path)));
}

DataSummary writeDataJson(const TargetPlan& plan, const std::string& sqlitePath, const std::string& path)
{
    const ReadOnlySqlite db(sqlitePath);
    const std::map<std::string, std::set<long long>> missing = orphans(plan, db);
    DataSummary summary;
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f << "{\n";
    std::string line;
    for (size_t ti = 0; ti < plan.tables.size(); ++ti) {
        const PlanTable& t = plan.tables[ti];
        // The columns the sample has, then the row id (fitting goes by it).
        std::string list;
        std::vector<const PlanColumn*> read;
        int idColumn = -1;
        for (const PlanColumn& c : t.columns) {
            if (!c.fromSample)
                continue;
            if (c.name == "ID")
                idColumn = static_cast<int>(read.size());
            list += (list.empty() ? "" : ", ") + quoted(c.name);
            read.push_back(&c);
        }
        // Per column to fit: the row ids whose value becomes NULL.
        std::vector<const std::set<long long>*> nulled(read.size(), nullptr);
        for (const PlanRelationship& r : plan.relationships)
            if (r.fitData && r.child == t.name)
                for (size_t i = 0; i < read.size(); ++i)
                    if (read[i]->name == r.childColumn) {
                        nulled[i] = &missing.at(r.name);
                        summary.fitted[r.name] = static_cast<long long>(nulled[i]->size());
                    }
        sqlite3_stmt* st = db.prepare("SELECT " + list + ", rowid FROM " + quoted(t.name) + " ORDER BY rowid");
        f << "  " << jsonString(t.name) << ": [";
        long long rows = 0;
        int rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
            const long long rowid = sqlite3_column_int64(st, static_cast<int>(read.size()));
            line.assign(rows ? ",\n    {" : "\n    {");
            bool first = true;
            for (size_t i = 0; i < read.size(); ++i) {
                const int col = static_cast<int>(i);
                const int type = sqlite3_column_type(st, col);
                if (type == SQLITE_NULL || (nulled[i] && nulled[i]->count(rowid)))
                    continue;  // a column left out of a row is NULL
                line += (first ? "" : ", ") + jsonString(read[i]->name) + ": ";
                first = false;
                if (type == SQLITE_INTEGER) {
                    line += std::to_string(sqlite3_column_int64(st, col));
                } else if (type == SQLITE_FLOAT) {
                    const double d = sqlite3_column_double(st, col);
                    char buf[40];
                    std::snprintf(buf, sizeof buf, "%.17g", std::isfinite(d) ? d : 0.0);
                    line += buf;
                } else if (type == SQLITE_BLOB) {
                    static const char* digits = "0123456789ABCDEF";
                    const auto* b = static_cast<const unsigned char*>(sqlite3_column_blob(st, col));
                    const int n = sqlite3_column_bytes(st, col);
                    line += '"';
                    for (int k = 0; k < n; ++k) {
                        line += digits[b[k] >> 4];
                        line += digits[b[k] & 15];
                    }
                    line += '"';
                } else {
                    appendJsonString(line, reinterpret_cast<const char*>(sqlite3_column_text(st, col)),
                                     static_cast<size_t>(sqlite3_column_bytes(st, col)));
                }
            }
            // The Yes/No columns the sample has not, by the row's ID.
            const long long id = idColumn >= 0 ? sqlite3_column_int64(st, idColumn) : rowid;
            for (const PlanColumn& c : t.columns)
                if (!c.fromSample) {
                    line += (first ? "" : ", ") + jsonString(c.name) + ": " + (id % c.everyNth == 0 ? "true" : "false");
                    first = false;
                }
            line += "}";
            f << line;
            ++rows;
        }
        sqlite3_finalize(st);
        if (rc != SQLITE_DONE)
            throw util::Error(QStringLiteral("Die Tabelle %1 der SQLite-Datei „%2“ lässt sich nicht ganz lesen.")
                                  .arg(q(t.name), q(sqlitePath)));
        summary.rows[t.name] = rows;
        f << (rows ? "\n  ]" : "]") << (ti + 1 < plan.tables.size() ? "," : "") << "\n";
    }
    f << "}\n";
    if (!f.flush())
        throw util::Error(QStringLiteral("Die Datei „%1“ kann nicht geschrieben werden.").arg(q(path)));
    return summary;
}

void writeSqliteTwin(const TargetPlan& plan, const std::string& sqlitePath, const std::string& twinPath)
{
    std::map<std::string, std::set<long long>> missing;
    {
        const ReadOnlySqlite from(sqlitePath);
        missing = orphans(plan, from);
    }
    const QString part = q(twinPath) + QStringLiteral(".part");
    QFile::remove(part);
    if (!QFile::copy(q(sqlitePath), part))
        throw util::Error(QStringLiteral("Die Datei „%1“ kann nicht geschrieben werden.").arg(q(twinPath)));
    {
        const ReadOnlySqlite twin(part.toStdString(), true);
        for (const PlanRelationship& r : plan.relationships) {
            if (!r.fitData || missing[r.name].empty())
                continue;
            std::string ids;
            for (long long id : missing[r.name])
                ids += (ids.empty() ? "" : ",") + std::to_string(id);
            twin.exec("UPDATE " + quoted(r.child) + " SET " + quoted(r.childColumn) + " = NULL WHERE rowid IN (" + ids + ")");
        }
    }
    QFile::remove(q(twinPath));
    if (!QFile::rename(part, q(twinPath)))
        throw util::Error(QStringLiteral("Die Datei „%1“ kann nicht geschrieben werden.").arg(q(twinPath)));
}

}  // namespace judgetarget
