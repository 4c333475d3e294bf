// The static cursor: keys captured at Open, values fetched per current row, posts of
// the changed columns by row key.
#include "db/RecordCursor.h"
#include "db/AccessDialect.h"
#include "db/DbConnection.h"
#include "db/DbError.h"
#include "db/SqliteErrors.h"
#include "util/StringList.h"

#include <QDateTime>
#include <QLocale>

#include <sqlite3.h>

#include <cmath>
#include <limits>
#include <map>

namespace db {

// The statements of one command text on one connection, prepared at the first Open and
// kept over Close: a cursor opened again and again (once per row of another, with a new
// parameter) and the posts of its rows reuse them instead of translating and parsing
// them each time. The connection drops them before it closes.
struct RecordCursor::Statements {
    QString commandText;
    CursorLocationType location = clUseServer;
    sqlite3* db = nullptr;
    int parameterCount = 0;
    StatementPtr main;
    std::vector<Field> fields;
    bool keyed = false;
    QString tableSchema;
    QString tableName;
    StatementPtr keys;   // keyed cursors: the row keys in result order
    StatementPtr fetch;  // keyed cursors: one row's values by key
    std::map<std::vector<int>, StatementPtr> updates;  // by the columns a post writes
    StatementPtr remove;
};

namespace {

// Leaves a reused statement reset however the use ends, so that it holds nothing back.
struct ResetOnExit {
    sqlite3_stmt* stmt;
    ~ResetOnExit() { sqlite3_reset(stmt); }
};

bool isWordToken(const SqlToken& t, const char* word)
{
    return t.kind == SqlToken::Word && t.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

bool significant(const SqlToken& t)
{
    return t.kind != SqlToken::Space && t.kind != SqlToken::Comment && !t.text.isEmpty();
}

// Where the select list of a single-table SELECT starts and ends, so that it can be
// replaced by the row key. Returns false for anything that is not one plain table.
struct SelectShape {
    qsizetype listBegin = -1;  // first token after SELECT
    qsizetype fromToken = -1;  // the FROM keyword
};

bool plainSingleTableSelect(const std::vector<SqlToken>& toks, SelectShape& shape)
{
    static const char* const kRefuse[] = {"DISTINCT", "GROUP", "UNION", "INTERSECT", "EXCEPT",
                                          "HAVING",   "JOIN",  "VALUES", "WINDOW"};
    static const char* const kClauseEnd[] = {"WHERE", "ORDER", "LIMIT"};
    int depth = 0;
    qsizetype first = -1;
    for (qsizetype i = 0; i < static_cast<qsizetype>(toks.size()); ++i) {
        const SqlToken& t = toks[i];
        if (!significant(t))
            continue;
        if (t.kind == SqlToken::Symbol && t.text == QLatin1String("(")) {
            ++depth;
            continue;
        }
        if (t.kind == SqlToken::Symbol && t.text == QLatin1String(")")) {
            --depth;
            continue;
        }
        if (first < 0) {
            first = i;
            if (!isWordToken(t, "SELECT"))
                return false;
            shape.listBegin = i + 1;
            continue;
        }
        if (depth != 0)
            continue;
        for (const char* w : kRefuse)
            if (isWordToken(t, w))
                return false;
        if (shape.fromToken < 0 && isWordToken(t, "FROM")) {
            shape.fromToken = i;
            // FROM name [. name] [[AS] alias] and then the end or WHERE / ORDER / LIMIT.
            qsizetype k = i + 1;
            auto nextSig = [&]() {
                while (k < static_cast<qsizetype>(toks.size()) && !significant(toks[k]))
                    ++k;
                return k < static_cast<qsizetype>(toks.size()) ? k : -1;
            };
            qsizetype p = nextSig();
            if (p < 0 || (toks[p].kind != SqlToken::Word && toks[p].kind != SqlToken::QuotedName))
                return false;
            ++k;
            p = nextSig();
            if (p >= 0 && toks[p].kind == SqlToken::Symbol && toks[p].text == QLatin1String(".")) {
                ++k;
                p = nextSig();
                if (p < 0 || (toks[p].kind != SqlToken::Word && toks[p].kind != SqlToken::QuotedName))
                    return false;
                ++k;
                p = nextSig();
            }
            auto isClauseEnd = [&](qsizetype q) {
                for (const char* w : kClauseEnd)
                    if (isWordToken(toks[q], w))
                        return true;
                return false;
            };
            if (p >= 0 && !isClauseEnd(p)) {
                if (isWordToken(toks[p], "AS")) {
                    ++k;
                    p = nextSig();
                }
                if (p < 0 || (toks[p].kind != SqlToken::Word && toks[p].kind != SqlToken::QuotedName))
                    return false;
                ++k;
                p = nextSig();
            }
            if (p >= 0 && !isClauseEnd(p) && !(toks[p].kind == SqlToken::Symbol && toks[p].text == QLatin1String(";")))
                return false;
            i = k - 1;
        }
    }
    return shape.fromToken > shape.listBegin;
}

QString joinTokens(const std::vector<SqlToken>& toks, qsizetype from, qsizetype to)
{
    QString s;
    for (qsizetype i = from; i < to && i < static_cast<qsizetype>(toks.size()); ++i)
        s += toks[i].text;
    return s;
}

QString germanNumber(double d)
{
    return QLocale(QLocale::German, QLocale::Germany).toString(d, 'g', 15);
}

QString germanDateText(double days)
{
    const QDateTime dt = daysToDateTime(days);
    if (dt.time() == QTime(0, 0))
        return dt.toString(QStringLiteral("dd.MM.yyyy"));
    return dt.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
}

bool parseInt64(const QString& text, qint64& out)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return false;
    qsizetype i = 0;
    if (t[0] == QLatin1Char('+') || t[0] == QLatin1Char('-'))
        ++i;
    if (i == t.size())
        return false;
    for (qsizetype k = i; k < t.size(); ++k)
        if (t[k] < QLatin1Char('0') || t[k] > QLatin1Char('9'))
            return false;
    bool ok = false;
    out = t.toLongLong(&ok, 10);
    return ok;
}

bool parseDouble(const QString& text, double& out)
{
    QString t = text.trimmed();
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    out = t.toDouble(&ok);
    return ok && std::isfinite(out);
}

bool parseBool(const QString& text, bool& out)
{
    const QString t = text.trimmed().toLower();
    if (t == QLatin1String("true") || t == QLatin1String("wahr") || t == QLatin1String("ja")
        || t == QLatin1String("yes") || t == QLatin1String("-1") || t == QLatin1String("1")) {
        out = true;
        return true;
    }
    if (t == QLatin1String("false") || t == QLatin1String("falsch") || t == QLatin1String("nein")
        || t == QLatin1String("no") || t == QLatin1String("0")) {
        out = false;
        return true;
    }
    return false;
}

constexpr qint64 kIntMin = std::numeric_limits<qint32>::min();
constexpr qint64 kIntMax = std::numeric_limits<qint32>::max();

}  // namespace

// --- Field -------------------------------------------------------------------------

Value Field::value() const
{
    return m_cursor->currentValue(m_index);
}

bool Field::IsNull() const
{
    return db::isNull(value());
}

QString Field::GetText() const
{
    const Value v = value();
    if (const auto* i = std::get_if<qint64>(&v)) {
        if (m_kind == ColumnKind::Boolean)
            return *i ? QStringLiteral("True") : QStringLiteral("False");
        if (m_kind == ColumnKind::DateTime)
            return germanDateText(static_cast<double>(*i));
        return QString::number(*i);
    }
    if (const auto* d = std::get_if<double>(&v))
        return m_kind == ColumnKind::DateTime ? germanDateText(*d) : germanNumber(*d);
    if (const auto* s = std::get_if<QString>(&v)) {
        double days = 0;
        if (m_kind == ColumnKind::DateTime && canonicalTextToDays(*s, days))
            return germanDateText(days);
        return *s;
    }
    if (const auto* b = std::get_if<QByteArray>(&v))
        return QString::fromLatin1(*b);
    return QString();
}

qint32 Field::GetInteger() const
{
    const Value v = value();
    auto invalid = [&](const QString& shown) {
        return DbError(QStringLiteral("'%1' ist kein gültiger Integerwert").arg(shown));
    };
    qint64 n = 0;
    if (const auto* i = std::get_if<qint64>(&v)) {
        n = *i;
    } else if (const auto* d = std::get_if<double>(&v)) {
        if (!std::isfinite(*d) || std::fabs(*d) > 4e9)
            throw invalid(germanNumber(*d));
        n = std::llround(*d);
    } else if (const auto* s = std::get_if<QString>(&v)) {
        if (!parseInt64(*s, n))
            throw invalid(*s);
    } else if (std::holds_alternative<QByteArray>(v)) {
        throw invalid(GetText());
    } else {
        return 0;
    }
    if (n < kIntMin || n > kIntMax)
        throw invalid(QString::number(n));
    return static_cast<qint32>(n);
}

double Field::GetDateTime() const
{
    const Value v = value();
    if (const auto* i = std::get_if<qint64>(&v))
        return static_cast<double>(*i);
    if (const auto* d = std::get_if<double>(&v))
        return *d;
    if (const auto* s = std::get_if<QString>(&v)) {
        double days = 0;
        if (!canonicalTextToDays(*s, days))
            throw DbError(QStringLiteral("'%1' ist kein gültiges Datum und Zeit").arg(*s));
        return days;
    }
    if (std::holds_alternative<QByteArray>(v))
        throw DbError(QStringLiteral("'%1' ist kein gültiges Datum und Zeit").arg(GetText()));
    return 0.0;
}

bool Field::GetBoolean() const
{
    const Value v = value();
    if (const auto* i = std::get_if<qint64>(&v))
        return *i != 0;
    if (const auto* d = std::get_if<double>(&v))
        return *d != 0.0;
    if (const auto* s = std::get_if<QString>(&v)) {
        bool b = false;
        if (!parseBool(*s, b))
            throw DbError(QStringLiteral("'%1' ist kein gültiger Boolescher Wert").arg(*s));
        return b;
    }
    if (std::holds_alternative<QByteArray>(v))
        throw DbError(QStringLiteral("'%1' ist kein gültiger Boolescher Wert").arg(GetText()));
    return false;
}

void Field::SetText(const QString& text)
{
    m_cursor->requireEditing();
    if (text.isEmpty() && m_kind != ColumnKind::Text && m_kind != ColumnKind::Other) {
        setValue(Value());
        return;
    }
    switch (m_kind) {
    case ColumnKind::Integer: {
        qint64 n = 0;
        if (!parseInt64(text, n) || n < kIntMin || n > kIntMax)
            throw DbError(QStringLiteral("'%1' ist kein gültiger Integerwert für Feld '%2'").arg(text, m_name));
        setValue(Value(n));
        return;
    }
    case ColumnKind::Float: {
        double d = 0;
        if (!parseDouble(text, d))
            throw DbError(QStringLiteral("'%1' ist kein gültiger Gleitkommawert für Feld '%2'").arg(text, m_name));
        setValue(Value(d));
        return;
    }
    case ColumnKind::DateTime: {
        double days = 0;
        if (!canonicalTextToDays(text, days))
            throw DbError(QStringLiteral("'%1' ist kein gültiges Datum und Zeit für Feld '%2'").arg(text, m_name));
        setValue(Value(daysToCanonicalText(days)));
        return;
    }
    case ColumnKind::Boolean: {
        bool b = false;
        if (!parseBool(text, b))
            throw DbError(QStringLiteral("'%1' ist kein gültiger Boolescher Wert für Feld '%2'").arg(text, m_name));
        setValue(Value(qint64(b ? 1 : 0)));
        return;
    }
    default:
        setValue(Value(text));
    }
}

void Field::SetDateTime(double days)
{
    m_cursor->requireEditing();
    switch (m_kind) {
    case ColumnKind::Float:
        setValue(Value(days));
        break;
    case ColumnKind::Integer:
    case ColumnKind::Boolean:
        setValue(Value(static_cast<qint64>(std::trunc(days))));
        break;
    default:
        setValue(Value(daysToCanonicalText(days)));
    }
}

void Field::SetNull()
{
    setValue(Value());
}

void Field::setValue(const Value& value)
{
    m_cursor->requireEditing();
    m_cursor->m_edit[m_index] = value;
    m_cursor->markChanged(m_index);
}

// --- RecordCursor --------------------------------------------------------------------

RecordCursor::RecordCursor(DbConnection* connection, const QString& name, CursorLocationType location)
    : m_name(name), m_location(location)
{
    SetConnection(connection);
}

RecordCursor::~RecordCursor()
{
    Close();
    if (m_connection)
        m_connection->detachCursor(this);
}

void RecordCursor::connectionDestroyed()
{
    Close();
    releaseStatements();
    m_connection = nullptr;
}

void RecordCursor::releaseStatements()
{
    m_statements.reset();
}

void RecordCursor::unitRolledBack()
{
    if (m_state == State::Browsing)
        m_loadedIndex = -1;
}

void RecordCursor::SetConnection(DbConnection* connection)
{
    if (connection == m_connection)
        return;
    Close();
    releaseStatements();
    if (m_connection)
        m_connection->detachCursor(this);
    m_connection = connection;
    if (m_connection)
        m_connection->attachCursor(this);
}

void RecordCursor::SetCommandText(const QString& text)
{
    if (Active())
        namedError(QStringLiteral("Die Abfrage kann bei geöffneter Datenmenge nicht geändert werden."));
    m_commandText = text;
}

void RecordCursor::SetCursorLocation(CursorLocationType location)
{
    if (Active())
        throw DbError(QStringLiteral("Die Cursor-Position kann bei geöffneter Datenmenge nicht geändert werden."));
    m_location = location;
}

void RecordCursor::SetParam(qint32 id)
{
    m_param = id;
    m_paramSet = true;
}

QString RecordCursor::named(const QString& text) const
{
    return m_name.isEmpty() ? text : m_name + QStringLiteral(": ") + text;
}

void RecordCursor::namedError(const QString& text) const
{
    throw DbError(named(text));
}

void RecordCursor::requireOpen() const
{
    if (!Active())
        namedError(QStringLiteral("Operation bei geschlossener Datenmenge nicht ausführbar"));
}

void RecordCursor::requireEditing() const
{
    if (m_state != State::Editing)
        namedError(QStringLiteral("Datenmenge befindet sich nicht im Editier- oder Einfügemodus"));
}

void RecordCursor::bindParameters(sqlite3_stmt* stmt, int)
{
    const int n = sqlite3_bind_parameter_count(stmt);
    if (n > 0 && !m_paramSet)
        throw DbError(QStringLiteral("Für mindestens einen erforderlichen Parameter wurden keine Werte angegeben."));
    for (int i = 1; i <= n; ++i)
        sqlite3_bind_int(stmt, i, m_param);
}

QString RecordCursor::qualifiedTable() const
{
    return quoteSqliteName(m_tableSchema) + QLatin1Char('.') + quoteSqliteName(m_tableName);
}

void RecordCursor::Open()
{
    if (Active())
        return;
    if (!m_connection)
        namedError(QStringLiteral("Der Datenmenge ist keine Verbindung zugeordnet."));
    sqlite3* db = m_connection->handle();
    m_fieldIndex.clear();
    try {
        Statements* st = m_statements.get();
        if (!st || st->commandText != m_commandText || st->location != m_location || st->db != db) {
            m_statements.reset();
            const TranslatedSql translated = translateAccessSql(m_commandText, true);
            auto fresh = std::make_unique<Statements>();
            fresh->commandText = m_commandText;
            fresh->location = m_location;
            fresh->db = db;
            fresh->parameterCount = translated.parameterCount;
            fresh->main = prepareStatement(db, translated.sql);
            bindParameters(fresh->main.get(), translated.parameterCount);
            m_statements = std::move(fresh);
            st = m_statements.get();
            analyse(st->main.get(), translated.sql);
            if (m_keyed)
                prepareKeyed(translated.sql);
            st->fields = m_fields;
            st->keyed = m_keyed;
            st->tableSchema = m_tableSchema;
            st->tableName = m_tableName;
        } else {
            sqlite3_reset(st->main.get());
            bindParameters(st->main.get(), st->parameterCount);
            m_fields = st->fields;
            m_keyed = st->keyed;
            m_tableSchema = st->tableSchema;
            m_tableName = st->tableName;
        }
        if (m_keyed)
            collectKeys();
        else
            materialise(st->main.get());
    } catch (...) {
        m_statements.reset();
        m_fields.clear();
        m_keys.clear();
        m_rows.clear();
        m_keyed = false;
        throw;
    }
    m_state = State::Browsing;
    m_index = 0;
    m_eof = RecordCount() == 0;
    m_loadedIndex = -1;
    m_rowMissing = false;
}

void RecordCursor::analyse(sqlite3_stmt* stmt, const QString& sqliteSql)
{
    sqlite3* db = m_connection->handle();
    const int n = sqlite3_column_count(stmt);
    m_fields.clear();
    m_fields.resize(n);
    QString schema;
    QString table;
    bool oneTable = n > 0;
    for (int i = 0; i < n; ++i) {
        Field& f = m_fields[i];
        f.m_cursor = this;
        f.m_index = i;
        f.m_name = QString::fromUtf8(sqlite3_column_name(stmt, i));
        const char* decl = sqlite3_column_decltype(stmt, i);
        f.m_kind = columnKindFromDeclaredType(decl ? QString::fromUtf8(decl) : QString());
        const char* tbl = sqlite3_column_table_name(stmt, i);
        const char* origin = sqlite3_column_origin_name(stmt, i);
        const char* dbName = sqlite3_column_database_name(stmt, i);
        if (!tbl || !origin || !dbName) {
            oneTable = false;
            continue;
        }
        f.m_table = QString::fromUtf8(tbl);
        f.m_originName = QString::fromUtf8(origin);
        int notNull = 0, primaryKey = 0, autoinc = 0;
        const char* declType = nullptr;
        if (sqlite3_table_column_metadata(db, dbName, tbl, origin, &declType, nullptr, &notNull, &primaryKey,
                                          &autoinc) == SQLITE_OK) {
            f.m_notNull = notNull != 0;
            f.m_primaryKey = primaryKey != 0;
            const QString declared = QString::fromUtf8(declType ? declType : "").toUpper();
            // Autonumbers are assigned by the engine and cannot be written.
            f.m_readOnly = autoinc != 0 || declared.contains(QLatin1String("COUNTER"))
                || declared.contains(QLatin1String("AUTOINCREMENT"));
        } else {
            f.m_readOnly = false;
        }
        if (i == 0) {
            schema = QString::fromUtf8(dbName);
            table = f.m_table;
        } else if (schema != QString::fromUtf8(dbName) || table.compare(f.m_table, Qt::CaseInsensitive) != 0) {
            oneTable = false;
        }
    }
    m_keyed = false;
    if (m_location != clUseServer || !oneTable)
        return;
    SelectShape shape;
    if (!plainSingleTableSelect(tokenizeSql(sqliteSql), shape))
        return;
    m_tableSchema = schema;
    m_tableName = table;
    m_keyed = true;
}

void RecordCursor::prepareKeyed(const QString& sqliteSql)
{
    sqlite3* db = m_connection->handle();
    const std::vector<SqlToken> toks = tokenizeSql(sqliteSql);
    SelectShape shape;
    plainSingleTableSelect(toks, shape);
    const QString head = joinTokens(toks, 0, shape.listBegin);
    const QString fromOn = joinTokens(toks, shape.fromToken, static_cast<qsizetype>(toks.size()));
    const QString list = joinTokens(toks, shape.listBegin, shape.fromToken);
    // The plain form first; an ORDER BY that names an alias of the select list needs
    // the list to stay.
    const QString candidates[] = {head + QStringLiteral(" _rowid_ ") + fromOn,
                                  head + QStringLiteral(" _rowid_, ") + list + fromOn};
    StatementPtr keyStmt;
    for (const QString& sql : candidates) {
        const QByteArray u = sql.toUtf8();
        sqlite3_stmt* raw = nullptr;
        if (sqlite3_prepare_v2(db, u.constData(), static_cast<int>(u.size()), &raw, nullptr) == SQLITE_OK && raw) {
            keyStmt.reset(raw);
            break;
        }
        sqlite3_finalize(raw);
    }
    if (!keyStmt) {
        m_keyed = false;
        return;
    }
    m_statements->keys = std::move(keyStmt);

    QStringList columns;
    for (const Field& f : m_fields)
        columns.append(quoteSqliteName(f.m_originName));
    m_statements->fetch = prepareStatement(
        db, QStringLiteral("SELECT %1 FROM %2 WHERE _rowid_=?").arg(columns.join(QLatin1Char(',')), qualifiedTable()));
}

void RecordCursor::collectKeys()
{
    sqlite3* db = m_connection->handle();
    sqlite3_stmt* keyStmt = m_statements->keys.get();
    sqlite3_reset(keyStmt);
    const ResetOnExit reset{keyStmt};
    bindParameters(keyStmt, m_statements->parameterCount);
    m_keys.clear();
    int rc;
    while ((rc = sqlite3_step(keyStmt)) == SQLITE_ROW)
        m_keys.push_back(sqlite3_column_int64(keyStmt, 0));
    if (rc != SQLITE_DONE)
        throwSqliteError(db, rc);
}

void RecordCursor::materialise(sqlite3_stmt* stmt)
{
    sqlite3* db = m_connection->handle();
    const ResetOnExit reset{stmt};
    m_rows.clear();
    const int n = sqlite3_column_count(stmt);
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        std::vector<Value> row;
        row.reserve(n);
        for (int i = 0; i < n; ++i)
            row.push_back(columnValue(stmt, i));
        m_rows.push_back(std::move(row));
    }
    if (rc != SQLITE_DONE)
        throwSqliteError(db, rc);
}

