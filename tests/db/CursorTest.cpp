// Walking, editing and deleting through the static cursor, and its error texts.
#include "db/ConnectionString.h"
#include "db/DbConnection.h"
#include "db/DbError.h"
#include "db/RecordCursor.h"
#include "tests/support/TestDatabase.h"

using namespace db;

namespace {

class Cursor : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_path = m_dir.path(QStringLiteral("ziel.sqlite"));
        testsupport::runSql(m_path, QStringLiteral(
            "CREATE TABLE Schueler(ID INTEGER NOT NULL PRIMARY KEY, Name VARCHAR(10) COLLATE NOCASE "
            "  CHECK(length(Name)<=10), Vorname VARCHAR(20) COLLATE NOCASE, Geschlecht INTEGER, "
            "  Geburtsdatum DATETIME, Aktiv BOOLEAN, Pflicht VARCHAR(5) NOT NULL DEFAULT 'x');"
            "INSERT INTO Schueler(ID,Name,Vorname,Geschlecht,Geburtsdatum,Aktiv) VALUES "
            "  (1,'Adler','Anna',4,'2010-03-01 08:15:00',1),(2,'Bauer','Ben',3,NULL,NULL),"
            "  (3,'Conrad',NULL,NULL,'2011-07-04 00:00:00',0);"
            "CREATE TABLE SchuelerTelefone(ID INTEGER PRIMARY KEY, Schueler_ID INTEGER, Telefonnummer TEXT);"
            "INSERT INTO SchuelerTelefone VALUES (1,1,'1'),(2,2,'2'),(3,1,'3');"
            "CREATE TABLE Log(Spalte TEXT);"
            "CREATE TRIGGER logName AFTER UPDATE OF Name ON Schueler BEGIN INSERT INTO Log VALUES ('Name'); END;"
            "CREATE TRIGGER logVorname AFTER UPDATE OF Vorname ON Schueler BEGIN "
            "  INSERT INTO Log VALUES ('Vorname'); END;"));
        m_con.SetConnectionString(QStringLiteral("Data Source=") + connectionValue(m_path)
                                  + QStringLiteral(";Mode=Share Deny None"));
    }

    QString sql(const QString& query) { return testsupport::queryText(m_path, query); }

    testsupport::TempFolder m_dir;
    QString m_path;
    DbConnection m_con;
    RecordCursor m_qry{&m_con, QStringLiteral("qryS")};
};

template <typename F>
QString errorOf(F&& f)
{
    try {
        f();
    } catch (const DbError& e) {
        return e.message();
    }
    return QString();
}

}  // namespace

TEST_F(Cursor, RowSetIsFixedAtOpenAndWalkedInOrder)
{
    m_qry.SetCommandText(QStringLiteral("select * from Schueler order by Name desc"));
    m_qry.Open();
    EXPECT_EQ(m_qry.RecordCount(), 3);
    m_con.Execute(QStringLiteral("insert into Schueler(ID, Name) values (9, 'Zuletzt')"));
    m_con.Execute(QStringLiteral("update Schueler set Vorname='Neu' where ID=2"));
    QStringList seen;
    for (; !m_qry.Eof(); m_qry.Next())
        seen << m_qry.FieldByName(QStringLiteral("name")).GetText() + QLatin1Char('/')
                    + m_qry.FieldByName(QStringLiteral("VORNAME")).GetText();
    // The inserted row stays out; the changed value of a listed row is read when current.
    EXPECT_EQ(seen, QStringList({"Conrad/", "Bauer/Neu", "Adler/Anna"}));
    EXPECT_EQ(m_qry.RecordCount(), 3);
}

TEST_F(Cursor, NullReadsAsEmptyZeroAndFalse)
{
    m_qry.SetCommandText(QStringLiteral("select * from Schueler where ID=2"));
    m_qry.Open();
    EXPECT_TRUE(m_qry.FieldByName(QStringLiteral("Geburtsdatum")).IsNull());
    EXPECT_EQ(m_qry.FieldByName(QStringLiteral("Geburtsdatum")).GetDateTime(), 0.0);
    EXPECT_EQ(m_qry.FieldByName(QStringLiteral("Geburtsdatum")).GetText(), QString());
    EXPECT_FALSE(m_qry.FieldByName(QStringLiteral("Aktiv")).GetBoolean());
    m_qry.Close();
    m_qry.SetCommandText(QStringLiteral("select * from Schueler where ID=3"));
    m_qry.Open();
    EXPECT_EQ(m_qry.FieldByName(QStringLiteral("Geschlecht")).GetInteger(), 0);
    EXPECT_EQ(m_qry.FieldByName(QStringLiteral("Vorname")).GetText(), QString());
    EXPECT_EQ(m_qry.FieldByName(QStringLiteral("Geburtsdatum")).GetText(), QStringLiteral("04.07.2011"));
}

