// Token-level translation of the Access SQL dialect.
#include "db/AccessDialect.h"
#include "db/DbError.h"
#include "db/SqliteAccess.h"
#include "util/ListHelpers.h"

#include <QDateTime>
#include <QHash>
#include <QRegularExpression>
#include <QSet>

namespace db {

namespace {

bool isWordStart(QChar c) { return c.isLetter() || c == QLatin1Char('_'); }
bool isWordChar(QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$'); }

const QHash<QString, QString>& functionMap()
{
    static const QHash<QString, QString> map = {
        {QStringLiteral("isnull"), QStringLiteral("jet_isnull")},
        {QStringLiteral("nz"), QStringLiteral("jet_nz")},
        {QStringLiteral("ucase"), QStringLiteral("jet_ucase")},
        {QStringLiteral("lcase"), QStringLiteral("jet_lcase")},
        {QStringLiteral("len"), QStringLiteral("jet_len")},
        {QStringLiteral("left"), QStringLiteral("jet_left")},
        {QStringLiteral("right"), QStringLiteral("jet_right")},
        {QStringLiteral("mid"), QStringLiteral("jet_mid")},
        {QStringLiteral("trim"), QStringLiteral("jet_trim")},
        {QStringLiteral("now"), QStringLiteral("jet_now")},
        {QStringLiteral("date"), QStringLiteral("jet_date")},
        {QStringLiteral("instr"), QStringLiteral("jet_instr")},
        {QStringLiteral("year"), QStringLiteral("jet_year")},
        {QStringLiteral("month"), QStringLiteral("jet_month")},
        {QStringLiteral("day"), QStringLiteral("jet_day")},
        {QStringLiteral("cstr"), QStringLiteral("jet_cstr")},
        {QStringLiteral("clng"), QStringLiteral("jet_clng")},
        {QStringLiteral("cint"), QStringLiteral("jet_clng")},
        {QStringLiteral("int"), QStringLiteral("jet_int")},
        {QStringLiteral("val"), QStringLiteral("jet_val")},
        {QStringLiteral("iif"), QStringLiteral("iif")},
    };
    return map;
}

bool isSymbol(const SqlToken& t, const char* sym)
{
    return t.kind == SqlToken::Symbol && t.text == QLatin1String(sym);
}

// Index of the next token that is not blank or comment, or -1.
qsizetype nextSignificant(const std::vector<SqlToken>& toks, qsizetype from)
{
    for (qsizetype i = from; i < static_cast<qsizetype>(toks.size()); ++i)
        if (toks[i].kind != SqlToken::Space && toks[i].kind != SqlToken::Comment)
            return i;
    return -1;
}

qsizetype prevSignificant(const std::vector<SqlToken>& toks, qsizetype from)
{
    for (qsizetype i = from; i >= 0; --i)
        if (toks[i].kind != SqlToken::Space && toks[i].kind != SqlToken::Comment)
            return i;
    return -1;
}

bool isWord(const SqlToken& t, const char* word)
{
    return t.kind == SqlToken::Word && t.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

bool isComparison(const SqlToken& t)
{
    static const char* const kOps[] = {"=", "==", "<>", "!=", "<", "<=", ">", ">="};
    if (t.kind != SqlToken::Symbol)
        return false;
    for (const char* op : kOps)
        if (t.text == QLatin1String(op))
            return true;
    return false;
}

// Text comparisons as Access makes them: letter case is ignored for every letter. SQLite
// files declare their text columns with SQLite's own NOCASE (ASCII letters only), which
// other SQLite tools know and index by; so every comparison with a text literal here
// gets an explicit collation: NOCASE for a lone ASCII literal (same result as Access,
// and the column's index stays usable), else the Access collation. Data definitions are
// left alone, so that the Access collation, unknown elsewhere, never enters a schema.
// Two columns compared with each other keep their declared collation.
class ComparisonCollations {
public:
    explicit ComparisonCollations(std::vector<SqlToken>& toks) : m_toks(toks) {}

    void apply()
    {
        qsizetype first = next(0);
        if (first >= 0 && isWord(m_toks[first], "explain")) {
            first = next(first + 1);
            if (first >= 0 && isWord(m_toks[first], "query")) {
                first = next(first + 1);  // PLAN
                first = first >= 0 ? next(first + 1) : -1;
            }
        }
        if (first < 0 || !(isSymbol(m_toks[first], "(") || isWord(m_toks[first], "select")
                           || isWord(m_toks[first], "insert") || isWord(m_toks[first], "update")
                           || isWord(m_toks[first], "delete") || isWord(m_toks[first], "with")
                           || isWord(m_toks[first], "replace") || isWord(m_toks[first], "values")))
            return;
        findRangeWhere(first);
        for (qsizetype k = first; k >= 0; k = next(k + 1)) {
            const SqlToken& t = m_toks[k];
            if (isComparison(t))
                comparison(k);
            else if (isWord(t, "in"))
                inList(k);
            else if (isWord(t, "between"))
                between(k);
        }
    }

private:
    bool significant(qsizetype i) const
    {
        const SqlToken& t = m_toks[i];
        return t.kind != SqlToken::Space && t.kind != SqlToken::Comment && !t.text.isEmpty();
    }
    qsizetype next(qsizetype from) const
    {
        for (qsizetype i = from; i < static_cast<qsizetype>(m_toks.size()); ++i)
            if (significant(i))
                return i;
        return -1;
    }
    qsizetype prev(qsizetype from) const
    {
        for (qsizetype i = from; i >= 0; --i)
            if (significant(i))
                return i;
        return -1;
    }
    bool isText(qsizetype i) const { return i >= 0 && m_toks[i].kind == SqlToken::String; }
    bool hasCollation(qsizetype i) const
    {
        const qsizetype n = next(i + 1);
        return m_done.contains(i) || (n >= 0 && isWord(m_toks[n], "collate"));
    }
    // A literal that is a whole operand, not part of a longer expression.
    bool loneLiteral(qsizetype i) const
    {
        const qsizetype p = prev(i - 1);
        const qsizetype n = next(i + 1);
        const auto bounds = [&](qsizetype j, bool before) {
            if (j < 0 || m_toks[j].kind == SqlToken::Word || isComparison(m_toks[j]) || isSymbol(m_toks[j], ","))
                return true;
            return before ? isSymbol(m_toks[j], "(") : (isSymbol(m_toks[j], ")") || isSymbol(m_toks[j], ";"));
        };
        return bounds(p, true) && bounds(n, false);
    }
    static bool asciiOnly(const QString& text)
    {
        for (QChar c : text)
            if (c.unicode() >= 0x80)
                return false;
        return true;
    }
    bool asciiLiteral(qsizetype i) const { return loneLiteral(i) && asciiOnly(m_toks[i].text); }
    void collate(qsizetype i, bool ascii)
    {
        m_toks[i].text += QStringLiteral(" COLLATE ") + QLatin1String(ascii ? "NOCASE" : kAccessCollation);
        m_done.insert(i);
    }

    // Where an equality of a column with a text literal that is not ASCII may also be
    // given as a range under NOCASE, so that an index of the column finds the rows: the
    // WHERE clause of an UPDATE or DELETE without subqueries, whose rows are changed in no
    // particular order (a SELECT keeps the order a full scan gives). -1: nowhere.
    void findRangeWhere(qsizetype first)
    {
        m_rangeWhere = -1;
        if (!isWord(m_toks[first], "update") && !isWord(m_toks[first], "delete"))
            return;
        // An UPDATE with FROM or a join takes one of several matching rows, whichever
        // the plan finds first: it is left as it is.
        const bool update = isWord(m_toks[first], "update");
        int depth = 0;
        for (qsizetype i = first; i >= 0; i = next(i + 1)) {
            const SqlToken& t = m_toks[i];
            if (isWord(t, "select") || isWord(t, "between") || isWord(t, "returning") || isWord(t, "join")
                || (update && isWord(t, "from"))) {
                m_rangeWhere = -1;
                return;
            }
            if (isSymbol(t, "("))
                ++depth;
            else if (isSymbol(t, ")"))
                --depth;
            else if (depth == 0 && m_rangeWhere < 0 && isWord(t, "where"))
                m_rangeWhere = i;
        }
    }

    // A column compared with `=` to a text literal with letters beyond ASCII: Access ignores
    // the case of every letter, so the comparison takes the Access collation, which no
    // index of a SQLite file has. Every text equal to the literal under it starts with
    // the literal's ASCII letters (in any case) followed by a letter beyond ASCII, for
    // a letter beyond ASCII never folds into ASCII nor ASCII beyond it. That prefix as a
    // range under NOCASE, the column's own collation, lets SQLite's index find the rows;
    // the equality still decides:
    //   c = 'MÖLL'  ->  (c = 'MÖLL' COLLATE JET_NOCASE AND c >= 'M' COLLATE NOCASE AND
    //                    c < 'n' COLLATE NOCASE)
    // Without an ASCII prefix there is no range. The Access engine's tables ignore the
    // range, having an equality to look up.
    bool indexedRange(qsizetype k, qsizetype right)
    {
        const QString& op = m_toks[k].text;
        if (m_rangeWhere < 0 || k < m_rangeWhere || (op != QLatin1String("=") && op != QLatin1String("=="))
            || !loneLiteral(right))
            return false;
        qsizetype start = prev(k - 1);
        const auto isName = [&](qsizetype i) {
            if (i < 0)
                return false;
            const SqlToken& t = m_toks[i];
            return t.kind == SqlToken::QuotedName
                || (t.kind == SqlToken::Word && !t.text.isEmpty() && isWordStart(t.text[0]) && !isKeyword(t));
        };
        if (!isName(start) || m_done.contains(start))
            return false;
        const qsizetype dot = prev(start - 1);
        if (dot >= 0 && isSymbol(m_toks[dot], ".")) {
            start = prev(dot - 1);
            if (!isName(start))
                return false;
        }
        const qsizetype before = prev(start - 1);
        if (before < 0
            || !(isWord(m_toks[before], "where") || isWord(m_toks[before], "and") || isWord(m_toks[before], "or")
                 || isWord(m_toks[before], "not") || isSymbol(m_toks[before], "(")))
            return false;
        const QString& literal = m_toks[right].text;
        if (literal.size() < 2 || !literal.startsWith(QLatin1Char('\'')) || !literal.endsWith(QLatin1Char('\'')))
            return false;
        const QString value = literal.mid(1, literal.size() - 2).replace(QStringLiteral("''"), QStringLiteral("'"));
        qsizetype ascii = 0;
        while (ascii < value.size() && value[ascii].unicode() < 0x80)
            ++ascii;
        if (ascii == 0 || ascii == value.size())
            return false;
        QString high = value.left(ascii);
        for (QChar& c : high)
            if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
                c = QChar(c.unicode() + 32);
        if (high.back().unicode() >= 0x7F)
            return false;
        high.back() = QChar(high.back().unicode() + 1);
        QString operand;
        for (qsizetype i = start; i < k; ++i)
            if (significant(i))
                operand += m_toks[i].text;
        m_toks[start].text.prepend(QLatin1Char('('));
        m_toks[right].text += QStringLiteral(" COLLATE %1 AND %2 >= %3 COLLATE NOCASE AND %2 < %4 COLLATE NOCASE)")
                                  .arg(QLatin1String(kAccessCollation), operand, util::sqlQuote(value.left(ascii)),
                                       util::sqlQuote(high));
        m_done.insert(right);
        return true;
    }

    static bool isKeyword(const SqlToken& t)
    {
        static const char* const kWords[] = {"null", "not", "and", "or", "where", "set", "is", "like", "exists", "case",
                                             "when", "then", "else", "end", "in", "collate"};
        for (const char* w : kWords)
            if (isWord(t, w))
                return true;
        return false;
    }

    void comparison(qsizetype k)
    {
        const qsizetype right = next(k + 1);
        const qsizetype left = prev(k - 1);
        if (isText(right) && !hasCollation(right) && !asciiLiteral(right) && indexedRange(k, right))
            return;
        if (isText(right) && !hasCollation(right))
            collate(right, asciiLiteral(right));
        else if (isText(left) && !hasCollation(left) && !isText(right))
            collate(left, asciiLiteral(left));
    }

    // The last token of the operand before IN or BETWEEN (past a NOT), or -1.
    qsizetype leftOperandEnd(qsizetype k) const
    {
        qsizetype p = prev(k - 1);
        if (p >= 0 && isWord(m_toks[p], "not"))
            p = prev(p - 1);
        if (p < 0)
            return -1;
        const SqlToken& t = m_toks[p];
        const bool operandEnd = t.kind == SqlToken::QuotedName || t.kind == SqlToken::String
            || t.kind == SqlToken::Number || isSymbol(t, ")")
            || (t.kind == SqlToken::Word && !isWord(t, "where") && !isWord(t, "and") && !isWord(t, "or")
                && !isWord(t, "on") && !isWord(t, "when") && !isWord(t, "having"));
        if (!operandEnd)
            return -1;
        const qsizetype before = prev(p - 1);
        if (before >= 0 && isWord(m_toks[before], "collate"))
            return -1;  // the operand names its collation itself
        return p;
    }

    void inList(qsizetype k)
    {
        const qsizetype open = next(k + 1);
        if (open < 0 || !isSymbol(m_toks[open], "("))
            return;
        int depth = 0;
        bool anyText = false;
        bool allAscii = true;
        for (qsizetype i = open; i >= 0; i = next(i + 1)) {
            const SqlToken& t = m_toks[i];
            if (isSymbol(t, "("))
                ++depth;
            else if (isSymbol(t, ")") && --depth == 0)
                break;
            else if (depth == 1 && isWord(t, "select"))
                return;  // a subquery: its column decides
            else if (t.kind == SqlToken::String) {
                anyText = true;
                allAscii = allAscii && asciiLiteral(i);
            }
        }
        const qsizetype left = leftOperandEnd(k);
        if (anyText && left >= 0 && !m_done.contains(left))
            collate(left, allAscii);
    }

    void between(qsizetype k)
    {
        const qsizetype low = next(k + 1);
        qsizetype high = -1;
        int depth = 0;
        for (qsizetype i = low; i >= 0; i = next(i + 1)) {
            if (isSymbol(m_toks[i], "("))
                ++depth;
            else if (isSymbol(m_toks[i], ")"))
                --depth;
            else if (depth == 0 && isWord(m_toks[i], "and")) {
                high = next(i + 1);
                break;
            }
        }
        const bool anyText = isText(low) || isText(high);
        const bool allAscii = (!isText(low) || asciiLiteral(low)) && (!isText(high) || asciiLiteral(high));
        const qsizetype left = leftOperandEnd(k);
        if (anyText && left >= 0 && !m_done.contains(left))
            collate(left, allAscii);
    }

    std::vector<SqlToken>& m_toks;
    QSet<qsizetype> m_done;
    qsizetype m_rangeWhere = -1;
};

}  // namespace

QString quoteSqliteName(const QString& name)
{
    QString doubled = name;
    doubled.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + doubled + QLatin1Char('"');
}

std::vector<SqlToken> tokenizeSql(const QString& sql)
{
    std::vector<SqlToken> out;
    const qsizetype n = sql.size();
    qsizetype i = 0;
    auto push = [&](SqlToken::Kind k, qsizetype from, qsizetype to) {
        out.push_back({k, sql.mid(from, to - from)});
    };
    while (i < n) {
        const QChar c = sql[i];
        const qsizetype start = i;
        if (c.isSpace()) {
            while (i < n && sql[i].isSpace())
                ++i;
            push(SqlToken::Space, start, i);
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            // Both quote characters delimit text literals in Access; a doubled quote
            // stands for itself. An unterminated literal runs to the end.
            ++i;
            while (i < n) {
                if (sql[i] == c) {
                    if (i + 1 < n && sql[i + 1] == c) {
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                ++i;
            }
            push(SqlToken::String, start, i);
        } else if (c == QLatin1Char('[')) {
            const qsizetype close = sql.indexOf(QLatin1Char(']'), i + 1);
            i = close < 0 ? n : close + 1;
            push(SqlToken::QuotedName, start, i);
        } else if (c == QLatin1Char('`')) {
            const qsizetype close = sql.indexOf(QLatin1Char('`'), i + 1);
            i = close < 0 ? n : close + 1;
            push(SqlToken::QuotedName, start, i);
        } else if (c == QLatin1Char('#')) {
            const qsizetype close = sql.indexOf(QLatin1Char('#'), i + 1);
            if (close < 0) {
                ++i;
                push(SqlToken::Symbol, start, i);
            } else {
                i = close + 1;
                push(SqlToken::DateLiteral, start, i);
            }
        } else if (c == QLatin1Char('-') && i + 1 < n && sql[i + 1] == QLatin1Char('-')) {
            while (i < n && sql[i] != QLatin1Char('\n'))
                ++i;
            push(SqlToken::Comment, start, i);
        } else if (c == QLatin1Char('/') && i + 1 < n && sql[i + 1] == QLatin1Char('*')) {
            const qsizetype close = sql.indexOf(QStringLiteral("*/"), i + 2);
            i = close < 0 ? n : close + 2;
            push(SqlToken::Comment, start, i);
        } else if (c == QLatin1Char(':') && i + 1 < n && isWordStart(sql[i + 1])) {
            ++i;
            while (i < n && isWordChar(sql[i]))
                ++i;
            push(SqlToken::Parameter, start, i);
        } else if (isWordStart(c)) {
            while (i < n && isWordChar(sql[i]))
                ++i;
            push(SqlToken::Word, start, i);
        } else if (c.isDigit() || (c == QLatin1Char('.') && i + 1 < n && sql[i + 1].isDigit())) {
            while (i < n && (sql[i].isDigit() || sql[i] == QLatin1Char('.')))
                ++i;
            if (i < n && (sql[i] == QLatin1Char('e') || sql[i] == QLatin1Char('E'))) {
                qsizetype j = i + 1;
                if (j < n && (sql[j] == QLatin1Char('+') || sql[j] == QLatin1Char('-')))
                    ++j;
                if (j < n && sql[j].isDigit()) {
                    i = j;
                    while (i < n && sql[i].isDigit())
                        ++i;
                }
            }
            push(SqlToken::Number, start, i);
        } else {
            static const char* const kTwoChar[] = {"<>", "<=", ">=", "!=", "==", "||", "<<", ">>"};
            qsizetype len = 1;
            for (const char* op : kTwoChar)
                if (sql.mid(i, 2) == QLatin1String(op))
                    len = 2;
            i += len;
            push(SqlToken::Symbol, start, i);
        }
    }
    return out;
}

QString parseAccessDateLiteral(const QString& inner)
{
    static const QRegularExpression re(QStringLiteral(
        R"(^\s*(?:(\d{4})-(\d{1,2})-(\d{1,2})|(\d{1,2})/(\d{1,2})/(\d{2,4}))?)"
        R"(\s*(?:(\d{1,2}):(\d{2})(?::(\d{2}))?\s*([AaPp][Mm])?)?\s*$)"));
    const auto m = re.match(inner);
    if (!m.hasMatch() || inner.trimmed().isEmpty())
        return QString();
    QDate date(1899, 12, 30);  // a time alone is a time on the zero day
    if (!m.captured(1).isEmpty()) {
        date = QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    } else if (!m.captured(4).isEmpty()) {
        int year = m.captured(6).toInt();
        if (m.captured(6).size() <= 2)
            year += year < 30 ? 2000 : 1900;  // two-digit years as Access reads them
        date = QDate(year, m.captured(4).toInt(), m.captured(5).toInt());
    }
    if (!date.isValid())
        return QString();
    int hour = 0, minute = 0, second = 0;
    if (!m.captured(7).isEmpty()) {
        hour = m.captured(7).toInt();
        minute = m.captured(8).toInt();
        second = m.captured(9).isEmpty() ? 0 : m.captured(9).toInt();
        const QString ampm = m.captured(10).toUpper();
        if (!ampm.isEmpty()) {
            if (hour < 1 || hour > 12)
                return QString();
            if (ampm == QLatin1String("AM") && hour == 12)
                hour = 0;
            else if (ampm == QLatin1String("PM") && hour != 12)
                hour += 12;
        }
    }
    const QTime time(hour, minute, second);
    if (!time.isValid())
        return QString();
    return QDateTime(date, time).toString(QLatin1String(kDateTimeFormat));
}

TranslatedSql translateAccessSql(const QString& sql, bool withParameters)
{
    std::vector<SqlToken> toks = tokenizeSql(sql);
    TranslatedSql result;
    QString topLimit;
    int depth = 0;
    bool sawTopLevelSelect = false;

    for (qsizetype i = 0; i < static_cast<qsizetype>(toks.size()); ++i) {
        SqlToken& t = toks[i];
        switch (t.kind) {
        case SqlToken::Symbol:
            if (t.text == QLatin1String("("))
                ++depth;
            else if (t.text == QLatin1String(")"))
                --depth;
            else if (t.text == QLatin1String("&"))
                t.text = QStringLiteral("||");
            break;
        case SqlToken::String:
            if (t.text.startsWith(QLatin1Char('"'))) {
                QString inner = t.text.mid(1, t.text.endsWith(QLatin1Char('"')) && t.text.size() > 1
                                                  ? t.text.size() - 2 : t.text.size() - 1);
                inner.replace(QStringLiteral("\"\""), QStringLiteral("\""));
                t.text = util::sqlQuote(inner);
            }
            break;
        case SqlToken::QuotedName:
            if (t.text.startsWith(QLatin1Char('['))) {
                const QString inner = t.text.mid(1, t.text.endsWith(QLatin1Char(']')) ? t.text.size() - 2
                                                                                        : t.text.size() - 1);
                t.text = quoteSqliteName(inner);
            }
            break;
        case SqlToken::DateLiteral: {
            const QString value = parseAccessDateLiteral(t.text.mid(1, t.text.size() - 2));
            if (value.isEmpty())
                throw DbError(QStringLiteral("Syntaxfehler in Datum in Abfrageausdruck '%1'.").arg(t.text));
            t.text = util::sqlQuote(value);
            break;
        }
        case SqlToken::Parameter:
            if (withParameters) {
                t.text = QStringLiteral("?");
                ++result.parameterCount;
            }
            break;
        case SqlToken::Word: {
            const qsizetype next = nextSignificant(toks, i + 1);
            const qsizetype prev = prevSignificant(toks, i - 1);
            const bool qualified = prev >= 0 && isSymbol(toks[prev], ".");
            const bool call = next >= 0 && isSymbol(toks[next], "(");
            const QString lower = t.text.toLower();
            if (lower == QLatin1String("delete") && next >= 0) {
                // DELETE * FROM t and DELETE t.* FROM t: Access names what to delete.
                if (isSymbol(toks[next], "*")) {
                    toks[next].text.clear();
                } else if (toks[next].kind == SqlToken::Word || toks[next].kind == SqlToken::QuotedName) {
                    const qsizetype dot = nextSignificant(toks, next + 1);
                    const qsizetype star = dot >= 0 ? nextSignificant(toks, dot + 1) : -1;
                    if (dot >= 0 && star >= 0 && isSymbol(toks[dot], ".") && isSymbol(toks[star], "*")) {
                        toks[next].text.clear();
                        toks[dot].text.clear();
                        toks[star].text.clear();
                    }
                }
            } else if (call && !qualified && functionMap().contains(lower)) {
                t.text = functionMap().value(lower);
            } else if (!call && !qualified && (lower == QLatin1String("true") || lower == QLatin1String("false"))) {
                t.text = lower == QLatin1String("true") ? QStringLiteral("1") : QStringLiteral("0");
            } else if (!qualified && lower == QLatin1String("mod")) {
                t.text = QStringLiteral("%");
            } else if (!qualified && lower == QLatin1String("distinctrow")) {
                t.text.clear();
            } else if (lower == QLatin1String("select") && depth == 0) {
                sawTopLevelSelect = true;
            } else if (lower == QLatin1String("top") && depth == 0 && sawTopLevelSelect && topLimit.isEmpty()
                       && next >= 0 && toks[next].kind == SqlToken::Number) {
                topLimit = toks[next].text;
                t.text.clear();
                toks[next].text.clear();
            }
            break;
        }
        default:
            break;
        }
    }

    ComparisonCollations(toks).apply();

    // A trailing ";" ends the statement in Access; SQLite would see an empty second one.
    qsizetype end = static_cast<qsizetype>(toks.size());
    while (end > 0 && (toks[end - 1].kind == SqlToken::Space || isSymbol(toks[end - 1], ";")
                       || toks[end - 1].text.isEmpty()))
        --end;
    for (qsizetype i = 0; i < end; ++i)
        result.sql += toks[i].text;
    if (!topLimit.isEmpty())
        result.sql += QStringLiteral(" LIMIT ") + topLimit;
    return result;
}

}  // namespace db
