// The sample in Access format: every table of Edvara.mdb and Schulver.mdb holds, through
// our engine, exactly the rows of the SQLite sample made from the same seed, and reads the
// same through mdb-export; Jackcess finds every index as it would write it and writes to the
// file itself; the target carries the product's database password, and one seed gives the
// same bytes.
#include "tools/sample/SampleGenerator.h"
#include "tools/sample/TargetSchema.h"

#include "db/ConnectionString.h"
#include "tests/db/jet/MdbExport.h"
#include "tests/support/Judge.h"
#include "db/jet/JetError.h"
#include "db/jet/JetSqlite.h"
#include "util/Error.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

// Every row of a table in rowid order, one line per row, values as SQLite prints them.
std::vector<std::string> tableRows(sqlite3* db, const std::string& table, const std::vector<std::string>& columns)
{
    std::string list;
    for (const std::string& c : columns)
        list += (list.empty() ? "quote(" : ", quote(") + c + ")";
    std::vector<std::string> out;
    sqlite3_stmt* st = nullptr;
    const std::string sql = "SELECT " + list + " FROM \"" + table + "\" ORDER BY rowid";
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) {
        ADD_FAILURE() << sql << ": " << sqlite3_errmsg(db);
        return out;
    }
    while (sqlite3_step(st) == SQLITE_ROW) {
        std::string line;
        for (int i = 0; i < sqlite3_column_count(st); ++i)
            line += std::string(reinterpret_cast<const char*>(sqlite3_column_text(st, i))) + "|";
        out.push_back(line);
    }
    sqlite3_finalize(st);
    return out;
}

class Opened {
public:
    explicit Opened(const QString& sqliteFile)
    {
        sqlite3_open_v2(QFile::encodeName(sqliteFile).constData(), &m_db, SQLITE_OPEN_READONLY, nullptr);
    }
    Opened(const QString& accessFile, const std::string& password)
    {
        sqlite3_open(":memory:", &m_db);
        try {
            m_access = db::jet::attachAccessFile(m_db, QFile::encodeName(accessFile).toStdString(), password,
                                                 db::jet::AccessMode::ReadShared);
        } catch (...) {
            sqlite3_close_v2(m_db);
            throw;
        }
    }
    ~Opened()
    {
        sqlite3_close_v2(m_db);
        m_access.reset();
    }
    sqlite3* db() const { return m_db; }

private:
    sqlite3* m_db = nullptr;
    std::unique_ptr<db::jet::AttachedDatabase> m_access;
};

sample::SampleSummary write(const QString& dir, bool access)
{
    sample::SampleOptions options;
    options.outDir = dir;
    options.access = access;
    return sample::writeSampleDatabases(options);
}

QByteArray hashOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256)
                                       : QByteArray();
}

}  // namespace

TEST(AccessSample, EveryTableHoldsTheRowsOfTheSqliteSample)
{
    QTemporaryDir sqliteDir, accessDir;
    const sample::SampleSummary plain = write(sqliteDir.path(), false);
    const sample::SampleSummary access = write(accessDir.path(), true);
    EXPECT_TRUE(access.targetPath.endsWith(QStringLiteral("/Edvara.mdb")));
    EXPECT_EQ(access.targetRows, plain.targetRows);
    EXPECT_EQ(QDir(accessDir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList({"Edvara.mdb", "Schulver.mdb"}))
        << "the SQLite files on the way are gone";

    EXPECT_THROW(Opened(access.targetPath, "falsch"), db::jet::JetError);
    const Opened fromSqlite(plain.targetPath);
    const Opened fromAccess(access.targetPath, db::kTargetPassword);
    size_t rows = 0;
    for (const sample::TableDef& t : sample::targetTables()) {
        const std::vector<std::string> expected = tableRows(fromSqlite.db(), t.name, sample::columnNames(t));
        EXPECT_EQ(tableRows(fromAccess.db(), t.name, sample::columnNames(t)), expected) << t.name;
        rows += expected.size();
    }
    EXPECT_GT(rows, 3000u);

    const Opened directorySqlite(plain.directoryPath);
    const Opened directoryAccess(access.directoryPath, "");
    const std::vector<std::string> columns = sample::columnNames(sample::directoryTable());
    EXPECT_EQ(tableRows(directoryAccess.db(), "DBS", columns), tableRows(directorySqlite.db(), "DBS", columns));

    // An independent reader agrees: every table as mdb-export prints it.
    ASSERT_EQ(mdbexport::run({"mdb-export", "--version"}).status, 0) << "mdbtools (mdb-export) must be installed";
    EXPECT_EQ(mdbexport::expectSameAsMdbExport(access.targetPath.toStdString(), db::kTargetPassword), 102);
    EXPECT_EQ(mdbexport::expectSameAsMdbExport(access.directoryPath.toStdString(), ""), 1);
    // Both files carry Access's system tables and pass our check.
    for (const QString& path : {access.targetPath, access.directoryPath}) {
        EXPECT_EQ(mdbexport::run({"mdb-tables", "-S", "-1", path.toStdString()}).out.rfind(
                      "MSysObjects\nMSysACEs\nMSysQueries\nMSysRelationships\n", 0),
                  0u)
            << path.toStdString();
        // (edvara-sql's default password is the product's)
        EXPECT_EQ(mdbexport::run({mdbexport::kTool, "--check", path.toStdString()}).status, 0) << path.toStdString();
    }

    QTemporaryDir again;
    write(again.path(), true);
    EXPECT_EQ(hashOf(again.path() + "/Edvara.mdb"), hashOf(access.targetPath));
    EXPECT_EQ(hashOf(again.path() + "/Schulver.mdb"), hashOf(access.directoryPath));

    // The independent judge: every key as Jackcess makes it (the text keys of " KRÖN " and
    // "440 " differ until trailing blanks are left out of keys, as Access leaves them out),
    // then Jackcess writes to the file as a second program, and both engines still agree.
    for (const QString& path : {access.targetPath, access.directoryPath})
        EXPECT_TRUE(testsupport::judgeAccepts(path.toStdString()));
    const std::string copy = again.path().toStdString() + "/Edvara.mdb";
    EXPECT_TRUE(testsupport::judgeMutates(copy));
    EXPECT_TRUE(testsupport::judgeAccepts(copy));
    const mdbexport::Output checked = mdbexport::run({mdbexport::kTool, "--check", copy});
    EXPECT_EQ(checked.status, 0) << checked.out;
    EDVARA_SKIP_WITHOUT_JUDGE();
}

TEST(AccessSample, AFolderInPlaceOfTheAccessTargetIsReportedAndNothingIsWritten)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("Edvara.mdb")));
    sample::SampleOptions options;
    options.outDir = dir.path();
    options.access = true;
    try {
        sample::writeSampleDatabases(options);
        ADD_FAILURE() << "no error";
    } catch (const util::Error& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("ist keine Datei"))) << e.message().toStdString();
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
}