void RecordCursor::Close()
{
    m_fields.clear();
    m_fieldIndex.clear();
    m_keys.clear();
    m_rows.clear();
    m_current.clear();
    m_edit.clear();
    m_changed.clear();
    m_keyed = false;
    m_state = State::Closed;
    m_eof = true;
    m_index = 0;
    m_loadedIndex = -1;
}

int RecordCursor::RecordCount() const
{
    if (!Active() && m_keys.empty() && m_rows.empty())
        return 0;
    return static_cast<int>(m_keyed ? m_keys.size() : m_rows.size());
}

void RecordCursor::loadCurrent()
{
    if (m_loadedIndex == m_index && !m_current.empty())
        return;
    const int count = RecordCount();
    m_rowMissing = false;
    if (count == 0) {
        m_current.assign(m_fields.size(), Value());
        m_loadedIndex = m_index;
        return;
    }
    if (!m_keyed) {
        m_current = m_rows[m_index];
        m_loadedIndex = m_index;
        return;
    }
    sqlite3* db = m_connection->handle();
    sqlite3_stmt* fetch = m_statements->fetch.get();
    sqlite3_reset(fetch);
    sqlite3_bind_int64(fetch, 1, m_keys[m_index]);
    const int rc = sqlite3_step(fetch);
    if (rc == SQLITE_ROW) {
        m_current.resize(m_fields.size());
        for (int i = 0; i < static_cast<int>(m_fields.size()); ++i)
            m_current[i] = columnValue(fetch, i);
    } else if (rc == SQLITE_DONE) {
        // Deleted by a statement after the cursor opened: it reads as empty.
        m_current.assign(m_fields.size(), Value());
        m_rowMissing = true;
    } else {
        const QString message = lastSqliteError(db, rc);
        sqlite3_reset(fetch);
        if (rc == SQLITE_INTERRUPT)
            throw Interrupted();
        throw DbError(message);
    }
    // Reset at once: a statement left active would hold back the commit of writes.
    sqlite3_reset(fetch);
    m_loadedIndex = m_index;
}

