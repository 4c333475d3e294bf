// A window on a small generated target database for the record stages: the tables the
// stages read and write, declared as the sample database declares them (sized text
// columns that reject longer values), controlled name lists and a fixed random seed.
#pragma once

#include "app/Pools.h"
#include "app/Unit1.h"
#include "db/ConnectionString.h"
#include "tests/support/AppSupport.h"
#include "tests/support/TestDatabase.h"
#include "util/Error.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QStringList>

#include <gtest/gtest.h>
#include <memory>

namespace app {

// The tests' way to the run's private state: the place filter a run creates and the
// abbreviation set.
struct TForm1Access {
    static void startRun(TForm1& form)
    {
        form.slKuerzel->Clear();
        form.slOrtsfilter = std::make_unique<util::StringList>();
        form.ReadPlaceFilter();
    }
    static util::StringList& kuerzel(TForm1& form) { return *form.slKuerzel; }
    static qint64 placeholderId(const TForm1& form) { return form.m_placeholderTeacherId; }
    static OriginalValues& originals(TForm1& form) { return form.m_originals; }
    static Substitutes& substitutes(TForm1& form) { return form.m_substitutes; }
    static void prepareSubstitutes(TForm1& form) { form.prepareSubstitutes(); }
    static void setOwnSchoolNumber(TForm1& form, const QString& number) { form.m_ownSchoolNumber = number; }
};

}  // namespace app

namespace testsupport {

// "Name:t20 Other:int ..." to column declarations: tN is a text column of N characters
// that refuses longer values, memo unbounded text, int, dt date-time, key the key.
inline QString columnsSql(const QString& spec)
{
    QStringList out;
    for (const QString& item : spec.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QString name = item.section(QLatin1Char(':'), 0, 0);
        const QString type = item.section(QLatin1Char(':'), 1);
        if (type == QLatin1String("key"))
            out << name + QStringLiteral(" INTEGER NOT NULL PRIMARY KEY");
        else if (type == QLatin1String("int"))
            out << name + QStringLiteral(" INTEGER");
        else if (type == QLatin1String("dt"))
            out << name + QStringLiteral(" DATETIME");
        else if (type == QLatin1String("memo"))
            out << name + QStringLiteral(" LONGTEXT COLLATE NOCASE");
        else
            out << QStringLiteral("%1 VARCHAR(%2) COLLATE NOCASE CHECK(length(%1)<=%2)").arg(name, type.mid(1));
    }
    return out.join(QStringLiteral(", "));
}

inline QString recordTablesSql()
{
    const QList<QPair<QString, QString>> tables = {
        {"K_Ort", "ID:key PLZ:t10 Bezeichnung:t50 Sichtbar:t1"},
        {"Schueler",
         "ID:key Name:t120 Vorname:t80 Zusatz:t255 Geburtsname:t120 Strasse:t55 PLZ:t10 OrtAbk:t50 Telefon:t20 "
         "Fax:t20 Email:t100 SchulEmail:t100 Geschlecht:int Geburtsdatum:dt Geburtsort:t100 Klasse:t15"},
        {"SchuelerErzAdr",
         "ID:key Schueler_ID:int Name1:t120 Vorname1:t80 Name2:t120 Vorname2:t80 ErzStrasse:t55 ErzPLZ:t10 "
         "ErzEMail:t100 ErzEMail2:t100"},
        {"SchuelerTelefone", "ID:key Schueler_ID:int Telefonnummer:t20 Bemerkung:t50"},
        {"K_AllgAdresse",
         "ID:key AllgAdrName1:t120 AllgAdrName2:t120 AllgAdrStrasse:t55 AllgAdrPLZ:t10 AllgAdrOrt_ID:int "
         "AllgAdrTelefon1:t20 AllgAdrTelefon2:t20 AllgAdrFax:t20 AllgAdrEmail:t100 AllgAdrBemerkungen:t255"},
        {"K_Lehrer",
         "ID:key Kuerzel:t10 LIDKrz:t10 Nachname:t120 Vorname:t80 Anrede:t10 Geschlecht:int Strasse:t55 PLZ:t10 "
         "Tel:t20 Handy:t20 Email:t100 EMailDienstlich:t100 Geburtsdatum:dt IdentNr1:t10 SerNr:t5 Amtsbezeichnung:t15"},
        {"SchuelerLeistungsdaten", "ID:key Abschnitt_ID:int Fachlehrer:t10 Zusatzkraft:t10"},
        {"SchuelerLernabschnittsdaten", "ID:key Schueler_ID:int Klassenlehrer:t10"},
        {"EigeneSchule_Abteilungen", "ID:key Bezeichnung:t50 Abteilungsleiter:t10"},
        {"Kurse", "ID:key KurzBez:t20 LehrerKrz:t10"},
        {"Versetzung", "ID:key Klasse:t15 KlassenlehrerKrz:t10 StvKlassenlehrerKrz:t10"},
    };
    QString sql;
    for (const auto& t : tables)
        sql += QStringLiteral("CREATE TABLE %1 (%2);\n").arg(t.first, columnsSql(t.second));
    return sql;
}

// The seven columns that name a teacher, as "table.column".
inline const QStringList& referenceColumns()
{
    static const QStringList columns = {
        "SchuelerLeistungsdaten.Fachlehrer",  "SchuelerLeistungsdaten.Zusatzkraft",
        "SchuelerLernabschnittsdaten.Klassenlehrer", "EigeneSchule_Abteilungen.Abteilungsleiter",
        "Kurse.LehrerKrz",                    "Versetzung.KlassenlehrerKrz",
        "Versetzung.StvKlassenlehrerKrz",
    };
    return columns;
}

inline void writeLines(const QString& path, const QStringList& lines)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    // With a byte-order mark, so that umlauts are read as written.
    f.write("\xEF\xBB\xBF");
    f.write(lines.join(QStringLiteral("\r\n")).toUtf8());
    f.write("\r\n");
}

