// The school side of the sample target: lookup tables, places, other schools, the own
// school, teachers with everything that refers to them, courses, general addresses,
// users and texts. Layer: sample tool.
//
// Teacher abbreviations are built as the product builds them: the first four letters
// of the surname in capitals, on a clash the first three and a counter. The first
// teachers are fixed so that the awkward cases are always there: an abbreviation
// stored with blanks around it (and referenced with them), three teachers whose
// surnames begin with the same four letters, one referenced in lower case, odd
// salutations and missing birth dates.
#include "tools/sample/SampleContent.h"

#include "tools/sample/SamplePools.h"
#include "tools/sample/SampleText.h"
#include "tools/sample/TargetSchema.h"
#include "tools/sample/TargetWriter.h"

#include <QString>

#include <algorithm>

namespace sample {

const std::vector<Period> kPeriods = {{2023, 1}, {2023, 2}, {2024, 1}, {2024, 2}};

namespace {

Inserter rowsOf(SqliteFile& file, const char* table, std::int64_t owner)
{
    Inserter ins(file, table, columnNames(targetTable(table)));
    ins.setDefault("SchulnrEigner", owner);
    return ins;
}

std::string flag(bool on) { return on ? "+" : "-"; }

const char* kSchoolDomain = "@hvm-gymnasium.example";

}  // namespace

void writeTarget(SqliteFile& file, const SamplePlan& plan, const SampleSize& size, SampleRandom rng)
{
    TargetWriter(file, plan, size, rng).write();
}

TargetWriter::TargetWriter(SqliteFile& file, const SamplePlan& plan, const SampleSize& size, SampleRandom rng)
    : m_file(file), m_plan(plan), m_size(size), m_rng(rng), m_owner(std::stoll(plan.directory[plan.ownSchool].nr))
{
}

void TargetWriter::write()
{
    writePlaces();
    writeCatalogs();
    writeOwnSchool();
    writeOtherSchools();
    writeTeachers();
    writeTeacherDetails();
    writeClasses();
    writeCourses();
    writeGeneralAddresses();
    writeUsers();
    writeStudents();
    writeGroupsAndTexts();
}

// --- helpers -----------------------------------------------------------------------

std::string TargetWriter::street()
{
    // Separate statements: the operands of + are evaluated in no fixed order.
    std::string s = m_rng.pick(originalStreets());
    s += " " + std::to_string(1 + m_rng.below(180));
    if (m_rng.chance(8))
        s += static_cast<char>('a' + m_rng.below(3));
    return s;
}

const TargetWriter::PlaceRow& TargetWriter::homePlace()
{
    // Most people live in Münster, the rest in the surrounding places.
    if (m_rng.chance(55)) {
        std::vector<std::size_t> city;
        for (std::size_t i = 0; i < m_places.size(); ++i)
            if (m_places[i].name == "Münster")
                city.push_back(i);
        return m_places[m_rng.pick(city)];
    }
    return m_rng.pick(m_places);
}

std::string TargetWriter::personSurname() { return m_rng.pick(originalSurnames()); }

std::string TargetWriter::personFirstName(bool female)
{
    return m_rng.pick(female ? originalFemaleFirstNames() : originalMaleFirstNames());
}

Blob TargetWriter::photo(std::size_t size)
{
    // A JPEG frame around random bytes: small, but recognisable as a picture.
    Blob b = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F', 0x00};
    for (std::size_t i = 0; i < size; ++i)
        b.push_back(static_cast<unsigned char>(m_rng.below(256)));
    b.push_back(0xFF);
    b.push_back(0xD9);
    return b;
}

std::int64_t TargetWriter::lookupTable(const char* table, const std::vector<std::string>& names,
                                       std::vector<std::int64_t>* ids)
{
    Inserter ins = rowsOf(m_file, table, m_owner);
    std::int64_t id = 0;
    for (const std::string& n : names) {
        ++id;
        ins.set("ID", id).set("Bezeichnung", n).set("Sortierung", id * 10).set("Sichtbar", "+").set("Aenderbar", "+");
        ins.insert();
        if (ids)
            ids->push_back(id);
    }
    return id;
}

std::string TargetWriter::makeAbbreviation(const std::string& surname)
{
    auto taken = [&](const std::string& k) {
        return std::find(m_abbreviationsInUse.begin(), m_abbreviationsInUse.end(), k) != m_abbreviationsInUse.end();
    };
    std::string k = trim(upper(trim(leftChars(surname, 4))));
    for (int n = 1; taken(k); ++n)
        k = trim(upper(trim(leftChars(surname, 3)) + std::to_string(n)));
    m_abbreviationsInUse.push_back(k);
    return k;
}

// --- places and schools ------------------------------------------------------------

void TargetWriter::writePlaces()
{
    Inserter ins = rowsOf(m_file, "K_Ort", m_owner);
    std::int64_t id = 0;
    for (const Place& p : targetPlaces()) {
        ++id;
        // Visibility as users leave it: mostly visible, some hidden, some never set.
        const Value visible = id % 7 == 3 ? Value() : Value(flag(id % 5 != 2));
        ins.set("ID", id)
            .set("PLZ", p.plz ? Value(p.plz) : Value())
            .set("Bezeichnung", p.name)
            .set("Kreis", p.kreis ? Value(p.kreis) : Value())
            .set("Land", "NW")
            .set("Sortierung", id)
            .set("Sichtbar", visible)
            .set("Aenderbar", "+");
        ins.insert();
        if (p.plz && std::string(p.plz).size() == 5)
            m_places.push_back({id, p.plz, p.name});
    }
}

void TargetWriter::writeOwnSchool()
{
    const DirectorySchool& s = m_plan.directory[m_plan.ownSchool];
    Inserter ins = rowsOf(m_file, "EigeneSchule", m_owner);
    const SchoolForm& form = schoolForm(s.formKrz);
    std::string einstellungen =
        "[Allgemein]\r\nDatenpfad=C:\\Edvara\\Daten\\" + s.nr + "\r\nBackupPfad=\\\\verwaltung-srv\\backup\\edvara\r\n"
        "Drucker=Sekretariat-Laser\r\n[Zeugnis]\r\nUnterschrift=" + fullName(true) + "\r\n";
    ins.set("ID", 1)
        .set("SchulformNr", form.nr)
        .set("SchulformKrz", form.krz)
        .set("SchulformBez", form.name)
        .set("SchultraegerArt", "01")
        .set("SchultraegerNr", "515000")
        .set("Schulnr", s.nr)
        .set("Bezeichnung1", trim(s.abez1))
        .set("Bezeichnung2", s.abez2.empty() ? Value() : Value(trim(s.abez2)))
        .set("Bezeichnung3", "Sekundarstufen I und II")
        .set("Strasse", leftChars(trim(s.strasse), 50))
        .set("PLZ", s.plz)
        .set("Ort", s.ort)
        .set("Telefon", s.telefon.empty() ? Value() : Value(s.telVorw + " " + s.telefon))
        .set("Fax", s.fax.empty() ? Value() : Value(s.faxVorw + " " + s.fax))
        .set("EMail", std::string("sekretariat") + kSchoolDomain)
        .set("Homepage", "www.hvm-gymnasium.example")
        .set("SchulLogo", photo(900))
        .set("SchulleiterName", personSurname())
        .set("SchulleiterVorname", personFirstName(false))
        .set("SchulleiterAmtsbez", "OStD")
        .set("SchulleiterGeschlecht", 3)
        .set("StvSchulleiterName", personSurname())
        .set("StvSchulleiterVorname", personFirstName(true))
        .set("StvSchulleiterAmtsbez", "StD'")
        .set("StvSchulleiterGeschlecht", 4)
        .set("Schuljahr", 2024)
        .set("SchuljahrAbschnitt", 2)
        .set("AnzahlAbschnitte", 2)
        .set("Einstellungen", einstellungen);
    ins.insert();

    Inserter sites = rowsOf(m_file, "EigeneSchule_Teilstandorte", m_owner);
    sites.row({1, "A", s.plz, s.ort, leftChars(trim(s.strasse), 50), "Hauptstandort", "Haupthaus", m_owner});
    sites.row({2, "B", "48161", "Münster", street(), "Dependance Unterstufe", "Nebenstelle Roxel", m_owner});
}

void TargetWriter::writeOtherSchools()
{
    Inserter ins = rowsOf(m_file, "K_Schule", m_owner);
    std::int64_t id = 0;
    for (std::size_t idx : m_plan.otherSchools) {
        const DirectorySchool& s = m_plan.directory[idx];
        const SchoolForm& form = schoolForm(s.formKrz);
        id += 1 + static_cast<std::int64_t>(m_rng.below(3));
        const std::string name = trim(s.abez1) + " " + trim(s.abez2) + " " + trim(s.abez3);
        ins.set("ID", id)
            .set("SchulNr", s.nr)
            .set("SchulNr_SIM", s.nr)
            .set("Name", leftChars(trim(name), 100))
            .set("SchulformNr", form.nr)
            .set("SchulformKrz", form.krz)
            .set("SchulformBez", form.name)
            .set("Strasse", leftChars(trim(s.strasse), 50))
            .set("PLZ", s.plz)
            .set("Ort", s.ort)
            .set("Telefon", s.telefon.empty() ? Value() : Value(leftChars(s.telVorw + "-" + s.telefon, 20)))
            .set("Fax", s.fax.empty() ? Value() : Value(leftChars(s.faxVorw + "-" + s.fax, 20)))
            .set("Email", s.email.empty() ? Value() : Value(leftChars(s.email, 40)))
            .set("KurzBez", leftChars(trim(s.kurzBez), 40))
            .set("Schulleiter", m_rng.chance(60) ? Value(fullName(m_rng.chance(50)))
                                                 : Value())
            .set("Sortierung", id)
            .set("Sichtbar", "+")
            .set("Aenderbar", "+");
        ins.insert();
    }
}

// --- teachers ------------------------------------------------------------------------

void TargetWriter::writeTeachers()
{
    struct Fixed {
        const char* surname;
        const char* anrede;  // nullptr: none stored
        bool female;
        bool blanksAround;
        bool noBirthDate;
    };
    const std::vector<Fixed> fixed = {
        {"Kröning", "Frau", true, true, false},   {"Schomaker", "Herr", false, false, false},
        {"Schoppe", "Frau", true, false, true},   {"Schotte", "Dr.", false, false, false},
        {"Möllering", "frau", true, false, false}, {"Wältermann", nullptr, false, false, true},
        {"Ey", "Herr", false, false, false},      {"ter Haar", "Frau", true, false, false}};

    static const std::vector<std::string> amtsbez = {"StR", "StR'", "OStR", "OStR'", "StD", "StD'", "L. i. A.", "StRef"};
    Inserter ins = rowsOf(m_file, "K_Lehrer", m_owner);
    std::int64_t id = 0;
    for (int i = 0; i < m_size.teachers; ++i) {
        id += 1 + (m_rng.chance(10) ? 1 : 0);
        Teacher t;
        t.id = id;
        Value anrede;
        bool noBirthDate = m_rng.chance(8);
        if (i < static_cast<int>(fixed.size())) {
            const Fixed& f = fixed[static_cast<std::size_t>(i)];
            t.surname = f.surname;
            t.female = f.female;
            anrede = f.anrede ? Value(f.anrede) : Value();
            noBirthDate = noBirthDate || f.noBirthDate;
        } else {
            t.surname = personSurname();
            t.female = m_rng.chance(60);
            anrede = t.female ? "Frau" : "Herr";
        }
        t.firstName = personFirstName(t.female);
        const std::string abbreviation = makeAbbreviation(t.surname);
        const bool blanks = i < static_cast<int>(fixed.size()) && fixed[static_cast<std::size_t>(i)].blanksAround;
        t.kuerzel = blanks ? " " + abbreviation + " " : abbreviation;

        const std::string passwordSalt = digits(m_rng, 10);
        const std::string password = "sha1:" + passwordSalt + guid(m_rng).substr(1, 20);
        const std::string birth = noBirthDate ? std::string() : randomDate(m_rng, 1958, 1996);
        const int gender = t.female ? 4 : 3;
        std::string ident;
        if (!birth.empty())
            ident = birth.substr(8, 2) + birth.substr(5, 2) + birth.substr(2, 2) + std::to_string(gender);
        const PlaceRow& place = homePlace();
        ins.set("ID", t.id)
            .set("GU_ID", guid(m_rng))
            .set("Kuerzel", t.kuerzel)
            .set("LIDKrz", abbreviation)
            .set("Nachname", t.surname)
            .set("Vorname", t.firstName)
            .set("Anrede", anrede)
            .set("Titel", m_rng.chance(8) ? Value("Dr.") : Value())
            .set("Geschlecht", gender)
            .set("Amtsbezeichnung", m_rng.pick(amtsbez))
            .set("Strasse", street())
            .set("PLZ", place.plz)
            .set("Ort_ID", place.id)
            .set("Tel", landline(m_rng))
            .set("Handy", m_rng.chance(70) ? Value(mobile(m_rng)) : Value())
            .set("Email", mailPart(t.firstName) + "." + mailPart(t.surname) + "@web.de")
            .set("EMailDienstlich", mailPart(abbreviation) + kSchoolDomain)
            .set("Geburtsdatum", birth.empty() ? Value() : Value(birth))
            .set("IdentNr1", ident.empty() ? Value() : Value(ident))
            .set("SerNr", "0" + digits(m_rng, 3) + "A")
            .set("StaatKrz", "D")
            .set("StammschulNr", m_rng.chance(80) ? Value(m_plan.directory[m_plan.ownSchool].nr)
                                                  : (m_rng.chance(50) ? Value() : Value("166003")))
            .set("LBVNr", digits(m_rng, 8))
            .set("PANr", "PA-" + digits(m_rng, 6))
            .set("VorgangsNr", m_rng.chance(30) ? Value(digits(m_rng, 10)) : Value())
            .set("LPassword", m_rng.chance(85) ? Value(password) : Value())
            .set("PersonalTyp", m_rng.chance(90) ? "LEHRKRAFT" : "SONSTIGE")
            .set("DatumZugang", randomDate(m_rng, 1990, 2023))
            .set("Sortierung", t.id)
            .set("Sichtbar", "+")
            .set("Aenderbar", "+");
        ins.insert();
        m_teachers.push_back(t);
    }
}

void TargetWriter::writeTeacherDetails()
{
    Inserter abschnitt = rowsOf(m_file, "LehrerAbschnittsdaten", m_owner);
    Inserter anrechnung = rowsOf(m_file, "LehrerAnrechnung", m_owner);
    Inserter entlastung = rowsOf(m_file, "LehrerEntlastung", m_owner);
    Inserter mehrleistung = rowsOf(m_file, "LehrerMehrleistung", m_owner);
    Inserter lehramt = rowsOf(m_file, "LehrerLehramt", m_owner);
    Inserter fachr = rowsOf(m_file, "LehrerLehramtFachr", m_owner);
    Inserter lehrbef = rowsOf(m_file, "LehrerLehramtLehrbef", m_owner);
    Inserter funktionen = rowsOf(m_file, "LehrerFunktionen", m_owner);
    Inserter fotos = rowsOf(m_file, "LehrerFotos", m_owner);
    Inserter imei = rowsOf(m_file, "Lehrer_IMEI", m_owner);
    std::int64_t n1 = 0, n2 = 0, n3 = 0, n4 = 0, n5 = 0, n6 = 0, n7 = 0;
    for (const Teacher& t : m_teachers) {
        abschnitt.row({++n1, t.id, 2024, 2, m_rng.chance(80) ? "B" : "A", m_rng.chance(75) ? "VZ" : "TZ",
                       m_rng.chance(75) ? 25.5 : 12.5, "A", m_plan.directory[m_plan.ownSchool].nr, m_owner});
        lehramt.row({++n2, t.id, "GYM", "ZS", m_owner});
        fachr.row({++n3, t.id, m_rng.pick(subjects()).krz, "ZS", m_owner});
        lehrbef.row({++n4, t.id, m_rng.pick(subjects()).krz, "ZS", m_owner});
        if (m_rng.chance(25))
            anrechnung.row({anrechnung.count() + 1, t.id, "KOORD", 2.0, 2024, 2, m_owner});
        if (m_rng.chance(15))
            entlastung.row({entlastung.count() + 1, t.id, "ALTER", 1.0, 2024, 2, m_owner});
        if (m_rng.chance(10))
            mehrleistung.row({mehrleistung.count() + 1, t.id, "MEHR", 1.5, 2024, 2, m_owner});
        if (m_rng.chance(20))
            funktionen.row({++n5, t.id, 1 + static_cast<int>(m_rng.below(4)), 2024, 2, m_owner});
        if (m_rng.chance(50))
            fotos.row({++n6, t.id, photo(200 + m_rng.below(300)), m_owner});
        if (m_rng.chance(10))
            imei.row({++n7, t.id, digits(m_rng, 15), "Diensttablet", m_owner});
    }
}

void TargetWriter::writeClasses()
{
    // Jahrgaenge were written with the catalogs; their IDs are 1..9 in grade order.
    for (int grade = 0; grade < 9; ++grade) {
        const int parallel = grade < 6 ? m_size.classesPerGrade : 1;
        for (int c = 0; c < parallel; ++c) {
            SchoolClass k;
            k.grade = grade;
            k.jahrgangId = grade + 1;
            k.name = grade < 6 ? std::to_string(grade + 5) + static_cast<char>('a' + c) : gradeName(grade);
            m_classes.push_back(k);
        }
    }
    const std::size_t nt = m_teachers.size();
    for (std::size_t i = 0; i < m_classes.size(); ++i) {
        m_classes[i].teacher = m_teachers[i % nt].kuerzel;
        m_classes[i].deputy = m_teachers[(i + 7) % nt].kuerzel;
    }
    // The teacher with blanks around the abbreviation is also a deputy; one deputy is
    // entered in lower case, which the engine's comparison matches all the same.
    m_classes[1].deputy = m_teachers[0].kuerzel;
    m_classes[2].deputy = lower(m_teachers[4].kuerzel);

    Inserter ins = rowsOf(m_file, "Versetzung", m_owner);
    std::int64_t id = 0;
    for (const SchoolClass& k : m_classes) {
        ++id;
        ins.set("ID", id)
            .set("Klasse", k.name)
            .set("Jahrgang_ID", k.jahrgangId)
            .set("ASDKlasse", leftChars(k.name, 6))
            .set("VKlasse", k.grade > 0 && k.grade < 7 ? Value(std::to_string(k.grade + 4) + k.name.back()) : Value())
            .set("FKlasse", k.grade < 5 ? Value(std::to_string(k.grade + 6) + k.name.back()) : Value())
            .set("KlassenlehrerKrz", k.teacher)
            .set("StvKlassenlehrerKrz", id % 9 == 5 ? Value() : Value(k.deputy))
            .set("Klassenart", k.grade < 6 ? "RK" : "JK")
            .set("SGL", "   ")
            .set("Sortierung", id)
            .set("Sichtbar", "+");
        ins.insert();
    }

    Inserter abt = rowsOf(m_file, "EigeneSchule_Abteilungen", m_owner);
    abt.row({1, "Erprobungsstufe", m_teachers[0].kuerzel, "A 101", std::string("erprobungsstufe") + kSchoolDomain,
             "-21", 1, "+", m_owner});
    abt.row({2, "Mittelstufe", m_teachers[9 % m_teachers.size()].kuerzel, "A 104",
             std::string("mittelstufe") + kSchoolDomain, "-22", 2, "+", m_owner});
    abt.row({3, "Oberstufe", m_teachers[11 % m_teachers.size()].kuerzel, "B 012",
             std::string("oberstufe") + kSchoolDomain, "-23", 3, "+", m_owner});
    Inserter abtKl = rowsOf(m_file, "EigeneSchule_Abt_Kl", m_owner);
    std::int64_t n = 0;
    for (const SchoolClass& k : m_classes)
        abtKl.row({++n, k.grade < 2 ? 1 : (k.grade < 6 ? 2 : 3), k.name, "+", m_owner});

    // Who teaches which subject in which class.
    m_subjectTeacher.assign(m_classes.size(), std::vector<std::string>(subjects().size()));
    for (auto& row : m_subjectTeacher)
        for (auto& t : row)
            t = m_teachers[m_rng.below(m_teachers.size())].kuerzel;
    m_subjectTeacher[0][0] = m_teachers[0].kuerzel;
}

void TargetWriter::writeCourses()
{
    // Courses of the upper school, one per subject, grade and learning period.
    Inserter ins = rowsOf(m_file, "Kurse", m_owner);
    Inserter kl = rowsOf(m_file, "KursLehrer", m_owner);
    std::int64_t id = 0;
    for (const Period& p : kPeriods) {
        for (int grade = 6; grade < 9; ++grade) {
            for (std::size_t s = 0; s < subjects().size(); ++s) {
                ++id;
                const Teacher& t = id == 1 ? m_teachers[0] : m_teachers[m_rng.below(m_teachers.size())];
                const bool lk = grade > 6 && s < 5 && m_rng.chance(40);
                const std::string kursart = lk ? "LK" : "GK";
                ins.set("ID", id)
                    .set("Jahr", p.jahr)
                    .set("Abschnitt", p.abschnitt)
                    .set("KurzBez", std::string(subjects()[s].krz) + "-" + kursart + "1")
                    .set("Jahrgang_ID", grade + 1)
                    .set("ASDJahrgang", gradeName(grade))
                    .set("Fach_ID", m_subjectIds[s])
                    .set("KursartAllg", kursart)
                    .set("WochenStd", lk ? 5 : 3)
                    .set("LehrerKrz", t.kuerzel)
                    .set("Schienen", std::to_string(1 + m_rng.below(8)))
                    .set("Fortschreibungsart", "K")
                    .set("Sortierung", id)
                    .set("Sichtbar", "+");
                ins.insert();
                kl.row({id, id, t.id, 1.0, m_owner});
                const std::string key = std::to_string(p.jahr) + "/" + std::to_string(p.abschnitt) + "/" +
                                        std::to_string(grade) + "/" + std::to_string(s);
                m_courses[key] = Course{id, t.kuerzel, lk ? "LK1" : "GKS"};
            }
        }
    }
}

// --- addresses, users, groups, texts ---------------------------------------------

void TargetWriter::writeGeneralAddresses()
{
    static const std::vector<std::string> kinds = {"Praxis Dr. ", "Tischlerei ", "Steuerbüro ", "Apotheke am Markt, Inh. ",
                                                   "Autohaus ", "Kanzlei "};
    Inserter ins = rowsOf(m_file, "K_AllgAdresse", m_owner);
    Inserter contact = rowsOf(m_file, "AllgAdrAnsprechpartner", m_owner);
    std::int64_t contacts = 0;
    for (int i = 1; i <= m_size.generalAddresses; ++i) {
        const std::string owner = personSurname();
        const PlaceRow& place = homePlace();
        ins.set("ID", i)
            .set("AllgAdrAdressArt", m_rng.chance(60) ? "Praktikumsbetrieb" : "Sonstige")
            .set("AllgAdrName1", m_rng.pick(kinds) + owner)
            .set("AllgAdrName2", m_rng.chance(50) ? Value("z. Hd. " + fullName(true))
                                                  : Value())
            .set("AllgAdrStrasse", street())
            .set("AllgAdrPLZ", place.plz)
            .set("AllgAdrOrt_ID", place.id)
            .set("AllgAdrTelefon1", landline(m_rng))
            .set("AllgAdrTelefon2", m_rng.chance(30) ? Value(mobile(m_rng)) : Value())
            .set("AllgAdrFax", m_rng.chance(40) ? Value(landline(m_rng)) : Value())
            .set("AllgAdrEmail", m_rng.chance(70) ? Value("info@" + mailPart(owner) + ".example") : Value())
            .set("AllgAdrBemerkungen", m_rng.chance(30) ? Value("Ansprechpartner wechselt häufig") : Value())
            .set("AllgAdrAnschreiben", "+")
            .set("Sortierung", i)
            .set("Sichtbar", "+")
            .set("Aenderbar", "+");
        ins.insert();
        const int people = static_cast<int>(m_rng.below(3));
        for (int k = 0; k < people; ++k) {
            const bool female = m_rng.chance(50);
            const std::string surname = personSurname();
            contact.row({++contacts, i, surname, personFirstName(female), female ? "Frau" : "Herr", nullptr,
                         landline(m_rng), mailPart(surname) + "@" + mailPart(owner) + ".example", "Ausbildung",
                         m_owner});
        }
    }
}

void TargetWriter::writeUsers()
{
    struct U {
        const char* login;  // nullptr: an account without login name
        const char* groups;
    };
    const std::vector<U> users = {{"Admin", "1"},        {"Sekretariat", "2"}, {"Schulleitung", "1;3"},
                                  {"Oberstufe", "3"},     {"Vertretung", "3"},  {nullptr, "3"},
                                  {"Praktikant", "3"}};
    Inserter ins = rowsOf(m_file, "Users", m_owner);
    std::int64_t id = 0;
    for (const U& u : users) {
        ++id;
        const bool admin = u.login && std::string(u.login) == "Admin";
        ins.set("ID", id)
            .set("US_Name", admin ? std::string("Administrator") : fullName(m_rng.chance(50)))
            .set("US_LoginName", u.login ? Value(u.login) : Value())
            .set("US_Password", "{MD5}" + guid(m_rng).substr(1, 32))
            .set("US_UserGroups", u.groups)
            .set("US_Privileges", "Schueler;Lehrer;Kataloge")
            .set("US_Email", u.login ? Value(mailPart(u.login) + kSchoolDomain) : Value())
            .set("US_Aktiv", true);
        ins.insert();
        m_userIds.push_back(id);
        m_loginNames.push_back(u.login ? u.login : "");
    }
    Inserter logins = rowsOf(m_file, "Logins", m_owner);
    for (int i = 1; i <= 40; ++i) {
        const std::int64_t user = m_userIds[m_rng.below(m_userIds.size())];
        const int day = 1 + static_cast<int>(m_rng.below(28));
        const int hour = 7 + static_cast<int>(m_rng.below(8));
        logins.row({i, user, dateTime(2025, 2, day, hour, static_cast<int>(m_rng.below(60)), 0),
                    dateTime(2025, 2, day, hour + 1, static_cast<int>(m_rng.below(60)), 0), m_owner});
    }
    Inserter groups = rowsOf(m_file, "Usergroups", m_owner);
    groups.row({1, "Administration", "alle", "+", m_owner});
    groups.row({2, "Sekretariat", "Schueler;Kataloge;Drucken", "-", m_owner});
    groups.row({3, "Lehrkräfte", "Leistungsdaten;Drucken", "-", m_owner});
    Inserter komp = rowsOf(m_file, "Kompetenzen", m_owner);
    Inserter kompGruppen = rowsOf(m_file, "Kompetenzgruppen", m_owner);
    kompGruppen.row({1, 1, 1, "Schülerdaten", m_owner});
    kompGruppen.row({2, 1, 2, "Leistungsdaten", m_owner});
    komp.row({1, 1, "Schülerdaten ansehen", m_owner});
    komp.row({2, 1, "Schülerdaten ändern", m_owner});
    komp.row({3, 2, "Noten eintragen", m_owner});
}

void TargetWriter::writeGroupsAndTexts()
{
    const DirectorySchool& own = m_plan.directory[m_plan.ownSchool];
    Inserter texte = rowsOf(m_file, "EigeneSchule_Texte", m_owner);
    texte.row({1, "Briefkopf", trim(own.abez1) + " " + trim(own.abez2) + "\r\n" + trim(own.strasse) + "\r\n" + own.plz +
                                   " " + own.ort,
               "Briefkopf für Serienbriefe", "+", m_owner});
    texte.row({2, "Unterschrift", "gez. " + fullName(false) + ", Oberstudiendirektor",
               "Unterschriftszeile der Zeugnisse", "+", m_owner});
    texte.row({3, "Zeugnisbemerkung", "Die Versetzung ist gefährdet. Ein Beratungsgespräch wird empfohlen.",
               "Textbaustein Zeugnis", "+", m_owner});

    Inserter reports = rowsOf(m_file, "SchuelerReportvorlagen", m_owner);
    reports.row({1, m_userIds[0], "Zeugnisse\\Halbjahr_SekI.rtm", "1;2;3;5;8", m_owner});
    reports.row({2, m_userIds[1], "Listen\\Klassenliste_mit_Telefon.rtm", "2;3;4", m_owner});
    reports.row({3, m_userIds[2], "Briefe\\Einladung_Elternsprechtag.rtm", nullptr, m_owner});

    Inserter gruppen = rowsOf(m_file, "Personengruppen", m_owner);
    gruppen.row({1, "Schulpflegschaft", "Vorsitz und Stellvertretung", std::string("pflegschaft") + kSchoolDomain,
                 "Gremium", "-", 1, "+", m_owner});
    gruppen.row({2, "Förderverein", nullptr, "foerderverein@hvm-freunde.example", "Verein", "-", 2, "+", m_owner});
    gruppen.row({3, "Schulkonferenz", "Amtszeit 2024/25", nullptr, "Gremium", "+", 3, "+", m_owner});
    Inserter personen = rowsOf(m_file, "Personengruppen_Personen", m_owner);
    for (int i = 1; i <= 12; ++i) {
        const bool female = m_rng.chance(50);
        const std::string surname = personSurname();
        const PlaceRow& place = homePlace();
        personen.set("ID", i)
            .set("Gruppe_ID", 1 + static_cast<int>(m_rng.below(3)))
            .set("Person_ID", i)
            .set("PersonArt", i % 3 == 0 ? "L" : "E")
            .set("PersonName", surname)
            .set("PersonVorname", personFirstName(female))
            .set("PersonPLZ", place.plz)
            .set("PersonOrt", place.name)
            .set("PersonStrasse", street())
            .set("PersonTelefon", landline(m_rng))
            .set("PersonMobil", mobile(m_rng))
            .set("PersonEmail", mailPart(surname) + "@t-online.de")
            .set("Bemerkung", i == 1 ? Value("Vorsitzende") : Value())
            .set("Sortierung", i);
        personen.insert();
    }
}

// --- catalogs --------------------------------------------------------------------

void TargetWriter::writeCatalogs()
{
    const std::int64_t o = m_owner;
    {
        Inserter ins = rowsOf(m_file, "EigeneSchule_Faecher", o);
        std::int64_t id = 0;
        for (const Subject& s : subjects()) {
            ++id;
            const bool language = std::string("EFL").find(s.krz) != std::string::npos && std::string(s.krz).size() == 1;
            ins.row({id, s.krz, s.name, s.name, s.statistik, id * 10, flag(language), "D", "+", o});
            m_subjectIds.push_back(id);
        }
    }
    {
        Inserter ins = rowsOf(m_file, "EigeneSchule_Jahrgaenge", o);
        for (int g = 0; g < 9; ++g)
            ins.row({g + 1, gradeName(g), gradeName(g), "Jahrgangsstufe " + gradeName(g), g + 1, "+", o});
    }
    {
        Inserter ins = rowsOf(m_file, "EigeneSchule_Kursart", o);
        ins.row({1, "GKM", "Grundkurs mündlich", "GK mdl.", "GK", 1, "+", o});
        ins.row({2, "GKS", "Grundkurs schriftlich", "GK schr.", "GK", 2, "+", o});
        ins.row({3, "LK1", "Leistungskurs, 1. Fach", "LK 1", "LK", 3, "+", o});
        ins.row({4, "LK2", "Leistungskurs, 2. Fach", "LK 2", "LK", 4, "+", o});
        ins.row({5, "ZK", "Zusatzkurs", "ZK", "ZK", 5, "+", o});
        Inserter allg = rowsOf(m_file, "EigeneSchule_KursartAllg", o);
        allg.row({1, "GK", "Grundkurs", 1, o});
        allg.row({2, "LK", "Leistungskurs", 2, o});
        allg.row({3, "ZK", "Zusatzkurs", 3, o});
        allg.row({4, "PJK", "Projektkurs", 4, o});
    }
    {
        Inserter fk = rowsOf(m_file, "EigeneSchule_Fachklassen", o);
        fk.row({1, 0, "000", "00", "Ohne Fachklasse", 1, "-", o});
        Inserter mk = rowsOf(m_file, "EigeneSchule_Merkmale", o);
        mk.row({1, "GTS", "GTS", "Gebundener Ganztag", o});
        mk.row({2, "BIL", "BIL", "Bilingualer Zweig Englisch", o});
        Inserter sf = rowsOf(m_file, "EigeneSchule_Schulformen", o);
        sf.row({1, "   ", "GY", "Gymnasium (G9)", "-", 1, "+", o});
        Inserter fg = rowsOf(m_file, "Fach_Gliederungen", o);
        for (int i = 1; i <= 4; ++i)
            fg.row({i, m_subjectIds[static_cast<std::size_t>(i - 1)], "   ", i, 1, 1, i, o});
        Inserter fth = rowsOf(m_file, "EigeneSchule_FachTeilleistungen", o);
        fth.row({1, m_subjectIds[0], 1, "GKS", 1, 0.5, o});
        fth.row({2, m_subjectIds[0], 2, "GKS", 2, 0.5, o});
    }
    {
        Inserter g = rowsOf(m_file, "Floskelgruppen", o);
        g.row({1, "ALL", "ALLG", "Allgemeine Bemerkungen", 16777215, o});
        g.row({2, "ASV", "ASV", "Arbeits- und Sozialverhalten", 12632256, o});
        Inserter f = rowsOf(m_file, "Floskeln", o);
        std::int64_t id = 0;
        for (const std::string& t : reportTexts())
            f.row({++id, "F" + std::to_string(id), "$Vorname$ " + t, id % 2 ? "ALL" : "ASV", nullptr, nullptr, nullptr, o});
    }
    {
        Inserter f = rowsOf(m_file, "EdvaraFilter", o);
        f.row({1, "S", "Fahrschüler", "Alle Fahrschüler der Sekundarstufe I", "Schueler",
               "Schueler.Fahrschueler_ID is not null", o});
        f.row({2, "S", "Ohne Foto", "Schüler ohne Foto", "Schueler", "Schueler.FotoVorhanden='-'", o});
    }
    lookupTable("K_Adressart", {"Praktikumsbetrieb", "Jugendamt", "Arztpraxis", "Sonstige"}, &m_adressIds);
    lookupTable("K_Beschaeftigungsart", {"Vollzeit", "Teilzeit", "Altersteilzeit", "Stundenweise"});
    lookupTable("K_Entlassgrund", {"Schulwechsel", "Umzug", "Abitur", "Fachhochschulreife", "Abbruch"});
    lookupTable("K_Erzieherart", {"Mutter", "Vater", "Eltern", "Schüler/in ist volljährig", "Pflegeeltern",
                                  "Vormund", "Großeltern"},
                &m_erzieherartIds);
    lookupTable("K_Erzieherfunktion", {"Klassenpflegschaftsvorsitz", "Stellvertretung", "Schulkonferenz"});
    lookupTable("K_Fahrschuelerart", {"Schulbus", "Linienbus", "Bahn"}, &m_fahrschuelerIds);
    lookupTable("K_Foerderschwerpunkt", {"Lernen", "Sprache", "Emotionale und soziale Entwicklung", "Sehen"});
    {
        Inserter h = rowsOf(m_file, "K_Haltestelle", o);
        const std::vector<std::string> stops = {"Hauptbahnhof", "Roxel Kirche", "Gievenbeck Zentrum",
                                                "Kinderhaus Brüningheide", "Hiltrup Markt"};
        std::int64_t id = 0;
        for (const std::string& s : stops) {
            ++id;
            h.row({id, s, id, "+", "+", 1.5 * static_cast<double>(id), o});
            m_haltestelleIds.push_back(id);
            m_haltestellen.push_back(s);
        }
    }
    {
        Inserter k = rowsOf(m_file, "K_Kindergarten", o);
        k.row({1, "Kita Regenbogen", "48161", "Münster", street(), landline(m_rng), "kita-regenbogen@example.de",
               nullptr, 1, "+", o});
        k.row({2, "Familienzentrum St. Anna", "48149", "Münster", street(), landline(m_rng), nullptr, "katholisch", 2,
               "+", o});
    }
    {
        Inserter t = rowsOf(m_file, "K_Ortsteil", o);
        const std::vector<std::string> parts = {"Roxel", "Gievenbeck", "Kinderhaus", "Hiltrup", "Wolbeck", "Nienberge"};
        std::int64_t id = 0;
        for (const std::string& p : parts) {
            ++id;
            t.set("ID", id).set("Bezeichnung", p).set("Sortierung", id).set("Sichtbar", "+").set("Aenderbar", "+");
            t.set("Ort_ID", m_places.front().id).set("PLZ", m_places.front().plz);
            t.insert();
            m_ortsteilIds.push_back(id);
        }
    }
    lookupTable("K_Religion", {"katholisch", "evangelisch", "islamisch", "ohne Bekenntnis", "orthodox"},
                &m_religionIds);
    lookupTable("K_Schulfunktionen", {"Schulleitung", "Koordination Erprobungsstufe", "Oberstufenkoordination",
                                      "Beratungslehrkraft"});
    lookupTable("K_Schwerpunkt", {"MINT", "Sprachen", "Musik"});
    lookupTable("K_Sportbefreiung", {"ganzjährig", "Halbjahr", "vorübergehend"}, &m_sportbefreiungIds);
    {
        Inserter s = rowsOf(m_file, "K_Staat", o);
        s.row({1, "D", "Deutschland", "deutsch", 1, "+", o});
        s.row({2, "TR", "Türkei", "türkisch", 2, "+", o});
        s.row({3, "PL", "Polen", "polnisch", 3, "+", o});
        s.row({4, "NL", "Niederlande", "niederländisch", 4, "+", o});
        s.row({5, "SY", "Syrien", "syrisch", 5, "+", o});
    }
    {
        Inserter d = rowsOf(m_file, "K_Datenschutz", o);
        d.row({1, "Veröffentlichung von Fotos auf der Homepage", "FOTO_WEB", "Einwilligung nach Art. 6 DSGVO", 1, "+", o});
        d.row({2, "Weitergabe der Adresse an die Klassenpflegschaft", "ADR_KP", nullptr, 2, "+", o});
        d.row({3, "Nutzung der Lernplattform", "LMS", nullptr, 3, "+", o});
        m_datenschutzIds = {1, 2, 3};
    }
    lookupTable("K_Telefonart", {"Eltern", "Mutter", "Vater", "Mobil", "Notfall", "Großeltern"}, &m_telefonartIds);
    {
        Inserter v = rowsOf(m_file, "K_Verkehrssprachen", o);
        v.row({1, "deu", "Deutsch", 1, "+", o});
        v.row({2, "tur", "Türkisch", 2, "+", o});
        v.row({3, "ara", "Arabisch", 3, "+", o});
    }
    lookupTable("K_Vermerkart", {"Allgemein", "Ordnungsmaßnahme", "Elterngespräch", "Gesundheit"}, &m_vermerkartIds);
    {
        Inserter z = rowsOf(m_file, "K_Zertifikate", o);
        z.row({1, "DELF", "DELF scolaire", o});
        z.row({2, "CAE", "Cambridge Advanced English", o});
        Inserter e = rowsOf(m_file, "K_Einzelleistungen", o);
        e.row({1, "Klassenarbeit", 1, "+", "+", 2.0, o});
        e.row({2, "Vokabeltest", 2, "+", "+", 1.0, o});
        e.row({3, "Referat", 3, "+", "+", 1.0, o});
        Inserter af = rowsOf(m_file, "K_Ankreuzfloskeln", o);
        af.row({1, m_subjectIds[0], 1, "05", "liest sinnerfassend", 1, "+", o});
        af.row({2, m_subjectIds[1], 1, "05", "rechnet sicher im Zahlenraum", 2, "+", o});
        Inserter ad = rowsOf(m_file, "K_Ankreuzdaten", o);
        ad.row({1, "sehr sicher", "sicher", "überwiegend sicher", "unsicher", "sehr unsicher", "nicht beurteilbar", o});
    }
    {
        Inserter v = rowsOf(m_file, "Edvara_Verwaltung", o);
        v.row({1, "3.4.12", dateTime(2019, 8, 1, 7, 55, 0), dateTime(2025, 3, 14, 18, 2, 11), o});
        Inserter l = rowsOf(m_file, "SchuelerListe", o);
        l.row({1, "AG Schulgarten", "Sekretariat", "-", o});
        l.row({2, "Busschüler Roxel", "Admin", "+", o});
        Inserter st = rowsOf(m_file, "Stundentafel", o);
        st.row({1, "Stufe 5", 1, "05", "   ", 1, "+", o});
        st.row({2, "Stufe 6", 2, "06", "   ", 2, "+", o});
        Inserter sf = rowsOf(m_file, "Stundentafel_Faecher", o);
        std::int64_t id = 0;
        for (int tafel = 1; tafel <= 2; ++tafel)
            for (std::size_t s = 0; s < 6; ++s)
                sf.row({++id, tafel, m_subjectIds[s], "PF", 4, static_cast<int>(s) + 1, "+", o});
        Inserter nm = rowsOf(m_file, "NichtMoeglAbiFachKombi", o);
        nm.row({1, m_subjectIds[11], m_subjectIds[12], "LK", "LK", 1, "Q1", "-", o});
        Inserter zr = rowsOf(m_file, "ZuordnungReportvorlagen", o);
        zr.row({1, 1, "Halbjahreszeugnis", nullptr, 0, nullptr, "Zeugnisse\\Halbjahr_SekI.rtm", "-", "Zeugnis", o});
        zr.row({2, 9, "Abiturzeugnis", nullptr, 1, nullptr, "Zeugnisse\\Abitur.rtm", "-", "Zeugnis", o});
    }
}

}  // namespace sample
