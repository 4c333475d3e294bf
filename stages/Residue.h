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

#include <functional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace db {
class DbConnection;
}

namespace app {

// What an original was, told by the column it was replaced in: a replacement of the same
// kind keeps the shape of the data.
enum class ValueKind { FirstName, Surname, FullName, Mail, Phone, Street, SchoolNumber, Date, Other };
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
    bool isEmpty() const { return m_texts.isEmpty(); }
    // The values as they were stored (trimmed), for a search of the file's raw bytes.
    QStringList texts() const { return QStringList(m_texts.begin(), m_texts.end()); }

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
    struct Hash {
        using is_transparent = void;
        size_t operator()(std::u16string_view s) const { return std::hash<std::u16string_view>()(s); }
    };
    struct Equal {
        using is_transparent = void;
        bool operator()(std::u16string_view a, std::u16string_view b) const { return a == b; }
    };

    QSet<QString> m_texts;
    QSet<QString> m_rewritten;       // "table\ncolumn", case-folded
    QSet<QString> m_rewrittenTables;  // case-folded
    // Case-folded originals by their first word, with the kind each was first kept as.
    struct Candidate {
        std::u16string text;
        ValueKind kind;
    };
    std::unordered_map<std::u16string, std::vector<Candidate>, Hash, Equal> m_byFirstWord;
    // Every candidate's text: a value already kept is found without a walk through its
    // bucket (phone numbers all share their first word).
    std::unordered_set<std::u16string, Hash, Equal> m_candidates;
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