struct NameLists {
    QStringList surnames{"Zander"};
    QStringList male{"Max"};
    QStringList female{"Erika"};
    QStringList streets{"Hauptstraße"};
};

class RecordsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ensureApplication();
        m_target = m_dir.path(QStringLiteral("ziel.sqlite"));
        runSql(m_target, recordTablesSql());
        runSql(m_target, QStringLiteral("INSERT INTO K_Ort (ID, PLZ, Bezeichnung, Sichtbar) VALUES "
                                        "(1, '50667', 'Köln', '-'), (2, '53111', 'Bonn', '-');"));
    }

    void TearDown() override
    {
        m_form.reset();
    }

    // Creates the window (name lists written first), points it at the target and
    // fixes the random sequence.
    app::TForm1& form(const NameLists& names = NameLists())
    {
        writeLines(m_dir.path(QStringLiteral("nachnamen.txt")), names.surnames);
        writeLines(m_dir.path(QStringLiteral("vornamen_m.txt")), names.male);
        writeLines(m_dir.path(QStringLiteral("vornamen_w.txt")), names.female);
        writeLines(m_dir.path(QStringLiteral("strassennamen.txt")), names.streets);
        m_form = std::make_unique<app::TForm1>(&m_host, m_dir.root());
        m_form->con.SetConnectionString(db::TargetConnectionString(m_target));
        app::RandomSource::instance().seed(20240611u);
        return *m_form;
    }

    // Run steps up to the pool, as a run does before its first stage.
    void buildPool(app::TForm1& f)
    {
        app::TForm1Access::startRun(f);
        f.BuildPostalCodePool();
        ASSERT_GT(f.pool("slPLZ")->Count(), 0);
    }

    void setOptions(app::TForm1& f, bool names, bool streets, bool places, bool birthDates)
    {
        f.chbxNamen->setChecked(names);
        f.chbxStrassen->setChecked(streets);
        f.chbxOrte->setChecked(places);
        f.chbxGebDat->setChecked(birthDates);
    }

    // Ends the run's use of the file so that it can be read from outside.
    void finish()
    {
        if (m_form)
            m_form->con.SetConnected(false);
    }

    void sql(const QString& statement) { runSql(m_target, statement); }
    QString value(const QString& query) { return queryText(m_target, query); }

    TempFolder m_dir;
    QString m_target;
    RecordingHost m_host;
    std::unique_ptr<app::TForm1> m_form;
};

}  // namespace testsupport
