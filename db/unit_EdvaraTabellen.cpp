// The table catalog as compiled-in data, and its emission in catalog order.
// Layer: database access; no database access here, the rows are fixed.
#include "db/unit_EdvaraTabellen.h"

#include <array>

namespace db {

namespace {

// The seven filter conditions, referred to by number in the rows below (0: none).
// The placeholders $J, $N, $S and $Status are left for the consumer to fill in.
const std::array<const char*, 8> kFilters = {
    "",
    "Jahr>=$J",
    "Kurs_ID in (select K.ID from Kurse K where K.Jahr>=$J and K.SchulnrEigner=$N)",
    "$Status and AktSchuljahr>=$J",
    "Schueler_ID in (select S.ID from Schueler S where $S and S.AktSchuljahr>=$J and S.SchulnrEigner=$N)",
    "Jahr>=$J and Schueler_ID in (select S.ID from Schueler S where $S and S.AktSchuljahr>=$J and "
    "S.SchulnrEigner=$N)",
    "Abschnitt_ID in (select A.ID from SchuelerLernabschnittsdaten A where A.Jahr>=$J and A.SchulnrEigner=$N and "
    "A.Schueler_ID in (select S.ID from Schueler S where $S and S.AktSchuljahr>=$J and S.SchulnrEigner=$N))",
    "Leistung_ID in (select L.ID from SchuelerLeistungsdaten L where L.Abschnitt_ID in (select A.ID from "
    "SchuelerLernabschnittsdaten A where A.Jahr>=$J and A.SchulnrEigner=$N and A.Schueler_ID in (select S.ID from "
    "Schueler S where $S and S.AktSchuljahr>=$J and S.SchulnrEigner=$N)))",
};

enum Mode : unsigned char {
    Kept,        // emitted in both modes
    FullOnly,    // left out in reduced mode
    Competence,  // full mode only, and only when competences are asked for
};

struct CatalogRow {
    const char* table;
    const char* category;
    unsigned char filter;
    Mode mode;
};

// The order is the emission order and part of the contract.
constexpr CatalogRow kCatalog[] = {
    {"EigeneSchule", "KD", 0, Kept},
    {"EigeneSchule_Fachklassen", "KD", 0, Kept},
    {"EigeneSchule_Faecher", "KD", 0, Kept},
    {"EigeneSchule_Jahrgaenge", "KD", 0, Kept},
    {"EigeneSchule_Kursart", "KD", 0, Kept},
    {"EigeneSchule_KursartAllg", "KD", 0, Kept},
    {"EigeneSchule_Merkmale", "KD", 0, Kept},
    {"EigeneSchule_Schulformen", "KD", 0, Kept},
    {"EigeneSchule_Texte", "KD", 0, FullOnly},
    {"EigeneSchule_Teilstandorte", "KD", 0, Kept},
    {"Fach_Gliederungen", "KD", 0, Kept},
    {"Floskelgruppen", "KD", 0, FullOnly},
    {"Floskeln", "KD", 0, FullOnly},
    {"EdvaraFilter", "KD", 0, FullOnly},
    {"K_Adressart", "KD", 0, FullOnly},
    {"K_Beschaeftigungsart", "KD", 0, Kept},
    {"K_Entlassgrund", "KD", 0, Kept},
    {"K_Erzieherart", "KD", 0, FullOnly},
    {"K_Erzieherfunktion", "KD", 0, FullOnly},
    {"K_Fahrschuelerart", "KD", 0, Kept},
    {"K_Foerderschwerpunkt", "KD", 0, Kept},
    {"K_Haltestelle", "KD", 0, Kept},
    {"K_Kindergarten", "KD", 0, Kept},
    {"K_Lehrer", "KD", 0, Kept},
    {"K_Ort", "KD", 0, Kept},
    {"K_Ortsteil", "KD", 0, Kept},
    {"K_Religion", "KD", 0, Kept},
    {"K_Schule", "KD", 0, Kept},
    {"K_Schulfunktionen", "KD", 0, Kept},
    {"K_Schwerpunkt", "KD", 0, Kept},
    {"K_Sportbefreiung", "KD", 0, Kept},
    {"K_Staat", "KD", 0, Kept},
    {"K_Datenschutz", "KD", 0, Kept},
    {"K_Telefonart", "KD", 0, FullOnly},
    {"K_Verkehrssprachen", "KD", 0, Kept},
    {"K_Vermerkart", "KD", 0, FullOnly},
    {"K_Zertifikate", "KD", 0, FullOnly},
    {"K_Einzelleistungen", "KD", 0, FullOnly},
    {"K_Ankreuzfloskeln", "KD", 0, FullOnly},
    {"K_Ankreuzdaten", "KD", 0, FullOnly},
    {"EigeneSchule_FachTeilleistungen", "KD", 0, FullOnly},
    {"LehrerAbschnittsdaten", "AD", 0, FullOnly},
    {"LehrerAnrechnung", "KD", 0, FullOnly},
    {"LehrerEntlastung", "KD", 0, FullOnly},
    {"LehrerMehrleistung", "KD", 0, FullOnly},
    {"LehrerLehramt", "KD", 0, FullOnly},
    {"LehrerLehramtFachr", "KD", 0, FullOnly},
    {"LehrerLehramtLehrbef", "KD", 0, FullOnly},
    {"LehrerFunktionen", "KD", 0, FullOnly},
    {"LehrerFotos", "SD", 0, FullOnly},
    {"Lehrer_IMEI", "SD", 0, FullOnly},
    {"K_AllgAdresse", "KD", 0, FullOnly},
    {"AllgAdrAnsprechpartner", "KD", 0, FullOnly},
    {"Kurse", "AD", 1, Kept},
    {"KursLehrer", "AD", 2, FullOnly},
    {"Edvara_Verwaltung", "KD", 0, FullOnly},
    {"SchuelerListe", "KD", 0, FullOnly},
    {"Stundentafel", "KD", 0, FullOnly},
    {"Versetzung", "KD", 0, Kept},
    {"EigeneSchule_Abteilungen", "KD", 0, FullOnly},
    {"EigeneSchule_Abt_Kl", "KD", 0, FullOnly},
    {"Stundentafel_Faecher", "KD", 0, FullOnly},
    {"Schueler", "SD", 3, Kept},
    {"Schueler_AllgAdr", "SD", 4, FullOnly},
    {"SchuelerAbgaenge", "SD", 4, FullOnly},
    {"SchuelerTelefone", "SD", 4, FullOnly},
    {"SchuelerVermerke", "SD", 4, FullOnly},
    {"SchuelerFotos", "SD", 4, FullOnly},
    {"SchuelerFoerderempfehlungen", "FM", 4, FullOnly},
    {"SchuelerErzAdr", "SD", 4, FullOnly},
    {"SchuelerErzFunktion", "SD", 0, FullOnly},
    {"SchuelerListe_Inhalt", "SD", 4, FullOnly},
    {"SchuelerSprachenfolge", "SD", 4, FullOnly},
    {"SchuelerAbitur", "LD", 4, FullOnly},
    {"SchuelerAbiFaecher", "LD", 4, FullOnly},
    {"SchuelerLernabschnittsdaten", "AD", 5, Kept},
    {"SchuelerFehlstunden", "FZ", 6, FullOnly},
    {"SchuelerLD_PSFachBem", "AD", 6, FullOnly},
    {"SchuelerLeistungsdaten", "LD", 6, Kept},
    {"SchuelerEinzelleistungen", "LD", 7, FullOnly},
    {"SchuelerZuweisungen", "AD", 6, FullOnly},
    {"SchuelerBKAbschluss", "LD", 4, FullOnly},
    {"SchuelerBKFaecher", "LD", 4, FullOnly},
    {"SchuelerFHR", "LD", 4, FullOnly},
    {"SchuelerFHRFaecher", "LD", 4, FullOnly},
    {"SchuelerMerkmale", "SD", 4, FullOnly},
    {"SchuelerWiedervorlage", "SD", 4, FullOnly},
    {"SchuelerGSDaten", "SD", 4, FullOnly},
    {"Schueler_ST_Merkmale", "LD", 4, FullOnly},
    {"SchuelerKAoADaten", "SD", 4, FullOnly},
    {"SchuelerDatenschutz", "SD", 4, FullOnly},
    {"SchuelerAnkreuzfloskeln", "LD", 0, FullOnly},
    {"NichtMoeglAbiFachKombi", "KD", 0, FullOnly},
    {"ZuordnungReportvorlagen", "KD", 0, FullOnly},
    {"Personengruppen", "KD", 0, FullOnly},
    {"Personengruppen_Personen", "KD", 0, FullOnly},
    {"Logins", "KD", 0, FullOnly},
    {"Users", "KD", 0, FullOnly},
    {"Usergroups", "KD", 0, FullOnly},
    {"Kompetenzen", "KD", 0, Competence},
    {"Kompetenzgruppen", "KD", 0, Competence},
};

static_assert(std::size(kCatalog) == 101, "the catalog has 101 rows");

}  // namespace

void GetTableCatalog(util::StringList& TableNames, util::StringList* Filters, bool IncludeCompetences,
                     util::StringList* Categories, bool Reduced)
{
    for (const CatalogRow& row : kCatalog) {
        if (Reduced && row.mode != Kept)
            continue;
        if (row.mode == Competence && !IncludeCompetences)
            continue;
        TableNames.Add(QString::fromLatin1(row.table));
        if (Filters)
            Filters->Add(QString::fromLatin1(kFilters[row.filter]));
        if (Categories)
            Categories->Add(QString::fromLatin1(row.category));
    }
}

}  // namespace db
