// The stages' own statements, with the longest values they can write, run on a fresh
// sample: a column too narrow, a missing column or a constraint in the way shows up
// here and not half-way through an anonymisation run.
#include "SampleReader.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

using sampletest::SampleReader;

namespace {

std::string longest(const QStringList& list)
{
    QString best;
    for (const QString& s : list)
        if (s.size() > best.size())
            best = s;
    return best.toStdString();
}

std::string quote(const std::string& s)
{
    std::string out = "'";
    for (char c : s)
        out += c == '\'' ? std::string("''") : std::string(1, c);
    return out + "'";
}

class SampleFit : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        sampletest::writeSample(m_dir.path());
        m_db = std::make_unique<SampleReader>(m_dir.filePath(QStringLiteral("Edvara.sqlite")));
    }
    void run(const std::string& sql) { EXPECT_EQ(m_db->exec(sql), "") << sql; }

    QTemporaryDir m_dir;
    std::unique_ptr<SampleReader> m_db;
};

// A mail domain of 40 characters, more than any domain the program needs.
const std::string kDomain = "@anonymisiert.schulverwaltung.example.de";

}  // namespace

TEST_F(SampleFit, LongestSubstitutesFitEveryColumnTheyAreWrittenTo)
{
    const std::string surname = longest(sampletest::nameList(QStringLiteral("nachnamen.txt")));
    const std::string first = longest(sampletest::nameList(QStringLiteral("vornamen_m.txt")) +
                                      sampletest::nameList(QStringLiteral("vornamen_w.txt")));
    const std::string street = longest(sampletest::nameList(QStringLiteral("strassennamen.txt"))) + " 499";
    ASSERT_FALSE(surname.empty() || first.empty());
    const std::string plz = m_db->texts("SELECT PLZ FROM K_Ort ORDER BY length(PLZ) DESC LIMIT 1")[0];
    const std::string place = m_db->texts("SELECT Bezeichnung FROM K_Ort ORDER BY length(Bezeichnung) DESC LIMIT 1")[0];
    const std::string phone = quote("01234-999998");
    const std::string mail = quote(first.substr(0, 1) + "." + surname + kDomain);

    run("update Schueler set Vorname=" + quote(first) + ", Name=" + quote(surname) + ", Strasse=" + quote(street) +
        ", Telefon=" + phone + ", Email=" + mail + ", SchulEmail=" + mail + ", Fax='0189-999998', Zusatz=NULL, "
        "Geburtsname=NULL, Geburtsdatum='1900-05-11 00:00:00', PLZ=" + quote(plz) + ", OrtAbk=" + quote(place) +
        ", Geburtsort=" + quote(place));
    run("update SchuelerErzAdr set Name1=" + quote(surname) + ", Vorname1=" + quote(first) + ", Name2=" +
        quote(surname) + ", ErzStrasse=" + quote(street) + ", ErzPLZ=" + quote(plz) + ", ErzEMail=" +
        quote(surname + kDomain) + ", ErzEMail2=NULL");
    run("update SchuelerTelefone set Telefonnummer=" + phone);
    run("update K_AllgAdresse set AllgAdrName1=" + quote(surname + " und " + surname) +
        ", AllgAdrName2=NULL, AllgAdrStrasse=" + quote(street) + ", AllgAdrTelefon1=" + phone +
        ", AllgAdrTelefon2=NULL, AllgAdrFax=NULL, AllgAdrEmail=" + quote(surname + "." + surname + kDomain) +
        ", AllgAdrPLZ=" + quote(plz));
    // Teachers: the placeholder row with only its five columns, then the widest values;
    // the gender code arrives as text and the abbreviation can carry a two-digit counter.
    run("insert into K_Lehrer (ID, Kuerzel, LIDKrz, Nachname, Vorname) values( 9999, 'DUMMY', '\?\?\?\?', 'DUMMY', "
        "'DUMMY')");
    run("update K_Lehrer set Geschlecht='4', Nachname=" + quote(surname) + ", Vorname=" + quote(first) +
        ", Kuerzel='X'||ID||'Ä10', LIDKrz='X'||ID||'Ä10', Strasse=" + quote(street) + ", PLZ=" + quote(plz) +
        ", Tel=" + phone + ", Handy='0197-999998', Email=" + mail + ", EMailDienstlich=" + mail +
        ", Geburtsdatum='1969-03-26 00:00:00', IdentNr1='2603694', SerNr='0998X', StammschulNr='123456', "
        "LBVNr=NULL, PANr=NULL, LPassword=NULL where Kuerzel<>'DUMMY'");
    EXPECT_EQ(m_db->count("SELECT typeof(Geschlecht) = 'integer' FROM K_Lehrer WHERE Kuerzel<>'DUMMY' LIMIT 1"), 1);
    run("delete from K_Lehrer where Kuerzel='DUMMY'");
}

