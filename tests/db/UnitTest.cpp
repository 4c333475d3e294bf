// Units of several statements (all or nothing, also under kill -9), and the interrupt
// flag that ends a running statement at once.
#include "db/ConnectionString.h"
#include "db/DbConnection.h"
#include "db/DbError.h"
#include "db/RecordCursor.h"
#include "tests/support/CrashSupport.h"
#include "tests/support/TestDatabase.h"

#include <QElapsedTimer>
#include <QFileInfo>

#include <atomic>
#include <chrono>
#include <thread>

using namespace db;
using testsupport::TempFolder;

namespace {

class Units : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_path = m_dir.path(QStringLiteral("ziel.sqlite"));
        testsupport::runSql(m_path, QStringLiteral("CREATE TABLE t(ID INTEGER PRIMARY KEY, a TEXT);"
                                                   "INSERT INTO t VALUES (1, 'eins'), (2, 'zwei');"));
        m_con.SetConnectionString(TargetConnectionString(m_path));
    }

    QString rows()
    {
        m_con.SetConnected(false);
        return testsupport::queryText(m_path, QStringLiteral("SELECT group_concat(a, ',') FROM (SELECT a FROM t ORDER BY ID)"));
    }

    TempFolder m_dir;
    QString m_path;
    DbConnection m_con;
};

// A statement that runs for many seconds unless stopped.
const QString kSlow = QStringLiteral(
    "with recursive n(i) as (select 1 union all select i + 1 from n where i < 300000000) select count(*) from n");

}  // namespace

TEST_F(Units, CommittedUnitIsWrittenRolledBackUnitLeavesNoTraceInnerUnitsCountWithTheOuterOne)
{
    m_con.BeginUnit();
    m_con.Execute(QStringLiteral("update t set a='EINS' where ID=1"));
    m_con.Execute(QStringLiteral("insert into t values (3, 'drei')"));
    m_con.CommitUnit();
    {
        DbUnit unit(m_con);
        m_con.Execute(QStringLiteral("delete from t"));
    }  // not committed
    m_con.BeginUnit();
    m_con.Execute(QStringLiteral("update t set a='x' where ID=3"));
    m_con.BeginUnit();
    m_con.Execute(QStringLiteral("update t set a='ZWEI' where ID=2"));
    m_con.RollbackUnit();  // the inner one alone
    m_con.BeginUnit();
    m_con.Execute(QStringLiteral("delete from t where ID=1"));
    m_con.CommitUnit();
    m_con.RollbackUnit();  // the outer one takes the committed inner one with it
    EXPECT_EQ(m_con.UnitDepth(), 0);
    m_con.RollbackUnit();  // none open: nothing happens
    EXPECT_THROW(m_con.CommitUnit(), DbError);
    EXPECT_EQ(rows(), QStringLiteral("EINS,zwei,drei"));
}

TEST_F(Units, CursorReadsItsRowAgainAfterARollback)
{
    RecordCursor cursor(&m_con, QStringLiteral("qry"));
    cursor.SetCommandText(QStringLiteral("select * from t order by ID"));
    cursor.Open();
    m_con.BeginUnit();
    cursor.Edit();
    cursor.FieldByName(QStringLiteral("a")).SetText(QStringLiteral("neu"));
    cursor.Post();
    EXPECT_EQ(cursor.FieldByName(QStringLiteral("a")).GetText(), QStringLiteral("neu"));
    m_con.RollbackUnit();
    EXPECT_EQ(cursor.FieldByName(QStringLiteral("a")).GetText(), QStringLiteral("eins"));
    cursor.Next();
    EXPECT_EQ(cursor.FieldByName(QStringLiteral("a")).GetText(), QStringLiteral("zwei"));
}

TEST_F(Units, KillBeforeTheEndOfAUnitLeavesOnlyWhatWasFinalBefore)
{
    // Every step of the child: a statement on its own, then a unit that never ends.
    const bool killed = testsupport::runUntilKilled([&] {
        m_con.Execute(QStringLiteral("update t set a='allein' where ID=1"));
        m_con.BeginUnit();
        m_con.Execute(QStringLiteral("update t set a='Einheit' where ID=2"));
        m_con.Execute(QStringLiteral("insert into t values (3, 'Einheit')"));
        // Enough changes to make SQLite write pages of the unit into the log file.
        for (int i = 0; i < 2000; ++i)
            m_con.Execute(QStringLiteral("insert into t(a) values ('%1')").arg(QString(200, QLatin1Char('x'))));
    });
    ASSERT_TRUE(killed);
    EXPECT_TRUE(QFileInfo::exists(m_path + QStringLiteral("-wal")));
    EXPECT_EQ(testsupport::queryText(m_path, QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));
    EXPECT_EQ(rows(), QStringLiteral("allein,zwei"));
}

TEST_F(Units, InterruptFlagStopsARunningStatementAndEveryFollowingOne)
{
    std::atomic<bool> flag{false};
    m_con.SetInterruptFlag(&flag);
    m_con.Execute(QStringLiteral("update t set a='vorher' where ID=1"));
    std::thread ctrlC([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        flag = true;
    });
    QElapsedTimer timer;
    timer.start();
    EXPECT_THROW(m_con.Execute(kSlow), Interrupted);
    ctrlC.join();
    EXPECT_LT(timer.elapsed(), 3000);
    EXPECT_THROW(m_con.Execute(QStringLiteral("update t set a='danach' where ID=2")), Interrupted);
    flag = false;
    m_con.Execute(QStringLiteral("update t set a='wieder' where ID=2"));
    EXPECT_EQ(rows(), QStringLiteral("vorher,wieder"));
}

TEST_F(Units, InterruptedUnitIsRolledBackWholeAndTheFileClosesClean)
{
    std::atomic<bool> flag{false};
    m_con.SetInterruptFlag(&flag);
    {
        DbUnit unit(m_con);
        m_con.Execute(QStringLiteral("update t set a='halb' where ID=1"));
        flag = true;
        EXPECT_THROW(m_con.Execute(QStringLiteral("update t set a='ganz' where ID=2")), Interrupted);
    }  // an interrupt leaves the scope without Commit
    EXPECT_EQ(m_con.UnitDepth(), 0);
    flag = false;
    {
        // SQLite itself gives up the whole transaction when a writing statement is
        // stopped: the unit cannot be committed any more.
        DbUnit unit(m_con);
        m_con.Execute(QStringLiteral("update t set a='halb' where ID=1"));
        std::thread ctrlC([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            flag = true;
        });
        EXPECT_THROW(m_con.Execute(QStringLiteral("insert into t(a) ") + QString(kSlow).replace(
                                       QStringLiteral("select count(*) from n"), QStringLiteral("select i from n"))),
                     Interrupted);
        ctrlC.join();
        EXPECT_THROW(unit.Commit(), util::Error);
    }
    EXPECT_EQ(m_con.UnitDepth(), 0);
    // Closing still writes the log back, with the flag up.
    m_con.SetConnected(false);
    EXPECT_FALSE(QFileInfo::exists(m_path + QStringLiteral("-wal")));
    EXPECT_EQ(rows(), QStringLiteral("eins,zwei"));
}
