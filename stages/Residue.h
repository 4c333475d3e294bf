// What a run leaves of the people it was meant to hide: the original values the stages
// replace (names, streets, telephone numbers, mail addresses, birth dates, the own school's
// number and name) are kept while the run lasts, and afterwards every text column of every
// table is searched for them, whole words without regard to letter case.
// Layer: anonymisation stages; reads the target through the database layer, never changes
// it. The originals live in memory only and go with the run.
#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

#include <algorithm>

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace db {
class DbConnection;
}

namespace app {

// What an original was, told by the column it was replaced in: a replacement of the same
// kind keeps the shape of the data.
enum class ValueKind : uint8_t { FirstName, Surname, FullName, Mail, Phone, Street, SchoolNumber, Date, Other };
ValueKind kindOfColumn(const QString& column);

// One column that still holds originals: how many of its rows hold at least one. A table
// that could not be read is listed with its reason instead (column empty).
struct ResidueEntry {
    QString table;
    QString column;
    int rows = 0;
    QString error;
};

class OriginalValues {
public:
    void clear();
    // A value a stage replaces in `table`.`column`, which it rewrites in every row: the
    // column then holds only what the run wrote and is not searched.
    void replaced(const QString& table, const QString& column, const QString& value);
    // A table the run emptied and filled anew: none of its columns is searched.
    void rewroteTable(const QString& table);
    // A value replaced where the column is not rewritten in every row.
    void record(const QString& value, ValueKind kind = ValueKind::Other);
    // A date-time (days since 1899-12-30) as the text a person would type: "dd.mm.yyyy".
    void recordDate(double days);

    bool isRewritten(const QString& table, const QString& column) const;
    bool isEmpty() const { return m_texts.empty(); }
    // The values as they were stored (trimmed), for a search of the file's raw bytes.
    QStringList texts() const;

    // Whether `cell` contains an original as a whole word (not inside a longer run of
    // letters and digits), letter case ignored.
    bool foundIn(const QString& cell) const;
    // Every original in `cell` as a whole word: where it stands, how long it is, its kind.
    struct Match {
        qsizetype from = 0;
        qsizetype length = 0;
        ValueKind kind = ValueKind::Other;
    };
    std::vector<Match> matchesIn(const QString& cell) const;

private:
    // Texts stored once, back to back in blocks of kBlock bytes (a longer text in a block of
    // its own, whose place takes as many numbers): a text is its place there. A text whose
    // every character is Latin-1 (nearly every German name) takes a byte a character, any
    // other two. The blocks never move, so the store grows by a block, not by doubling one
    // buffer.
    struct Span {
        uint32_t from = 0;  // bytes
        uint32_t length : 31 = 0;  // characters
        uint32_t wide : 1 = 0;
    };
    static constexpr uint32_t kBlock = 65536;
    // A kept text as it is read: its characters, whichever width they are kept in.
    class Text {
    public:
        Text(const uint8_t* bytes, uint32_t length, bool wide) : m_bytes(bytes), m_length(length), m_wide(wide) {}
        size_t size() const { return m_length; }
        Text prefix(size_t n) const { return Text(m_bytes, static_cast<uint32_t>(std::min<size_t>(n, m_length)), m_wide); }
        bool operator==(std::u16string_view s) const;
        QString toString() const;
        // The same for a text and its characters as a u16string_view.
        size_t hash() const;
        static size_t hash(std::u16string_view s);

    private:
        std::u16string_view wide() const
        {
            return std::u16string_view(reinterpret_cast<const char16_t*>(m_bytes), m_length);
        }
        const uint8_t* m_bytes;
        uint32_t m_length;
        bool m_wide;
    };
    // Entry numbers in an open-addressed hash table, found by a text; `textOf` tells an
    // entry's text (the table keeps none itself).
    class TextTable {
    public:
        template <typename TextOf>
        int64_t find(std::u16string_view text, const TextOf& textOf) const;
        template <typename TextOf>
        void insert(uint32_t entry, std::u16string_view text, const TextOf& textOf);
        template <typename TextOf>
        void place(uint32_t entry, size_t hash, const TextOf& textOf);
        void clear();

    private:
        std::vector<uint32_t> m_slots;  // entry + 1; 0 is free
        size_t m_count = 0;
    };
    // A case-folded original from its first letter or digit to its last, with the kind
    // it was first kept as; candidates with the same first word are chained.
    struct Candidate {
        Span text;
        uint32_t firstWord = 0;  // its length
        int32_t next = -1;       // the next candidate with that first word
        ValueKind kind = ValueKind::Other;
    };

    Text textAt(Span s) const { return Text(m_blocks[s.from / kBlock].get() + s.from % kBlock, s.length, s.wide); }
    Text firstWordAt(uint32_t candidate) const
    {
        return textAt(m_candidates[candidate].text).prefix(m_candidates[candidate].firstWord);
    }
    Span keep(std::u16string_view text);

    std::vector<std::unique_ptr<uint8_t[]>> m_blocks;  // null behind a long text's block
    uint32_t m_used = 0;  // bytes of the last block taken
    std::deque<Span> m_texts;  // the originals as stored (trimmed)
    TextTable m_textIndex;
    std::deque<Candidate> m_candidates;
    TextTable m_candidateIndex;  // by the whole folded text
    TextTable m_firstWords;      // the first candidate of each first word
    QSet<QString> m_rewritten;       // "table\ncolumn", case-folded
    QSet<QString> m_rewrittenTables;  // case-folded
    // The scan of foundIn and matchesIn; stops at the first match when `all` is null.
    bool scan(const QString& cell, std::vector<Match>* all) const;
};

// Every text column of every table of `con`, searched row by row; `pause` is called after
// each table. Columns the run rewrote in every row are passed over: they hold only what the
// run wrote there.
std::vector<ResidueEntry> findResidue(db::DbConnection& con, const OriginalValues& originals,
                                      const std::function<void()>& pause = {});

// The text of the window's final box (empty when nothing was found).
QString residueReportText(const std::vector<ResidueEntry>& entries);

// The list as CSV (UTF-8, header "Tabelle,Spalte,Datensätze,Fehler"); raises util::Error with a
// German message when the file cannot be written.
void writeResidueCsv(const QString& path, const std::vector<ResidueEntry>& entries);

}  // namespace app
