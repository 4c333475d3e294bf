// Column lists of the sample target database. Sizes follow the product where its
// conventions are known; where the anonymiser writes a value, the column is wide
// enough for the longest value it writes (abbreviations up to 10 characters,
// "DUMMY", telephone numbers with prefix, addresses built from the name lists).
#include "tools/sample/TargetSchema.h"

#include <stdexcept>

namespace sample {

namespace {

// Lookup tables of the product share one shape.
std::string lookup(const std::string& extra = {}) { return "ID:key Bezeichnung:t50 Sortierung:int Sichtbar:flag Aenderbar:flag " + extra; }

std::vector<TableDef> buildTargetTables()
{
    std::vector<TableDef> t;
    t.push_back(makeTable("EigeneSchule",
        "ID:key SchulformNr:t2 SchulformKrz:t2 SchulformBez:t50 SchultraegerArt:t2 SchultraegerNr:t6 "
        "Schulnr:t6 Bezeichnung1:t50 Bezeichnung2:t50 Bezeichnung3:t50 Strasse:t50 PLZ:t10 Ort:t50 "
        "Telefon:t20 Fax:t20 EMail:t100 Homepage:t80 SchulLogo:bin SchulleiterName:t40 "
        "SchulleiterVorname:t40 SchulleiterAmtsbez:t40 SchulleiterGeschlecht:int StvSchulleiterName:t40 "
        "StvSchulleiterVorname:t40 StvSchulleiterAmtsbez:t40 StvSchulleiterGeschlecht:int Schuljahr:int "
        "SchuljahrAbschnitt:int AnzahlAbschnitte:int Einstellungen:memo"));
    t.push_back(makeTable("EigeneSchule_Fachklassen",
        "ID:key BKIndex:small FKS:t3 AP:t2 Bezeichnung:t100 Sortierung:int Sichtbar:flag"));
    t.push_back(makeTable("EigeneSchule_Faecher",
        "ID:key FachKrz:t20 Bezeichnung:t80 ZeugnisBez:t130 StatistikKrz:t2 Sortierung:int "
        "IstFremdsprache:flag Unterrichtssprache:t1 Sichtbar:flag", {"FachKrz"}));
    t.push_back(makeTable("EigeneSchule_Jahrgaenge",
        "ID:key InternKrz:t20 ASDJahrgang:t2 ASDBezeichnung:t100 Sortierung:int Sichtbar:flag"));
    t.push_back(makeTable("EigeneSchule_Kursart",
        "ID:key Kursart:t5 Bezeichnung:t120 InternBez:t20 KursartAllg:t5 Sortierung:int Sichtbar:flag"));
    t.push_back(makeTable("EigeneSchule_KursartAllg", "ID:key KursartAllg:t5 Bezeichnung:t120 Sortierung:int"));
    t.push_back(makeTable("EigeneSchule_Merkmale", "ID:key Schule:t10 Kurztext:t10 Langtext:t100"));
    t.push_back(makeTable("EigeneSchule_Schulformen",
        "ID:key SGL:t3 SF_SGL:t5 Schulform:t100 DoppelQualifikation:flag Sortierung:int Sichtbar:flag"));
    t.push_back(makeTable("EigeneSchule_Texte",
        "ID:key Kuerzel:t50 Inhalt:memo Beschreibung:t100 Aenderbar:flag"));
    t.push_back(makeTable("EigeneSchule_Teilstandorte",
        "ID:key AdrMerkmal:t1 PLZ:t10 Ort:t50 Strasse:t50 Bemerkung:t50 Kuerzel:t30"));
    t.push_back(makeTable("Fach_Gliederungen",
        "ID:key Fach_ID:int Gliederung:t3 Faechergruppe:int GewichtungAB:int GewichtungBB:int Sortierung:int"));
    t.push_back(makeTable("Floskelgruppen", "ID:key Kuerzel:t10 Hauptgruppe:t4 Bezeichnung:t50 Farbe:int"));
    t.push_back(makeTable("Floskeln",
        "ID:key Kuerzel:t10 FloskelText:memo FloskelGruppe:t10 FloskelFach:t20 FloskelNiveau:t2 FloskelJahrgang:t2"));
    t.push_back(makeTable("EdvaraFilter",
        "ID:key Art:t1 Name:t50 Beschreibung:t255 Tabellen:t255 Bedingung:memo"));
    t.push_back(makeTable("K_Adressart", lookup()));
    t.push_back(makeTable("K_Beschaeftigungsart", lookup("Kuerzel:t2")));
    t.push_back(makeTable("K_Entlassgrund", lookup()));
    t.push_back(makeTable("K_Erzieherart", lookup("ExportBez:t20")));
    t.push_back(makeTable("K_Erzieherfunktion", lookup()));
    t.push_back(makeTable("K_Fahrschuelerart", lookup()));
    t.push_back(makeTable("K_Foerderschwerpunkt", lookup("StatistikKrz:t2")));
    t.push_back(makeTable("K_Haltestelle", lookup("EntfernungSchule:dbl")));
    t.push_back(makeTable("K_Kindergarten",
        "ID:key Bezeichnung:t100 PLZ:t10 Ort:t50 Strasse:t50 Tel:t20 Email:t100 Bemerkung:t50 "
        "Sortierung:int Sichtbar:flag"));
    t.push_back(makeTable("K_Lehrer",
        "ID:key GU_ID:t40 Kuerzel:t10 LIDKrz:t10 Nachname:t120 Vorname:t80 Anrede:t10 Titel:t20 "
        "Geschlecht:int Amtsbezeichnung:t15 Strasse:t55 PLZ:t10 Ort_ID:int Ortsteil_ID:int Tel:t20 "
        "Handy:t20 Email:t100 EMailDienstlich:t100 Geburtsdatum:dt IdentNr1:t10 SerNr:t5 StaatKrz:t3 "
        "StammschulNr:t6 LBVNr:t15 PANr:t20 VorgangsNr:t20 LPassword:t255 PersonalTyp:t10 "
        "DatumZugang:dt DatumAbgang:dt Sortierung:int Sichtbar:flag Aenderbar:flag",
        {"!Kuerzel", "Nachname,Vorname", "Ort_ID", "Ortsteil_ID", "StammschulNr"}));
    t.push_back(makeTable("K_Ort",
        "ID:key PLZ:t10 Bezeichnung:t50 Kreis:t3 Land:t2 Sortierung:int Sichtbar:flag Aenderbar:flag",
        {"PLZ", "Bezeichnung"}));
    t.push_back(makeTable("K_Ortsteil", lookup("Ort_ID:int PLZ:t10"), {"Ort_ID"}));
    t.push_back(makeTable("K_Religion", lookup("StatistikKrz:t10 Zeugnisbezeichnung:t50")));
    t.push_back(makeTable("K_Schule",
        "ID:key SchulNr:t6 SchulNr_SIM:t6 Name:t100 SchulformNr:t2 SchulformKrz:t2 SchulformBez:t50 "
        "Strasse:t50 PLZ:t10 Ort:t50 Telefon:t20 Fax:t20 Email:t40 KurzBez:t40 Schulleiter:t40 "
        "Sortierung:int Sichtbar:flag Aenderbar:flag",
        {"SchulNr"}));
    t.push_back(makeTable("K_Schulfunktionen", lookup()));
    t.push_back(makeTable("K_Schwerpunkt", lookup()));
    t.push_back(makeTable("K_Sportbefreiung", lookup()));
    t.push_back(makeTable("K_Staat", "ID:key StaatKrz:t3 Land:t80 Nationalitaet:t80 Sortierung:int Sichtbar:flag"));
    t.push_back(makeTable("K_Datenschutz",
        "ID:key Bezeichnung:t250 Schluessel:t20 Beschreibung:memo Sortierung:int Sichtbar:flag"));
    t.push_back(makeTable("K_Telefonart", lookup()));
    t.push_back(makeTable("K_Verkehrssprachen", "ID:key Kurztext:t10 Langtext:t250 Sortierung:int Sichtbar:flag"));
    t.push_back(makeTable("K_Vermerkart", lookup()));
    t.push_back(makeTable("K_Zertifikate", "ID:key Kuerzel:t5 Bezeichnung:t50"));
    t.push_back(makeTable("K_Einzelleistungen", lookup("Gewichtung:dbl")));
    t.push_back(makeTable("K_Ankreuzfloskeln",
        "ID:key Fach_ID:int Niveau:byte Jahrgang:t2 FloskelText:t255 Sortierung:int Sichtbar:flag"));
    t.push_back(makeTable("K_Ankreuzdaten",
        "ID:key TextStufe1:t30 TextStufe2:t30 TextStufe3:t30 TextStufe4:t30 TextStufe5:t30 BezeichnungSONST:t100"));
    t.push_back(makeTable("EigeneSchule_FachTeilleistungen",
        "ID:key Fach_ID:int Teilleistung_ID:int Kursart:t5 Sortierung:int Gewichtung:dbl"));
    t.push_back(makeTable("LehrerAbschnittsdaten",
        "ID:key Lehrer_ID:int Jahr:int Abschnitt:int Rechtsverhaeltnis:t1 Beschaeftigungsart:t2 "
        "PflichtstdSoll:dbl Einsatzstatus:t1 StammschulNr:t6",
        {"StammschulNr"}));
    t.push_back(makeTable("LehrerAnrechnung",
        "ID:key Lehrer_ID:int AnrechnungsgrundKrz:t10 AnrechStd:dbl Jahr:int Abschnitt:int"));
    t.push_back(makeTable("LehrerEntlastung",
        "ID:key Lehrer_ID:int EntlastungsgrundKrz:t10 EntlastungStd:dbl Jahr:int Abschnitt:int"));
    t.push_back(makeTable("LehrerMehrleistung",
        "ID:key Lehrer_ID:int MehrleistungsgrundKrz:t10 MehrleistungStd:dbl Jahr:int Abschnitt:int"));
    t.push_back(makeTable("LehrerLehramt", "ID:key Lehrer_ID:int LehramtKrz:t10 LehramtAnerkennungKrz:t10"));
    t.push_back(makeTable("LehrerLehramtFachr", "ID:key Lehrer_ID:int FachrKrz:t10 FachrAnerkennungKrz:t10"));
    t.push_back(makeTable("LehrerLehramtLehrbef", "ID:key Lehrer_ID:int LehrbefKrz:t10 LehrbefAnerkennungKrz:t10"));
    t.push_back(makeTable("LehrerFunktionen", "ID:key Lehrer_ID:int Funktion_ID:int Jahr:int Abschnitt:int"));
    t.push_back(makeTable("LehrerFotos", "ID:key Lehrer_ID:int Foto:bin"));
    t.push_back(makeTable("Lehrer_IMEI", "ID:key Lehrer_ID:int IMEI:t20 Bemerkung:t50"));
    t.push_back(makeTable("K_AllgAdresse",
        "ID:key AllgAdrAdressArt:t30 AllgAdrName1:t120 AllgAdrName2:t120 AllgAdrStrasse:t55 AllgAdrPLZ:t10 "
        "AllgAdrOrt_ID:int AllgAdrOrtsteil_ID:int AllgAdrTelefon1:t20 AllgAdrTelefon2:t20 AllgAdrFax:t20 "
        "AllgAdrEmail:t100 AllgAdrBemerkungen:t255 AllgAdrAnschreiben:flag Sortierung:int Sichtbar:flag "
        "Aenderbar:flag",
        {"AllgAdrOrt_ID", "AllgAdrOrtsteil_ID"}));
    t.push_back(makeTable("AllgAdrAnsprechpartner",
        "ID:key Adresse_ID:int Name:t60 Vorname:t60 Anrede:t10 Titel:t15 Telefon:t20 EMail:t100 Abteilung:t50"));
    t.push_back(makeTable("Kurse",
        "ID:key Jahr:int Abschnitt:int KurzBez:t20 Jahrgang_ID:int ASDJahrgang:t2 Fach_ID:int KursartAllg:t5 "
        "WochenStd:int LehrerKrz:t10 Schienen:t20 Fortschreibungsart:t1 Sortierung:int Sichtbar:flag",
        {"LehrerKrz", "Jahr,Abschnitt", "SchulnrEigner"}));
    t.push_back(makeTable("KursLehrer", "ID:key Kurs_ID:int Lehrer_ID:int Anteil:dbl"));
    t.push_back(makeTable("Edvara_Verwaltung", "ID:key Version:t20 GenDatum:dt LetzteSicherung:dt"));
    t.push_back(makeTable("SchuelerListe", "ID:key Bezeichnung:t50 Erzeuger:t20 Privat:flag"));
    t.push_back(makeTable("Stundentafel",
        "ID:key Bezeichnung:t20 Jahrgang_ID:int ASDJahrgang:t2 SGL:t3 Sortierung:int Sichtbar:flag"));
    t.push_back(makeTable("Versetzung",
        "ID:key Klasse:t15 Jahrgang_ID:int ASDKlasse:t6 VKlasse:t15 FKlasse:t15 KlassenlehrerKrz:t10 "
        "StvKlassenlehrerKrz:t10 Klassenart:t2 SGL:t3 Sortierung:int Sichtbar:flag",
        {"Klasse", "KlassenlehrerKrz", "StvKlassenlehrerKrz"}));
    t.push_back(makeTable("EigeneSchule_Abteilungen",
        "ID:key Bezeichnung:t50 Abteilungsleiter:t10 Raum:t20 Email:t100 Durchwahl:t20 Sortierung:int "
        "Sichtbar:flag",
        {"Abteilungsleiter"}));
    t.push_back(makeTable("EigeneSchule_Abt_Kl", "ID:key Abteilung_ID:int Klasse:t15 Sichtbar:flag", {"Abteilung_ID"}));
    t.push_back(makeTable("Stundentafel_Faecher",
        "ID:key Stundentafel_ID:int Fach_ID:int KursartAllg:t5 WochenStd:small Sortierung:int Sichtbar:flag",
        {"Stundentafel_ID"}));
    t.push_back(makeTable("Schueler",
        "ID:key GU_ID:t40 Status:int Name:t120 Vorname:t80 Zusatz:t255 Geburtsname:t120 Strasse:t55 PLZ:t10 "
        "OrtAbk:t50 Ortsteil_ID:int Telefon:t20 Fax:t20 Email:t100 SchulEmail:t100 Geschlecht:int "
        "Geburtsdatum:dt Geburtsort:t100 StaatKrz:t3 Religion_ID:int Klasse:t15 Jahrgang:t2 Jahrgang_ID:int "
        "AktSchuljahr:int AktAbschnitt:int Aufnahmedatum:dt Entlassdatum:dt LSSchulnr:t6 LSSchulformSIM:t3 "
        "LSJahrgang:t2 Sportbefreiung_ID:int Fahrschueler_ID:int Haltestelle_ID:int HaltestelleAbk:t30 "
        "Lehrer:t10 FotoVorhanden:flag Bemerkungen:memo IDext:t30 ModifiziertVon:t20 "
        "Dokumentenverzeichnis:t255 Sichtbar:flag",
        {"Name,Vorname", "LSSchulnr", "Klasse", "SchulnrEigner", "Ortsteil_ID"}));
    t.push_back(makeTable("Schueler_AllgAdr",
        "ID:key Schueler_ID:int Adresse_ID:int Ansprechpartner_ID:int Vertragsart_ID:int Vertragsbeginn:dt "
        "Vertragsende:dt Betreuungslehrer_ID:int Bemerkungen:memo"));
    t.push_back(makeTable("SchuelerAbgaenge",
        "ID:key Schueler_ID:int AbgangsSchulform:t2 AbgangsBeschreibung:t255 LSEntlassdatum:dt LSJahrgang:t2"));
    t.push_back(makeTable("SchuelerTelefone",
        "ID:key Schueler_ID:int TelefonArt_ID:int Telefonnummer:t20 Bemerkung:t50 Sortierung:int Gesperrt:flag"));
    t.push_back(makeTable("SchuelerVermerke",
        "ID:key Schueler_ID:int VermerkArt_ID:int Datum:dt Bemerkung:memo AngelegtVon:t20 GeaendertVon:t20"));
    t.push_back(makeTable("SchuelerFotos", "ID:key Schueler_ID:int Foto:bin"));
    t.push_back(makeTable("SchuelerFoerderempfehlungen",
        "ID:key GU_ID:t40 Schueler_ID:int Abschnitt_ID:int DatumAngelegt:dt Klasse:t15 Jahrgang:t2 "
        "Fach_ID:int Lehrer_ID:int Inhaltl_Prozessbez_Komp:memo Methodische_Komp:memo "
        "Lern_Arbeitsverhalten:memo"));
    t.push_back(makeTable("SchuelerErzAdr",
        "ID:key Schueler_ID:int ErzieherArt_ID:int Anrede1:t20 Titel1:t10 Name1:t120 Vorname1:t80 "
        "Anrede2:t20 Titel2:t10 Name2:t120 Vorname2:t80 ErzStrasse:t55 ErzPLZ:t10 ErzOrtsteil_ID:int "
        "ErzAnschreiben:flag Sortierung:int ErzEMail:t100 ErzEMail2:t100 Erz1StaatKrz:t3 Erz2StaatKrz:t3 "
        "ErzAdrZusatz:t50 Bemerkungen:memo",
        {"Name1,Vorname1", "Name2,Vorname2", "ErzOrtsteil_ID"}));
    t.push_back(makeTable("SchuelerErzFunktion", "ID:key Erzieher_ID:int Person:byte Funktion_ID:int Klasse:t15",
        {"Erzieher_ID"}));
    t.push_back(makeTable("SchuelerListe_Inhalt", "ID:key Liste_ID:int Schueler_ID:int", {"Liste_ID"}));
    t.push_back(makeTable("SchuelerSprachenfolge",
        "ID:key Schueler_ID:int Fach_ID:int FachKrz:t20 ASDJahrgangVon:t2 ASDJahrgangBis:t2 Reihenfolge:t2 "
        "AbschnittVon:small AbschnittBis:small"));
    t.push_back(makeTable("SchuelerAbitur",
        "ID:key Schueler_ID:int Zugelassen:flag Punktsumme:int Durchschnitt:dbl Note_Abitur:t3 Bestanden:flag"));
    t.push_back(makeTable("SchuelerAbiFaecher",
        "ID:key Schueler_ID:int Fach_ID:int FachKrz:t20 Kursart:t5 AbiFach:t1 P_Pruefung:t2"));
    t.push_back(makeTable("SchuelerLernabschnittsdaten",
        "ID:key Schueler_ID:int Jahr:int Abschnitt:int WechselNr:small Schulbesuchsjahre:small "
        "Jahrgang_ID:int ASDJahrgang:t2 Klasse:t15 Klassenlehrer:t10 Schulgliederung:t3 Fachklasse_ID:int "
        "Versetzung:t2 SumFehlStd:int SumFehlStdU:int ZeugnisBem:memo Konferenzdatum:dt ZeugnisDatum:dt",
        {"Klassenlehrer", "Jahr,Abschnitt", "SchulnrEigner"}));
    t.push_back(makeTable("SchuelerFehlstunden",
        "ID:key Abschnitt_ID:int Datum:dt Fach_ID:int FehlStd:dbl VonStd:small BisStd:small "
        "Entschuldigt:flag Lehrer_ID:int"));
    t.push_back(makeTable("SchuelerLD_PSFachBem",
        "ID:key Abschnitt_ID:int ASV:memo LELS:memo AUE:memo ESF:memo BemerkungFSP:memo "
        "BemerkungVersetzung:memo"));
    t.push_back(makeTable("SchuelerLeistungsdaten",
        "ID:key Abschnitt_ID:int Fach_ID:int Hochrechnung:int Fachlehrer:t10 Kursart:t5 KursartAllg:t5 "
        "Kurs_ID:int NotenKrz:t2 Warnung:flag Warndatum:dt AbiFach:t1 Wochenstunden:small AbiZeugnis:flag "
        "Prognose:t1 FehlStd:int uFehlStd:int Sortierung:int Lernentw:memo Gekoppelt:flag "
        "VorherAbgeschl:flag AbschlussJahrgang:t2 Zusatzkraft:t10 WochenstdZusatzkraft:int",
        {"Fachlehrer", "Zusatzkraft"}));
    t.push_back(makeTable("SchuelerEinzelleistungen",
        "ID:key Datum:dt Lehrer_ID:int Art_ID:int Bemerkung:t100 Leistung_ID:int NotenKrz:t2"));
    t.push_back(makeTable("SchuelerZuweisungen", "ID:key Abschnitt_ID:int Fach_ID:int Kursart:t5"));
    t.push_back(makeTable("SchuelerBKAbschluss",
        "ID:key Schueler_ID:int Zulassung:flag Bestanden:flag Praktikum:flag ThemaAbschlussarbeit:memo"));
    t.push_back(makeTable("SchuelerBKFaecher",
        "ID:key Schueler_ID:int Fach_ID:int FachKrz:t20 Vornote:t2 NoteSchriftlich:t2 NoteAbschluss:t2"));
    t.push_back(makeTable("SchuelerFHR", "ID:key Schueler_ID:int FHRErreicht:flag Note:t3 GesamtPunktzahl:int"));
    t.push_back(makeTable("SchuelerFHRFaecher", "ID:key Schueler_ID:int Fach_ID:int KU_Krz_FHR:t5 PSumme:int"));
    t.push_back(makeTable("SchuelerMerkmale", "ID:key Schueler_ID:int Kurztext:t10 DatumVon:dt DatumBis:dt"));
    t.push_back(makeTable("SchuelerWiedervorlage",
        "ID:key Schueler_ID:int Bemerkung:t255 Hinzugefuegt:dt Wiedervorlage:dt Erledigt:dt User_ID:int "
        "Sekretariat:flag Typ:t1"));
    t.push_back(makeTable("SchuelerGSDaten",
        "ID:key Schueler_ID:int Note_Sprachgebrauch:int Note_Lesen:int Note_Rechtschreiben:int "
        "Note_Mathematik:int Uebergangsempfehlung_JG4:t3 Verbindlichkeit:t1"));
    t.push_back(makeTable("Schueler_ST_Merkmale", "ID:key Schueler_ID:int Merkmal:t10 Wert:t50"));
    t.push_back(makeTable("SchuelerKAoADaten",
        "ID:key Schueler_ID:int Jahr:int Abschnitt:int KategorieID:int MerkmalID:int ZusatzmerkmalID:int "
        "AnschlussoptionID:int BerufsfeldID:int Bemerkung:t255"));
    t.push_back(makeTable("SchuelerDatenschutz", "ID:key Schueler_ID:int Datenschutz_ID:int Status:flag"));
    t.push_back(makeTable("SchuelerAnkreuzfloskeln",
        "ID:key Abschnitt_ID:int Fach_ID:int Floskel_ID:int Stufe:byte"));
    t.push_back(makeTable("NichtMoeglAbiFachKombi",
        "ID:key Fach1_ID:int Fach2_ID:int Kursart1:t5 Kursart2:t5 Sortierung:int Phase:t10 Typ:t1"));
    t.push_back(makeTable("ZuordnungReportvorlagen",
        "ID:key Jahrgang_ID:int Abschluss:t50 AbschlussBB:t50 AbschlussArt:int Fachklasse_ID:int "
        "Reportvorlage:t255 Beschraenkung:t1 Kategorie:t20"));
    t.push_back(makeTable("Personengruppen",
        "ID:key Gruppenname:t100 Zusatzinfo:t100 SammelEmail:t100 GruppenArt:t20 XMLExport:flag "
        "Sortierung:int Sichtbar:flag"));
    t.push_back(makeTable("Personengruppen_Personen",
        "ID:key Gruppe_ID:int Person_ID:int PersonArt:t1 PersonName:t120 PersonVorname:t80 PersonPLZ:t10 "
        "PersonOrt:t50 PersonStrasse:t55 PersonTelefon:t20 PersonMobil:t20 PersonEmail:t100 Bemerkung:t255 "
        "Zusatzinfo:t100 Sortierung:int"));
    t.push_back(makeTable("Logins", "ID:key LI_UserID:int LI_LoginTime:dt LI_LogoffTime:dt", {"LI_UserID"}));
    t.push_back(makeTable("Users",
        "ID:key US_Name:t50 US_LoginName:t20 US_Password:t255 US_UserGroups:t50 US_Privileges:memo "
        "US_Email:t100 US_Aktiv:bool",
        {"US_LoginName"}));
    t.push_back(makeTable("Usergroups", "ID:key UG_Bezeichnung:t50 UG_Kompetenzen:memo UG_Spezial:flag"));
    t.push_back(makeTable("Kompetenzen", "ID:key KO_Gruppe:int KO_Bezeichnung:t50"));
    t.push_back(makeTable("Kompetenzgruppen", "ID:key KG_Spalte:int KG_Zeile:int KG_Bezeichnung:t50"));
    // Not in the product's catalog, but emptied by the residual clean-up.
    t.push_back(makeTable("SchuelerReportvorlagen", "ID:key User_ID:int Reportvorlage:t255 Schueler_IDs:memo"));
    return t;
}

}  // namespace

const std::vector<TableDef>& targetTables()
{
    static const std::vector<TableDef> tables = buildTargetTables();
    return tables;
}

const TableDef& targetTable(const std::string& name)
{
    for (const TableDef& t : targetTables())
        if (t.name == name)
            return t;
    throw std::logic_error("no sample table " + name);
}

const TableDef& directoryTable()
{
    static const TableDef dbs = makeTable("DBS",
        "Schulnr:t6! SF:t2 ABez1:t100 ABez2:t100 ABez3:t100 KurzBez:t60 Strasse:t80 PLZ:t10 Ort:t60 "
        "TelVorw:t10 Telefon:t20 FaxVorw:t10 Fax:t20 EMail:t100 Homepage:t100 Kreis:t3",
        {"SF", "Ort"}, false);
    return dbs;
}

}  // namespace sample
