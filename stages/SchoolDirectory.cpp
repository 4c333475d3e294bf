// The other schools, redrawn from the school directory: every school of K_Schule in the
// number range is swapped for a directory school of the same form, K_Schule is rebuilt
// from the draws plus the own school, and the students' references follow their school.
// Layer: anonymisation stage (operations of the main window); the directory is only read.
// The rebuild is one unit of the database layer: K_Schule is never left half rebuilt,
// not even by a crash. Where an enforced relationship ties the students to K_Schule, the
// table is rebuilt in place instead of emptied: see SchoolRows.
#include "app/Pools.h"
#include "app/Unit1.h"
#include "db/DbConnection.h"
#include "db/unit_PrimaryKeyManager.h"
#include "stages/StageText.h"
#include "util/Error.h"
#include "util/ListHelpers.h"

#include <QHash>
#include <QStringList>
#include <QSet>

#include <algorithm>
#include <vector>

namespace app {

namespace {

const QString kRangeLow = QStringLiteral("100000");
const QString kRangeHigh = QStringLiteral("200000");
constexpr int kPickAttempts = 10;
constexpr qsizetype kSchulnrLength = 6;
// Students moved by one statement; keeps statement texts short for big schools.
constexpr int kStudentsPerUpdate = 500;

QString text(db::RecordCursor& cursor, const char* column)
{
    return cursor.FieldByName(QLatin1String(column)).GetText();
}

QString trimmed(db::RecordCursor& cursor, const char* column)
{
    return trimBlanks(text(cursor, column));
}

QString idList(const std::vector<qint32>& ids, std::size_t from, std::size_t to)
{
    QString out;
    for (std::size_t i = from; i < to; ++i) {
        if (i > from)
            out += QLatin1Char(',');
        out += QString::number(ids[i]);
    }
    return out;
}

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// K_Schule where the file's relationships protect its rows: Access neither deletes a school
// a student names (it would refuse, or delete the students with it) nor changes its number
// under them. The rebuild then keeps every row whose number the new schools take again,
// rewriting all its other columns as an insert would leave them, inserts only the numbers
// the table does not have, and afterwards deletes only rows no student names any more.
// Without such a relationship the table is emptied and refilled, as it always was.
class SchoolRows {
public:
    SchoolRows(db::DbConnection& con, bool inPlace) : m_con(con), m_inPlace(inPlace)
    {
        if (!inPlace)
            return;
        const db::ResultColumns columns =
            con.Query(QStringLiteral("select * from K_Schule"), [&](const db::ResultColumns& c, const std::vector<db::Value>& row) {
                for (qsizetype i = 0; i < c.names.size(); ++i)
                    if (sameName(c.names[i], QStringLiteral("SchulNr"))) {
                        if (const auto* number = std::get_if<QString>(&row[static_cast<std::size_t>(i)]))
                            m_unclaimed.insert(*number);
                        else if (db::isNull(row[static_cast<std::size_t>(i)]))
                            m_unnumbered = true;
                        else
                            m_unclaimed.insert(QString::number(std::get<qint64>(row[static_cast<std::size_t>(i)])));
                    }
            });
        for (const QString& c : columns.names)
            if (!sameName(c, QStringLiteral("ID")) && !sameName(c, QStringLiteral("SchulNr")))
                m_rewritten << c;
    }

    bool inPlace() const { return m_inPlace; }

    // Writes the school `number` with `values` (column, SQL literal): over the row that has
    // the number, if no school before took it, else as a new row with key `newKey()`.
    template <typename NewKey>
    void store(const QString& number, const std::vector<std::pair<QString, QString>>& values, NewKey newKey)
    {
        if (!m_unclaimed.remove(number)) {
            QStringList columns{QStringLiteral("ID")}, literals{QString::number(newKey())};
            for (const auto& [column, literal] : values) {
                columns << column;
                literals << literal;
            }
            m_con.Execute(QStringLiteral("insert into K_Schule (%1) values (%2)")
                              .arg(columns.join(QLatin1Char(',')), literals.join(QLatin1Char(','))));
            return;
        }
        QStringList sets;
        for (const auto& [column, literal] : values)
            if (!sameName(column, QStringLiteral("SchulNr")))
                sets << column + QLatin1Char('=') + literal;
        for (const QString& column : m_rewritten) {
            const bool given = std::any_of(values.begin(), values.end(),
                                           [&](const auto& v) { return sameName(v.first, column); });
            if (!given)
                sets << column + QStringLiteral("=NULL");
        }
        m_con.Execute(QStringLiteral("update K_Schule set %1 where SchulNr=%2")
                          .arg(sets.join(QLatin1Char(',')), util::sqlQuote(number)));
    }

