// A main window on a small target database and a small school directory, both SQLite
// files in a temporary folder, for the tests of the school stages, the clean-up and
// the extra SQL file. The stages are called one by one; the run sequence is not.
#pragma once

#include "app/Pools.h"
#include "app/Unit1.h"
#include "db/ConnectionString.h"
#include "tests/support/AppSupport.h"
#include "tests/support/TestDatabase.h"
#include "util/ListHelpers.h"

#include <QCheckBox>
#include <QFile>
#include <QStringList>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <memory>
#include <ostream>

// Readable failure output for texts and lists of texts.
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace schooltest {

// A text column as the targets declare them.
inline QString text(const char* name, int n)
{
    return QStringLiteral("%1 VARCHAR(%2) COLLATE NOCASE CHECK(length(%1)<=%2)").arg(QLatin1String(name)).arg(n);
}

// Every row of a query, columns joined by "|", NULL as "<NULL>".
inline QStringList rows(const QString& path, const QString& sql)
{
    QStringList out;
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    db::installAccessSemantics(db);
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &stmt, nullptr) != SQLITE_OK) {
        out << QStringLiteral("<ERROR> ") + QString::fromUtf8(sqlite3_errmsg(db));
    } else {
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            QStringList cols;
            for (int i = 0; i < sqlite3_column_count(stmt); ++i)
                cols << (sqlite3_column_type(stmt, i) == SQLITE_NULL
                        ? QStringLiteral("<NULL>")
                        : QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, i))));
            out << cols.join(QLatin1Char('|'));
        }
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return out;
}

inline QString targetSchema()
{
    return QStringList{
        QStringLiteral("CREATE TABLE EigeneSchule(ID INTEGER PRIMARY KEY, %1, %2, %3, %4, %5, %6, %7, %8, %9, ")
                .arg(text("SchulformNr", 2), text("SchulformKrz", 2), text("SchulformBez", 50),
                    text("SchultraegerNr", 6), text("Schulnr", 6), text("Bezeichnung1", 50), text("Bezeichnung2", 50),
                    text("Bezeichnung3", 50), text("Strasse", 50))
            + QStringLiteral("%1, %2, %3, %4, %5, SchulLogo BLOB, %6, %7, SchulleiterGeschlecht INTEGER, %8, %9, ")
                  .arg(text("PLZ", 10), text("Ort", 50), text("Telefon", 20), text("Fax", 20), text("EMail", 100),
                      text("SchulleiterName", 40), text("SchulleiterVorname", 40), text("StvSchulleiterName", 40),
                      text("StvSchulleiterVorname", 40))
            + QStringLiteral("StvSchulleiterGeschlecht INTEGER, Einstellungen TEXT)"),
        QStringLiteral("CREATE TABLE K_Schule(ID INTEGER NOT NULL PRIMARY KEY, %1, %2, %3, %4, %5, %6, %7, %8, %9, ")
                .arg(text("SchulNr", 6), text("SchulNr_SIM", 6), text("Name", 100), text("SchulformNr", 2),
                    text("SchulformKrz", 2), text("SchulformBez", 50), text("Strasse", 50), text("PLZ", 10),
                    text("Ort", 50))
            + QStringLiteral("%1, %2, %3, %4)")
                  .arg(text("Telefon", 20), text("Fax", 20), text("Email", 40), text("KurzBez", 40)),
        QStringLiteral("CREATE TABLE Schueler(ID INTEGER NOT NULL PRIMARY KEY, %1, %2, SchulnrEigner INTEGER)")
            .arg(text("Name", 120), text("LSSchulnr", 6)),
        QStringLiteral("CREATE TABLE EigeneSchule_Teilstandorte(ID INTEGER PRIMARY KEY, %1)").arg(text("Ort", 50)),
        QStringLiteral("CREATE TABLE SchuelerDatenschutz(ID INTEGER PRIMARY KEY, Schueler_ID INTEGER)"),
        QStringLiteral("CREATE TABLE K_Datenschutz(ID INTEGER PRIMARY KEY, %1)").arg(text("Bezeichnung", 250)),
        QStringLiteral("CREATE TABLE Kurse(ID INTEGER PRIMARY KEY, Jahr INTEGER, SchulnrEigner INTEGER)"),
        QStringLiteral("CREATE TABLE K_Lehrer(ID INTEGER PRIMARY KEY, %1, SchulnrEigner INTEGER)")
            .arg(text("Kuerzel", 10)),
    }
        .join(QStringLiteral(";\n"));
}

inline QString directorySchema()
{
    return QStringLiteral("CREATE TABLE DBS(%1, %2, %3, %4, %5, %6, %7, %8, %9, ")
               .arg(text("Schulnr", 6), text("SF", 2), text("ABez1", 100), text("ABez2", 100), text("ABez3", 100),
                   text("KurzBez", 60), text("Strasse", 80), text("PLZ", 10), text("Ort", 60))
        + QStringLiteral("%1, %2, %3, %4, %5)")
              .arg(text("TelVorw", 10), text("Telefon", 20), text("FaxVorw", 10), text("Fax", 20), text("EMail", 100));
}

class SchoolStage : public ::testing::Test {
protected:
    void SetUp() override
    {
        testsupport::ensureApplication();
        m_target = m_dir.path(QStringLiteral("ziel.sqlite"));
        m_directory = m_dir.path(QStringLiteral("Schulver.mdb"));
        for (const char* name : {"nachnamen.txt", "vornamen_m.txt", "vornamen_w.txt", "strassennamen.txt"}) {
            QFile f(m_dir.path(QLatin1String(name)));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write("Muster\r\n");
        }
        testsupport::runSql(m_target, targetSchema());
        testsupport::runSql(m_directory, directorySchema());
        form = std::make_unique<app::TForm1>(&host, m_dir.root());
        form->setProgramFolder(m_dir.root());
        form->con.SetConnectionString(db::TargetConnectionString(m_target));
        form->conSchulver.SetConnectionString(db::DirectoryConnectionString(m_directory));
        app::RandomSource::instance().seed(20240611u);
    }

    void TearDown() override { form.reset(); }

    // Writes to the target outside the layer; the stage's connection is closed first.
    void target(const QString& sql)
    {
        form->con.SetConnected(false);
        testsupport::runSql(m_target, sql);
    }
    void directory(const QString& sql)
    {
        form->conSchulver.SetConnected(false);
        testsupport::runSql(m_directory, sql);
    }
    QStringList targetRows(const QString& sql)
    {
        form->con.SetConnected(false);
        return rows(m_target, sql);
    }
    QString targetValue(const QString& sql)
    {
        form->con.SetConnected(false);
        return testsupport::queryText(m_target, sql);
    }

    void setOwnNumber(bool on) { form->chbxSNRAnonym->setChecked(on); }

    // Runs the school stage as the run sequence does, with the directory connected.
    void assignSchools(const QStringList& places = {})
    {
        util::StringList filter;
        for (const QString& p : places)
            filter.Add(p);
        form->conSchulver.SetConnected(true);
        form->AssignSchools(filter);
        form->con.SetConnected(false);
    }

    testsupport::TempFolder m_dir;
    QString m_target;
    QString m_directory;
    testsupport::RecordingHost host;
    std::unique_ptr<app::TForm1> form;
};

}  // namespace schooltest
