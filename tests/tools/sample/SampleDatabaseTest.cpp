// What the sample target and directory must hold for the anonymiser's stages to run
// on them and for stage tests to meet every awkward case.
#include "SampleReader.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <QString>

#include <map>

#include <sqlite3.h>

using sampletest::SampleReader;
using sampletest::defaultSample;

namespace {

// Every column a stage reads or writes, by table.
const std::map<std::string, std::vector<std::string>> kStageColumns = {
    {"K_Ort", {"ID", "PLZ", "Bezeichnung", "Sichtbar"}},
    {"Schueler", {"ID", "Vorname", "Name", "Geschlecht", "Strasse", "Telefon", "Fax", "Email", "SchulEmail", "Zusatz",
                  "Geburtsname", "Geburtsdatum", "PLZ", "OrtAbk", "Geburtsort", "LSSchulnr", "AktSchuljahr", "Status",
                  "FotoVorhanden", "Bemerkungen", "IDext", "Sportbefreiung_ID", "Fahrschueler_ID", "Haltestelle_ID",
                  "HaltestelleAbk", "Lehrer", "ModifiziertVon", "Dokumentenverzeichnis", "Ortsteil_ID",
                  "SchulnrEigner"}},
    {"SchuelerErzAdr", {"ID", "Schueler_ID", "Name1", "Vorname1", "Name2", "ErzStrasse", "ErzPLZ", "ErzEMail",
                        "ErzEMail2", "ErzOrtsteil_ID"}},
    {"SchuelerTelefone", {"ID", "Schueler_ID", "Telefonnummer"}},
    {"K_AllgAdresse", {"ID", "AllgAdrName1", "AllgAdrName2", "AllgAdrStrasse", "AllgAdrTelefon1", "AllgAdrTelefon2",
                       "AllgAdrFax", "AllgAdrEmail", "AllgAdrPLZ"}},
    {"K_Lehrer", {"ID", "Kuerzel", "LIDKrz", "Nachname", "Vorname", "Anrede", "Geschlecht", "Strasse", "PLZ", "Tel",
                  "Handy", "Email", "EMailDienstlich", "Geburtsdatum", "IdentNr1", "SerNr", "StammschulNr", "LBVNr",
                  "PANr", "LPassword"}},
    {"SchuelerLeistungsdaten", {"ID", "Abschnitt_ID", "Fachlehrer", "Zusatzkraft", "Lernentw"}},
    {"SchuelerLernabschnittsdaten", {"ID", "Schueler_ID", "Jahr", "Klassenlehrer", "ZeugnisBem"}},
    {"EigeneSchule_Abteilungen", {"Abteilungsleiter"}},
    {"Kurse", {"ID", "Jahr", "LehrerKrz"}},
    {"KursLehrer", {"Kurs_ID"}},
    {"Versetzung", {"KlassenlehrerKrz", "StvKlassenlehrerKrz"}},
    {"K_Schule", {"ID", "SchulNr", "SchulNr_SIM", "Name", "SchulformNr", "SchulformBez", "SchulformKrz", "Strasse",
                  "PLZ", "Ort", "Telefon", "Fax", "Email", "KurzBez"}},
    {"EigeneSchule", {"SchulformKrz", "SchultraegerNr", "Schulnr", "Bezeichnung1", "Bezeichnung2", "Bezeichnung3",
                      "Strasse", "PLZ", "Ort", "Telefon", "Fax", "EMail", "SchulformNr", "SchulformBez", "SchulLogo",
                      "SchulleiterName", "SchulleiterVorname", "SchulleiterGeschlecht", "StvSchulleiterName",
                      "StvSchulleiterVorname", "StvSchulleiterGeschlecht", "Einstellungen"}},
    {"SchuelerVermerke", {"Bemerkung"}},
    {"SchuelerLD_PSFachBem", {"Abschnitt_ID", "ASV", "LELS", "ESF"}},
    {"SchuelerEinzelleistungen", {"Leistung_ID"}},
    {"SchuelerFehlstunden", {"Abschnitt_ID"}},
    {"SchuelerZuweisungen", {"Abschnitt_ID"}},
    {"Users", {"US_LoginName", "US_Password"}},
    {"LehrerFotos", {"ID"}},
    {"SchuelerFotos", {"ID"}},
    {"SchuelerWiedervorlage", {"ID"}},
    {"SchuelerReportvorlagen", {"ID"}},
    {"Logins", {"ID"}},
    {"K_Haltestelle", {"ID"}},
    {"Personengruppen_Personen", {"ID"}},
    {"EigeneSchule_Texte", {"ID"}},
    {"EigeneSchule_Teilstandorte", {"ID"}},
    {"SchuelerDatenschutz", {"ID"}},
    {"K_Datenschutz", {"ID"}},
};

const std::vector<std::string> kCatalog = {
    "EigeneSchule", "EigeneSchule_Fachklassen", "EigeneSchule_Faecher", "EigeneSchule_Jahrgaenge",
    "EigeneSchule_Kursart", "EigeneSchule_KursartAllg", "EigeneSchule_Merkmale", "EigeneSchule_Schulformen",
    "EigeneSchule_Texte", "EigeneSchule_Teilstandorte", "Fach_Gliederungen", "Floskelgruppen", "Floskeln",
    "EdvaraFilter", "K_Adressart", "K_Beschaeftigungsart", "K_Entlassgrund", "K_Erzieherart", "K_Erzieherfunktion",
    "K_Fahrschuelerart", "K_Foerderschwerpunkt", "K_Haltestelle", "K_Kindergarten", "K_Lehrer", "K_Ort", "K_Ortsteil",
    "K_Religion", "K_Schule", "K_Schulfunktionen", "K_Schwerpunkt", "K_Sportbefreiung", "K_Staat", "K_Datenschutz",
    "K_Telefonart", "K_Verkehrssprachen", "K_Vermerkart", "K_Zertifikate", "K_Einzelleistungen", "K_Ankreuzfloskeln",
    "K_Ankreuzdaten", "EigeneSchule_FachTeilleistungen", "LehrerAbschnittsdaten", "LehrerAnrechnung",
    "LehrerEntlastung", "LehrerMehrleistung", "LehrerLehramt", "LehrerLehramtFachr", "LehrerLehramtLehrbef",
    "LehrerFunktionen", "LehrerFotos", "Lehrer_IMEI", "K_AllgAdresse", "AllgAdrAnsprechpartner", "Kurse",
    "KursLehrer", "Edvara_Verwaltung", "SchuelerListe", "Stundentafel", "Versetzung", "EigeneSchule_Abteilungen",
    "EigeneSchule_Abt_Kl", "Stundentafel_Faecher", "Schueler", "Schueler_AllgAdr", "SchuelerAbgaenge",
    "SchuelerTelefone", "SchuelerVermerke", "SchuelerFotos", "SchuelerFoerderempfehlungen", "SchuelerErzAdr",
    "SchuelerErzFunktion", "SchuelerListe_Inhalt", "SchuelerSprachenfolge", "SchuelerAbitur", "SchuelerAbiFaecher",
    "SchuelerLernabschnittsdaten", "SchuelerFehlstunden", "SchuelerLD_PSFachBem", "SchuelerLeistungsdaten",
    "SchuelerEinzelleistungen", "SchuelerZuweisungen", "SchuelerBKAbschluss", "SchuelerBKFaecher", "SchuelerFHR",
    "SchuelerFHRFaecher", "SchuelerMerkmale", "SchuelerWiedervorlage", "SchuelerGSDaten", "Schueler_ST_Merkmale",
    "SchuelerKAoADaten", "SchuelerDatenschutz", "SchuelerAnkreuzfloskeln", "NichtMoeglAbiFachKombi",
    "ZuordnungReportvorlagen", "Personengruppen", "Personengruppen_Personen", "Logins", "Users", "Usergroups",
    "Kompetenzen", "Kompetenzgruppen"};

// The seven columns that refer to a teacher by abbreviation.
const std::vector<std::pair<std::string, std::string>> kTeacherReferences = {
    {"SchuelerLeistungsdaten", "Fachlehrer"},       {"SchuelerLeistungsdaten", "Zusatzkraft"},
    {"SchuelerLernabschnittsdaten", "Klassenlehrer"}, {"EigeneSchule_Abteilungen", "Abteilungsleiter"},
    {"Kurse", "LehrerKrz"},                         {"Versetzung", "KlassenlehrerKrz"},
    {"Versetzung", "StvKlassenlehrerKrz"}};

std::string lower(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

}  // namespace

TEST(SampleTarget, HoldsEveryTableAndColumnTheStagesUse)
{
    SampleReader db(defaultSample().target());
    for (const auto& [table, cols] : kStageColumns) {
        ASSERT_TRUE(db.hasTable(table)) << table;
        const auto have = db.columns(table);
        for (const std::string& c : cols)
            EXPECT_TRUE(have.count(lower(c))) << table << "." << c;
    }
}

TEST(SampleTarget, CarriesEveryCatalogTableWithKeyAndOwnerAndAFewRows)
{
    ASSERT_EQ(kCatalog.size(), 101u);
    SampleReader db(defaultSample().target());
    for (const std::string& table : kCatalog) {
        ASSERT_TRUE(db.hasTable(table)) << table;
        const auto have = db.columns(table);
        EXPECT_TRUE(have.count("id") && have.count("schulnreigner")) << table;
        EXPECT_GT(db.count("SELECT count(*) FROM " + table), 0) << table << " is empty";
    }
    // Every owner number is the school's own number, as the product stores it.
    const std::string own = db.texts("SELECT Schulnr FROM EigeneSchule")[0];
    EXPECT_EQ(db.count("SELECT count(*) FROM Schueler WHERE SchulnrEigner <> " + own), 0);
}

TEST(SampleTarget, TeacherReferencesOfAllSevenColumnsNameExistingTeachers)
{
    SampleReader db(defaultSample().target());
    const std::string padded = db.texts("SELECT Kuerzel FROM K_Lehrer WHERE Kuerzel LIKE ' *'")[0];
    ASSERT_EQ(padded.front(), ' ');
    ASSERT_EQ(padded.back(), ' ');
    for (const auto& [table, column] : kTeacherReferences) {
        SCOPED_TRACE(table + "." + column);
        EXPECT_GT(db.count("SELECT count(*) FROM " + table + " WHERE " + column + " IS NOT NULL"), 0);
        // Access compares without regard to letter case, umlauts included.
        EXPECT_EQ(db.count("SELECT count(*) FROM " + table + " r WHERE r." + column +
                           " IS NOT NULL AND NOT EXISTS (SELECT 1 FROM K_Lehrer l WHERE l.Kuerzel = r." + column +
                           " COLLATE JET_NOCASE)"),
                  0);
        // The abbreviation stored with blanks around it is referenced with them everywhere.
        EXPECT_GT(db.count("SELECT count(*) FROM " + table + " WHERE " + column + " = '" + padded + "'"), 0);
    }
    // One reference differs from its abbreviation only in letter case (an umlaut).
    EXPECT_EQ(db.count("SELECT count(*) FROM Versetzung WHERE StvKlassenlehrerKrz = 'möll' "
                       "AND StvKlassenlehrerKrz <> 'MÖLL' COLLATE BINARY"),
              1);
}

TEST(SampleTarget, TeachersCoverTheAwkwardCases)
{
    SampleReader db(defaultSample().target());
    EXPECT_GE(db.count("SELECT count(*) FROM K_Lehrer WHERE Kuerzel IN ('SCHO', 'SCH1', 'SCH2')"), 3);
    EXPECT_GT(db.count("SELECT count(*) FROM K_Lehrer WHERE Anrede = 'Frau' COLLATE BINARY"), 0);
    EXPECT_GT(db.count("SELECT count(*) FROM K_Lehrer WHERE Anrede = 'Herr'"), 0);
    EXPECT_GT(db.count("SELECT count(*) FROM K_Lehrer WHERE Anrede = 'frau' COLLATE BINARY"), 0);
    EXPECT_GT(db.count("SELECT count(*) FROM K_Lehrer WHERE Anrede NOT IN ('Frau', 'Herr')"), 0);
    EXPECT_GT(db.count("SELECT count(*) FROM K_Lehrer WHERE Anrede IS NULL"), 0);
    EXPECT_GT(db.count("SELECT count(*) FROM K_Lehrer WHERE Geburtsdatum IS NULL"), 0);
    EXPECT_EQ(db.count("SELECT count(DISTINCT Geschlecht) FROM K_Lehrer"), 2);
}

TEST(SampleTarget, PlacesHaveLongShortAndMissingPostalCodes)
{
    SampleReader db(defaultSample().target());
    EXPECT_GT(db.count("SELECT count(*) FROM K_Ort WHERE length(PLZ) = 5"), 20);
    EXPECT_GE(db.count("SELECT count(*) FROM K_Ort WHERE length(PLZ) = 4"), 2);
    EXPECT_EQ(db.count("SELECT count(*) FROM K_Ort WHERE PLZ LIKE '___ '"), 1);  // three digits and a blank
    EXPECT_EQ(db.count("SELECT count(*) FROM K_Ort WHERE PLZ IS NULL"), 1);
    EXPECT_GT(db.count("SELECT count(*) FROM K_Ort WHERE Sichtbar = '-' OR Sichtbar IS NULL"), 0);
}

TEST(SampleTarget, StudentsReferToSchoolsInsideOutsideAndMissingFromTheTable)
{
    SampleReader db(defaultSample().target());
    EXPECT_GT(db.count("SELECT count(*) FROM K_Schule WHERE SchulNr BETWEEN '100000' AND '200000'"), 10);
    EXPECT_GT(db.count("SELECT count(*) FROM K_Schule WHERE SchulNr < '100000'"), 0);
    EXPECT_GT(db.count("SELECT count(*) FROM K_Schule WHERE SchulNr > '200000'"), 0);
    const std::string known = "SELECT SchulNr FROM K_Schule";
    EXPECT_GT(db.count("SELECT count(*) FROM Schueler WHERE LSSchulnr BETWEEN '100000' AND '200000' AND LSSchulnr IN (" +
                       known + ")"),
              0);
    EXPECT_GT(db.count("SELECT count(*) FROM Schueler WHERE LSSchulnr NOT BETWEEN '100000' AND '200000' AND "
                       "LSSchulnr IN (" + known + ")"),
              0);
    EXPECT_GT(db.count("SELECT count(*) FROM Schueler WHERE LSSchulnr NOT IN (" + known + ")"), 0);
    EXPECT_GT(db.count("SELECT count(*) FROM Schueler WHERE LSSchulnr IS NULL"), 0);
    EXPECT_EQ(db.texts("SELECT SchulformKrz FROM EigeneSchule"), std::vector<std::string>{"GY"});
}

TEST(SampleDirectory, HoldsEverySchoolTheTargetNamesWithItsForm)
{
    SampleReader target(defaultSample().target());
    SampleReader dbs(defaultSample().directory());
    EXPECT_GE(dbs.count("SELECT count(*) FROM DBS"), 300);
    EXPECT_GE(dbs.count("SELECT count(DISTINCT SF) FROM DBS"), 5);
    EXPECT_GE(dbs.count("SELECT count(DISTINCT Ort) FROM DBS"), 30);
    const auto schools = target.texts("SELECT SchulNr || '|' || SchulformNr FROM K_Schule");
    ASSERT_FALSE(schools.empty());
    for (const std::string& s : schools) {
        const auto bar = s.find('|');
        EXPECT_EQ(dbs.count("SELECT count(*) FROM DBS WHERE Schulnr = '" + s.substr(0, bar) + "' AND SF = '" +
                            s.substr(bar + 1) + "'"),
                  1)
            << s;
    }
    // The places of the target have schools in the directory, so a place filter finds some.
    EXPECT_GT(dbs.count("SELECT count(*) FROM DBS WHERE Ort = 'Münster' AND SF = '20'"), 1);
    // Untidy directory data: blanks to trim, over-long values to cut, missing telephone data.
    EXPECT_GT(dbs.count("SELECT count(*) FROM DBS WHERE ABez1 LIKE ' *'"), 0);
    EXPECT_GT(dbs.count("SELECT count(*) FROM DBS WHERE length(Strasse) > 50"), 0);
    EXPECT_GT(dbs.count("SELECT count(*) FROM DBS WHERE length(EMail) > 40"), 0);
    EXPECT_GT(dbs.count("SELECT count(*) FROM DBS WHERE Telefon IS NULL AND TelVorw IS NULL"), 0);
}

TEST(SampleTarget, GuardianRowsCoverEveryMatchingCase)
{
    SampleReader db(defaultSample().target());
    const std::string join = "SELECT count(*) FROM SchuelerErzAdr e JOIN Schueler s ON s.ID = e.Schueler_ID WHERE ";
    // The student's own entry: both names equal, exactly.
    EXPECT_GT(db.count(join + "e.Name1 = s.Name COLLATE BINARY AND e.Vorname1 = s.Vorname COLLATE BINARY"), 0);
    EXPECT_GT(db.count(join + "e.Name1 = s.Name COLLATE BINARY AND e.Vorname1 <> s.Vorname COLLATE BINARY"), 0);
    EXPECT_GT(db.count(join + "e.Name1 <> s.Name"), 0);
    EXPECT_GT(db.count("SELECT count(*) FROM SchuelerErzAdr WHERE Name2 <> ''"), 0);
    EXPECT_GT(db.count("SELECT count(*) FROM SchuelerErzAdr WHERE Name2 = ''"), 0);
    EXPECT_GT(db.count("SELECT count(*) FROM SchuelerErzAdr WHERE Name2 IS NULL"), 0);
    EXPECT_GT(db.count("SELECT count(*) FROM SchuelerErzAdr WHERE Name1 IS NULL"), 0);
    EXPECT_GT(db.count("SELECT count(*) FROM SchuelerTelefone"), 0);
    // Every guardian and telephone row belongs to a student.
    EXPECT_EQ(db.count("SELECT count(*) FROM SchuelerErzAdr WHERE Schueler_ID NOT IN (SELECT ID FROM Schueler)"), 0);
    EXPECT_EQ(db.count("SELECT count(*) FROM SchuelerTelefone WHERE Schueler_ID NOT IN (SELECT ID FROM Schueler)"), 0);
    // Gender codes 3 and 4, and the odd ones that select the female list.
    EXPECT_GT(db.count("SELECT count(*) FROM Schueler WHERE Geschlecht IS NULL"), 0);
    EXPECT_GT(db.count("SELECT count(*) FROM Schueler WHERE Geschlecht NOT IN (3, 4)"), 0);
    EXPECT_GT(db.count("SELECT count(*) FROM Schueler WHERE Vorname = ''"), 0);
}

TEST(SampleTarget, HoldsWhatTheResidualCleanUpRemoves)
{
    SampleReader db(defaultSample().target());
    for (const char* sql : {
             "SELECT count(*) FROM LehrerFotos WHERE length(Foto) > 0",
             "SELECT count(*) FROM SchuelerFotos WHERE length(Foto) > 0",
             "SELECT count(*) FROM EigeneSchule WHERE length(SchulLogo) > 0",
             "SELECT count(*) FROM Schueler WHERE FotoVorhanden = '+'",
             "SELECT count(*) FROM Schueler WHERE Bemerkungen IS NOT NULL",
             "SELECT count(*) FROM SchuelerVermerke WHERE Bemerkung IS NOT NULL",
             "SELECT count(*) FROM SchuelerLernabschnittsdaten WHERE ZeugnisBem IS NOT NULL",
             "SELECT count(*) FROM SchuelerLD_PSFachBem WHERE ASV IS NOT NULL",
             "SELECT count(*) FROM SchuelerLeistungsdaten WHERE Lernentw IS NOT NULL",
             "SELECT count(*) FROM SchuelerWiedervorlage", "SELECT count(*) FROM SchuelerReportvorlagen",
             "SELECT count(*) FROM Users WHERE US_LoginName = 'Admin' COLLATE BINARY",
             "SELECT count(*) FROM Users WHERE US_LoginName <> 'Admin'",
             "SELECT count(*) FROM Users WHERE US_LoginName IS NULL", "SELECT count(*) FROM Logins",
             "SELECT count(*) FROM Schueler WHERE ModifiziertVon IS NOT NULL",
             "SELECT count(*) FROM K_Lehrer WHERE StammschulNr IS NOT NULL",
             "SELECT count(*) FROM K_Haltestelle", "SELECT count(*) FROM Personengruppen_Personen",
             "SELECT count(*) FROM EigeneSchule_Texte", "SELECT count(*) FROM EigeneSchule_Teilstandorte",
             "SELECT count(*) FROM SchuelerDatenschutz", "SELECT count(*) FROM K_Datenschutz",
             "SELECT count(*) FROM SchuelerErzAdr WHERE ErzOrtsteil_ID IS NOT NULL"})
        EXPECT_GT(db.count(sql), 0) << sql;
}

TEST(SampleTarget, StoresDatesAsCanonicalTextAndIndexesAsStockSqliteDoes)
{
    SampleReader db(defaultSample().target());
    const QRegularExpression canonical(QStringLiteral("^\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2}$"));
    for (const char* sql : {"SELECT Geburtsdatum FROM Schueler WHERE Geburtsdatum IS NOT NULL",
                            "SELECT Geburtsdatum FROM K_Lehrer WHERE Geburtsdatum IS NOT NULL",
                            "SELECT LI_LoginTime FROM Logins"})
        for (const std::string& d : db.texts(sql))
            EXPECT_TRUE(canonical.match(QString::fromStdString(d)).hasMatch()) << d;
    EXPECT_EQ(db.count("SELECT count(*) FROM Schueler WHERE typeof(Geburtsdatum) NOT IN ('text', 'null')"), 0);
    // The file is checked by SQLite alone, as the sqlite3 shell would check it: the
    // indexes on NOCASE columns are ordered as SQLite orders them.
    sqlite3* stock = nullptr;
    ASSERT_EQ(sqlite3_open_v2(QFile::encodeName(defaultSample().target()).constData(), &stock, SQLITE_OPEN_READONLY,
                              nullptr),
              SQLITE_OK);
    sqlite3_stmt* check = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(stock, "PRAGMA integrity_check", -1, &check, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(check), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(check, 0)), "ok");
    sqlite3_finalize(check);
    sqlite3_close(stock);
    EXPECT_EQ(db.count("SELECT count(*) FROM K_Lehrer INDEXED BY K_Lehrer_Kuerzel WHERE Kuerzel = 'MÖLL'"), 1);
    EXPECT_EQ(db.count("SELECT count(*) FROM K_Lehrer WHERE Kuerzel = 'möll' COLLATE JET_NOCASE"), 1);
}

