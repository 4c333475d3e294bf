// Text comparison as Access makes it, on files that stock SQLite tools read and index
// too: what we write passes SQLite's own integrity check, what SQLite indexed is found
// by our statements, and case is ignored for every letter, not only for ASCII.
#include "db/AccessDialect.h"
#include "db/ConnectionString.h"
#include "db/DbConnection.h"
#include "tests/support/TestDatabase.h"
#include "util/ListHelpers.h"

#include <QFile>

using namespace db;
using testsupport::TempFolder;

namespace {

// SQL on a file through a connection that knows nothing of ours: plain SQLite, as the
// sqlite3 shell or any other program sees the file.
QStringList stockRows(const QString& path, const QString& sql)
{
    sqlite3* db = nullptr;
    QStringList out;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return {QStringLiteral("<cannot open>")};
    }
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &stmt, nullptr) != SQLITE_OK) {
        out << QStringLiteral("<error> ") + QString::fromUtf8(sqlite3_errmsg(db));
    } else {
        while (sqlite3_step(stmt) == SQLITE_ROW)
            out << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return out;
}

// Abbreviations that sort differently under SQLite's ASCII-only NOCASE and under a
// collation that folds umlauts: "MÖLLER" lies between "MÖLL" and "möll" for SQLite.
const QStringList kValues = {"MÖLL", "möll", "MÖLLER", "mölz", "MÖM", "Äpfel", "äpfel", "abc", "ABD"};

class AccessCollation : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_path = m_dir.path(QStringLiteral("ziel.sqlite"));
        sqlite3* db = nullptr;
        sqlite3_open(QFile::encodeName(m_path).constData(), &db);
        sqlite3_exec(db,
                     "CREATE TABLE t(ID INTEGER PRIMARY KEY, k VARCHAR(10) COLLATE NOCASE, n INTEGER);"
                     "CREATE INDEX t_k ON t(k); CREATE INDEX t_n ON t(n);",
                     nullptr, nullptr, nullptr);
        sqlite3_close(db);
        m_con.SetConnectionString(TargetConnectionString(m_path));
    }

    void insertStock()
    {
        QString sql;
        for (qsizetype i = 0; i < kValues.size(); ++i)
            sql += QStringLiteral("INSERT INTO t(k, n) VALUES ('%1', %2);").arg(kValues[i]).arg(i);
        sqlite3* db = nullptr;
        sqlite3_open(QFile::encodeName(m_path).constData(), &db);
        sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }

    QString count(const QString& where)
    {
        const Value v = m_con.Execute(QStringLiteral("select count(*) from t where ") + where).Column(0);
        return QString::number(std::get<qint64>(v));
    }

    TempFolder m_dir;
    QString m_path;
    DbConnection m_con;
};

}  // namespace

TEST_F(AccessCollation, FileWrittenThroughTheLayerPassesStockIntegrityCheck)
{
    for (const QString& v : kValues)
        m_con.Execute(QStringLiteral("insert into t(k) values ('%1')").arg(v));
    m_con.Execute(QStringLiteral("update t set k='MÖLLE' where k='äpfel'"));
    m_con.SetConnected(false);
    EXPECT_EQ(stockRows(m_path, QStringLiteral("PRAGMA integrity_check")), QStringList({"ok"}));
}

TEST_F(AccessCollation, StatementsOnAStockIndexedFileFindEveryRowAccessCallsEqual)
{
    insertStock();
    EXPECT_EQ(count(QStringLiteral("k='MÖLL'")), QStringLiteral("2"));
    m_con.Execute(QStringLiteral("update t set k='X' where k='möll'"));
    m_con.SetConnected(false);
    // Both spellings of the one abbreviation moved, the longer one did not.
    EXPECT_EQ(stockRows(m_path, QStringLiteral("SELECT group_concat(k, ',') FROM (SELECT k FROM t ORDER BY ID)")),
              QStringList({"X,X,MÖLLER,mölz,MÖM,Äpfel,äpfel,abc,ABD"}));
    EXPECT_EQ(stockRows(m_path, QStringLiteral("PRAGMA integrity_check")), QStringList({"ok"}));
}