TEST_F(Cursor, PostSendsExactlyTheWrittenColumnsAndIsDurable)
{
    m_qry.SetCommandText(QStringLiteral("select * from Schueler order by ID"));
    m_qry.Open();
    m_qry.Edit();
    m_qry.FieldByName(QStringLiteral("Name")).SetText(QStringLiteral("Adler"));  // its own value
    // Another writer changes a column this edit does not touch.
    m_con.Execute(QStringLiteral("update Schueler set Geschlecht=9 where ID=1"));
    m_qry.Post();
    EXPECT_EQ(sql(QStringLiteral("select group_concat(Spalte) from Log")), QStringLiteral("Name"));
    EXPECT_EQ(sql(QStringLiteral("select Geschlecht from Schueler where ID=1")), QStringLiteral("9"));

    m_qry.Edit();
    m_qry.FieldByName(QStringLiteral("Vorname")).SetText(QString());
    m_qry.Post();
    // Empty text stays an empty text, not NULL; visible to others at once.
    EXPECT_EQ(sql(QStringLiteral("select quote(Vorname) from Schueler where ID=1")), QStringLiteral("''"));
    EXPECT_EQ(m_qry.state(), RecordCursor::State::Browsing);
}

TEST_F(Cursor, DateTimeKeepsTimeOfDayWhenShifted)
{
    m_qry.SetCommandText(QStringLiteral("select * from Schueler where ID=1"));
    m_qry.Open();
    m_qry.Edit();
    Field& born = m_qry.FieldByName(QStringLiteral("Geburtsdatum"));
    born.SetDateTime(born.GetDateTime() + 132);
    m_qry.Post();
    EXPECT_EQ(sql(QStringLiteral("select Geburtsdatum from Schueler where ID=1")), QStringLiteral("2010-07-11 08:15:00"));
}

TEST_F(Cursor, FailedPostKeepsRowAndEditingStateUntilCancel)
{
    m_qry.SetCommandText(QStringLiteral("select * from Schueler order by ID"));
    m_qry.Open();
    m_qry.Edit();
    m_qry.FieldByName(QStringLiteral("Vorname")).SetText(QStringLiteral("Berta"));
    m_qry.FieldByName(QStringLiteral("Name")).SetText(QStringLiteral("Viel-zu-langer-Name"));
    EXPECT_EQ(errorOf([&] { m_qry.Post(); }), QStringLiteral("Der Wert ist zu lang für das Feld 'Name' (höchstens 10 Zeichen)."));
    EXPECT_EQ(m_qry.state(), RecordCursor::State::Editing);
    EXPECT_EQ(m_qry.FieldByName(QStringLiteral("Vorname")).GetText(), QStringLiteral("Berta"));
    m_qry.Cancel();
    EXPECT_EQ(m_qry.FieldByName(QStringLiteral("Vorname")).GetText(), QStringLiteral("Anna"));
    m_qry.Next();
    EXPECT_EQ(m_qry.FieldByName(QStringLiteral("ID")).GetInteger(), 2);
    EXPECT_EQ(sql(QStringLiteral("select Vorname from Schueler where ID=1")), QStringLiteral("Anna"));
}

TEST_F(Cursor, RequiredColumnAndIntegerConversionErrors)
{
    m_qry.SetCommandText(QStringLiteral("select * from Schueler order by ID"));
    m_qry.Open();
    m_qry.Edit();
    m_qry.FieldByName(QStringLiteral("Pflicht")).SetNull();
    EXPECT_EQ(errorOf([&] { m_qry.Post(); }), QStringLiteral("Feld 'Pflicht' muss einen Wert haben"));
    m_qry.Cancel();

    m_qry.Edit();
    Field& g = m_qry.FieldByName(QStringLiteral("Geschlecht"));
    EXPECT_EQ(errorOf([&] { g.SetText(QStringLiteral("drei")); }),
              QStringLiteral("'drei' ist kein gültiger Integerwert für Feld 'Geschlecht'"));
    EXPECT_EQ(g.GetInteger(), 4);  // unchanged
    g.SetText(QStringLiteral("3"));
    m_qry.Post();
    EXPECT_EQ(sql(QStringLiteral("select typeof(Geschlecht) || Geschlecht from Schueler where ID=1")),
              QStringLiteral("integer3"));
    m_qry.Edit();
    g.SetText(QString());
    m_qry.Post();
    EXPECT_EQ(sql(QStringLiteral("select quote(Geschlecht) from Schueler where ID=1")), QStringLiteral("NULL"));
    EXPECT_EQ(errorOf([&] { g.SetText(QStringLiteral("1")); }).isEmpty(), false);  // not editing
}