TEST(SampleTarget, OriginalNamesAndStreetsNeverOccurInTheSubstituteLists)
{
    // After a full anonymisation run none of these may be left; a leak check can only
    // tell them apart from substitutes if the two never overlap.
    const QStringList surnames = sampletest::nameList(QStringLiteral("nachnamen.txt"));
    const QStringList firstNames = sampletest::nameList(QStringLiteral("vornamen_m.txt")) +
                                   sampletest::nameList(QStringLiteral("vornamen_w.txt"));
    const QStringList streets = sampletest::nameList(QStringLiteral("strassennamen.txt"));
    ASSERT_FALSE(surnames.isEmpty() || firstNames.isEmpty() || streets.isEmpty());
    SampleReader db(defaultSample().target());
    auto check = [&](const char* sql, const QStringList& list) {
        for (const std::string& v : db.texts(sql))
            EXPECT_FALSE(list.contains(QString::fromStdString(v))) << sql << ": " << v;
    };
    check("SELECT Name FROM Schueler UNION SELECT Nachname FROM K_Lehrer UNION SELECT Name1 FROM SchuelerErzAdr",
          surnames);
    check("SELECT Vorname FROM Schueler UNION SELECT Vorname FROM K_Lehrer UNION SELECT Vorname1 FROM SchuelerErzAdr",
          firstNames);
    // Streets without the house number.
    check("SELECT rtrim(Strasse, '0123456789abc ') FROM Schueler UNION "
          "SELECT rtrim(Strasse, '0123456789abc ') FROM K_Lehrer",
          streets);
}