TEST_F(SampleFit, TeacherCascadeMovesEveryReferenceIncludingPaddedAndLowerCaseOnes)
{
    const std::vector<std::pair<std::string, std::string>> refs = {
        {"SchuelerLeistungsdaten", "Fachlehrer"},        {"SchuelerLeistungsdaten", "Zusatzkraft"},
        {"SchuelerLernabschnittsdaten", "Klassenlehrer"}, {"EigeneSchule_Abteilungen", "Abteilungsleiter"},
        {"Kurse", "LehrerKrz"},                          {"Versetzung", "KlassenlehrerKrz"},
        {"Versetzung", "StvKlassenlehrerKrz"}};
    auto cascade = [&](const std::string& from, const std::string& to) {
        for (const auto& [t, c] : refs)
            run("update " + t + " set " + c + "=" + quote(to) + " where " + c + "=" + quote(from));
    };
    auto references = [&](const std::string& k) {
        std::int64_t n = 0;
        for (const auto& [t, c] : refs)
            n += m_db->count("SELECT count(*) FROM " + t + " WHERE " + c + "=" + quote(k));
        return n;
    };
    run("insert into K_Lehrer (ID, Kuerzel, LIDKrz, Nachname, Vorname) values( 9999, 'DUMMY', '\?\?\?\?', 'DUMMY', "
        "'DUMMY')");
    for (const std::string& old : m_db->texts("SELECT Kuerzel FROM K_Lehrer WHERE Kuerzel<>'DUMMY' ORDER BY ID")) {
        const std::int64_t before = references(old);
        cascade(old, "DUMMY");
        EXPECT_EQ(references(old), 0) << old;
        cascade("DUMMY", "NEU10");
        EXPECT_EQ(references("NEU10"), before) << old;
        cascade("NEU10", "N" + std::to_string(m_db->count("SELECT ID FROM K_Lehrer WHERE Kuerzel=" + quote(old))));
    }
    EXPECT_EQ(references("DUMMY"), 0);
    run("delete from K_Lehrer where Kuerzel='DUMMY'");
}

TEST_F(SampleFit, SchoolStagesStatementsSucceed)
{
    // Stamping the owner number into every catalog table.
    for (const std::string& t : m_db->texts("SELECT name FROM sqlite_master WHERE type='table' AND name <> 'SchuelerReportvorlagen'"))
        run("update " + t + " set SchulnrEigner=123456");
    EXPECT_EQ(m_db->count("SELECT count(*) FROM Schueler WHERE SchulnrEigner <> 123456"), 0);
    // The own school with the longest fictitious values and bare numbers.
    run("update EigeneSchule set SchultraegerNr=12345, Schulnr=123456, Bezeichnung1='Daniel-Düsentrieb-Berufskolleg',"
        "Bezeichnung2='für Technik und Innovation',Bezeichnung3=null,Strasse='Lindgrengasse 23',PLZ='54321',"
        "Ort='Entenhausen',Telefon='0123 654321',Fax='0123 654399',EMail='sekretariat.berufskolleg@entenhausen.example'");
    EXPECT_EQ(m_db->texts("SELECT Schulnr FROM EigeneSchule"), std::vector<std::string>{"123456"});
    for (const char* t : {"EigeneSchule_Teilstandorte", "SchuelerDatenschutz", "K_Datenschutz", "K_Schule"})
        run(std::string("delete from ") + t);
    // A school row of the directory stage at the widest that stage stores.
    run("insert into K_Schule (ID,SchulNr,SchulNr_SIM,Name,SchulFormNr,SchulformBez,SchulformKrz,Strasse,PLZ,Ort,"
        "Telefon,Fax,Email,KurzBez) values (1,'123456','123456'," + quote(std::string(100, 'N')) + ",'20'," +
        quote(std::string(50, 'B')) + ",'GY'," + quote(std::string(50, 'S')) + ",'48143'," +
        quote(std::string(50, 'O')) + "," + quote(std::string(20, '1')) + "," + quote(std::string(20, '2')) + "," +
        quote(std::string(40, 'e')) + "," + quote(std::string(40, 'k')) + ")");
    run("update Schueler set LSSchulnr='123456' where LSSchulnr='" +
        m_db->texts("SELECT LSSchulnr FROM Schueler WHERE LSSchulnr IS NOT NULL LIMIT 1")[0] + "'");
}

