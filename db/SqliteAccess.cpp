// Access semantics on a SQLite connection: the Unicode case-insensitive collation
// JET_NOCASE, LIKE with the Access wildcards and the Access functions used by
// statements written for the Access engine. The dialect translation maps Access names
// onto the jet_* names.
#include "db/SqliteAccess.h"

#include <QDate>
#include <QDateTime>
#include <QString>

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace db {

namespace {

unsigned char asciiLower(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c;
}

// A code point folded as JET_NOCASE folds it: simple case folding, but never from
// beyond ASCII into ASCII.
char32_t foldCodePoint(char32_t c)
{
    if (c < 0x80)
        return (c >= 'A' && c <= 'Z') ? c + 32 : c;
    const char32_t folded = QChar::toCaseFolded(c);
    return folded < 0x80 ? c : folded;
}

// The next code point of UTF-8 text; a byte that starts no valid sequence reads as
// itself plus 0xDC00 (never equal to a real letter), one byte at a time.
char32_t nextCodePoint(const unsigned char*& p, const unsigned char* end)
{
    const unsigned char c = *p++;
    if (c < 0x80)
        return c;
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : -1;
    if (extra < 0 || c > 0xF4 || end - p < extra)
        return 0xDC00 + c;
    char32_t cp = c & (0x3F >> extra);
    for (int i = 0; i < extra; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return 0xDC00 + c;
        cp = (cp << 6) | (p[i] & 0x3F);
    }
    p += extra;
    return cp;
}

// Orders by the folded code points. For ASCII text this is exactly SQLite's own NOCASE.
// Called for every row a statement compares, so it allocates nothing.
int compareJetNoCase(void*, int n1, const void* p1, int n2, const void* p2)
{
    const auto* a = static_cast<const unsigned char*>(p1);
    const auto* b = static_cast<const unsigned char*>(p2);
    const unsigned char* endA = a + n1;
    const unsigned char* endB = b + n2;
    while (a < endA && b < endB) {
        if (*a < 0x80 && *b < 0x80) {
            const int d = asciiLower(*a) - asciiLower(*b);
            if (d != 0)
                return d;
            ++a;
            ++b;
            continue;
        }
        const char32_t fa = foldCodePoint(nextCodePoint(a, endA));
        const char32_t fb = foldCodePoint(nextCodePoint(b, endB));
        if (fa != fb)
            return fa < fb ? -1 : 1;
    }
    return (a < endA) - (b < endB);
}

QString argText(sqlite3_value* v)
{
    const auto* t = sqlite3_value_text(v);
    return t ? QString::fromUtf8(reinterpret_cast<const char*>(t), sqlite3_value_bytes(v)) : QString();
}

void resultText(sqlite3_context* ctx, const QString& s)
{
    const QByteArray u = s.toUtf8();
    sqlite3_result_text(ctx, u.constData(), static_cast<int>(u.size()), SQLITE_TRANSIENT);
}

// --- LIKE with Access wildcards -------------------------------------------------
// "*" or "%": any run of characters; "?" or "_": one character; "#": one digit;
// "[abc]", "[a-z]", "[!abc]": one character of (or not of) a set. Letter case is
// ignored. An escape character, when given, makes the next pattern character literal.

bool matchSet(const QString& p, qsizetype& pi, QChar c, bool& ok)
{
    // p[pi] is '['; on return pi is past ']'.
    qsizetype i = pi + 1;
    bool negate = false;
    if (i < p.size() && p[i] == QLatin1Char('!')) {
        negate = true;
        ++i;
    }
    bool hit = false;
    bool first = true;
    while (i < p.size() && (p[i] != QLatin1Char(']') || first)) {
        first = false;
        QChar lo = p[i];
        QChar hi = lo;
        if (i + 2 < p.size() && p[i + 1] == QLatin1Char('-') && p[i + 2] != QLatin1Char(']')) {
            hi = p[i + 2];
            i += 2;
        }
        if (c >= lo && c <= hi)
            hit = true;
        ++i;
    }
    if (i >= p.size()) {
        ok = false;  // unterminated set: no match
        return false;
    }
    pi = i + 1;
    return hit != negate;
}

bool likeMatch(const QString& p, qsizetype pi, const QString& s, qsizetype si, QChar esc, int depth = 0)
{
    if (depth > 1000)
        return false;
    while (pi < p.size()) {
        const QChar pc = p[pi];
        if (!esc.isNull() && pc == esc && pi + 1 < p.size()) {
            if (si >= s.size() || s[si] != p[pi + 1])
                return false;
            pi += 2;
            ++si;
            continue;
        }
        if (pc == QLatin1Char('*') || pc == QLatin1Char('%')) {
            while (pi < p.size() && (p[pi] == QLatin1Char('*') || p[pi] == QLatin1Char('%')))
                ++pi;
            if (pi == p.size())
                return true;
            for (qsizetype k = si; k <= s.size(); ++k)
                if (likeMatch(p, pi, s, k, esc, depth + 1))
                    return true;
            return false;
        }
        if (si >= s.size())
            return false;
        if (pc == QLatin1Char('?') || pc == QLatin1Char('_')) {
            ++pi;
            ++si;
        } else if (pc == QLatin1Char('#')) {
            if (!s[si].isDigit())
                return false;
            ++pi;
            ++si;
        } else if (pc == QLatin1Char('[')) {
            bool ok = true;
            const bool hit = matchSet(p, pi, s[si], ok);
            if (!ok || !hit)
                return false;
            ++si;
        } else {
            if (pc != s[si])
                return false;
            ++pi;
            ++si;
        }
    }
    return si == s.size();
}

void fnLike(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    // like(pattern, text [, escape]) as SQLite calls it for "text LIKE pattern".
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL)
        return sqlite3_result_null(ctx);
    QChar esc;
    if (argc == 3) {
        const QString e = argText(argv[2]);
        if (e.size() != 1)
            return sqlite3_result_error(ctx, "Das Escape-Zeichen von LIKE muss genau ein Zeichen sein.", -1);
        esc = e.toCaseFolded().at(0);
    }
    const QString pattern = argText(argv[0]).toCaseFolded();
    const QString text = argText(argv[1]).toCaseFolded();
    sqlite3_result_int(ctx, likeMatch(pattern, 0, text, 0, esc) ? 1 : 0);
}

// --- Access functions ------------------------------------------------------------

void fnIsNull(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    sqlite3_result_int(ctx, sqlite3_value_type(argv[0]) == SQLITE_NULL ? 1 : 0);
}

void fnNz(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) != SQLITE_NULL)
        return sqlite3_result_value(ctx, argv[0]);
    if (argc > 1)
        return sqlite3_result_value(ctx, argv[1]);
    sqlite3_result_text(ctx, "", 0, SQLITE_STATIC);
}