TEST_F(Cursor, DeleteLeavesCursorOnFollowingOrPreviousRow)
{
    m_qry.SetCommandText(QStringLiteral("select * from Schueler order by ID"));
    m_qry.Open();
    m_qry.Next();
    m_qry.Delete();  // the middle row: now on the one that followed
    EXPECT_EQ(m_qry.FieldByName(QStringLiteral("ID")).GetInteger(), 3);
    m_qry.Delete();  // the last row: back on the one before, not at the end
    EXPECT_FALSE(m_qry.Eof());
    EXPECT_EQ(m_qry.FieldByName(QStringLiteral("ID")).GetInteger(), 1);
    m_qry.Delete();
    EXPECT_TRUE(m_qry.Eof());
    EXPECT_EQ(m_qry.RecordCount(), 0);
    EXPECT_EQ(errorOf([&] { m_qry.Delete(); }), QStringLiteral("qryS: Operation bei leerer Datenmenge nicht ausführbar"));
    EXPECT_EQ(sql(QStringLiteral("select count(*) from Schueler")), QStringLiteral("0"));
}

TEST_F(Cursor, WalkWithDeleteOrNextVisitsEveryRowOnce)
{
    // The place purge pattern: delete some rows, step over the others.
    m_qry.SetCommandText(QStringLiteral("select * from Schueler order by ID"));
    m_qry.Open();
    QStringList visited;
    while (!m_qry.Eof()) {
        visited << m_qry.FieldByName(QStringLiteral("ID")).GetText();
        if (m_qry.FieldByName(QStringLiteral("ID")).GetInteger() != 2)
            m_qry.Delete();
        else
            m_qry.Next();
        if (visited.size() > 10)
            break;
    }
    // Deleting the last row lands on the row before it; the caller's Next then ends.
    EXPECT_EQ(visited, QStringList({"1", "2", "3", "2"}));
    EXPECT_EQ(sql(QStringLiteral("select group_concat(ID) from Schueler")), QStringLiteral("2"));
}

TEST_F(Cursor, UnknownFieldCarriesTheCursorName)
{
    m_qry.SetCommandText(QStringLiteral("select * from Schueler"));
    m_qry.Open();
    EXPECT_EQ(errorOf([&] { m_qry.FieldByName(QStringLiteral("Foo")); }),
              QStringLiteral("qryS: Das Feld 'Foo' wurde nicht gefunden"));
    RecordCursor unnamed(&m_con);
    unnamed.SetCommandText(QStringLiteral("select * from Schueler"));
    unnamed.Open();
    EXPECT_EQ(errorOf([&] { unnamed.FieldByName(QStringLiteral("Foo")); }),
              QStringLiteral("Das Feld 'Foo' wurde nicht gefunden"));
}

TEST_F(Cursor, ParameterSelectsChildRowsPerOpen)
{
    RecordCursor qryT(&m_con, QStringLiteral("qryT"));
    qryT.SetCommandText(QStringLiteral("select * from SchuelerTelefone where Schueler_ID=:ID"));
    for (int id : {1, 2, 5}) {
        qryT.SetParam(id);
        qryT.Open();
        int n = 0;
        for (; !qryT.Eof(); qryT.Next()) {
            qryT.Edit();
            qryT.FieldByName(QStringLiteral("Telefonnummer")).SetText(QStringLiteral("neu"));
            qryT.Post();
            ++n;
        }
        EXPECT_EQ(n, id == 1 ? 2 : id == 2 ? 1 : 0);
        qryT.Close();
    }
    EXPECT_EQ(sql(QStringLiteral("select count(*) from SchuelerTelefone where Telefonnummer='neu'")), QStringLiteral("3"));
}