TEST_F(SampleFit, ResidualCleanUpRunsToTheEnd)
{
    // The clean-up list, in SQLite's spelling where the Access dialect differs.
    const std::vector<std::string> statements = {
        "delete from LehrerFotos", "delete from SchuelerFotos", "update EigeneSchule set SchulLogo=Null",
        "update Schueler set FotoVorhanden='-' where FotoVorhanden='+'",
        "update Schueler set Bemerkungen=Null where Bemerkungen is not null",
        "update SchuelerVermerke set Bemerkung=Null where Bemerkung is not null",
        "update SchuelerLernabschnittsdaten set ZeugnisBem=Null where ZeugnisBem is not null",
        "update SchuelerLD_PSFachBem set ASV=Null where ASV is not null",
        "update SchuelerLD_PSFachBem set LELS=Null where LELS is not null",
        "update SchuelerLD_PSFachBem set ESF=Null where ESF is not null",
        "update SchuelerLeistungsdaten set Lernentw=Null where Lernentw is not null", "delete from SchuelerWiedervorlage",
        "delete from SchuelerReportvorlagen", "delete from Users where US_LoginName<>'Admin'",
        "update Users set US_Password=null", "delete from Logins", "UPDATE Schueler SET Bemerkungen = Null",
        "UPDATE Schueler SET IDext = Null", "UPDATE Schueler SET Sportbefreiung_ID = Null",
        "UPDATE Schueler SET Fahrschueler_ID = Null", "UPDATE Schueler SET Haltestelle_ID = Null",
        "UPDATE Schueler SET HaltestelleAbk = Null", "UPDATE Schueler SET Lehrer = Null",
        "UPDATE Schueler SET ModifiziertVon='Admin' WHERE ModifiziertVon IS NOT NULL",
        "UPDATE K_Lehrer SET StammschulNr='123456' WHERE StammschulNr IS NOT NULL", "DELETE FROM K_Haltestelle",
        "DELETE FROM Personengruppen_Personen", "DELETE FROM Schuelervermerke",
        "Update SchuelerLD_PSFachBem Set ASV=NULL, LELS=NULL, ESF=NULL",
        "Update SchuelerLernAbschnittsdaten Set ZeugnisBem=NULL", "update EigeneSchule Set SchulleiterName='Gans'",
        "Update EigeneSchule Set SchulleiterVorname='Gustav'", "Update EigeneSchule Set SchulleiterGeschlecht=3",
        "Update EigeneSchule Set StvSchulleiterName='Wasserhuhn'",
        "Update EigeneSchule Set StvSchulleiterVorname='Wilberta'", "Update EigeneSchule Set StvSchulleiterGeschlecht=4",
        "Delete From EigeneSchule_Texte", "update EigeneSchule set Einstellungen=NULL",
        "update Schueler set Dokumentenverzeichnis=NULL", "UPDATE K_Lehrer SET LBVNr=NULL",
        "UPDATE K_Lehrer SET PANr=NULL", "UPDATE K_Lehrer SET LPassword=NULL", "update Schueler set Ortsteil_ID=null",
        "update SchuelerErzAdr set ErzOrtsteil_ID=null"};
    ASSERT_EQ(statements.size(), 44u);
    for (const std::string& s : statements)
        run(s);
    // Only "Admin" and the account without login name survive.
    EXPECT_EQ(m_db->texts("SELECT coalesce(US_LoginName, '<NULL>') FROM Users ORDER BY ID"),
              (std::vector<std::string>{"Admin", "<NULL>"}));
}

TEST_F(SampleFit, OverlongTextIsRejectedAsTheAccessEngineRejectsIt)
{
    EXPECT_NE(m_db->exec("update K_Ort set PLZ='12345678901'"), "");
    EXPECT_NE(m_db->exec("update K_Lehrer set Kuerzel='ABCDEFGHIJK' where ID=1"), "");
    // Exactly the declared size is fine, umlauts counted as one character each.
    EXPECT_EQ(m_db->exec("update K_Lehrer set Kuerzel='ÄÖÜÄÖÜÄÖÜÄ' where ID=1"), "");
    // The teacher abbreviation is unique without regard to letter case, as far as
    // SQLite's own NOCASE goes (ASCII letters): the index must stay one that stock
    // SQLite tools agree with.
    EXPECT_EQ(m_db->exec("update K_Lehrer set Kuerzel='ABCDEFGHIJ' where ID=1"), "");
    EXPECT_NE(m_db->exec("update K_Lehrer set Kuerzel='abcdefghij' where ID=2"), "");
}