const Value& RecordCursor::currentValue(int index)
{
    if (m_state == State::Editing)
        return m_edit[index];
    loadCurrent();
    return m_current[index];
}

void RecordCursor::markChanged(int index)
{
    for (int c : m_changed)
        if (c == index)
            return;
    m_changed.push_back(index);
}

void RecordCursor::First()
{
    requireOpen();
    if (m_state == State::Editing)
        Post();
    m_index = 0;
    m_eof = RecordCount() == 0;
}

void RecordCursor::Next()
{
    requireOpen();
    if (m_state == State::Editing)
        Post();
    const int count = RecordCount();
    if (m_index < count - 1)
        ++m_index;
    else
        m_eof = true;
}

void RecordCursor::MoveToRow(int n)
{
    requireOpen();
    if (m_state == State::Editing)
        Post();
    const int count = RecordCount();
    if (n < 1 || n > count)
        throw DbError(QStringLiteral("Die Zeilennummer %1 liegt außerhalb des gültigen Bereichs (1 bis %2).")
                          .arg(n)
                          .arg(count));
    m_index = n - 1;
    m_eof = false;
}

Field& RecordCursor::FieldByName(const QString& name)
{
    // The stages ask for the same few names for every row: each name is looked for once
    // per Open.
    const auto known = m_fieldIndex.constFind(name);
    if (known != m_fieldIndex.constEnd())
        return m_fields[static_cast<size_t>(*known)];
    for (Field& f : m_fields)
        if (util::equalsIgnoreCase(f.m_name, name)) {
            m_fieldIndex.insert(name, f.m_index);
            return f;
        }
    namedError(QStringLiteral("Das Feld '%1' wurde nicht gefunden").arg(name));
}

