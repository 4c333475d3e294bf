// Keeping the originals and searching the tables for them.
#include "stages/Residue.h"

#include "app/Unit1.h"
#include "db/DbConnection.h"
#include "db/Value.h"
#include "util/Error.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cstring>

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

bool OriginalValues::Text::operator==(std::u16string_view s) const
{
    if (s.size() != m_length)
        return false;
    if (m_wide)
        return wide() == s;
    for (size_t i = 0; i < m_length; ++i)
        if (s[i] != m_bytes[i])
            return false;
    return true;
}

QString OriginalValues::Text::toString() const
{
    if (m_wide)
        return QString(reinterpret_cast<const QChar*>(m_bytes), static_cast<qsizetype>(m_length));
    return QString::fromLatin1(reinterpret_cast<const char*>(m_bytes), static_cast<qsizetype>(m_length));
}

namespace {
// FNV-1a over the characters, so that both widths of a text hash alike.
constexpr uint64_t kFnvOffset = 14695981039346656037ull;
constexpr uint64_t kFnvPrime = 1099511628211ull;
}  // namespace

size_t OriginalValues::Text::hash() const
{
    if (m_wide)
        return hash(wide());
    uint64_t h = kFnvOffset;
    for (size_t i = 0; i < m_length; ++i)
        h = (h ^ m_bytes[i]) * kFnvPrime;
    return static_cast<size_t>(h ^ (h >> 29));
}

size_t OriginalValues::Text::hash(std::u16string_view s)
{
    uint64_t h = kFnvOffset;
    for (const char16_t c : s)
        h = (h ^ c) * kFnvPrime;
    return static_cast<size_t>(h ^ (h >> 29));
}

template <typename TextOf>
int64_t OriginalValues::TextTable::find(std::u16string_view text, const TextOf& textOf) const
{
    if (m_slots.empty())
        return -1;
    const size_t mask = m_slots.size() - 1;
    for (size_t i = Text::hash(text) & mask;; i = (i + 1) & mask) {
        const uint32_t slot = m_slots[i];
        if (slot == 0)
            return -1;
        if (textOf(slot - 1) == text)
            return slot - 1;
    }
}

template <typename TextOf>
void OriginalValues::TextTable::insert(uint32_t entry, std::u16string_view text, const TextOf& textOf)
{
    place(entry, Text::hash(text), textOf);
}

template <typename TextOf>
void OriginalValues::TextTable::place(uint32_t entry, size_t hash, const TextOf& textOf)
{
    // At most half full, so that a search meets a free slot soon.
    if (2 * (m_count + 1) > m_slots.size()) {
        std::vector<uint32_t> old(std::max<size_t>(64, 2 * m_slots.size()), 0);
        old.swap(m_slots);
        m_count = 0;
        for (uint32_t slot : old)
            if (slot != 0)
                place(slot - 1, textOf(slot - 1).hash(), textOf);
    }
    const size_t mask = m_slots.size() - 1;
    size_t i = hash & mask;
    while (m_slots[i] != 0)
        i = (i + 1) & mask;
    m_slots[i] = entry + 1;
    ++m_count;
}

void OriginalValues::TextTable::clear()
{
    m_slots.clear();
    m_count = 0;
}

OriginalValues::Span OriginalValues::keep(std::u16string_view text)
{
    const auto length = static_cast<uint32_t>(text.size());
    const bool wide = std::any_of(text.begin(), text.end(), [](char16_t c) { return c > 0xFF; });
    const uint32_t bytes = wide ? 2 * length : length;
    const auto copy = [&](uint8_t* to) {
        if (wide)
            std::memcpy(to, text.data(), bytes);
        else
            std::transform(text.begin(), text.end(), to, [](char16_t c) { return static_cast<uint8_t>(c); });
    };
    if (bytes > kBlock) {
        const auto first = static_cast<uint32_t>(m_blocks.size());
        m_blocks.push_back(std::make_unique_for_overwrite<uint8_t[]>(bytes));
        copy(m_blocks.back().get());
        m_blocks.resize(first + (bytes + kBlock - 1) / kBlock);
        m_used = kBlock;  // the next text starts a block of its own
        return Span{first * kBlock, length, wide};
    }
    // Two-byte characters start at an even offset, so that they are read in place.
    const uint32_t at = wide ? (m_used + 1) & ~1u : m_used;
    if (m_blocks.empty() || !m_blocks.back() || at + bytes > kBlock) {
        m_blocks.push_back(std::make_unique_for_overwrite<uint8_t[]>(kBlock));
        m_used = 0;
    } else {
        m_used = at;
    }
    const Span s{static_cast<uint32_t>(m_blocks.size() - 1) * kBlock + m_used, length, wide};
    copy(m_blocks.back().get() + m_used);
    m_used += bytes;
    return s;
}

