// The student side of the sample target: students, guardians, telephone numbers,
// learning periods with performance rows, and the smaller tables that hang on a
// student. Layer: sample tool.
//
// Grades are dealt round-robin and classes by position, so the row counts of a size
// do not depend on the seed: --large always reaches its minimum counts.
#include "tools/sample/SampleContent.h"

#include "tools/sample/SamplePools.h"
#include "tools/sample/SampleText.h"
#include "tools/sample/TargetSchema.h"
#include "tools/sample/TargetWriter.h"

#include <algorithm>

namespace sample {

namespace {

Inserter tableRows(SqliteFile& file, const char* table, std::int64_t owner)
{
    Inserter ins(file, table, columnNames(targetTable(table)));
    ins.setDefault("SchulnrEigner", owner);
    return ins;
}

const std::vector<std::string> kGradesSekI = {"1", "1-", "2+", "2", "2-", "3+", "3", "3-", "4+", "4", "4-", "5", "6"};

std::string upperSchoolPoints(SampleRandom& rng)
{
    const int p = 3 + static_cast<int>(rng.below(13));
    return (p < 10 ? "0" : "") + std::to_string(p);
}

}  // namespace

struct TargetWriter::StudentTables {
    explicit StudentTables(SqliteFile& f, std::int64_t o)
        : schueler(tableRows(f, "Schueler", o)),
          erzAdr(tableRows(f, "SchuelerErzAdr", o)),
          telefone(tableRows(f, "SchuelerTelefone", o)),
          abschnitte(tableRows(f, "SchuelerLernabschnittsdaten", o)),
          leistungen(tableRows(f, "SchuelerLeistungsdaten", o)),
          fehlstunden(tableRows(f, "SchuelerFehlstunden", o)),
          psFachBem(tableRows(f, "SchuelerLD_PSFachBem", o)),
          zuweisungen(tableRows(f, "SchuelerZuweisungen", o)),
          einzelleistungen(tableRows(f, "SchuelerEinzelleistungen", o)),
          ankreuz(tableRows(f, "SchuelerAnkreuzfloskeln", o)),
          foerder(tableRows(f, "SchuelerFoerderempfehlungen", o)),
          fotos(tableRows(f, "SchuelerFotos", o)),
          vermerke(tableRows(f, "SchuelerVermerke", o)),
          wiedervorlage(tableRows(f, "SchuelerWiedervorlage", o)),
          datenschutz(tableRows(f, "SchuelerDatenschutz", o)),
          abgaenge(tableRows(f, "SchuelerAbgaenge", o)),
          sprachen(tableRows(f, "SchuelerSprachenfolge", o)),
          merkmale(tableRows(f, "SchuelerMerkmale", o)),
          kaoa(tableRows(f, "SchuelerKAoADaten", o)),
          gsDaten(tableRows(f, "SchuelerGSDaten", o)),
          stMerkmale(tableRows(f, "Schueler_ST_Merkmale", o)),
          abitur(tableRows(f, "SchuelerAbitur", o)),
          abiFaecher(tableRows(f, "SchuelerAbiFaecher", o)),
          fhr(tableRows(f, "SchuelerFHR", o)),
          fhrFaecher(tableRows(f, "SchuelerFHRFaecher", o)),
          bkAbschluss(tableRows(f, "SchuelerBKAbschluss", o)),
          bkFaecher(tableRows(f, "SchuelerBKFaecher", o)),
          allgAdr(tableRows(f, "Schueler_AllgAdr", o)),
          listeInhalt(tableRows(f, "SchuelerListe_Inhalt", o)),
          erzFunktion(tableRows(f, "SchuelerErzFunktion", o))
    {
    }
    Inserter schueler, erzAdr, telefone, abschnitte, leistungen, fehlstunden, psFachBem, zuweisungen,
        einzelleistungen, ankreuz, foerder, fotos, vermerke, wiedervorlage, datenschutz, abgaenge, sprachen,
        merkmale, kaoa, gsDaten, stMerkmale, abitur, abiFaecher, fhr, fhrFaecher, bkAbschluss, bkFaecher, allgAdr,
        listeInhalt, erzFunktion;
};

std::string TargetWriter::gradeName(int grade)
{
    static const char* names[] = {"05", "06", "07", "08", "09", "10", "EF", "Q1", "Q2"};
    return names[grade];
}

std::string TargetWriter::fullName(bool female)
{
    const std::string first = personFirstName(female);
    return first + " " + personSurname();
}

std::size_t TargetWriter::classIndexOf(const std::string& name) const
{
    for (std::size_t i = 0; i < m_classes.size(); ++i)
        if (m_classes[i].name == name)
            return i;
    return 0;
}

std::string TargetWriter::formerSchool()
{
    std::vector<std::size_t> primary, otherForms, outside;
    for (std::size_t idx : m_plan.otherSchools) {
        const DirectorySchool& s = m_plan.directory[idx];
        if (!inSchoolRange(s.nr))
            outside.push_back(idx);
        else
            (s.formKrz == "G" ? primary : otherForms).push_back(idx);
    }
    const std::uint64_t r = m_rng.below(100);
    if (r < 70 && !primary.empty())
        return m_plan.directory[m_rng.pick(primary)].nr;
    if (r < 80 && !otherForms.empty())
        return m_plan.directory[m_rng.pick(otherForms)].nr;
    if (r < 85 && !outside.empty())
        return m_plan.directory[m_rng.pick(outside)].nr;
    if (r < 90) {
        // A school of the directory that the target does not list.
        for (int attempt = 0; attempt < 50; ++attempt) {
            const std::size_t idx = m_rng.below(m_plan.directory.size());
            if (idx != m_plan.ownSchool &&
                std::find(m_plan.otherSchools.begin(), m_plan.otherSchools.end(), idx) == m_plan.otherSchools.end())
                return m_plan.directory[idx].nr;
        }
    }
    if (r < 93)
        return m_rng.pick(m_plan.unknownNumbers);
    return {};
}

void TargetWriter::writeStudents()
{
    StudentTables t(m_file, m_owner);
    std::int64_t id = 0;
    for (int i = 0; i < m_size.students; ++i) {
        id += 1 + (m_rng.chance(6) ? 1 : 0);
        Student s;
        s.id = id;
        s.index = i;
        s.grade = i % 9;
        const int perGrade = s.grade < 6 ? m_size.classesPerGrade : 1;
        std::vector<std::size_t> ofGrade;
        for (std::size_t k = 0; k < m_classes.size(); ++k)
            if (m_classes[k].grade == s.grade)
                ofGrade.push_back(k);
        s.classIndex = ofGrade[static_cast<std::size_t>((i / 9) % perGrade)];
        writeStudentRow(t, s);
    }
}

void TargetWriter::writeStudentRow(StudentTables& t, const Student& in)
{
    Student s = in;
    const int i = s.index;
    Value gender = m_rng.chance(52) ? 4 : 3;
    if (i % 41 == 3)
        gender = Value();
    else if (i % 41 == 7)
        gender = 5;
    const bool female = gender.kind() != Value::Kind::Integer || gender.integer() != 3;
    s.name = personSurname();
    s.firstName = i % 50 == 10 ? std::string() : personFirstName(female);
    s.street = street();
    s.place = homePlace();

    const int birthYear = 2013 - s.grade + (m_rng.chance(20) ? 1 : 0);
    const std::string birth = randomDate(m_rng, birthYear, birthYear);
    const bool photo = m_rng.chance(35);
    Value fotoFlag = photo ? "+" : "-";
    if (!photo && i % 13 == 6)
        fotoFlag = Value();
    const bool left = i % 29 == 13;
    const bool bus = m_rng.chance(20);
    const std::size_t stop = m_rng.below(m_haltestellen.size());
    static const std::vector<std::string> abroad = {"Warschau", "Ankara", "Aleppo", "Kiew", "Enschede", "Danzig"};
    const std::string birthPlace = m_rng.chance(85) ? m_rng.pick(m_places).name : m_rng.pick(abroad);
    const std::string lsSchool = formerSchool();
    const std::string mail = mailPart(s.firstName) + "." + mailPart(s.name);

    t.schueler.set("ID", s.id)
        .set("GU_ID", guid(m_rng))
        .set("Status", left ? 8 : 2)
        .set("Name", s.name)
        .set("Vorname", s.firstName)
        .set("Zusatz", m_rng.chance(5) ? Value("bei " + personSurname()) : Value())
        .set("Geburtsname", m_rng.chance(3) ? Value(personSurname()) : Value())
        .set("Strasse", s.street)
        .set("PLZ", s.place.plz)
        .set("OrtAbk", s.place.name)
        .set("Ortsteil_ID", m_rng.chance(30) ? Value(m_rng.pick(m_ortsteilIds)) : Value())
        .set("Telefon", landline(m_rng))
        .set("Fax", m_rng.chance(10) ? Value(landline(m_rng)) : Value())
        .set("Email", m_rng.chance(60) ? Value(mail + "@gmx.de") : Value())
        .set("SchulEmail", m_rng.chance(80) ? Value(mail + "@schueler.hvm-gymnasium.example") : Value())
        .set("Geschlecht", gender)
        .set("Geburtsdatum", i % 50 == 12 ? Value() : Value(birth))
        .set("Geburtsort", birthPlace)
        .set("StaatKrz", m_rng.chance(88) ? "D" : (m_rng.chance(50) ? "TR" : "PL"))
        .set("Religion_ID", m_rng.chance(85) ? Value(m_rng.pick(m_religionIds)) : Value())
        .set("Klasse", m_classes[s.classIndex].name)
        .set("Jahrgang", gradeName(s.grade))
        .set("Jahrgang_ID", s.grade + 1)
        .set("AktSchuljahr", 2024)
        .set("AktAbschnitt", 2)
        .set("Aufnahmedatum", dateTime(2024 - s.grade, 8, 1 + static_cast<int>(m_rng.below(20))))
        .set("Entlassdatum", left ? Value(dateTime(2025, 1, 31)) : Value())
        .set("LSSchulnr", lsSchool.empty() ? Value() : Value(lsSchool))
        .set("LSSchulformSIM", lsSchool.empty() ? Value() : Value("G"))
        .set("LSJahrgang", lsSchool.empty() ? Value() : Value("04"))
        .set("Sportbefreiung_ID", m_rng.chance(3) ? Value(m_rng.pick(m_sportbefreiungIds)) : Value())
        .set("Fahrschueler_ID", bus ? Value(m_rng.pick(m_fahrschuelerIds)) : Value())
        .set("Haltestelle_ID", bus ? Value(m_haltestelleIds[stop]) : Value())
        .set("HaltestelleAbk", bus ? Value(m_haltestellen[stop]) : Value())
        .set("Lehrer", m_rng.chance(3) ? Value(m_rng.pick(m_teachers).kuerzel) : Value())
        .set("FotoVorhanden", fotoFlag)
        .set("Bemerkungen", m_rng.chance(15) ? Value(m_rng.pick(remarkTexts())) : Value())
        .set("IDext", m_rng.chance(30) ? Value("EXT" + digits(m_rng, 6)) : Value())
        .set("ModifiziertVon", m_rng.chance(70) ? Value(m_loginNames[m_rng.below(3)]) : Value())
        .set("Dokumentenverzeichnis",
             m_rng.chance(40) ? Value("\\\\verwaltung-srv\\akten\\" + mailPart(s.name) + "_" + std::to_string(s.id))
                              : Value())
        .set("Sichtbar", "+");
    t.schueler.insert();

    if (photo)
        t.fotos.row({t.fotos.count() + 1, s.id, this->photo(150 + m_rng.below(250)), m_owner});
    if (left)
        t.abgaenge.row({t.abgaenge.count() + 1, s.id, "GY", "Umzug nach Niedersachsen", dateTime(2025, 1, 31),
                        gradeName(s.grade), m_owner});

    writeGuardians(t, s);
    writeTelephones(t, s);
    writePeriods(t, s);
    writeStudentExtras(t, s);
}

void TargetWriter::writeGuardians(StudentTables& t, const Student& s)
{
    const int count = m_size.guardiansBase + static_cast<int>(m_rng.below(static_cast<std::uint64_t>(m_size.guardiansSpread)));
    // The student's own entry (adult students, or parents who entered it so): Name1
    // and Vorname1 equal the student's names.
    const bool ownEntry = s.index % 10 == 1 || (s.grade >= 6 && m_rng.chance(40));
    for (int k = 0; k < count; ++k) {
        const std::int64_t id = t.erzAdr.count() + 1;
        const bool own = ownEntry && k == count - 1;
        const bool sameHousehold = k == 0 || own || m_rng.chance(60);
        const std::string street = sameHousehold ? s.street : this->street();
        const PlaceRow& place = sameHousehold ? s.place : homePlace();
        Value name1, vorname1, name2, vorname2, anrede1, anrede2;
        std::int64_t art = m_erzieherartIds[2];
        if (own) {
            name1 = s.name;
            vorname1 = s.firstName;
            art = m_erzieherartIds[3];
        } else if (k == 0) {
            anrede1 = "Frau";
            name1 = s.name;
            vorname1 = personFirstName(true);
            const std::uint64_t r = m_rng.below(100);
            if (r < 60) {
                anrede2 = "Herrn";
                name2 = s.name;
                vorname2 = personFirstName(false);
            } else if (r < 75) {
                anrede2 = "Herrn";
                name2 = personSurname();
                vorname2 = personFirstName(false);
            } else if (r < 90) {
                name2 = Value();
                art = m_erzieherartIds[0];
            } else {
                name2 = "";
                art = m_erzieherartIds[0];
            }
        } else {
            const bool female = m_rng.chance(50);
            anrede1 = female ? "Frau" : "Herrn";
            name1 = m_rng.chance(50) ? s.name : personSurname();
            vorname1 = m_rng.chance(90) ? Value(personFirstName(female)) : Value();
            art = m_erzieherartIds[m_rng.chance(50) ? 6 : 4 + m_rng.below(2)];
            if (m_rng.chance(20))
                name2 = "";
        }
        if (!own && k == count - 1 && s.index % 17 == 4)
            name1 = Value();
        t.erzAdr.set("ID", id)
            .set("Schueler_ID", s.id)
            .set("ErzieherArt_ID", art)
            .set("Anrede1", anrede1)
            .set("Name1", name1)
            .set("Vorname1", vorname1)
            .set("Anrede2", anrede2)
            .set("Name2", name2)
            .set("Vorname2", vorname2)
            .set("ErzStrasse", street)
            .set("ErzPLZ", place.plz)
            .set("ErzOrtsteil_ID", m_rng.chance(20) ? Value(m_rng.pick(m_ortsteilIds)) : Value())
            .set("ErzAnschreiben", k == 0 ? "+" : "-")
            .set("Sortierung", k + 1)
            .set("ErzEMail", m_rng.chance(60) ? Value(mailPart(s.name) + std::to_string(k + 1) + "@t-online.de") : Value())
            .set("ErzEMail2", m_rng.chance(20) ? Value(mailPart(s.name) + ".privat@web.de") : Value())
            .set("Erz1StaatKrz", "D")
            .set("Bemerkungen", m_rng.chance(5) ? Value("Sorgerecht liegt allein bei der Mutter.") : Value());
        t.erzAdr.insert();
        if (k == 0 && m_rng.chance(5))
            t.erzFunktion.row({t.erzFunktion.count() + 1, id, 1, 1, m_classes[s.classIndex].name, m_owner});
    }
}

void TargetWriter::writeTelephones(StudentTables& t, const Student& s)
{
    const int count = static_cast<int>(m_rng.below(4));
    for (int k = 0; k < count; ++k) {
        const bool mobil = m_rng.chance(50);
        t.telefone.row({t.telefone.count() + 1, s.id, m_rng.pick(m_telefonartIds), mobil ? mobile(m_rng) : landline(m_rng),
                        m_rng.chance(15) ? Value("nur nachmittags") : Value(), k + 1, "-", m_owner});
    }
}

void TargetWriter::writePeriods(StudentTables& t, const Student& s)
{
    // A fixed subject set per student; German, mathematics and English always.
    std::vector<std::size_t> order;
    for (std::size_t k = 3; k < subjects().size(); ++k)
        order.push_back(k);
    for (std::size_t k = order.size(); k > 1; --k)
        std::swap(order[k - 1], order[m_rng.below(k)]);
    order.insert(order.begin(), {0, 1, 2});
    order.resize(static_cast<std::size_t>(std::min<int>(m_size.subjectsPerPeriod, static_cast<int>(order.size()))));

    const std::string& className = m_classes[s.classIndex].name;
    for (const Period& p : kPeriods) {
        const bool previousYear = p.jahr == 2023;
        if (previousYear && s.grade == 0)
            continue;  // was at a primary school then
        const int grade = previousYear ? s.grade - 1 : s.grade;
        std::string klasse = className;
        if (previousYear) {
            if (grade < 5)
                klasse = std::to_string(grade + 5) + className.back();
            else if (grade == 5)
                klasse = "10" + std::string(1, static_cast<char>('a' + s.index % m_size.classesPerGrade));
            else
                klasse = gradeName(grade);
        }
        const std::size_t classIndex = classIndexOf(klasse);
        const std::int64_t abschnittId = m_nextAbschnitt++;
        t.abschnitte.set("ID", abschnittId)
            .set("Schueler_ID", s.id)
            .set("Jahr", p.jahr)
            .set("Abschnitt", p.abschnitt)
            .set("WechselNr", 0)
            .set("Schulbesuchsjahre", grade + 5)
            .set("Jahrgang_ID", grade + 1)
            .set("ASDJahrgang", gradeName(grade))
            .set("Klasse", klasse)
            .set("Klassenlehrer", m_classes[classIndex].teacher)
            .set("Schulgliederung", "   ")
            .set("Versetzung", p.abschnitt == 2 && previousYear ? Value("V") : Value())
            .set("SumFehlStd", static_cast<int>(m_rng.below(30)))
            .set("SumFehlStdU", static_cast<int>(m_rng.below(4)))
            .set("ZeugnisBem", m_rng.chance(15) ? Value(s.firstName + " " + m_rng.pick(reportTexts())) : Value())
            .set("Konferenzdatum", dateTime(p.jahr + 1, p.abschnitt == 1 ? 1 : 6, 20))
            .set("ZeugnisDatum", dateTime(p.jahr + 1, p.abschnitt == 1 ? 1 : 6, 27));
        t.abschnitte.insert();

        int sort = 0;
        for (std::size_t subject : order) {
            const std::int64_t leistungId = m_nextLeistung++;
            std::string fachlehrer = m_subjectTeacher[classIndex][subject];
            Value kursId, kursart = "PUK";
            if (grade >= 6) {
                const std::string key = std::to_string(p.jahr) + "/" + std::to_string(p.abschnitt) + "/" +
                                        std::to_string(grade) + "/" + std::to_string(subject);
                const Course& c = m_courses.at(key);
                fachlehrer = c.teacher;
                kursId = c.id;
                kursart = c.kursart;
            }
            Value zusatzkraft;
            if (leistungId == 1)
                zusatzkraft = m_teachers[0].kuerzel;
            else if (--m_zusatzkraftCountdown <= 0) {
                zusatzkraft = m_rng.pick(m_teachers).kuerzel;
                m_zusatzkraftCountdown = 15 + static_cast<std::int64_t>(m_rng.below(20));
            }
            const bool warning = m_rng.chance(4);
            t.leistungen.set("ID", leistungId)
                .set("Abschnitt_ID", abschnittId)
                .set("Fach_ID", m_subjectIds[subject])
                .set("Fachlehrer", fachlehrer)
                .set("Kursart", kursart)
                .set("KursartAllg", grade >= 6 ? Value(kursart.text().substr(0, 2)) : Value("PF"))
                .set("Kurs_ID", kursId)
                .set("NotenKrz", grade >= 6 ? upperSchoolPoints(m_rng) : m_rng.pick(kGradesSekI))
                .set("Warnung", warning ? "+" : "-")
                .set("Warndatum", warning ? Value(dateTime(p.jahr + (p.abschnitt == 1 ? 0 : 1), p.abschnitt == 1 ? 11 : 4, 15))
                                          : Value())
                .set("Wochenstunden", grade >= 6 ? 3 : 2 + static_cast<int>(m_rng.below(3)))
                .set("FehlStd", static_cast<int>(m_rng.below(6)))
                .set("uFehlStd", m_rng.chance(10) ? 1 : 0)
                .set("Sortierung", ++sort)
                .set("Lernentw", grade < 6 && m_rng.chance(8) ? Value(s.firstName + " " + m_rng.pick(reportTexts())) : Value())
                .set("Gekoppelt", "-")
                .set("VorherAbgeschl", "-")
                .set("Zusatzkraft", zusatzkraft)
                .set("WochenstdZusatzkraft", zusatzkraft.kind() == Value::Kind::Null ? Value() : Value(1));
            t.leistungen.insert();
            if (m_rng.chance(2))
                t.einzelleistungen.row({t.einzelleistungen.count() + 1, dateTime(p.jahr, 11, 12), m_teachers[0].id, 1,
                                        "Klassenarbeit Nr. 2", leistungId, m_rng.pick(kGradesSekI), m_owner});
        }
        if (m_rng.chance(20))
            t.fehlstunden.row({t.fehlstunden.count() + 1, abschnittId, dateTime(p.jahr, 10, 7), m_subjectIds[order[0]],
                               2.0, 3, 4, m_rng.chance(70) ? "+" : "-", m_teachers[0].id, m_owner});
        if (m_rng.chance(25))
            t.psFachBem.row({t.psFachBem.count() + 1, abschnittId,
                             s.firstName + " arbeitet im Unterricht konzentriert mit.",
                             s.firstName + " liest flüssig und fehlerarm.", nullptr,
                             s.firstName + " erhält Förderunterricht in Mathematik.", nullptr, nullptr, m_owner});
        if (m_rng.chance(3))
            t.zuweisungen.row({t.zuweisungen.count() + 1, abschnittId, m_subjectIds[order[1]], "FÖ", m_owner});
        if (grade == 0 && m_rng.chance(30))
            t.ankreuz.row({t.ankreuz.count() + 1, abschnittId, m_subjectIds[0], 1, 2, m_owner});
        if (m_rng.chance(3))
            t.foerder.row({t.foerder.count() + 1, guid(m_rng), s.id, abschnittId, dateTime(p.jahr, 12, 1), klasse,
                           gradeName(grade), m_subjectIds[1], m_teachers[1].id,
                           "Grundrechenarten sicher anwenden", "Lernplan führen",
                           s.firstName + " soll Hausaufgaben regelmäßig erledigen.", m_owner});
    }
}

void TargetWriter::writeStudentExtras(StudentTables& t, const Student& s)
{
    if (m_rng.chance(20)) {
        const int n = 1 + static_cast<int>(m_rng.below(2));
        for (int k = 0; k < n; ++k)
            t.vermerke.row({t.vermerke.count() + 1, s.id, m_rng.pick(m_vermerkartIds), randomDate(m_rng, 2023, 2025),
                            s.firstName + ": " + m_rng.pick(remarkTexts()), m_loginNames[1], nullptr, m_owner});
    }
    if (m_rng.chance(5))
        t.wiedervorlage.row({t.wiedervorlage.count() + 1, s.id, "Attest von " + s.firstName + " nachreichen lassen",
                             dateTime(2025, 2, 3), dateTime(2025, 3, 17), nullptr, m_userIds[1], "+", "S", m_owner});
    for (std::int64_t ds : m_datenschutzIds)
        if (m_rng.chance(60))
            t.datenschutz.row({t.datenschutz.count() + 1, s.id, ds, m_rng.chance(80) ? "+" : "-", m_owner});
    t.sprachen.row({t.sprachen.count() + 1, s.id, m_subjectIds[2], "E", "05", nullptr, "1", 1, nullptr, m_owner});
    if (s.grade >= 2)
        t.sprachen.row({t.sprachen.count() + 1, s.id, m_subjectIds[m_rng.chance(60) ? 3 : 4], nullptr, "07", nullptr,
                        "2", 1, nullptr, m_owner});
    if (m_rng.chance(10))
        t.merkmale.row({t.merkmale.count() + 1, s.id, m_rng.chance(50) ? "GTS" : "BIL", dateTime(2024, 8, 7), nullptr,
                        m_owner});
    if (s.grade >= 3 && s.grade <= 5 && m_rng.chance(50))
        t.kaoa.row({t.kaoa.count() + 1, s.id, 2024, 1, 1, 2, nullptr, nullptr, 3, "Praktikum in den Osterferien",
                    m_owner});
    if (s.grade == 0)
        t.gsDaten.row({t.gsDaten.count() + 1, s.id, 2, 2, 3, 2, "GY", "J", m_owner});
    if (m_rng.chance(5))
        t.stMerkmale.row({t.stMerkmale.count() + 1, s.id, "ZUZUG", "Zuzug aus dem Ausland", m_owner});
    if (s.grade == 8) {
        t.abitur.row({t.abitur.count() + 1, s.id, "+", nullptr, nullptr, nullptr, nullptr, m_owner});
        for (int k = 0; k < 4; ++k)
            t.abiFaecher.row({t.abiFaecher.count() + 1, s.id, m_subjectIds[static_cast<std::size_t>(k)],
                              subjects()[static_cast<std::size_t>(k)].krz, k < 2 ? "LK" : "GKS",
                              std::to_string(k + 1), nullptr, m_owner});
        if (t.bkAbschluss.count() < 2) {
            t.bkAbschluss.row({t.bkAbschluss.count() + 1, s.id, "-", "-", "-", nullptr, m_owner});
            t.bkFaecher.row({t.bkFaecher.count() + 1, s.id, m_subjectIds[0], "D", "3", nullptr, nullptr, m_owner});
        }
    }
    if (s.grade == 7 && m_rng.chance(10)) {
        t.fhr.row({t.fhr.count() + 1, s.id, "-", nullptr, nullptr, m_owner});
        t.fhrFaecher.row({t.fhrFaecher.count() + 1, s.id, m_subjectIds[1], "M", 24, m_owner});
    }
    if (s.grade == 4 && m_rng.chance(50))
        t.allgAdr.row({t.allgAdr.count() + 1, s.id, 1 + static_cast<std::int64_t>(m_rng.below(
                                                            static_cast<std::uint64_t>(m_size.generalAddresses))),
                       nullptr, 1, dateTime(2025, 1, 20), dateTime(2025, 2, 7), m_teachers[2].id,
                       "Schülerbetriebspraktikum", m_owner});
    if (m_rng.chance(5))
        t.listeInhalt.row({t.listeInhalt.count() + 1, 1 + static_cast<int>(m_rng.below(2)), s.id, m_owner});
}

}  // namespace sample