Field& RecordCursor::Fields(int index)
{
    if (index < 0 || index >= FieldCount())
        throw DbError(QStringLiteral("Listenindex überschreitet das Maximum (%1)").arg(index));
    return m_fields[index];
}

void RecordCursor::Edit()
{
    requireOpen();
    if (m_state == State::Editing)
        return;
    if (RecordCount() == 0)
        namedError(QStringLiteral("Operation bei leerer Datenmenge nicht ausführbar"));
    if (!m_keyed)
        throw DbError(QStringLiteral("Die Datenmenge kann nicht bearbeitet werden, da sie schreibgeschützt ist."));
    loadCurrent();
    m_edit = m_current;
    m_changed.clear();
    m_state = State::Editing;
}

void RecordCursor::Cancel()
{
    if (m_state != State::Editing)
        return;
    m_state = State::Browsing;
    m_edit.clear();
    m_changed.clear();
}

void RecordCursor::Post()
{
    if (m_state != State::Editing)
        return;
    for (const Field& f : m_fields)
        if (f.m_notNull && !f.m_readOnly && db::isNull(m_edit[f.m_index]))
            throw DbError(QStringLiteral("Feld '%1' muss einen Wert haben").arg(f.m_name));

    std::vector<int> columns;
    for (int c : m_changed)
        if (!m_fields[c].m_readOnly && !m_fields[c].m_table.isEmpty())
            columns.push_back(c);
    if (!columns.empty()) {
        sqlite3* db = m_connection->handle();
        QStringList sets;
        for (int c : columns)
            sets.append(quoteSqliteName(m_fields[c].m_originName) + QStringLiteral("=?"));
        m_connection->prepareWrite();
        StatementPtr& stmt = m_statements->updates[columns];
        if (!stmt)
            stmt = prepareStatement(db, QStringLiteral("UPDATE %1 SET %2 WHERE _rowid_=?")
                                            .arg(qualifiedTable(), sets.join(QLatin1Char(','))));
        sqlite3_reset(stmt.get());
        const ResetOnExit reset{stmt.get()};
        int k = 1;
        for (int c : columns)
            bindValue(stmt.get(), k++, m_edit[c]);
        sqlite3_bind_int64(stmt.get(), k, m_keys[m_index]);
        const int rc = sqlite3_step(stmt.get());
        if (rc != SQLITE_DONE)
            throwSqliteError(db, rc);
        if (sqlite3_changes(db) == 0)
            throw DbError(QStringLiteral("Der Datensatz kann nicht gespeichert werden, weil er inzwischen gelöscht "
                                         "wurde."));
        // A changed integer primary key may be the row's key itself.
        for (int c : columns) {
            if (!m_fields[c].m_primaryKey)
                continue;
            StatementPtr rekey = prepareStatement(
                db, QStringLiteral("SELECT _rowid_ FROM %1 WHERE %2=?").arg(qualifiedTable(),
                                                                           quoteSqliteName(m_fields[c].m_originName)));
            bindValue(rekey.get(), 1, m_edit[c]);
            if (sqlite3_step(rekey.get()) == SQLITE_ROW)
                m_keys[m_index] = sqlite3_column_int64(rekey.get(), 0);
        }
    }
    m_state = State::Browsing;
    m_changed.clear();
    m_edit.clear();
    m_loadedIndex = -1;
}

void RecordCursor::Delete()
{
    requireOpen();
    if (RecordCount() == 0)
        namedError(QStringLiteral("Operation bei leerer Datenmenge nicht ausführbar"));
    if (!m_keyed)
        throw DbError(QStringLiteral("Die Datenmenge kann nicht bearbeitet werden, da sie schreibgeschützt ist."));
    sqlite3* db = m_connection->handle();
    m_connection->prepareWrite();
    StatementPtr& stmt = m_statements->remove;
    if (!stmt)
        stmt = prepareStatement(db, QStringLiteral("DELETE FROM %1 WHERE _rowid_=?").arg(qualifiedTable()));
    sqlite3_reset(stmt.get());
    const ResetOnExit reset{stmt.get()};
    sqlite3_bind_int64(stmt.get(), 1, m_keys[m_index]);
    const int rc = sqlite3_step(stmt.get());
    if (rc != SQLITE_DONE)
        throwSqliteError(db, rc);
    Cancel();
    m_keys.erase(m_keys.begin() + m_index);
    const int count = RecordCount();
    if (m_index >= count)
        m_index = count > 0 ? count - 1 : 0;
    m_eof = count == 0;
    m_loadedIndex = -1;
}

}  // namespace db