void OriginalValues::clear()
{
    m_blocks.clear();
    m_used = 0;
    m_texts.clear();
    m_textIndex.clear();
    m_candidates.clear();
    m_candidateIndex.clear();
    m_firstWords.clear();
    m_rewritten.clear();
    m_rewrittenTables.clear();
}

QStringList OriginalValues::texts() const
{
    QStringList out;
    out.reserve(static_cast<qsizetype>(m_texts.size()));
    for (const Span& s : m_texts)
        out.push_back(textAt(s).toString());
    return out;
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
    const std::u16string_view stored = view(text, 0, text.size());
    const auto storedText = [this](uint32_t i) { return textAt(m_texts[i]); };
    if (text.isEmpty() || m_textIndex.find(stored, storedText) >= 0)
        return;
    m_texts.push_back(keep(stored));
    m_textIndex.insert(static_cast<uint32_t>(m_texts.size() - 1), stored, storedText);
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
    const std::u16string_view whole = view(folded, 0, folded.size());
    const auto candidateText = [this](uint32_t i) { return textAt(m_candidates[i].text); };
    if (m_candidateIndex.find(whole, candidateText) >= 0)
        return;
    const auto firstWordOf = [this](uint32_t i) { return firstWordAt(i); };
    const auto entry = static_cast<uint32_t>(m_candidates.size());
    Candidate c{keep(whole), static_cast<uint32_t>(wordEnd), -1, kind};
    const std::u16string_view firstWord = whole.substr(0, static_cast<size_t>(wordEnd));
    const int64_t head = m_firstWords.find(firstWord, firstWordOf);
    if (head >= 0) {
        // Chained behind the first candidate of its first word, which stays in the table.
        c.next = m_candidates[static_cast<size_t>(head)].next;
        m_candidates.push_back(c);
        m_candidates[static_cast<size_t>(head)].next = static_cast<int32_t>(entry);
    } else {
        m_candidates.push_back(c);
        m_firstWords.insert(entry, firstWord, firstWordOf);
    }
    m_candidateIndex.insert(entry, whole, candidateText);
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
    if (m_candidates.empty() || cell.isEmpty())
        return false;
    const auto firstWordOf = [this](uint32_t i) { return firstWordAt(i); };
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
        const int64_t head = m_firstWords.find(view(folded, i, end - i), firstWordOf);
        if (head >= 0) {
            // The longest original that starts here wins ("Anna Maria" before "Anna").
            const Candidate* best = nullptr;
            for (int64_t at = head; at >= 0; at = m_candidates[static_cast<size_t>(at)].next) {
                const Candidate& candidate = m_candidates[static_cast<size_t>(at)];
                const auto length = static_cast<qsizetype>(candidate.text.length);
                if (i + length <= size && textAt(candidate.text) == view(folded, i, length)
                    && (i + length == size || !isWordChar(folded[i + length]))
                    && (!best || candidate.text.length > best->text.length))
                    best = &candidate;
            }
            if (best) {
                if (!all)
                    return true;
                found = true;
                const auto length = static_cast<qsizetype>(best->text.length);
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
        // The text columns to search first, from the table's columns without its rows;
        // then only they are read: a table has no reason to have its other columns (long
        // memos, say) decoded, and a table without such a column is not read at all.
        QStringList names;
        std::vector<int> counts;
        try {
            con.Query(
                QStringLiteral("select * from [%1] where 0").arg(table),
                [](const db::ResultColumns&, const std::vector<db::Value>&) {},
                [&](const db::ResultColumns& cols) {
                    for (int i = 0; i < cols.names.size(); ++i)
                        if (cols.kinds[static_cast<size_t>(i)] == db::ColumnKind::Text
                            && !originals.isRewritten(table, cols.names[i]))
                            names.append(cols.names[i]);
                    return std::vector<int>{};
                });
            counts.assign(static_cast<size_t>(names.size()), 0);
            QStringList quoted;
            for (const QString& name : names)
                quoted.append(QLatin1Char('[') + name + QLatin1Char(']'));
            std::vector<int> all(static_cast<size_t>(names.size()));
            for (size_t i = 0; i < all.size(); ++i)
                all[i] = static_cast<int>(i);
            if (!names.isEmpty()) {
                con.Query(
                    QStringLiteral("select %1 from [%2]").arg(quoted.join(QLatin1Char(',')), table),
                    [&](const db::ResultColumns&, const std::vector<db::Value>& row) {
                        for (size_t i = 0; i < row.size(); ++i)
                            if (const auto* text = std::get_if<QString>(&row[i]))
                                if (originals.foundIn(*text))
                                    ++counts[i];
                    },
                    [&](const db::ResultColumns&) { return all; });
            }
        } catch (const util::Error& e) {
            // A table the database layer cannot read (a column type it does not know)
            // is named, not passed over in silence.
            out.push_back({table, QString(), 0, e.message()});
            continue;
        }
        for (size_t i = 0; i < counts.size(); ++i)
            if (counts[i] > 0)
                out.push_back({table, names[static_cast<qsizetype>(i)], counts[i], QString()});
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