TEST_F(AccessCollation, ComparisonsWithTextIgnoreCaseForEveryLetter)
{
    insertStock();
    struct Case {
        const char* where;
        const char* count;
    };
    const Case cases[] = {
        {"k = 'ÄPFEL'", "2"},
        {"'ÄPFEL' = k", "2"},
        {"k <> 'ÄPFEL'", "7"},
        {"k = 'ABC'", "1"},
        {"k in ('ÄPFEL', 'Möll')", "4"},
        {"k not in ('ÄPFEL', 'ABC')", "6"},
        {"k between 'MÖLL' and 'MÖLLER'", "3"},
        {"k between 'a' and 'ABZ'", "2"},
        {"k > 'mölz'", "3"},
        {"k = 'möl' || 'L'", "2"},
        {"k = 'äpfel' collate binary", "1"},
        {"n in (1, 2)", "2"},
        {"n = '3'", "1"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(count(QString::fromUtf8(c.where)), QString::fromUtf8(c.count)) << c.where;
}

TEST_F(AccessCollation, UpdatesWithTextBeyondAsciiChangeTheRowsAccessCallsEqualThroughTheIndex)
{
    const QStringList values = {"MÖLL", "möll", "MöLL", "mÖll", "MOLL", "MÖLLER", "MÖL", "LÖW", "M", "Möll ",
                                "ÖZT", "özt", "a'Ö", "A'ö", "a'O", "@Ü", "@ü", "AÜ"};
    for (qsizetype i = 0; i < values.size(); ++i)
        m_con.Execute(QStringLiteral("insert into t(k, n) values (%1, %2)").arg(util::sqlQuote(values[i])).arg(i));
    const auto numbers = [&](const QString& sql) {
        QStringList out;
        m_con.Query(sql, [&](const ResultColumns&, const std::vector<Value>& row) {
            out << QString::number(std::get<qint64>(row[0]));
        });
        return out;
    };
    for (const QString& literal : values) {
        // A SELECT compares under the Access collation alone: the rows Access calls equal.
        const QStringList expected =
            numbers(QStringLiteral("select n from t where k=%1 order by n").arg(util::sqlQuote(literal)));
        m_con.Execute(QStringLiteral("update t set n=n+1000 where k=%1").arg(util::sqlQuote(literal)));
        EXPECT_EQ(numbers(QStringLiteral("select n-1000 from t where n>=1000 order by n")), expected)
            << literal.toStdString();
        m_con.Execute(QStringLiteral("delete from t where k=%1").arg(util::sqlQuote(literal)));
        EXPECT_EQ(count(QStringLiteral("n>=1000")), QStringLiteral("0")) << literal.toStdString();
        for (const QString& n : expected)
            m_con.Execute(QStringLiteral("insert into t(k, n) values (%1, %2)").arg(util::sqlQuote(values[n.toInt()]), n));
    }
    // SQLite's own index of the column finds them.
    sqlite3_stmt* plan = nullptr;
    const QByteArray sql = (QStringLiteral("EXPLAIN QUERY PLAN ")
                            + translateAccessSql(QStringLiteral("update t set n=1 where k='MÖLL'")).sql).toUtf8();
    ASSERT_EQ(sqlite3_prepare_v2(m_con.handle(), sql.constData(), -1, &plan, nullptr), SQLITE_OK);
    QString detail;
    while (sqlite3_step(plan) == SQLITE_ROW)
        detail += QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(plan, 3)));
    sqlite3_finalize(plan);
    EXPECT_TRUE(detail.contains(QLatin1String("USING INDEX t_k"))) << detail.toStdString();
}