void fnUCase(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL)
        return sqlite3_result_null(ctx);
    resultText(ctx, argText(argv[0]).toUpper());
}

void fnLCase(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL)
        return sqlite3_result_null(ctx);
    resultText(ctx, argText(argv[0]).toLower());
}

void fnLen(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL)
        return sqlite3_result_null(ctx);
    sqlite3_result_int64(ctx, argText(argv[0]).size());
}

bool countArg(sqlite3_context* ctx, sqlite3_value* v, qint64& out)
{
    if (sqlite3_value_type(v) == SQLITE_NULL) {
        sqlite3_result_error(ctx, "Ungültige Verwendung von Null.", -1);
        return false;
    }
    out = sqlite3_value_int64(v);
    if (out < 0) {
        sqlite3_result_error(ctx, "Ungültiger Prozeduraufruf oder ungültiges Argument.", -1);
        return false;
    }
    return true;
}

void fnLeft(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    qint64 n = 0;
    if (!countArg(ctx, argv[1], n))
        return;
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL)
        return sqlite3_result_null(ctx);
    resultText(ctx, argText(argv[0]).left(n));
}

void fnRight(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    qint64 n = 0;
    if (!countArg(ctx, argv[1], n))
        return;
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL)
        return sqlite3_result_null(ctx);
    resultText(ctx, argText(argv[0]).right(n));
}

void fnMid(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    qint64 start = 0;
    if (!countArg(ctx, argv[1], start))
        return;
    if (start < 1)
        return sqlite3_result_error(ctx, "Ungültiger Prozeduraufruf oder ungültiges Argument.", -1);
    qint64 len = -1;
    if (argc > 2 && !countArg(ctx, argv[2], len))
        return;
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL)
        return sqlite3_result_null(ctx);
    resultText(ctx, argText(argv[0]).mid(start - 1, len));
}

void fnTrim(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL)
        return sqlite3_result_null(ctx);
    QString s = argText(argv[0]);
    qsizetype b = 0;
    qsizetype e = s.size();
    while (b < e && s[b] == QLatin1Char(' '))
        ++b;
    while (e > b && s[e - 1] == QLatin1Char(' '))
        --e;
    resultText(ctx, s.mid(b, e - b));
}

void fnNow(sqlite3_context* ctx, int, sqlite3_value**)
{
    resultText(ctx, QDateTime::currentDateTime().toString(QLatin1String(kDateTimeFormat)));
}

void fnDate(sqlite3_context* ctx, int, sqlite3_value**)
{
    resultText(ctx, QDate::currentDate().startOfDay().toString(QLatin1String(kDateTimeFormat)));
}

