// The pools themselves. Real place names with their postal codes; invented school
// names in the style of the directory.
#include "tools/sample/SamplePools.h"

#include <stdexcept>

namespace sample {

const std::vector<std::string>& originalSurnames()
{
    static const std::vector<std::string> v = {
        "Brinkhaus", "Oltmanns", "Terhorst", "Vennemann", "Wiesmann", "Hülsmann", "Kötter", "Brüggemann",
        "Möllering", "Südkamp", "Wältermann", "Kröning", "Schomaker", "Schoppe", "Schotte", "Overbeck",
        "Averbeck", "Bödeker", "Hüwe", "Niehues", "Tenbrink", "Uphoff", "Vorspohl", "Wessels", "Ahlert",
        "Bußmann", "Deitmer", "Elsing", "Feldhaus", "Gausepohl", "Haverkamp", "Holtkamp", "Isfort",
        "Jaspers", "Kampmann", "Kleinhans", "Lammers", "Mersmann", "Nienaber", "Ostendorf", "Pöppelmann",
        "Quante", "Rengers", "Sandmann", "Tegeler", "Upmeier", "Volmer", "Wilmsen", "Zurhorst", "Beermann",
        "Brockhoff", "Dirksen", "Epping", "Frieling", "Gerdes", "Hemsing", "Hölker", "Jöhren", "Kordes",
        "Lohmöller", "Mense", "Niggemeier", "Oeing", "Pieperhoff", "Rüschhoff", "Sökeland", "Telljohann",
        "Uhlenbrock", "Vieth", "Wenning", "Wüllner", "Ahlmann", "Bäumer", "Dabrock", "Eilers", "Fortmann",
        "Gövert", "Höing", "Ilbertz", "Jürgenhake", "Kuhlhoff", "Lübbering", "Mersch", "Nünning",
        "Ossenbrink", "Pelster", "Rottmann", "Twenhöven", "Volkenborn", "Wigger", "Zumdick", "Ahmann",
        "Bröcker", "Eßling", "Fleige", "Grothues", "Hüttemann", "Laumann", "Mühlenbeck", "Nordhoff",
        "Osthoff", "Pellengahr", "Roßmöller", "Schwieters", "Tüns", "Vinnenberg", "Wördemann",
        "Ahlbäumer", "ter Haar", "Ey", "Große-Kleimann", "Lütke Wöstmann", "Droste", "Everding",
        "Hagedorn", "Kleinfeld", "Mönkediek", "Stöppelkamp"};
    return v;
}

const std::vector<std::string>& originalMaleFirstNames()
{
    static const std::vector<std::string> v = {
        "Adalbert", "Alwin", "Anselm", "Aurel", "Balduin", "Bertram", "Dankwart", "Degenhard", "Eckart",
        "Ekkehard", "Elmar", "Ewald", "Florentin", "Fridolin", "Gebhard", "Gernot", "Giselher", "Godehard",
        "Gunther", "Hartwig", "Heribert", "Hilmar", "Immanuel", "Jobst", "Jodokus", "Kunibert", "Leberecht",
        "Lienhard", "Meinolf", "Notker", "Odo", "Ottokar", "Pankraz", "Raimund", "Reinold", "Rochus",
        "Sebald", "Sigurd", "Tassilo", "Theobald", "Udo", "Volkhard", "Wigand", "Wunibald", "Gottlieb",
        "Hubertus", "Laurentius", "Benno", "Egbert", "Gisbert", "Ludger", "Wigbert", "Günther", "Hans-Jobst",
        "Bonifatius", "Karl-Ludger"};
    return v;
}

const std::vector<std::string>& originalFemaleFirstNames()
{
    static const std::vector<std::string> v = {
        "Adelgunde", "Alwine", "Amalie", "Apollonia", "Aurelia", "Benedikta", "Bernadette", "Brunhilde",
        "Clothilde", "Cordula", "Dietlinde", "Editha", "Eleonore", "Emerentia", "Euphemia", "Friedlinde",
        "Genoveva", "Gerlinde", "Gertrude", "Griseldis", "Helmtrud", "Hermine", "Ingrun", "Irmtraud",
        "Jolanthe", "Kunigunde", "Leokadia", "Liesel", "Luitgard", "Notburga", "Odilia", "Ortrun",
        "Philomena", "Radegunde", "Rosalinde", "Rotraut", "Scholastika", "Walburga", "Wilhelmine",
        "Adelinde", "Berenike", "Edelgard", "Gunhild", "Heidrun", "Hannelore", "Ilsabe", "Irmhild",
        "Kriemhild", "Theodora", "Ursel", "Veronika", "Wendelgard", "Dörthe", "Gönül", "Änne", "Brigitta"};
    return v;
}

const std::vector<std::string>& originalStreets()
{
    static const std::vector<std::string> v = {
        "Ludgeristraße", "Overbergstraße", "Hammer Straße", "Warendorfer Straße", "Grevener Straße",
        "Weseler Straße", "Steinfurter Straße", "Wolbecker Straße", "Hörsterstraße", "Prinzipalmarkt",
        "Salzstraße", "Spiekerhof", "Rothenburg", "Aegidiistraße", "Bispinghof", "Krummer Timpen",
        "Von-Vincke-Straße", "Hüfferstraße", "Kanalstraße", "Dingstiege", "Gievenbecker Weg",
        "Roxeler Straße", "Nienberger Kirchweg", "Sentruper Straße", "Mecklenbecker Straße",
        "Amelsbürener Straße", "Hiltruper Straße", "Kinderhauser Straße", "Coerdestraße", "Piusallee",
        "Mauritztor", "Schifffahrter Damm", "Gasselstiege", "Zumsandestraße", "Heekweg",
        "Uppenkampstiege", "Lütkenbecker Weg", "Dyckburgstraße", "Pleistermühlenweg", "Kesslerweg",
        "Düesbergweg", "Geiststraße", "Manfred-von-Richthofen-Straße", "Am Stadtgraben", "Tibusstraße",
        "Breul", "Neubrückenstraße", "Jüdefelderstraße", "Königsstraße", "Kreuzschanze", "Bohlweg",
        "Wienburgstraße", "Am Grünen Grund", "Sprakeler Straße", "Handorfer Straße"};
    return v;
}

const std::vector<Place>& targetPlaces()
{
    static const std::vector<Place> v = {
        {"48143", "Münster", "MS"},      {"48145", "Münster", "MS"},        {"48149", "Münster", "MS"},
        {"48151", "Münster", "MS"},      {"48155", "Münster", "MS"},        {"48157", "Münster", "MS"},
        {"48159", "Münster", "MS"},      {"48161", "Münster", "MS"},        {"48165", "Münster", "MS"},
        {"48167", "Münster", "MS"},      {"48268", "Greven", "ST"},         {"48291", "Telgte", "WAF"},
        {"48231", "Warendorf", "WAF"},   {"48653", "Coesfeld", "COE"},      {"48249", "Dülmen", "COE"},
        {"48565", "Steinfurt", "ST"},    {"48282", "Emsdetten", "ST"},      {"48431", "Rheine", "ST"},
        {"49477", "Ibbenbüren", "ST"},   {"59348", "Lüdinghausen", "COE"},  {"48308", "Senden", "COE"},
        {"48301", "Nottuln", "COE"},     {"48329", "Havixbeck", "COE"},     {"59387", "Ascheberg", "COE"},
        {"48317", "Drensteinfurt", "WAF"}, {"48351", "Everswinkel", "WAF"}, {"48324", "Sendenhorst", "WAF"},
        {"59227", "Ahlen", "WAF"},       {"48346", "Ostbevern", "WAF"},     {"48341", "Altenberge", "ST"},
        {"48356", "Nordwalde", "ST"},    {"48369", "Saerbeck", "ST"},       {"49549", "Ladbergen", "ST"},
        {"49525", "Lengerich", "ST"},    {"48336", "Sassenberg", "WAF"},    {"48361", "Beelen", "WAF"},
        {"50667", "Köln", "K"},          {"53111", "Bonn", "BN"},           {"40213", "Düsseldorf", "D"},
        {"58507", "Lüdenscheid", "MK"},  {"4400", "Münster", "MS"},         {"4402", "Greven", "ST"},
        {"440 ", "Telgte", "WAF"},       {nullptr, "Ausland", nullptr}};
    return v;
}

const std::vector<Place>& directoryOnlyPlaces()
{
    static const std::vector<Place> v = {
        {"33602", "Bielefeld", "BI"},   {"33330", "Gütersloh", "GT"},    {"49074", "Osnabrück", "OS"},
        {"44135", "Dortmund", "DO"},    {"45127", "Essen", "E"},         {"44787", "Bochum", "BO"},
        {"41061", "Mönchengladbach", "MG"}, {"45879", "Gelsenkirchen", "GE"}, {"45657", "Recklinghausen", "RE"},
        {"59065", "Hamm", "HAM"},       {"59269", "Beckum", "WAF"},      {"49545", "Tecklenburg", "ST"},
        {"49492", "Westerkappeln", "ST"}, {"46395", "Bocholt", "BOR"},   {"46325", "Borken", "BOR"},
        {"48683", "Ahaus", "BOR"},      {"48599", "Gronau", "BOR"},      {"59302", "Oelde", "WAF"},
        {"33378", "Rheda-Wiedenbrück", "GT"}, {"32052", "Herford", "HF"}, {"32423", "Minden", "MI"},
        {"33098", "Paderborn", "PB"},   {"59494", "Soest", "SO"},        {"59755", "Arnsberg", "HSK"},
        {"57072", "Siegen", "SI"},      {"52062", "Aachen", "AC"},       {"47051", "Duisburg", "DU"},
        {"42103", "Wuppertal", "W"},    {"58095", "Hagen", "HA"},        {"46045", "Oberhausen", "OB"}};
    return v;
}

const std::vector<SchoolForm>& schoolForms()
{
    static const std::vector<SchoolForm> v = {
        {"G", "02", "Grundschule"},    {"H", "04", "Hauptschule"},         {"R", "10", "Realschule"},
        {"SK", "14", "Sekundarschule"}, {"GE", "15", "Gesamtschule"},       {"GY", "20", "Gymnasium"},
        {"BK", "30", "Berufskolleg"},  {"S", "41", "Förderschule"}};
    return v;
}

const SchoolForm& schoolForm(const std::string& krz)
{
    for (const SchoolForm& f : schoolForms())
        if (krz == f.krz)
            return f;
    throw std::logic_error("no school form " + krz);
}

const std::vector<Subject>& subjects()
{
    static const std::vector<Subject> v = {
        {"D", "Deutsch", "D"},          {"M", "Mathematik", "M"},     {"E", "Englisch", "E"},
        {"F", "Französisch", "F"},      {"L", "Latein", "L"},         {"BI", "Biologie", "BI"},
        {"CH", "Chemie", "CH"},         {"PH", "Physik", "PH"},       {"EK", "Erdkunde", "EK"},
        {"GE", "Geschichte", "GE"},     {"PK", "Politik", "PK"},      {"KR", "Katholische Religionslehre", "KR"},
        {"ER", "Evangelische Religionslehre", "ER"}, {"PL", "Praktische Philosophie", "PP"},
        {"SP", "Sport", "SP"},          {"MU", "Musik", "MU"},        {"KU", "Kunst", "KU"},
        {"IF", "Informatik", "IF"}};
    return v;
}

const std::vector<std::string>& remarkTexts()
{
    static const std::vector<std::string> v = {
        "Mutter bittet um Rückruf wegen Klassenfahrt.",
        "Attest liegt vor, Sportbefreiung bis zu den Herbstferien.",
        "Allergie gegen Nüsse – bei Ausflügen beachten!",
        "Eltern getrennt lebend, Auskunft nur an die Mutter.",
        "Nachteilsausgleich bei Klassenarbeiten (Zeitzugabe 15 Minuten).",
        "Fahrschüler, Bus fährt um 13:05 Uhr.",
        "Hat im Schulchor mitgewirkt; Urkunde beim Sommerfest überreicht.",
        "Schulbescheinigung für das Jugendamt ausgestellt.",
        "Gespräch mit Schulsozialarbeit am 12.03. vereinbart.",
        "Wechsel in die Parallelklasse auf Wunsch der Eltern."};
    return v;
}

const std::vector<std::string>& reportTexts()
{
    static const std::vector<std::string> v = {
        "zeigt im Unterricht großes Interesse und arbeitet zuverlässig mit.",
        "sollte die Hausaufgaben regelmäßiger und sorgfältiger anfertigen.",
        "beteiligt sich rege am Unterrichtsgespräch und hilft Mitschülerinnen und Mitschülern.",
        "hat ihre/seine Leistungen im Laufe des Halbjahres deutlich verbessert.",
        "arbeitet selbstständig und präsentiert Ergebnisse anschaulich.",
        "benötigt noch Unterstützung beim Strukturieren längerer Texte."};
    return v;
}

}  // namespace sample
