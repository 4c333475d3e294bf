// The school's own master record: a fictitious school of the same school form, the
// owner number stamped into every catalog table when the own number is to go, and
// the removal of the school's branch sites and data-protection records.
// Layer: anonymisation stage (operations of the main window); writes through con only.
#include "app/Unit1.h"
#include "db/DbError.h"
#include "db/unit_EdvaraTabellen.h"
#include "stages/StageText.h"
#include "util/Error.h"
#include "util/ListHelpers.h"

#include <QCheckBox>

namespace app {

namespace {

struct FictitiousSchool {
    const char* forms[2];  // school form abbreviations that choose this school
    const char* bezeichnung1;
    const char* bezeichnung2;
    const char* strasse;
    const char* ort;
    const char* email;  // at most 40 characters, so that the copy in K_Schule stays whole
};

// Searched top to bottom with an exact comparison; the last row takes every other form.
const FictitiousSchool kSchools[] = {
    {{"BK", "SB"}, "Daniel-Düsentrieb-Berufskolleg", "für Technik und Innovation", "Erpelallee 32", "Entenhausen",
     "sekretariat@berufskolleg.example.org"},
    {{"G", nullptr}, "Pippi-Langstrumpf-Schule", "Gemeinschaftsgrundschule", "Lindgrengasse 23", "Viktualia",
     "sekretariat@grundschule.example.org"},
    {{"H", nullptr}, "Donald-Duck-Schule", "Gemeinschaftshauptschule", "Erpelallee 32", "Entenhausen",
     "sekretariat@hauptschule.example.org"},
    {{"R", nullptr}, "Gustav-Gans-Realschule", "der Stadt Entenhausen", "Erpelallee 32", "Entenhausen",
     "sekretariat@realschule.example.org"},
    {{"GE", nullptr}, "Daisy-Duck-Gesamtschule", "der Stadt Entenhausen", "Erpelallee 32", "Entenhausen",
     "sekretariat@gesamtschule.example.org"},
    {{"GY", nullptr}, "Dogobert-Duck-Gymnasium", "der Stadt Entenhausen", "Erpelallee 32", "Entenhausen",
     "sekretariat@gymnasium.example.org"},
    {{nullptr, nullptr}, "Testschule", "zu Demonstrationszwecken", "Teststraße 17", "Musterhausen",
     "sekretariat@testschule.example.org"},
};

const FictitiousSchool& schoolForForm(const QString& form)
{
    for (const FictitiousSchool& s : kSchools)
        for (const char* f : s.forms)
            if (f && form == QString::fromUtf8(f))
                return s;
    return kSchools[std::size(kSchools) - 1];
}

QString quoted(const char* utf8)
{
    return util::sqlQuote(QString::fromUtf8(utf8));
}

}  // namespace

void TForm1::recordOwnSchool(bool ownNumber)
{
    // The school's name, address and, when it goes, its number: kept for the search after
    // the run. A database that lacks a column fails in the update below as it always did.
    QStringList columns{QStringLiteral("Bezeichnung1"), QStringLiteral("Bezeichnung2"), QStringLiteral("Bezeichnung3"),
                        QStringLiteral("Strasse"), QStringLiteral("Telefon"), QStringLiteral("Fax"),
                        QStringLiteral("EMail")};
    if (ownNumber)
        columns << QStringLiteral("Schulnr");
    try {
        con.Query(QStringLiteral("select %1 from EigeneSchule").arg(columns.join(QLatin1Char(','))),
                  [&](const db::ResultColumns&, const std::vector<db::Value>& row) {
                      for (qsizetype i = 0; i < columns.size(); ++i)
                          if (const auto* text = std::get_if<QString>(&row[static_cast<size_t>(i)])) {
                              m_originals.replaced(QStringLiteral("EigeneSchule"), columns[i], *text);
                              if (columns[i] == QLatin1String("Schulnr") && m_ownSchoolNumber.isEmpty())
                                  m_ownSchoolNumber = *text;
                          }
                  });
    } catch (const util::Error&) {
    }
}

void TForm1::AnonymizeOwnSchool()
{
    QString form;
    {
        // Released on every path out, the error path included.
        db::RecordCursor own(&con, QStringLiteral("qryEigeneSchule"));
        own.SetCommandText(QStringLiteral("select SchulformKrz from EigeneSchule"));
        own.Open();
        form = own.FieldByName(QStringLiteral("SchulformKrz")).GetText();
        own.Close();
    }

    const bool ownNumber = chbxSNRAnonym->isChecked();
    recordOwnSchool(ownNumber);
    if (ownNumber) {
        util::StringList tables;
        db::GetTableCatalog(tables, nullptr, true, nullptr, false);
        for (const QString& table : tables.items()) {
            try {
                con.Execute(fillTemplate(QStringLiteral("update %s set SchulnrEigner=123456"), {table}));
            } catch (const db::DbError& e) {
                // Not every table of the catalog exists in every database, nor carries
                // the owner column; such tables are simply passed over. Any other failure
                // (a write error, a damaged file) would leave the real number in the
                // table: it ends the run.
                if (e.kind() != db::DbError::Kind::MissingTable && e.kind() != db::DbError::Kind::MissingColumn)
                    throw;
            }
        }
    }

    const FictitiousSchool& school = schoolForForm(form);
    const QString templ = ownNumber
        ? QStringLiteral("update EigeneSchule set SchultraegerNr=12345, Schulnr=123456, Bezeichnung1=%s,"
                         "Bezeichnung2=%s,Bezeichnung3=null,Strasse=%s,PLZ=%s,Ort=%s,Telefon=%s,Fax=%s,EMail=%s")
        : QStringLiteral("update EigeneSchule set Bezeichnung1=%s,Bezeichnung2=%s,Bezeichnung3=null,Strasse=%s,"
                         "PLZ=%s,Ort=%s,Telefon=%s,Fax=%s,EMail=%s");
    con.Execute(fillTemplate(templ, {quoted(school.bezeichnung1), quoted(school.bezeichnung2), quoted(school.strasse),
                                     quoted("54321"), quoted(school.ort), quoted("0123 654321"),
                                     quoted("0123 654399"), quoted(school.email)}));

    con.Execute(QStringLiteral("delete from EigeneSchule_Teilstandorte"));
    con.Execute(QStringLiteral("delete from SchuelerDatenschutz"));
    con.Execute(QStringLiteral("delete from K_Datenschutz"));
}

}  // namespace app
