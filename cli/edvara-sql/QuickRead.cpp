// The quick read: recognising a whole-table statement, opening the Access file as the
// database layer does, and writing the table through the shared CSV forms.
#include "cli/edvara-sql/QuickRead.h"

#include "cli/edvara-sql/CsvFormat.h"
#include "db/jet/JetFormat.h"
#include "db/jet/JetSqlite.h"
#include "db/jet/ValueFormat.h"

#include <sqlite3.h>

#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <ostream>
#include <unistd.h>
#include <vector>

namespace cli {

namespace {

// Output is written in pieces of about this size.
constexpr size_t kPieceBytes = 64u << 10;

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }
bool isWordStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool isWordChar(char c) { return isWordStart(c) || (c >= '0' && c <= '9') || c == '$'; }

bool sameWord(std::string_view text, std::string_view lowerWord)
{
    if (text.size() != lowerWord.size())
        return false;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != lowerWord[i])
            return false;
    }
    return true;
}

class Scanner {
public:
    explicit Scanner(std::string_view s) : m_s(s) {}
    void skipBlanks()
    {
        while (m_pos < m_s.size() && isBlank(m_s[m_pos]))
            ++m_pos;
    }
    std::string_view word()
    {
        const size_t from = m_pos;
        if (m_pos < m_s.size() && isWordStart(m_s[m_pos]))
            while (m_pos < m_s.size() && isWordChar(m_s[m_pos]))
                ++m_pos;
        // A letter beyond ASCII would belong to the word in the dialect's eyes.
        if (m_pos < m_s.size() && static_cast<unsigned char>(m_s[m_pos]) >= 0x80)
            return {};
        return m_s.substr(from, m_pos - from);
    }
    bool symbol(char c)
    {
        if (m_pos < m_s.size() && m_s[m_pos] == c) {
            ++m_pos;
            return true;
        }
        return false;
    }
    bool at(char c) const { return m_pos < m_s.size() && m_s[m_pos] == c; }
    // A name in brackets; nothing when the bracket is not closed.
    std::optional<std::string_view> bracketed()
    {
        const size_t close = m_s.find(']', m_pos + 1);
        if (!at('[') || close == std::string_view::npos)
            return std::nullopt;
        const std::string_view inner = m_s.substr(m_pos + 1, close - m_pos - 1);
        m_pos = close + 1;
        return inner;
    }
    // Only blanks and semicolons are left.
    bool atEnd() const
    {
        for (size_t i = m_pos; i < m_s.size(); ++i)
            if (!isBlank(m_s[i]) && m_s[i] != ';')
                return false;
        return true;
    }

private:
    std::string_view m_s;
    size_t m_pos = 0;
};

// Words the dialect translation changes or keys on: a table of that name is left to it.
bool dialectWord(std::string_view w)
{
    for (const char* k : {"true", "false", "mod", "distinctrow", "delete", "select", "top"})
        if (sameWord(w, k))
            return true;
    return false;
}

std::string quoteName(std::string_view name)
{
    std::string q = "\"";
    for (const char c : name) {
        q += c;
        if (c == '"')
            q += '"';
    }
    return q + "\"";
}

bool isAccessFile(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    char head[19] = {};
    const ssize_t got = ::pread(fd, head, sizeof head, 0);
    ::close(fd);
    return got == static_cast<ssize_t>(sizeof head)
           && db::jet::accessSignature(head, sizeof head) != db::jet::AccessSignature::None;
}

struct SqliteCloser {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
struct StatementCloser {
    void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};

// What the database layer makes of a failure while rows are read: the Access engine's
// own message (German, ending with a full stop); of SQLite's texts only running out of
// memory can occur in reading a table whole.
std::string failureText(sqlite3* db, int rc)
{
    const std::string message = sqlite3_errmsg(db);
    if (!message.empty() && message.back() == '.')
        return message;
    if (message == "out of memory")
        return "Nicht genügend Arbeitsspeicher.";
    if (message.empty())
        return "Die Datenbank meldet den Fehler " + std::to_string(rc) + ".";
    return "Die Datenbank meldet einen Fehler: " + message + ".";
}

}  // namespace

std::optional<std::string> wholeTableStatement(std::string_view sql)
{
    Scanner s(sql);
    s.skipBlanks();
    if (!sameWord(s.word(), "select"))
        return std::nullopt;
    s.skipBlanks();
    if (!s.symbol('*'))
        return std::nullopt;
    s.skipBlanks();
    if (!sameWord(s.word(), "from"))
        return std::nullopt;
    s.skipBlanks();
    std::string name;
    if (s.at('[')) {
        const auto inner = s.bracketed();
        if (!inner)
            return std::nullopt;
        name = *inner;
    } else {
        const std::string_view w = s.word();
        if (w.empty() || dialectWord(w) || sqlite3_keyword_check(w.data(), static_cast<int>(w.size())))
            return std::nullopt;
        name = w;
    }
    if (name.empty() || !s.atEnd())
        return std::nullopt;
    return name;
}

