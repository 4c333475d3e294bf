// On request, beyond the fixed stages: every column in which the residue search still finds
// originals the run replaced elsewhere (guardians' other first names, contact persons,
// support texts, display names of accounts, school numbers of teachers' periods, and
// whatever columns a school's own file adds) gets substitutes of the original's kind. A
// short column (a name, an address, a number) takes a whole new value for each value that
// holds an original; a free text keeps its other words and only the originals in it are
// replaced. The same original always gets the same substitute (Substitutes).
// Layer: anonymisation stage (operations of the main window); writes through con only. A
// row that cannot take its substitutes is reported and keeps its values.
#include "app/Pools.h"
#include "app/Unit1.h"
#include "stages/Substitutes.h"
#include "util/Error.h"

#include <QCheckBox>

#include <map>

namespace app {

namespace {

// "Vorname1" -> "1": the person of a row that holds two (guardians 1 and 2).
QString personSuffix(const QString& column)
{
    qsizetype end = column.size();
    while (end > 0 && column[end - 1].isDigit())
        --end;
    return column.mid(end);
}

bool isWholeValueKind(ValueKind kind)
{
    return kind != ValueKind::Other && kind != ValueKind::Date;
}

QString mailDomainOf(const QString& table)
{
    const QString t = table.toCaseFolded();
    if (t.startsWith(QLatin1String("allgadr")) || t.startsWith(QLatin1String("k_allgadr")))
        return AddressMailDomain;
    if (t.contains(QLatin1String("erz")))
        return GuardianMailDomain;
    if (t.contains(QLatin1String("lehrer")))
        return TeacherMailDomain;
    if (t.startsWith(QLatin1String("schueler")))
        return StudentMailDomain;
    return SchoolMailDomain;
}

// The gender of the person a column belongs to, where the row says it: Geschlecht
// (3 male, 4 female) or Anrede ("Herr", "Frau") with the column's person number.
Gender genderOf(db::RecordCursor& row, const QString& column)
{
    const QString suffix = personSuffix(column);
    for (int i = 0; i < row.FieldCount(); ++i) {
        db::Field& f = row.Fields(i);
        const QString name = f.Name().toCaseFolded();
        if (name == QStringLiteral("geschlecht") + suffix && !f.IsNull()) {
            const QString code = f.GetText().trimmed();
            if (code == QLatin1String("3"))
                return Gender::Male;
            if (code == QLatin1String("4"))
                return Gender::Female;
        }
        if (name == QStringLiteral("anrede") + suffix) {
            const QString salutation = f.GetText().trimmed().toCaseFolded();
            if (salutation == QLatin1String("herr"))
                return Gender::Male;
            if (salutation == QLatin1String("frau"))
                return Gender::Female;
        }
    }
    return Gender::Unknown;
}

// The row's first name and surname of the person a mail column belongs to, as they stand
// (after their own substitutes): the address is built from them.
std::pair<QString, QString> namesOf(db::RecordCursor& row, const QString& mailColumn)
{
    const QString suffix = personSuffix(mailColumn);
    QString first, last;
    for (int i = 0; i < row.FieldCount(); ++i) {
        db::Field& f = row.Fields(i);
        if (personSuffix(f.Name()) != suffix || f.Kind() != db::ColumnKind::Text)
            continue;
        const ValueKind kind = kindOfColumn(f.Name());
        if (kind == ValueKind::FirstName && first.isEmpty())
            first = f.GetText().trimmed();
        else if (kind == ValueKind::Surname && last.isEmpty() && !f.Name().toCaseFolded().contains(QLatin1String("geburts")))
            last = f.GetText().trimmed();
    }
    return {first, last};
}

}  // namespace

void TForm1::prepareSubstitutes()
{
    m_substitutes.clear();
    m_substitutes.setPools({slVornamenM.get(), slVornamenW.get(), slNachnamen.get(), slStrassen.get()});
    m_substitutes.setRefused([this](const QString& value) { return m_originals.foundIn(value); });
    m_substitutes.setSchoolNumberSource([this]() -> QString {
        // Any school of the directory: a number that looks like one because it is one.
        try {
            qryDBS.Close();
            qryDBS.SetCommandText(QStringLiteral("select Schulnr from DBS"));
            qryDBS.Open();
            if (qryDBS.RecordCount() == 0)
                return QString();
            qryDBS.MoveToRow(RandomInRange(1, qryDBS.RecordCount() + 1));
            return qryDBS.FieldByName(QStringLiteral("Schulnr")).GetText().trimmed().left(6);
        } catch (const util::Error&) {
            return QString();
        }
    });
}

void TForm1::ReplaceRemainingColumns()
{
    SetStatus(QStringLiteral("Übrige personenbezogene Spalten ersetzen"));
    ProcessMessages();
    m_completed.clear();
    // The run's own substitutes for the own school's number.
    if (!m_ownSchoolNumber.isEmpty()) {
        try {
            const db::QueryResult now = con.Execute(QStringLiteral("select Schulnr from EigeneSchule"));
            const db::Value value = now.HasRow() ? now.Column(0) : db::Value();
            if (const auto* number = std::get_if<QString>(&value))
                if (number->trimmed() != m_ownSchoolNumber.trimmed())
                    m_substitutes.known(ValueKind::SchoolNumber, m_ownSchoolNumber, number->trimmed());
        } catch (const util::Error&) {
        }
    }

    // The columns still holding originals, table by table in the order the search met them.
    std::vector<std::pair<QString, QStringList>> tables;
    for (const ResidueEntry& e : findResidue(con, m_originals, [this] { ProcessMessages(); })) {
        if (!e.error.isEmpty())
            continue;
        if (tables.empty() || tables.back().first != e.table)
            tables.push_back({e.table, {}});
        tables.back().second << e.column;
    }

    for (const auto& [table, columns] : tables) {
        // Names first: a mail address of the same row is built from the new names.
        QStringList ordered;
        for (int pass = 0; pass < 3; ++pass)
            for (const QString& column : columns) {
                const ValueKind kind = kindOfColumn(column);
                const int rank = kind == ValueKind::FirstName || kind == ValueKind::Surname ? 0
                    : kind == ValueKind::Mail                                               ? 1
                                                                                            : 2;
                if (rank == pass)
                    ordered << column;
            }
        std::vector<int> replaced(static_cast<size_t>(ordered.size()), 0);
        db::RecordCursor rows(&con, QStringLiteral("qryRest"));
        // Bare, as the stages name their tables: a cursor over a bracketed name is read-only.
        rows.SetCommandText(QStringLiteral("select * from %1").arg(table));
        try {
            rows.Open();
        } catch (const util::Error& e) {
            // A table whose name the dialect cannot take bare: named, the run goes on.
            reportNotAnonymised(table, QStringLiteral("Tabelle"), e.message());
            continue;
        }
        for (int n = 1; !rows.Eof(); ++n) {
            bool editing = false;
            std::vector<int> changed;
            try {
                for (qsizetype c = 0; c < ordered.size(); ++c) {
                    db::Field& field = rows.FieldByName(ordered[c]);
                    const QString value = field.GetText();
                    const std::vector<OriginalValues::Match> found = m_originals.matchesIn(value);
                    if (found.empty())
                        continue;
                    ValueKind kind = kindOfColumn(ordered[c]);
                    QString substitute;
                    if (isWholeValueKind(kind)) {
                        if (kind == ValueKind::Surname && value.trimmed().contains(QLatin1Char(' ')))
                            kind = ValueKind::FullName;
                        switch (kind) {
                        case ValueKind::FirstName:
                            substitute = m_substitutes.firstName(value, genderOf(rows, ordered[c]));
                            break;
                        case ValueKind::FullName:
                            substitute = m_substitutes.fullName(value, genderOf(rows, ordered[c]));
                            break;
                        case ValueKind::Mail: {
                            const auto [first, last] = namesOf(rows, ordered[c]);
                            substitute = m_substitutes.mail(value, first, last, mailDomainOf(table));
                            break;
                        }
                        default: substitute = m_substitutes.forKind(kind, value); break;
                        }
                    } else {
                        // A free text: each original word by its substitute, back to front so
                        // that the positions before it stay where they are.
                        substitute = value;
                        for (auto m = found.rbegin(); m != found.rend(); ++m)
                            substitute.replace(m->from, m->length,
                                               m_substitutes.forKind(m->kind, value.mid(m->from, m->length)));
                    }
                    if (!editing) {
                        rows.Edit();
                        editing = true;
                    }
                    field.SetText(substitute);
                    changed.push_back(static_cast<int>(c));
                }
                if (editing)
                    rows.Post();
                for (int c : changed)
                    ++replaced[static_cast<size_t>(c)];
            } catch (const util::Error& e) {
                if (editing)
                    rows.Cancel();
                reportNotAnonymised(table, QStringLiteral("Datensatz %1").arg(n), e.message());
            }
            rows.Next();
            if (n % 200 == 0)
                ProcessMessages();
        }
        rows.Close();
        for (qsizetype c = 0; c < ordered.size(); ++c)
            if (replaced[static_cast<size_t>(c)] > 0)
                m_completed.push_back({table, ordered[c], replaced[static_cast<size_t>(c)], QString()});
        ProcessMessages();
    }
}

QString completedReportText(const std::vector<ResidueEntry>& entries)
{
    if (entries.empty())
        return QString();
    QString text = QStringLiteral("Auch in übrigen Spalten wurden Originalwerte ersetzt:");
    for (const ResidueEntry& e : entries)
        text += QStringLiteral("\n%1.%2: %3 %4")
                    .arg(e.table, e.column)
                    .arg(e.rows)
                    .arg(e.rows == 1 ? QStringLiteral("Wert") : QStringLiteral("Werte"));
    return text;
}

}  // namespace app
