// Keeping the originals and searching the tables for them.
#include "stages/Residue.h"

#include "app/Unit1.h"
#include "db/DbConnection.h"
#include "db/Value.h"
#include "util/Error.h"

#include <QDir>
#include <QFile>

#include <algorithm>

namespace app {

namespace {

bool isWordChar(QChar c) { return c.isLetterOrNumber(); }

std::u16string_view view(const QString& s, qsizetype from, qsizetype length)
{
    return std::u16string_view(reinterpret_cast<const char16_t*>(s.utf16()) + from, static_cast<size_t>(length));
}

QString columnKey(const QString& table, const QString& column)
{
    return (table + QLatin1Char('\n') + column).toCaseFolded();
}

QString csvField(const QString& s)
{
    if (!s.contains(QLatin1Char(',')) && !s.contains(QLatin1Char('"')) && !s.contains(QLatin1Char('\n')))
        return s;
    QString q = s;
    q.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

}  // namespace

ValueKind kindOfColumn(const QString& column)
{
    const QString c = column.toCaseFolded();
    if (c.contains(QLatin1String("vorname")))
        return ValueKind::FirstName;
    if (c.contains(QLatin1String("mail")))
        return ValueKind::Mail;
    if (c.contains(QLatin1String("schulnr")))
        return ValueKind::SchoolNumber;
    if (c.contains(QLatin1String("strasse")) || c.contains(QStringLiteral("straße")))
        return ValueKind::Street;
    if (c.contains(QLatin1String("telefon")) || c.contains(QLatin1String("fax")) || c.contains(QLatin1String("handy"))
        || c == QLatin1String("tel"))
        return ValueKind::Phone;
    if (c.contains(QLatin1String("datum")))
        return ValueKind::Date;
    if (c.contains(QLatin1String("name")))
        return ValueKind::Surname;
    return ValueKind::Other;
}

void OriginalValues::clear()
{
    m_texts.clear();
    m_rewritten.clear();
    m_rewrittenTables.clear();
    m_byFirstWord.clear();
    m_candidates.clear();
}

void OriginalValues::replaced(const QString& table, const QString& column, const QString& value)
{
    m_rewritten.insert(columnKey(table, column));
    record(value, kindOfColumn(column));
}

void OriginalValues::rewroteTable(const QString& table)
{
    m_rewrittenTables.insert(table.toCaseFolded());
}

void OriginalValues::record(const QString& value, ValueKind kind)
{
    const QString text = value.trimmed();
    if (text.isEmpty() || m_texts.contains(text))
        return;
    m_texts.insert(text);
    // Searched from its first letter or digit to its last: a whole-word match needs a word
    // at both ends.
    qsizetype from = 0, to = text.size();
    while (from < to && !isWordChar(text[from]))
        ++from;
    while (to > from && !isWordChar(text[to - 1]))
        --to;
    if (to - from < 2)
        return;
    const QString folded = text.mid(from, to - from).toCaseFolded();
    qsizetype wordEnd = 0;
    while (wordEnd < folded.size() && isWordChar(folded[wordEnd]))
        ++wordEnd;
    std::u16string whole(view(folded, 0, folded.size()));
    if (!m_candidates.insert(whole).second)
        return;
    m_byFirstWord[std::u16string(view(folded, 0, wordEnd))].push_back({std::move(whole), kind});
}

void OriginalValues::recordDate(double days)
{
    record(db::daysToDateTime(days).date().toString(QStringLiteral("dd.MM.yyyy")), ValueKind::Date);
}

bool OriginalValues::isRewritten(const QString& table, const QString& column) const
{
    return m_rewrittenTables.contains(table.toCaseFolded()) || m_rewritten.contains(columnKey(table, column));
}

bool OriginalValues::foundIn(const QString& cell) const
{
    return scan(cell, nullptr);
}

std::vector<OriginalValues::Match> OriginalValues::matchesIn(const QString& cell) const
{
    std::vector<Match> out;
    scan(cell, &out);
    return out;
}

bool OriginalValues::scan(const QString& cell, std::vector<Match>* all) const
{
    if (m_byFirstWord.empty() || cell.isEmpty())
        return false;
    const QString folded = cell.toCaseFolded();
    // Positions are the cell's own only while folding keeps the length (it does but for a
    // few letters outside German texts); a cell where it does not is matched, not cut.
    const bool samePositions = folded.size() == cell.size();
    const qsizetype size = folded.size();
    bool found = false;
    for (qsizetype i = 0; i < size;) {
        if (!isWordChar(folded[i])) {
            ++i;
            continue;
        }
        qsizetype end = i;
        while (end < size && isWordChar(folded[end]))
            ++end;
        const auto it = m_byFirstWord.find(view(folded, i, end - i));
        if (it != m_byFirstWord.end()) {
            // The longest original that starts here wins ("Anna Maria" before "Anna").
            const Candidate* best = nullptr;
            for (const Candidate& candidate : it->second) {
                const auto length = static_cast<qsizetype>(candidate.text.size());
                if (i + length <= size && view(folded, i, length) == candidate.text
                    && (i + length == size || !isWordChar(folded[i + length]))
                    && (!best || candidate.text.size() > best->text.size()))
                    best = &candidate;
            }
            if (best) {
                if (!all)
                    return true;
                found = true;
                const auto length = static_cast<qsizetype>(best->text.size());
                if (samePositions)
                    all->push_back({i, length, best->kind});
                i += length;
                continue;
            }
        }
        i = end;
    }
    return found;
}

std::vector<ResidueEntry> findResidue(db::DbConnection& con, const OriginalValues& originals,
                                      const std::function<void()>& pause)
{
    std::vector<ResidueEntry> out;
    if (originals.isEmpty())
        return out;
    for (const QString& table : con.TableNames()) {
        std::vector<int> counts;
        std::vector<int> searched;  // result columns to look at; only they are read
        db::ResultColumns columns;
        try {
            columns = con.Query(
                QStringLiteral("select * from [%1]").arg(table),
                [&](const db::ResultColumns&, const std::vector<db::Value>& row) {
                    for (int i : searched)
                        if (const auto* text = std::get_if<QString>(&row[static_cast<size_t>(i)]))
                            if (originals.foundIn(*text))
                                ++counts[static_cast<size_t>(i)];
                },
                [&](const db::ResultColumns& cols) {
                    counts.assign(static_cast<size_t>(cols.names.size()), 0);
                    for (int i = 0; i < cols.names.size(); ++i)
                        if (cols.kinds[static_cast<size_t>(i)] == db::ColumnKind::Text
                            && !originals.isRewritten(table, cols.names[i]))
                            searched.push_back(i);
                    return searched;
                });
        } catch (const util::Error& e) {
            // A table the database layer cannot read (a column type it does not know)
            // is named, not passed over in silence.
            out.push_back({table, QString(), 0, e.message()});
            continue;
        }
        for (size_t i = 0; i < counts.size(); ++i)
            if (counts[i] > 0)
                out.push_back({table, columns.names[static_cast<qsizetype>(i)], counts[i], QString()});
        if (pause)
            pause();
    }
    return out;
}

QString residueReportText(const std::vector<ResidueEntry>& entries)
{
    if (entries.empty())
        return QString();
    QString text = QStringLiteral(
        "In diesen Spalten stehen nach dem Lauf noch Originalwerte, die der Lauf an anderer Stelle ersetzt hat "
        "(Namen, Straßen, Telefonnummern, E-Mail-Adressen, Geburtsdaten, Schulnummer oder -name):");
    const ResidueEntry* example = nullptr;
    for (const ResidueEntry& e : entries) {
        if (!e.error.isEmpty()) {
            text += QStringLiteral("\n%1: nicht durchsucht (%2)").arg(e.table, e.error);
            continue;
        }
        if (!example)
            example = &e;
        text += QStringLiteral("\n%1.%2: %3 %4")
                    .arg(e.table, e.column)
                    .arg(e.rows)
                    .arg(e.rows == 1 ? QStringLiteral("Datensatz") : QStringLiteral("Datensätze"));
    }
    if (example)
        text += QStringLiteral("\nSie lassen sich mit Anweisungen in der Datei \"Weitere_SQL_Befehle.txt\" neben dem "
                               "Programm leeren, zum Beispiel: update %1 set %2=Null")
                    .arg(example->table, example->column);
    return text;
}

void writeResidueCsv(const QString& path, const std::vector<ResidueEntry>& entries)
{
    QString text = QStringLiteral("Tabelle,Spalte,Datensätze,Fehler\n");
    for (const ResidueEntry& e : entries)
        text += csvField(e.table) + QLatin1Char(',') + csvField(e.column) + QLatin1Char(',')
                + (e.error.isEmpty() ? QString::number(e.rows) : QString()) + QLatin1Char(',') + csvField(e.error)
                + QLatin1Char('\n');
    QFile f(path);
    const QByteArray bytes = text.toUtf8();
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size() || !f.flush())
        throw util::Error(QStringLiteral("Die Liste der verbliebenen Originalwerte kann nicht nach %1 geschrieben "
                                         "werden: %2")
                              .arg(QDir::toNativeSeparators(path), f.errorString()));
}

void TForm1::FindResidue()
{
    SetStatus(QStringLiteral("Verbliebene Originalwerte suchen"));
    ProcessMessages();
    m_residue = findResidue(con, m_originals, [this] { ProcessMessages(); });
}

}  // namespace app