std::optional<int> runQuickRead(const SqlOptions& options, std::ostream& out, std::ostream& err)
{
    if (options.help || options.check || options.scrub || options.positional.empty())
        return std::nullopt;
    std::optional<std::string> table;
    if (!options.tables) {
        if (options.positional.size() != 2 || !(table = wholeTableStatement(options.positional[1])))
            return std::nullopt;
    }
    // The path as the database layer names the file in its messages.
    std::error_code ec;
    const std::string path = std::filesystem::absolute(options.positional[0], ec).lexically_normal().string();
    if (ec || !isAccessFile(path))
        return std::nullopt;

    // A fresh in-memory connection, as the database layer opens one for an Access file.
    // Reading a table whole compares no text, so the Access text semantics that the layer
    // installs change nothing here.
    sqlite3* raw = nullptr;
    if (sqlite3_open_v2(":memory:", &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK) {
        sqlite3_close_v2(raw);
        return std::nullopt;
    }
    std::unique_ptr<sqlite3, SqliteCloser> db(raw);
    std::unique_ptr<db::jet::AttachedDatabase> attached;
    try {
        attached = db::jet::attachAccessFile(
            db.get(), path, options.password,
            options.readOnly ? db::jet::AccessMode::ReadShared : db::jet::AccessMode::ReadWriteExclusive);
    } catch (const std::exception&) {
        return std::nullopt;
    }

    std::string text;
    if (options.tables) {
        for (const std::string& name : attached->tableNames())
            text.append(name).append("\n");
        out << text;
        out.flush();
        return kExitOk;
    }

    sqlite3_stmt* rawStatement = nullptr;
    const std::string sql = "SELECT * FROM " + quoteName(*table);
    if (sqlite3_prepare_v2(db.get(), sql.c_str(), -1, &rawStatement, nullptr) != SQLITE_OK) {
        sqlite3_finalize(rawStatement);
        return std::nullopt;
    }
    std::unique_ptr<sqlite3_stmt, StatementCloser> statement(rawStatement);
    sqlite3_stmt* st = statement.get();
    const int columns = sqlite3_column_count(st);
    std::vector<db::ColumnKind> kinds;
    for (int i = 0; i < columns; ++i) {
        const char* declared = sqlite3_column_decltype(st, i);
        kinds.push_back(db::columnKindFromDeclaredType(declared ? std::string_view(declared) : std::string_view()));
        if (i)
            text += ',';
        appendCsvName(text, sqlite3_column_name(st, i));
    }
    text += '\n';

    // Until the first row has been read, a failure is left to the full tool, which then
    // prints no header either; after it, the output goes out in pieces as the full tool's
    // does, and a failure ends it with the full tool's message.
    bool firstRowRead = false;
    for (;;) {
        const int rc = sqlite3_step(st);
        if (rc == SQLITE_DONE)
            break;
        if (rc != SQLITE_ROW) {
            if (!firstRowRead)
                return std::nullopt;
            out << text;
            out.flush();
            err << kSqlTool << ": " << failureText(db.get(), rc) << "\n";
            return kExitError;
        }
        for (int i = 0; i < columns; ++i) {
            if (i)
                text += ',';
            switch (sqlite3_column_type(st, i)) {
            case SQLITE_INTEGER:
                appendCsvInteger(text, kinds[i], sqlite3_column_int64(st, i));
                break;
            case SQLITE_FLOAT: {
                const double v = sqlite3_column_double(st, i);
                // The engine hands date-times over as text; a number here would be a day count.
                if (kinds[i] == db::ColumnKind::DateTime)
                    text += db::jet::formatDateTime(v).value_or(formatNumber(v));
                else
                    appendCsvReal(text, kinds[i], v);
                break;
            }
            case SQLITE_TEXT:
                appendCsvText(text, kinds[i],
                              std::string_view(reinterpret_cast<const char*>(sqlite3_column_text(st, i)),
                                               static_cast<size_t>(sqlite3_column_bytes(st, i))));
                break;
            case SQLITE_BLOB: {
                const auto* data = static_cast<const char*>(sqlite3_column_blob(st, i));
                appendCsvBytes(text, std::string_view(data ? data : "", static_cast<size_t>(sqlite3_column_bytes(st, i))));
                break;
            }
            default:
                break;  // NULL: an empty field
            }
        }
        text += '\n';
        firstRowRead = true;
        if (text.size() >= kPieceBytes) {
            out << text;
            text.clear();
        }
    }
    out << text;
    out.flush();
    return kExitOk;
}

}  // namespace cli
