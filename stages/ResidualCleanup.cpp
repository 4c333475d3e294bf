// What the record stages leave behind: photos and the school logo, remarks and report
// texts, reminders and report templates, accounts other than "Admin", passwords and
// logins, bus stops, person groups, the head's names and further identifiers.
// Layer: anonymisation stage (operations of the main window). The statements run
// unguarded: the first one the database refuses ends the run.
#include "app/Unit1.h"
#include "db/DbConnection.h"
#include "stages/StageText.h"
#include "util/Error.h"
#include "util/ListHelpers.h"

#include <algorithm>
#include <vector>

namespace app {

namespace {

struct CleanupStatement {
    const char* sql;
    // Values for the "%s" of sql in turn, each written as a text literal.
    const char* values[2];
};

// Order and spelling as the engine is to receive them; repeats are deliberate.
const CleanupStatement kCleanup[] = {
    {"delete from LehrerFotos", {}},
    {"delete from SchuelerFotos", {}},
    {"update EigeneSchule set SchulLogo=Null", {}},
    {"update Schueler set FotoVorhanden=%s where FotoVorhanden=%s", {"-", "+"}},
    {"update Schueler set Bemerkungen=Null where Bemerkungen is not null", {}},
    {"update SchuelerVermerke set Bemerkung=Null where Bemerkung is not null", {}},
    {"update SchuelerLernabschnittsdaten set ZeugnisBem=Null where ZeugnisBem is not null", {}},
    {"update SchuelerLD_PSFachBem set ASV=Null where ASV is not null", {}},
    {"update SchuelerLD_PSFachBem set LELS=Null where LELS is not null", {}},
    {"update SchuelerLD_PSFachBem set ESF=Null where ESF is not null", {}},
    {"update SchuelerLeistungsdaten set Lernentw=Null where Lernentw is not null", {}},
    {"delete from SchuelerWiedervorlage", {}},
    {"delete from SchuelerReportvorlagen", {}},
    {"delete from Users where US_LoginName<>%s", {"Admin"}},
    {"update Users set US_Password=null", {}},
    {"delete from Logins", {}},
    {"UPDATE Schueler SET Bemerkungen = Null", {}},
    {"UPDATE Schueler SET IDext = Null", {}},
    {"UPDATE Schueler SET Sportbefreiung_ID = Null", {}},
    {"UPDATE Schueler SET Fahrschueler_ID = Null", {}},
    {"UPDATE Schueler SET Haltestelle_ID = Null", {}},
    {"UPDATE Schueler SET HaltestelleAbk = Null", {}},
    {"UPDATE Schueler SET Lehrer = Null", {}},
    {"UPDATE Schueler SET ModifiziertVon=%s WHERE NOT ISNULL(ModifiziertVon)", {"Admin"}},
    {"UPDATE K_Lehrer SET StammschulNr=%s WHERE NOT ISNULL(StammschulNr)", {"123456"}},
    {"DELETE * FROM K_Haltestelle", {}},
    {"DELETE * FROM Personengruppen_Personen", {}},
    {"DELETE * FROM Schuelervermerke", {}},
    {"Update SchuelerLD_PSFachBem Set ASV=NULL, LELS=NULL, ESF=NULL", {}},
    {"Update SchuelerLernAbschnittsdaten Set ZeugnisBem=NULL", {}},
    {"update EigeneSchule Set SchulleiterName=%s", {"Gans"}},
    {"Update EigeneSchule Set SchulleiterVorname=%s", {"Gustav"}},
    {"Update EigeneSchule Set SchulleiterGeschlecht=3", {}},
    {"Update EigeneSchule Set StvSchulleiterName=%s", {"Wasserhuhn"}},
    {"Update EigeneSchule Set StvSchulleiterVorname=%s", {"Wilberta"}},
    {"Update EigeneSchule Set StvSchulleiterGeschlecht=4", {}},
    {"Delete * From EigeneSchule_Texte", {}},
    {"update EigeneSchule set Einstellungen=NULL", {}},
    {"update Schueler set Dokumentenverzeichnis=NULL", {}},
    {"UPDATE K_Lehrer SET LBVNr=NULL", {}},
    {"UPDATE K_Lehrer SET PANr=NULL", {}},
    {"UPDATE K_Lehrer SET LPassword=NULL", {}},
    {"update Schueler set Ortsteil_ID=null", {}},
    {"update SchuelerErzAdr set ErzOrtsteil_ID=null", {}},
};

static_assert(std::size(kCleanup) == 44, "the clean-up has 44 statements");

QString literal(const char* value)
{
    return value ? util::sqlQuote(QString::fromUtf8(value)) : QString();
}

// The table a "delete from T ..." statement deletes from (empty for any other statement),
// and whether it deletes every row.
QString deletedTable(const char* sql, bool* everyRow = nullptr)
{
    QStringList words = QString::fromUtf8(sql).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.size() < 3 || words[0].compare(QLatin1String("delete"), Qt::CaseInsensitive) != 0)
        return QString();
    words.removeAll(QStringLiteral("*"));
    if (everyRow)
        *everyRow = words.size() == 3;
    return words.size() >= 3 && words[1].compare(QLatin1String("from"), Qt::CaseInsensitive) == 0 ? words[2]
                                                                                                  : QString();
}

// The statements in the order to run them. Where an enforced relationship ties a table the
// clean-up empties to one it deletes from earlier (Logins to Users), the engine would refuse
// that delete, or pass it on: the table that names the rows is emptied first. The file ends
// the same; only files with such a relationship see another order.
std::vector<const CleanupStatement*> cleanupOrder(const QList<db::EnforcedRelationship>& relationships)
{
    std::vector<const CleanupStatement*> order;
    std::vector<bool> done(std::size(kCleanup), false);
    for (std::size_t i = 0; i < std::size(kCleanup); ++i) {
        if (done[i])
            continue;
        const QString parent = deletedTable(kCleanup[i].sql);
        for (std::size_t j = i + 1; !parent.isEmpty() && j < std::size(kCleanup); ++j) {
            bool everyRow = false;
            const QString child = deletedTable(kCleanup[j].sql, &everyRow);
            const bool tied = std::any_of(relationships.begin(), relationships.end(), [&](const db::EnforcedRelationship& r) {
                return r.parent.compare(parent, Qt::CaseInsensitive) == 0 && r.child.compare(child, Qt::CaseInsensitive) == 0;
            });
            if (everyRow && tied && !done[j]) {
                order.push_back(&kCleanup[j]);
                done[j] = true;
            }
        }
        order.push_back(&kCleanup[i]);
        done[i] = true;
    }
    return order;
}

}  // namespace

void TForm1::DoResidualCleanup()
{
    SetStatus(QStringLiteral("Restarbeiten"));
    ProcessMessages();
    // The names of the head and the deputy head, about to be replaced: kept for the search
    // after the run. Without these columns the statements below fail as they always did.
    const QStringList heads{QStringLiteral("SchulleiterName"), QStringLiteral("SchulleiterVorname"),
                            QStringLiteral("StvSchulleiterName"), QStringLiteral("StvSchulleiterVorname")};
    try {
        con.Query(QStringLiteral("select %1 from EigeneSchule").arg(heads.join(QLatin1Char(','))),
                  [&](const db::ResultColumns&, const std::vector<db::Value>& row) {
                      for (qsizetype i = 0; i < heads.size(); ++i)
                          if (const auto* text = std::get_if<QString>(&row[static_cast<size_t>(i)]))
                              m_originals.replaced(QStringLiteral("EigeneSchule"), heads[i], *text);
                  });
    } catch (const util::Error&) {
    }
    for (const CleanupStatement* statement : cleanupOrder(con.Relationships()))
        con.Execute(fillTemplate(QString::fromUtf8(statement->sql),
                                 {literal(statement->values[0]), literal(statement->values[1])}));
}

}  // namespace app
