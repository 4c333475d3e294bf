// Text work shared by the stages: filling the fixed statement templates and the
// trimming the school stages apply to directory values.
// Layer: anonymisation stages; pure text, no database access.
#pragma once

#include <QString>

#include <initializer_list>

namespace app {

// Replaces each "%s" of the template in turn by the next value, in one pass, so a
// value that itself contains "%s" is never filled again. Values are inserted as given;
// quoting is the caller's business. Surplus placeholders stay as they are.
inline QString fillTemplate(const QString& templ, std::initializer_list<QString> values)
{
    QString out;
    out.reserve(templ.size() + 64);
    auto next = values.begin();
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = templ.indexOf(QLatin1String("%s"), from);
        if (at < 0 || next == values.end()) {
            out += QStringView(templ).mid(from);
            return out;
        }
        out += QStringView(templ).mid(from, at - from);
        out += *next++;
        from = at + 2;
    }
}

// Removes leading and trailing characters up to and including the blank (codes 0 to 32).
inline QString trimBlanks(const QString& s)
{
    qsizetype b = 0;
    qsizetype e = s.size();
    while (b < e && s[b].unicode() <= 32)
        ++b;
    while (e > b && s[e - 1].unicode() <= 32)
        --e;
    return s.mid(b, e - b);
}

}  // namespace app