void fnInstr(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    // InStr([start,] text, search): 1-based position, 0 when absent, case ignored.
    int base = 0;
    qint64 start = 1;
    if (argc == 3) {
        if (!countArg(ctx, argv[0], start))
            return;
        base = 1;
    }
    if (sqlite3_value_type(argv[base]) == SQLITE_NULL || sqlite3_value_type(argv[base + 1]) == SQLITE_NULL)
        return sqlite3_result_null(ctx);
    const qsizetype pos = argText(argv[base]).indexOf(argText(argv[base + 1]), start > 0 ? start - 1 : 0,
                                                      Qt::CaseInsensitive);
    sqlite3_result_int64(ctx, pos + 1);
}

void fnDatePart(sqlite3_context* ctx, sqlite3_value* v, int part)
{
    if (sqlite3_value_type(v) == SQLITE_NULL)
        return sqlite3_result_null(ctx);
    const QString t = argText(v);
    const QDate d = QDate::fromString(t.left(10), QStringLiteral("yyyy-MM-dd"));
    if (!d.isValid())
        return sqlite3_result_error(ctx, "Datentypen in Kriterienausdruck unverträglich.", -1);
    sqlite3_result_int(ctx, part == 0 ? d.year() : part == 1 ? d.month() : d.day());
}

void fnYear(sqlite3_context* ctx, int, sqlite3_value** argv) { fnDatePart(ctx, argv[0], 0); }
void fnMonth(sqlite3_context* ctx, int, sqlite3_value** argv) { fnDatePart(ctx, argv[0], 1); }
void fnDay(sqlite3_context* ctx, int, sqlite3_value** argv) { fnDatePart(ctx, argv[0], 2); }

void fnCStr(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL)
        return sqlite3_result_error(ctx, "Ungültige Verwendung von Null.", -1);
    resultText(ctx, argText(argv[0]));
}

void fnCLng(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL)
        return sqlite3_result_error(ctx, "Ungültige Verwendung von Null.", -1);
    // Access rounds half to even when converting to an integer.
    sqlite3_result_int64(ctx, static_cast<sqlite3_int64>(std::nearbyint(sqlite3_value_double(argv[0]))));
}

void fnInt(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL)
        return sqlite3_result_null(ctx);
    sqlite3_result_int64(ctx, static_cast<sqlite3_int64>(std::floor(sqlite3_value_double(argv[0]))));
}

void fnVal(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    // Val reads the leading number of a text and ignores the rest; blanks are skipped.
    QString s = argText(argv[0]);
    s.remove(QLatin1Char(' '));
    qsizetype i = 0;
    if (i < s.size() && (s[i] == QLatin1Char('-') || s[i] == QLatin1Char('+')))
        ++i;
    while (i < s.size() && (s[i].isDigit() || s[i] == QLatin1Char('.')))
        ++i;
    bool ok = false;
    const double v = s.left(i).toDouble(&ok);
    sqlite3_result_double(ctx, ok ? v : 0.0);
}

struct FunctionDef {
    const char* name;
    int argc;
    void (*fn)(sqlite3_context*, int, sqlite3_value**);
    bool deterministic;
};

const FunctionDef kFunctions[] = {
    {"like", 2, fnLike, true},       {"like", 3, fnLike, true},
    {"jet_isnull", 1, fnIsNull, true}, {"jet_nz", 1, fnNz, true},
    {"jet_nz", 2, fnNz, true},       {"jet_ucase", 1, fnUCase, true},
    {"jet_lcase", 1, fnLCase, true}, {"jet_len", 1, fnLen, true},
    {"jet_left", 2, fnLeft, true},   {"jet_right", 2, fnRight, true},
    {"jet_mid", 2, fnMid, true},     {"jet_mid", 3, fnMid, true},
    {"jet_trim", 1, fnTrim, true},   {"jet_now", 0, fnNow, false},
    {"jet_date", 0, fnDate, false},  {"jet_instr", 2, fnInstr, true},
    {"jet_instr", 3, fnInstr, true}, {"jet_year", 1, fnYear, true},
    {"jet_month", 1, fnMonth, true}, {"jet_day", 1, fnDay, true},
    {"jet_cstr", 1, fnCStr, true},   {"jet_clng", 1, fnCLng, true},
    {"jet_int", 1, fnInt, true},     {"jet_val", 1, fnVal, true},
};

}  // namespace

void installAccessSemantics(sqlite3* db)
{
    sqlite3_create_collation_v2(db, kAccessCollation, SQLITE_UTF8, nullptr, compareJetNoCase, nullptr);
    for (const FunctionDef& f : kFunctions) {
        int flags = SQLITE_UTF8;
        if (f.deterministic)
            flags |= SQLITE_DETERMINISTIC;
        sqlite3_create_function_v2(db, f.name, f.argc, flags, nullptr, f.fn, nullptr, nullptr, nullptr);
    }
}

}  // namespace db
