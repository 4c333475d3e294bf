// The table catalog: counts, order, modes, filters and categories as a consumer sees them.
#include "db/unit_EdvaraTabellen.h"

#include <QMap>
#include <QSet>

#include <gtest/gtest.h>

using util::StringList;

namespace {

QStringList names(bool competences, bool reduced)
{
    StringList list;
    db::GetTableCatalog(list, nullptr, competences, nullptr, reduced);
    return list.items();
}

}  // namespace

TEST(TableCatalog, FullCatalogRunsFromEigeneSchuleToTheCompetenceTables)
{
    const QStringList all = names(true, false);
    ASSERT_EQ(all.size(), 101);
    EXPECT_EQ(all.first(), QStringLiteral("EigeneSchule"));
    EXPECT_EQ(all[27], QStringLiteral("K_Schule"));
    EXPECT_EQ(all[62], QStringLiteral("Schueler"));
    EXPECT_EQ(all[98], QStringLiteral("Usergroups"));
    EXPECT_EQ(all[99], QStringLiteral("Kompetenzen"));
    EXPECT_EQ(all.last(), QStringLiteral("Kompetenzgruppen"));
    EXPECT_EQ(QSet<QString>(all.begin(), all.end()).size(), 101) << "no table twice";

    const QStringList withoutCompetences = names(false, false);
    ASSERT_EQ(withoutCompetences.size(), 99);
    EXPECT_EQ(withoutCompetences.last(), QStringLiteral("Usergroups"));
    EXPECT_EQ(withoutCompetences, all.mid(0, 99));
}

TEST(TableCatalog, ReducedModeKeepsExactlyThirtyTwoTablesInOrder)
{
    const QStringList expected = {"EigeneSchule", "EigeneSchule_Fachklassen", "EigeneSchule_Faecher",
        "EigeneSchule_Jahrgaenge", "EigeneSchule_Kursart", "EigeneSchule_KursartAllg", "EigeneSchule_Merkmale",
        "EigeneSchule_Schulformen", "EigeneSchule_Teilstandorte", "Fach_Gliederungen", "K_Beschaeftigungsart",
        "K_Entlassgrund", "K_Fahrschuelerart", "K_Foerderschwerpunkt", "K_Haltestelle", "K_Kindergarten", "K_Lehrer",
        "K_Ort", "K_Ortsteil", "K_Religion", "K_Schule", "K_Schulfunktionen", "K_Schwerpunkt", "K_Sportbefreiung",
        "K_Staat", "K_Datenschutz", "K_Verkehrssprachen", "Kurse", "Versetzung", "Schueler",
        "SchuelerLernabschnittsdaten", "SchuelerLeistungsdaten"};
    EXPECT_EQ(names(false, true), expected);
    EXPECT_EQ(names(true, true), expected) << "competence rows are full-only";
}

TEST(TableCatalog, FiltersSitOnTheStudentAndCourseRowsOnly)
{
    StringList tables, filters, categories;
    db::GetTableCatalog(tables, &filters, true, &categories, false);
    ASSERT_EQ(filters.Count(), 101);
    ASSERT_EQ(categories.Count(), 101);

    const auto filterOf = [&](const char* table) { return filters.Get(tables.IndexOf(QLatin1String(table))); };
    EXPECT_EQ(filterOf("Kurse"), QStringLiteral("Jahr>=$J"));
    EXPECT_EQ(filterOf("EigeneSchule"), QString());
    EXPECT_EQ(filterOf("Schueler"), QStringLiteral("$Status and AktSchuljahr>=$J"));
    EXPECT_EQ(filterOf("KursLehrer"),
        QStringLiteral("Kurs_ID in (select K.ID from Kurse K where K.Jahr>=$J and K.SchulnrEigner=$N)"));
    const QString six = QStringLiteral(
        "Abschnitt_ID in (select A.ID from SchuelerLernabschnittsdaten A where A.Jahr>=$J and A.SchulnrEigner=$N "
        "and A.Schueler_ID in (select S.ID from Schueler S where $S and S.AktSchuljahr>=$J and S.SchulnrEigner=$N))");
    for (const char* t :
        {"SchuelerFehlstunden", "SchuelerLD_PSFachBem", "SchuelerLeistungsdaten", "SchuelerZuweisungen"})
        EXPECT_EQ(filterOf(t), six) << t;
    EXPECT_EQ(filterOf("SchuelerLernabschnittsdaten"),
        QStringLiteral("Jahr>=$J and Schueler_ID in (select S.ID from Schueler S where $S and "
                       "S.AktSchuljahr>=$J and S.SchulnrEigner=$N)"));
    EXPECT_TRUE(filterOf("SchuelerEinzelleistungen")
                    .startsWith(QStringLiteral(
                        "Leistung_ID in (select L.ID from SchuelerLeistungsdaten L where L.Abschnitt_ID in (")));
    EXPECT_TRUE(filterOf("SchuelerEinzelleistungen").endsWith(QStringLiteral("S.SchulnrEigner=$N)))")));

    // Rows 54, 55, 63 to 70 and 72 to 91 (1-based) carry a filter, no other row does.
    for (int row = 1; row <= 101; ++row) {
        const bool filtered = row == 54 || row == 55 || (row >= 63 && row <= 70) || (row >= 72 && row <= 91);
        EXPECT_EQ(!filters.Get(row - 1).isEmpty(), filtered)
            << "row " << row << " " << tables.Get(row - 1).toStdString();
        if (categories.Get(row - 1) == QLatin1String("KD")) {
            EXPECT_TRUE(filters.Get(row - 1).isEmpty()) << tables.Get(row - 1).toStdString();
        }
    }

    QMap<QString, int> perCategory;
    for (const QString& c : categories.items())
        ++perCategory[c];
    const QMap<QString, int> expected = {{"KD", 66}, {"SD", 17}, {"LD", 10}, {"AD", 6}, {"FM", 1}, {"FZ", 1}};
    EXPECT_EQ(perCategory, expected);
    EXPECT_EQ(categories.Get(tables.IndexOf(QStringLiteral("SchuelerFoerderempfehlungen"))), QStringLiteral("FM"));
    EXPECT_EQ(categories.Get(tables.IndexOf(QStringLiteral("SchuelerFehlstunden"))), QStringLiteral("FZ"));
}

TEST(TableCatalog, AppendsBehindWhatTheListsAlreadyHold)
{
    StringList tables, filters, categories;
    tables.Add(QStringLiteral("Vorher"));
    filters.Add(QStringLiteral("f"));
    categories.Add(QStringLiteral("c"));
    db::GetTableCatalog(tables, &filters, false, &categories, true);
    ASSERT_EQ(tables.Count(), 33);
    EXPECT_EQ(tables.Get(0), QStringLiteral("Vorher"));
    EXPECT_EQ(tables.Get(1), QStringLiteral("EigeneSchule"));
    EXPECT_EQ(filters.Count(), 33);
    EXPECT_EQ(categories.Count(), 33);
    EXPECT_EQ(filters.Get(tables.IndexOf(QStringLiteral("Kurse"))), QStringLiteral("Jahr>=$J"));
    EXPECT_EQ(categories.Get(tables.IndexOf(QStringLiteral("Kurse"))), QStringLiteral("AD"));
}
