// Reading the head of an INSERT statement: INSERT [OR action] INTO [schema.]table
// [AS alias] [(columns)] VALUES | SELECT | WITH | DEFAULT VALUES.
#include "db/jet/InsertColumns.h"

#include "db/jet/CaseFold.h"

#include <cctype>

namespace db::jet {

namespace {

struct Token {
    enum class Kind { Word, Quoted, Symbol, End };
    Kind kind = Kind::End;
    std::string text;  // a word as written, a quoted name without its quotes, a symbol
};

// SQLite's lexical rules as far as a statement's head needs them; a string literal or
// anything unexpected ends the reading (the caller then knows nothing).
class Lexer {
public:
    explicit Lexer(const std::string& sql) : m_sql(sql) {}

    std::optional<Token> next()
    {
        skipBlanks();
        Token t;
        if (m_at >= m_sql.size())
            return t;
        const char ch = m_sql[m_at];
        const auto word = [](char c) {
            return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$'
                   || static_cast<unsigned char>(c) >= 0x80;
        };
        if (word(ch)) {
            t.kind = Token::Kind::Word;
            while (m_at < m_sql.size() && word(m_sql[m_at]))
                t.text.push_back(m_sql[m_at++]);
            return t;
        }
        if (ch == '"' || ch == '`' || ch == '[') {
            const char close = ch == '[' ? ']' : ch;
            t.kind = Token::Kind::Quoted;
            for (++m_at; m_at < m_sql.size(); ++m_at) {
                if (m_sql[m_at] != close) {
                    t.text.push_back(m_sql[m_at]);
                    continue;
                }
                if (close != ']' && m_at + 1 < m_sql.size() && m_sql[m_at + 1] == close) {
                    t.text.push_back(close);
                    ++m_at;
                    continue;
                }
                ++m_at;
                return t;
            }
            return std::nullopt;  // not closed
        }
        if (ch == '(' || ch == ')' || ch == ',' || ch == '.') {
            t.kind = Token::Kind::Symbol;
            t.text = std::string(1, ch);
            ++m_at;
            return t;
        }
        return std::nullopt;
    }

private:
    void skipBlanks()
    {
        while (m_at < m_sql.size()) {
            const char ch = m_sql[m_at];
            if (std::isspace(static_cast<unsigned char>(ch))) {
                ++m_at;
            } else if (m_sql.compare(m_at, 2, "--") == 0) {
                while (m_at < m_sql.size() && m_sql[m_at] != '\n')
                    ++m_at;
            } else if (m_sql.compare(m_at, 2, "/*") == 0) {
                const size_t end = m_sql.find("*/", m_at + 2);
                m_at = end == std::string::npos ? m_sql.size() : end + 2;
            } else {
                return;
            }
        }
    }

    const std::string& m_sql;
    size_t m_at = 0;
};

bool isWord(const std::optional<Token>& t, const char* word)
{
    if (!t || t->kind != Token::Kind::Word)
        return false;
    const std::string w(word);
    if (t->text.size() != w.size())
        return false;
    for (size_t i = 0; i < w.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(t->text[i])) != w[i])
            return false;
    return true;
}

bool isSymbol(const std::optional<Token>& t, char symbol)
{
    return t && t->kind == Token::Kind::Symbol && t->text.size() == 1 && t->text[0] == symbol;
}

bool isName(const std::optional<Token>& t) { return t && (t->kind == Token::Kind::Word || t->kind == Token::Kind::Quoted); }

bool sameName(const std::string& a, const std::string& b)
{
    std::string x, y;
    return foldedKey(a, x) && foldedKey(b, y) && x == y;
}

}  // namespace

std::optional<InsertColumns> insertColumns(const std::string& sql, const std::string& table)
{
    Lexer lex(sql);
    std::optional<Token> t = lex.next();
    if (isWord(t, "INSERT")) {
        t = lex.next();
        if (isWord(t, "OR")) {
            if (!(t = lex.next()) || t->kind != Token::Kind::Word)
                return std::nullopt;
            t = lex.next();
        }
    } else if (!isWord(t, "REPLACE")) {
        return std::nullopt;
    } else {
        t = lex.next();
    }
    if (!isWord(t, "INTO") || !isName(t = lex.next()))
        return std::nullopt;
    std::string name = t->text;
    t = lex.next();
    if (isSymbol(t, '.')) {
        if (!isName(t = lex.next()))
            return std::nullopt;
        name = t->text;
        t = lex.next();
    }
    if (!sameName(name, table))
        return std::nullopt;
    if (isWord(t, "AS")) {
        if (!isName(lex.next()))
            return std::nullopt;
        t = lex.next();
    }
    InsertColumns out;
    if (isSymbol(t, '(')) {
        for (;;) {
            t = lex.next();
            if (!isName(t) || isWord(t, "SELECT") || isWord(t, "VALUES") || isWord(t, "WITH"))
                return std::nullopt;
            out.names.push_back(t->text);
            t = lex.next();
            if (isSymbol(t, ')'))
                break;
            if (!isSymbol(t, ','))
                return std::nullopt;
        }
        t = lex.next();
        if (isWord(t, "VALUES") || isWord(t, "SELECT") || isWord(t, "WITH"))
            return out;
        return std::nullopt;
    }
    if (isWord(t, "VALUES") || isWord(t, "SELECT") || isWord(t, "WITH")) {
        out.all = true;
        return out;
    }
    if (isWord(t, "DEFAULT") && isWord(lex.next(), "VALUES"))
        return out;
    return std::nullopt;
}

}  // namespace db::jet