TEST(AccessCollationTranslation, AddsCollationsOnlyToComparisonsWithTextOutsideDefinitions)
{
    struct Case {
        const char* access;
        const char* sqlite;
    };
    const Case cases[] = {
        {"update T set a='x' where b='ö'",
         "update T set a='x' COLLATE NOCASE where b='ö' COLLATE JET_NOCASE"},
        {"select * from T where a in ('x', 'y') and b not in ('ä')",
         "select * from T where a COLLATE NOCASE in ('x', 'y') and b COLLATE JET_NOCASE not in ('ä')"},
        {"select * from T where a in (select b from U where c = 1)",
         "select * from T where a in (select b from U where c = 1)"},
        {"select * from T where a = b and c = 'x' collate binary", "select * from T where a = b and c = 'x' collate binary"},
        {"select * from T where a = 'x' || b", "select * from T where a = 'x' COLLATE JET_NOCASE || b"},
        // An UPDATE or DELETE finds a text beyond ASCII through the index of its ASCII start.
        {"update T set a='x' where b='MÖLL'",
         "update T set a='x' COLLATE NOCASE where (b='MÖLL' COLLATE JET_NOCASE AND b >= 'M' COLLATE NOCASE AND b < 'n' "
         "COLLATE NOCASE)"},
        {"delete from T where c=1 or not [T].b = 'a&''Ö'",
         "delete from T where c=1 or not (\"T\".b = 'a&''Ö' COLLATE JET_NOCASE AND \"T\".b >= 'a&''' COLLATE NOCASE AND "
         "\"T\".b < 'a&(' COLLATE NOCASE)"},
        {"select * from T where b='MÖLL'", "select * from T where b='MÖLL' COLLATE JET_NOCASE"},
        {"update T set a=U.x from U where T.b='MÖLL'", "update T set a=U.x from U where T.b='MÖLL' COLLATE JET_NOCASE"},
        {"update T set a=(select x from U where y='MÖLL') where b='MÖLL'",
         "update T set a=(select x from U where y='MÖLL' COLLATE JET_NOCASE) where b='MÖLL' COLLATE JET_NOCASE"},
        {"update T set a='MÖLL' where b='Öl' and c='MÖLL' || d",
         "update T set a='MÖLL' COLLATE JET_NOCASE where b='Öl' COLLATE JET_NOCASE and c='MÖLL' COLLATE JET_NOCASE || d"},
        {"create table T (a text check (a <> 'ö'))", "create table T (a text check (a <> 'ö'))"},
        {"pragma encoding = 'UTF-8'", "pragma encoding = 'UTF-8'"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(translateAccessSql(QString::fromUtf8(c.access)).sql, QString::fromUtf8(c.sqlite)) << c.access;
}

TEST(AccessCollationOrder, FoldsEveryLetterButNeverIntoAscii)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
    db::installAccessSemantics(db);
    const auto compare = [&](const char* a, const char* b) {
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(db, "SELECT CASE WHEN ?1 < ?2 COLLATE JET_NOCASE THEN -1 WHEN ?1 = ?2 COLLATE JET_NOCASE "
                               "THEN 0 ELSE 1 END", -1, &stmt, nullptr);
        sqlite3_bind_text(stmt, 1, a, -1, SQLITE_STATIC);
        sqlite3_bind_text(stmt, 2, b, -1, SQLITE_STATIC);
        sqlite3_step(stmt);
        const int r = sqlite3_column_int(stmt, 0);
        sqlite3_finalize(stmt);
        return r;
    };
    struct Case {
        const char* a;
        const char* b;
        int order;
    };
    const Case cases[] = {
        {"Äpfel", "äPFEL", 0},     {"MÖLL", "möll", 0},     {"ΩMEGA", "ωmega", 0},
        {"abc", "ABD", -1},        {"Zebra", "äpfel", -1},  {"möll", "MÖLLER", -1},
        {"\xE2\x84\xAA", "k", 1},   // the Kelvin sign stays itself
        {"Straße", "STRASSE", 1},  // simple folding: ß is no "ss"
        {"a\xFF", "a\xFE", 1},     // broken UTF-8 still has an order
        {"", "a", -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(compare(c.a, c.b), c.order) << c.a << " / " << c.b;
    sqlite3_close(db);
}
