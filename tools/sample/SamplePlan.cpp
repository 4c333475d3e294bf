// Builds the school directory: every place gets primary schools and, by chance,
// schools of the other forms; Münster, the home of the own school, gets many. The
// target's other schools are mostly the primary schools of its own region, plus a
// few schools of other forms and four numbers outside 100000-200000.
#include "tools/sample/SamplePlan.h"

#include "tools/sample/SamplePools.h"
#include "tools/sample/SampleText.h"

#include <algorithm>
#include <set>

namespace sample {

namespace {

const std::vector<std::string> kPatrons = {
    "Ludgerus", "Marien", "Overberg", "Josef", "Lamberti", "Paul-Gerhardt", "Martin-Luther", "Kardinal-von-Galen",
    "Annette-von-Droste-Hülshoff", "Brüder-Grimm", "Erich-Kästner", "Astrid-Lindgren", "Wilhelm-Busch",
    "Hildegard", "Mauritz", "Liebfrauen", "Johannes", "Anne-Frank", "Geschwister-Scholl", "Friedrich-Fröbel",
    "Pestalozzi", "Regenbogen", "Sonnen", "Wald", "Eichendorff", "Kolping", "Aegidii", "Norbert",
    "Thomas-Morus", "Bodelschwingh", "Clemens", "Albert-Schweitzer", "Hermann-Hesse", "Matthias-Claudius"};

const std::vector<std::string> kSchoolStreets = {
    "Schulweg", "Am Schulzentrum", "Kirchplatz", "Von-Galen-Straße", "Bahnhofstraße", "Lindenallee",
    "Am Stadtpark", "Overbergplatz", "Mühlenstraße", "Dechant-Wessing-Straße", "Zum Schulhof",
    "Bischof-Ketteler-Weg", "Hansaring", "Sportplatzweg", "Schützenstraße"};

struct FormShape {
    const char* krz;
    const char* abez1;
    const char* suffix;  // appended to the patron in ABez2
    int percent;         // chance per place (primary schools: count instead)
};

const std::vector<FormShape> kShapes = {
    {"G", "Städt. Gemeinschaftsgrundschule", "schule", 0},
    {"H", "Städt. Gemeinschaftshauptschule", "schule", 35},
    {"R", "Städt. Realschule", "-Realschule", 55},
    {"SK", "Sekundarschule", "-Sekundarschule", 30},
    {"GE", "Städt. Gesamtschule", "-Gesamtschule", 35},
    {"GY", "Städt. Gymnasium", "-Gymnasium", 55},
    {"BK", "Berufskolleg", "-Berufskolleg", 25},
    {"S", "Förderschule", "schule", 30}};

std::string schoolNumber(SampleRandom& rng, std::set<std::string>& used)
{
    for (;;) {
        std::string nr = std::to_string(100001 + rng.below(99998));
        if (used.insert(nr).second)
            return nr;
    }
}

DirectorySchool makeSchool(SampleRandom& rng, const FormShape& shape, const Place& place, const std::string& nr)
{
    DirectorySchool s;
    const SchoolForm& form = schoolForm(shape.krz);
    s.nr = nr;
    s.formKrz = form.krz;
    s.formNr = form.nr;
    const std::string patron = rng.pick(kPatrons);
    s.abez1 = shape.abez1;
    std::string second = patron + shape.suffix;
    if (shape.suffix[0] != '-' && patron.find('-') != std::string::npos)
        second = patron + "-Schule";
    s.abez2 = second;
    s.abez3 = rng.chance(60) ? std::string(place.name) : std::string();
    if (std::string(shape.krz) == "S")
        s.abez3 = "Förderschwerpunkt Lernen";
    s.kurzBez = leftChars(std::string(shape.krz) + " " + second + " " + place.name, 40);
    s.strasse = rng.pick(kSchoolStreets);
    s.strasse += " " + std::to_string(1 + rng.below(80));
    s.plz = place.plz;
    s.ort = place.name;
    s.kreis = place.kreis ? place.kreis : "";
    const std::string tel = landline(rng);
    const auto blank = tel.find(' ');
    s.telVorw = tel.substr(0, blank);
    s.telefon = tel.substr(blank + 1);
    s.faxVorw = s.telVorw;
    s.fax = s.telefon.substr(0, s.telefon.size() - 1) + "9";
    s.email = nr + "@schule.nrw.de";
    s.homepage = rng.chance(70) ? "www." + mailPart(second) + "-" + mailPart(place.name) + ".de" : std::string();
    return s;
}

}  // namespace

SampleSize sampleSize(bool large, int factor)
{
    SampleSize s;
    if (large) {
        s.students = 2000;
        s.teachers = 160;
        s.classesPerGrade = 8;
        s.subjectsPerPeriod = 14;
        s.guardiansBase = 3;
        s.guardiansSpread = 2;
        s.schoolsInRange = 70;
        s.generalAddresses = 80;
    } else {
        s.students = 60;
        s.teachers = 24;
        s.classesPerGrade = 2;
        s.subjectsPerPeriod = 8;
        s.guardiansBase = 1;
        s.guardiansSpread = 4;
        s.schoolsInRange = 24;
        s.generalAddresses = 20;
    }
    s.students *= factor;
    s.teachers *= factor;
    s.classesPerGrade = std::min(s.classesPerGrade * factor, kMaxClassesPerGrade);
    s.generalAddresses *= factor;
    return s;
}

bool inSchoolRange(const std::string& number) { return number >= "100000" && number <= "200000"; }

SamplePlan makePlan(const SampleSize& size, SampleRandom& rng)
{
    SamplePlan plan;
    std::set<std::string> used;

    // Places with a proper postal code, each once: first the own region (Münster and
    // the districts around it), then the rest.
    const std::set<std::string> regionDistricts = {"MS", "ST", "WAF", "COE"};
    std::vector<Place> places, farther;
    std::set<std::string> seen;
    for (const Place& p : targetPlaces())
        if (p.plz && std::string(p.plz).size() == 5 && seen.insert(p.name).second)
            (regionDistricts.count(p.kreis) ? places : farther).push_back(p);
    const std::size_t regionPlaces = places.size();
    places.insert(places.end(), farther.begin(), farther.end());
    for (const Place& p : directoryOnlyPlaces())
        places.push_back(p);

    for (std::size_t i = 0; i < places.size(); ++i) {
        const Place& place = places[i];
        const bool city = std::string(place.name) == "Münster";
        const int factor = city ? 5 : (i < regionPlaces ? 1 : 2);
        for (const FormShape& shape : kShapes) {
            int count = 0;
            if (std::string(shape.krz) == "G")
                count = factor * (2 + static_cast<int>(rng.below(3)));
            else
                for (int k = 0; k < factor; ++k)
                    count += rng.chance(shape.percent) ? 1 : 0;
            for (int k = 0; k < count; ++k)
                plan.directory.push_back(makeSchool(rng, shape, place, schoolNumber(rng, used)));
        }
    }

    // The own school: a Gymnasium in Münster.
    for (std::size_t i = 0; i < plan.directory.size(); ++i)
        if (plan.directory[i].formKrz == "GY" && plan.directory[i].ort == "Münster") {
            plan.ownSchool = i;
            break;
        }
    {
        DirectorySchool& own = plan.directory[plan.ownSchool];
        own.abez1 = "Städt. Gymnasium";
        own.abez2 = "Hildegard-von-Mauritz-Gymnasium";
        own.abez3 = "Münster";
        own.kurzBez = "GY HvM Münster";
        own.email = own.nr + "@schule.nrw.de";
        own.homepage = "www.hvm-gymnasium.example";
    }

    // Directory data is not clean: blanks around values, names and streets longer than
    // the target's columns, mail addresses over 40 characters, schools without any
    // telephone data or without a second and third name line.
    for (std::size_t i = 0; i < plan.directory.size(); i += 17) {
        if (i == plan.ownSchool)
            continue;
        DirectorySchool& s = plan.directory[i];
        switch ((i / 17) % 5) {
        case 0:
            s.abez1 = "  " + s.abez1 + " ";
            s.strasse = " " + s.strasse + "  ";
            break;
        case 1:
            s.abez2.clear();
            s.abez3.clear();
            break;
        case 2:
            s.telVorw.clear();
            s.telefon.clear();
            s.faxVorw.clear();
            s.fax.clear();
            break;
        case 3:
            s.strasse = "Straße des Bildungszentrums am Alten Stadtgraben, Eingang Nordseite 12-14";
            s.email = "sekretariat." + s.nr + "@schulverwaltung-der-stadt.nrw.de";
            break;
        default:
            s.abez3 = "Sekundarstufen I und II mit bilingualem Zweig und Ganztagsangebot im Verbund";
            s.email.clear();
            break;
        }
    }

    // Four schools far from the region have numbers outside the range.
    const std::vector<std::string> outside = {"099871", "200417", "310512", "052233"};
    std::vector<std::size_t> outsideIdx;
    for (std::size_t k = 0; k < outside.size(); ++k) {
        const std::size_t idx = plan.directory.size() - 1 - k * 7;
        plan.directory[idx].nr = outside[k];
        plan.directory[idx].email = outside[k] + "@schule.example";
        outsideIdx.push_back(idx);
    }

    // K_Schule: schools of the own region that students came from or left to.
    std::vector<std::size_t> primary, others;
    for (std::size_t i = 0; i < plan.directory.size(); ++i) {
        const DirectorySchool& s = plan.directory[i];
        bool region = false;
        for (std::size_t p = 0; p < regionPlaces; ++p)
            region = region || s.ort == places[p].name;
        if (!region || i == plan.ownSchool || !inSchoolRange(s.nr))
            continue;
        (s.formKrz == "G" ? primary : others).push_back(i);
    }
    const std::size_t wantOthers = static_cast<std::size_t>(size.schoolsInRange / 4);
    const std::size_t wantPrimary = static_cast<std::size_t>(size.schoolsInRange) - wantOthers;
    auto takeSome = [&](std::vector<std::size_t>& from, std::size_t n) {
        for (std::size_t k = 0; k < n && !from.empty(); ++k) {
            const std::size_t at = rng.below(from.size());
            plan.otherSchools.push_back(from[at]);
            from.erase(from.begin() + static_cast<std::ptrdiff_t>(at));
        }
    };
    takeSome(primary, wantPrimary);
    takeSome(others, wantOthers);
    for (std::size_t idx : outsideIdx)
        plan.otherSchools.push_back(idx);

    // Former schools that nobody keeps a record of.
    while (plan.unknownNumbers.size() < 3) {
        const std::string nr = schoolNumber(rng, used);
        plan.unknownNumbers.push_back(nr);
    }
    return plan;
}

}  // namespace sample