TEST_F(Cursor, StatementsKeptOverCloseServeTheNextOpenOnlyForTheSameTextAndConnection)
{
    RecordCursor qryT(&m_con, QStringLiteral("qryT"));
    const auto numbers = [&](int id) {
        qryT.SetParam(id);
        qryT.Open();
        QStringList out;
        for (; !qryT.Eof(); qryT.Next())
            out << qryT.FieldByName(QStringLiteral("Telefonnummer")).GetText();
        qryT.Close();
        return out.join(QLatin1Char(','));
    };
    qryT.SetCommandText(QStringLiteral("select * from SchuelerTelefone where Schueler_ID=:ID order by ID"));
    EXPECT_EQ(numbers(1), QStringLiteral("1,3"));
    EXPECT_EQ(numbers(2), QStringLiteral("2"));
    // Another text, then the first one again; and across a close of the connection.
    qryT.SetCommandText(QStringLiteral("select ID as Telefonnummer from Schueler where ID<>:ID order by ID"));
    EXPECT_EQ(numbers(2), QStringLiteral("1,3"));
    qryT.SetCommandText(QStringLiteral("select * from SchuelerTelefone where Schueler_ID=:ID order by ID"));
    m_con.SetConnected(false);
    EXPECT_EQ(numbers(1), QStringLiteral("1,3"));

    // Posts of two column sets, a failed one before them, inside a unit that commits:
    // a statement kept after its failure holds nothing back.
    m_qry.SetCommandText(QStringLiteral("select * from Schueler order by ID"));
    {
        DbUnit unit(m_con);
        m_qry.Open();
        m_qry.Edit();
        m_qry.FieldByName(QStringLiteral("Name")).SetText(QStringLiteral("Viel-zu-langer-Name"));
        EXPECT_FALSE(errorOf([&] { m_qry.Post(); }).isEmpty());
        m_qry.Cancel();
        for (; !m_qry.Eof(); m_qry.Next()) {
            const int id = m_qry.FieldByName(QStringLiteral("ID")).GetInteger();
            m_qry.Edit();
            m_qry.FieldByName(QStringLiteral("Name")).SetText(QStringLiteral("N%1").arg(id));
            if (id == 2)
                m_qry.FieldByName(QStringLiteral("Vorname")).SetText(QStringLiteral("V2"));
            m_qry.Post();
        }
        m_qry.Close();
        unit.Commit();
    }
    EXPECT_EQ(sql(QStringLiteral("select group_concat(ID||Name||coalesce(Vorname,'-'), ' ') from Schueler")),
              QStringLiteral("1N1Anna 2N2V2 3N3-"));
    // Deletes through the kept statement, one per Open.
    m_qry.Open();
    m_qry.Delete();
    m_qry.Close();
    m_qry.Open();
    m_qry.Delete();
    m_con.SetConnected(false);
    EXPECT_EQ(sql(QStringLiteral("select group_concat(ID||Name, ' ') from Schueler")), QStringLiteral("3N3"));
    // Row 2 set both columns: both triggers fired.
    EXPECT_EQ(sql(QStringLiteral("select group_concat(Spalte) from Log")), QStringLiteral("Name,Vorname,Name,Name"));
}

TEST_F(Cursor, ClientCursorHoldsResultAndMovesToRows)
{
    RecordCursor dbs(&m_con, QStringLiteral("qryDBS"), clUseClient);
    dbs.SetCommandText(QStringLiteral("select Name from Schueler order by ID"));
    dbs.Open();
    m_con.Execute(QStringLiteral("delete from Schueler"));
    EXPECT_EQ(dbs.RecordCount(), 3);
    dbs.MoveToRow(3);
    EXPECT_EQ(dbs.FieldByName(QStringLiteral("Name")).GetText(), QStringLiteral("Conrad"));
    EXPECT_FALSE(errorOf([&] { dbs.MoveToRow(0); }).isEmpty());
    EXPECT_FALSE(errorOf([&] { dbs.MoveToRow(4); }).isEmpty());
    EXPECT_FALSE(errorOf([&] { dbs.Edit(); }).isEmpty());
}

TEST_F(Cursor, ChangingTheKeyColumnKeepsTheCursorOnItsRow)
{
    m_qry.SetCommandText(QStringLiteral("select * from Schueler order by ID"));
    m_qry.Open();
    m_qry.Edit();
    m_qry.FieldByName(QStringLiteral("ID")).SetText(QStringLiteral("100"));
    m_qry.Post();
    EXPECT_EQ(m_qry.FieldByName(QStringLiteral("Name")).GetText(), QStringLiteral("Adler"));
    EXPECT_EQ(m_qry.FieldByName(QStringLiteral("ID")).GetInteger(), 100);
}

TEST_F(Cursor, DisconnectClosesCursorsAndReopenRunsAfresh)
{
    m_qry.SetCommandText(QStringLiteral("select * from Schueler"));
    m_qry.Open();
    m_con.SetConnected(false);
    EXPECT_FALSE(m_qry.Active());
    m_qry.Open();  // opens the connection again
    EXPECT_TRUE(m_con.Connected());
    EXPECT_EQ(m_qry.RecordCount(), 3);
}

TEST_F(Cursor, ResultsOfJoinsAndAggregatesAreReadOnly)
{
    m_qry.SetCommandText(QStringLiteral(
        "select S.Name, count(T.ID) as n from Schueler S, SchuelerTelefone T where T.Schueler_ID=S.ID group by S.Name"));
    m_qry.Open();
    EXPECT_EQ(m_qry.RecordCount(), 2);
    EXPECT_FALSE(errorOf([&] { m_qry.Edit(); }).isEmpty());
    EXPECT_FALSE(errorOf([&] { m_qry.Delete(); }).isEmpty());
    EXPECT_EQ(sql(QStringLiteral("select count(*) from Schueler")), QStringLiteral("3"));
}