    // The rows no new school took: deleted where no student names them; the others are
    // reported through `keep` (number, students naming it) and stay as they are.
    template <typename Keep>
    void removeTheRest(Keep keep)
    {
        QStringList rest(m_unclaimed.begin(), m_unclaimed.end());
        rest.sort();
        for (const QString& number : rest) {
            const db::QueryResult named = m_con.Execute(
                QStringLiteral("select count(*) from Schueler where LSSchulnr=%1").arg(util::sqlQuote(number)));
            const auto* students = std::get_if<qint64>(&named.firstRow.at(0));
            if (students && *students > 0) {
                keep(number, *students);
                continue;
            }
            m_con.Execute(QStringLiteral("delete from K_Schule where SchulNr=%1").arg(util::sqlQuote(number)));
        }
        m_unclaimed.clear();
        if (m_unnumbered)
            m_con.Execute(QStringLiteral("delete from K_Schule where SchulNr is null"));
    }

private:
    db::DbConnection& m_con;
    bool m_inPlace;
    QSet<QString> m_unclaimed;
    bool m_unnumbered = false;
    QStringList m_rewritten;
};

// Whether an enforced relationship names K_Schule as the referenced table (the run has
// refused every one but the students' school reference before it wrote).
bool schoolsProtectedByRelationships(db::DbConnection& con)
{
    for (const db::EnforcedRelationship& r : con.Relationships())
        if (sameName(r.parent, QStringLiteral("K_Schule")))
            return true;
    return false;
}

}  // namespace

void TForm1::AddInsertValue(const QString& column, const QString& value)
{
    if (value.isEmpty())
        return;
    if (!m_insertColumns.isEmpty()) {
        m_insertColumns += QLatin1Char(',');
        m_insertValues += QLatin1Char(',');
    }
    m_insertColumns += column;
    m_insertValues += util::sqlQuote(value);
    m_insertPairs.emplace_back(column, util::sqlQuote(value));
}

bool TForm1::IsSchulnrAssigned(const QString& number) const
{
    for (const TSchoolMapEntry& entry : m_schoolMap)
        if (entry.NewSchulnr == number)
            return true;
    return false;
}

QString TForm1::PickSchoolNumber()
{
    if (!qryDBS.Active())
        qryDBS.Open();
    for (int attempt = 0; attempt < kPickAttempts; ++attempt) {
        try {
            qryDBS.MoveToRow(RandomInRange(1, qryDBS.RecordCount() + 1));
            // Compared as it will be stored, so that two long numbers alike in their
            // first digits cannot both be given out.
            const QString number = text(qryDBS, "Schulnr").left(kSchulnrLength);
            if (!IsSchulnrAssigned(number))
                return number;
        } catch (const util::Error&) {
            // A failed attempt (an empty result, for one) simply counts as used.
        }
    }

    // Ten draws with replacement can miss the last free schools of a form; without
    // this the entry would vanish from K_Schule although a school was left for it.
    QSet<QString> assigned;
    for (const TSchoolMapEntry& entry : m_schoolMap)
        assigned.insert(entry.NewSchulnr);
    std::vector<QString> free;
    try {
        const int count = qryDBS.RecordCount();
        for (int row = 1; row <= count; ++row) {
            qryDBS.MoveToRow(row);
            const QString number = text(qryDBS, "Schulnr").left(kSchulnrLength);
            if (!assigned.contains(number))
                free.push_back(number);
        }
    } catch (const util::Error&) {
        return QString();
    }
    if (free.empty())
        return QString();
    return free[static_cast<std::size_t>(RandomInRange(0, static_cast<std::int32_t>(free.size())))];
}

void TForm1::AssignSchools(const util::StringList& slOrtsfilter)
{
    SetStatus(QStringLiteral("Schulen zuordnen"));
    AnonymizeOwnSchool();

    // The mapping table: every school of the range, read completely before anything changes.
    m_schoolMap.clear();
    qryS.Close();
    qryS.SetCommandText(
        fillTemplate(QStringLiteral("select * from K_Schule where Schulnr between %s and %s order by SchulformKrz"),
            {util::sqlQuote(kRangeLow), util::sqlQuote(kRangeHigh)}));
    qryS.Open();
    while (!qryS.Eof()) {
        TSchoolMapEntry entry;
        entry.SchulformKrz = text(qryS, "SchulformKrz").left(2);
        entry.SchulformNr = text(qryS, "SchulformNr").left(2);
        entry.SchulformBez = text(qryS, "SchulformBez").left(50);
        entry.OldSchulnr = text(qryS, "Schulnr").left(kSchulnrLength);
        m_schoolMap.push_back(entry);
        qryS.Next();
    }
    qryS.Close();

    // The draw. The entries come sorted by form, so each form is asked for once.
    QString currentForm = QStringLiteral("ÜÜ");
    for (TSchoolMapEntry& entry : m_schoolMap) {
        if (entry.SchulformKrz != currentForm) {
            QString sql
                = fillTemplate(QStringLiteral("SELECT * FROM DBS WHERE SF=%s"), {util::sqlQuote(entry.SchulformNr)});
            if (slOrtsfilter.Count() > 0)
                sql += fillTemplate(QStringLiteral(" AND Ort IN (%s)"), {util::JoinDistinct(slOrtsfilter, true)});
            qryDBS.Close();
            qryDBS.SetCommandText(sql);
            qryDBS.Open();
            currentForm = entry.SchulformKrz;
        }
        entry.NewSchulnr = PickSchoolNumber().left(kSchulnrLength);
    }

    // Which students each old number stands for, taken before any reference moves. A
    // drawn number is often another entry's old number; moving by number alone would
    // then carry that entry's students along a second time. Moving the students taken
    // here, by key, moves each of them exactly once.
    QHash<QString, std::vector<qint32>> studentsByOldNumber;
    QString studentsError;
    try {
        qryS.SetCommandText(fillTemplate(
            QStringLiteral(
                "select S.ID as ID, K.Schulnr as Schulnr from Schueler S, K_Schule K where S.LSSchulnr=K.Schulnr "
                "and K.Schulnr between %s and %s order by S.ID"),
            {util::sqlQuote(kRangeLow), util::sqlQuote(kRangeHigh)}));
        qryS.Open();
        QSet<qint32> seen;
        while (!qryS.Eof()) {
            const qint32 id = qryS.FieldByName(QStringLiteral("ID")).GetInteger();
            if (!seen.contains(id)) {
                seen.insert(id);
                studentsByOldNumber[text(qryS, "Schulnr").left(kSchulnrLength)].push_back(id);
            }
            qryS.Next();
        }
        qryS.Close();
    } catch (const util::Error& e) {
        // The references cannot be moved; each entry reports it as its own failure.
        qryS.Close();
        studentsError = e.message();
    }

    // From emptying K_Schule to the own school's row: all or nothing. A crash in
    // between would leave students naming schools that no row describes any more.
    db::DbUnit rebuild(con);
    SchoolRows rows(con, schoolsProtectedByRelationships(con));
    if (!rows.inPlace())
        con.Execute(QStringLiteral("delete from K_Schule"));
    // Every row from here on is the directory's or the own school's as just rewritten.
    m_originals.rewroteTable(QStringLiteral("K_Schule"));

    // The key is asked for right before each insert, so that it sees the rows before it.
    const auto insertPendingSchool = [this, &rows](const QString& number) {
        rows.store(number, m_insertPairs, [this] {
            const qint64 id = db::GetNewID(con, QStringLiteral("K_Schule"), QStringLiteral("ID"));
            m_insertColumns.prepend(QStringLiteral("ID,"));
            m_insertValues.prepend(QString::number(id) + QLatin1Char(','));
            return id;
        });
    };

    const int highest = static_cast<int>(m_schoolMap.size()) - 1;
    for (int i = 0; i <= highest; ++i) {
        const TSchoolMapEntry& entry = m_schoolMap[static_cast<std::size_t>(i)];
        if (entry.NewSchulnr.isEmpty())
            continue;
        qryDBS.Close();
        qryDBS.SetCommandText(
            fillTemplate(QStringLiteral("select * from DBS where Schulnr=%s"), {util::sqlQuote(entry.NewSchulnr)}));
        qryDBS.Open();
        m_insertColumns.clear();
        m_insertValues.clear();
        m_insertPairs.clear();
        try {
            AddInsertValue(QStringLiteral("SchulNr"), entry.NewSchulnr);
            AddInsertValue(QStringLiteral("SchulNr_SIM"), entry.NewSchulnr);
            AddInsertValue(QStringLiteral("Name"),
                (trimmed(qryDBS, "ABez1") + QLatin1Char(' ') + trimmed(qryDBS, "ABez2") + QLatin1Char(' ')
                    + trimmed(qryDBS, "ABez3"))
                    .left(100));
            AddInsertValue(QStringLiteral("SchulFormNr"), entry.SchulformNr);
            AddInsertValue(QStringLiteral("SchulformBez"), entry.SchulformBez);
            AddInsertValue(QStringLiteral("SchulformKrz"), entry.SchulformKrz);
            AddInsertValue(QStringLiteral("Strasse"), trimmed(qryDBS, "Strasse").left(50));
            AddInsertValue(QStringLiteral("PLZ"), trimmed(qryDBS, "PLZ"));
            AddInsertValue(QStringLiteral("Ort"), trimmed(qryDBS, "Ort").left(50));
            AddInsertValue(QStringLiteral("Telefon"),
                (trimmed(qryDBS, "TelVorw") + QLatin1Char('-') + trimmed(qryDBS, "Telefon")).left(20));
            AddInsertValue(QStringLiteral("Fax"),
                (trimmed(qryDBS, "FaxVorw") + QLatin1Char('-') + trimmed(qryDBS, "Fax")).left(20));
            AddInsertValue(QStringLiteral("Email"), trimmed(qryDBS, "EMail").left(40));
            AddInsertValue(QStringLiteral("KurzBez"), trimmed(qryDBS, "KurzBez").left(40));
            insertPendingSchool(entry.NewSchulnr);

            if (!studentsError.isEmpty())
                throw util::Error(studentsError);
            const auto students = studentsByOldNumber.constFind(entry.OldSchulnr);
            if (students != studentsByOldNumber.constEnd()) {
                const std::vector<qint32>& ids = students.value();
                for (std::size_t from = 0; from < ids.size(); from += kStudentsPerUpdate) {
                    const std::size_t to = std::min(ids.size(), from + kStudentsPerUpdate);
                    con.Execute(fillTemplate(
                        QStringLiteral("update Schueler set LSSchulnr=%s where LSSchulnr=%s and ID in (%s)"),
                        {util::sqlQuote(entry.NewSchulnr), util::sqlQuote(entry.OldSchulnr), idList(ids, from, to)}));
                }
                // A second entry with the same old number finds its students gone, as it
                // would after a move by number.
                studentsByOldNumber.remove(entry.OldSchulnr);
            }
        } catch (const util::Error& e) {
            host().showMessage(MessageKind::Plain,
                QStringLiteral("%1/%2\n\r").arg(i).arg(highest)
                    + fillTemplate(QStringLiteral("sfld=%s, sval=%s"), {m_insertColumns, m_insertValues})
                    + QStringLiteral("\n\r") + e.message());
            reportNotAnonymised(QStringLiteral("K_Schule"), QStringLiteral("Schulnr ") + entry.OldSchulnr,
                                QStringLiteral("Schule nicht ersetzt: ") + e.message());
        }
    }

    // The own school joins the other schools, copied as the own-school stage left it.
    qryS.Close();
    qryS.SetCommandText(QStringLiteral("select * from EigeneSchule"));
    qryS.Open();
    m_insertColumns.clear();
    m_insertValues.clear();
    m_insertPairs.clear();
    try {
        const QString schulnr = text(qryS, "Schulnr");
        AddInsertValue(QStringLiteral("SchulNr"), schulnr);
        AddInsertValue(QStringLiteral("SchulNr_SIM"), schulnr);
        AddInsertValue(QStringLiteral("Name"),
            (text(qryS, "Bezeichnung1") + QLatin1Char(' ') + text(qryS, "Bezeichnung2") + QLatin1Char(' ')
                + text(qryS, "Bezeichnung3"))
                .left(100));
        AddInsertValue(QStringLiteral("SchulFormNr"), text(qryS, "SchulformNr"));
        AddInsertValue(QStringLiteral("SchulformBez"), text(qryS, "SchulformBez"));
        AddInsertValue(QStringLiteral("SchulformKrz"), text(qryS, "SchulformKrz"));
        AddInsertValue(QStringLiteral("Strasse"), text(qryS, "Strasse").left(50));
        AddInsertValue(QStringLiteral("PLZ"), text(qryS, "PLZ"));
        AddInsertValue(QStringLiteral("Ort"), text(qryS, "Ort").left(50));
        AddInsertValue(QStringLiteral("Telefon"), text(qryS, "Telefon").left(20));
        AddInsertValue(QStringLiteral("Fax"), text(qryS, "Fax").left(20));
        AddInsertValue(QStringLiteral("Email"), text(qryS, "EMail").left(40));
        insertPendingSchool(schulnr);
    } catch (const util::Error&) {
        // The own school is then missing from K_Schule; the run goes on.
    }
    qryS.Close();
    rows.removeTheRest([this](const QString& number, qint64 students) {
        reportNotAnonymised(QStringLiteral("K_Schule"), QStringLiteral("Schulnr ") + number,
                            QStringLiteral("Schule nicht ersetzt: %1 Schüler verweisen noch auf sie, und eine Beziehung "
                                           "der Datenbank lässt ihren Datensatz nicht löschen")
                                .arg(students));
    });
    rebuild.Commit();
}

}  // namespace app
