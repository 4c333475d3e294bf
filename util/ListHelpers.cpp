// Delimited-list helpers. The algorithms keep the behaviour the stored place lists
// and the school draw rely on, including the odd cases (a trailing comma yields an
// empty last token; an unquoted empty entry is never joined).
#include "util/ListHelpers.h"
#include "util/StringList.h"

namespace util {

int TokenCount(const QString& s, const QString& d)
{
    if (s.isEmpty())
        return 0;
    if (d.isEmpty())
        return 1;
    // Each found occurrence is defaced with a marker so that it is not found again;
    // the marker must differ from a one-character delimiter.
    const QChar marker = (d == QStringLiteral("#")) ? QChar('*') : QChar('#');
    QString copy = s;
    int count = 0;
    for (;;) {
        ++count;
        const qsizetype pos = copy.indexOf(d);
        if (pos < 0)
            break;
        copy[pos] = marker;
        // A delimiter made of marker characters only would be found again forever.
        if (copy.mid(pos, d.size()) == d)
            copy[pos] = (marker == QChar('#')) ? QChar('*') : QChar('#');
    }
    return count;
}

QString GetToken(const QString& s, const QString& d, int n)
{
    QString rest = s;
    QString token;
    int i = 1;
    bool found = !s.isEmpty();
    while (i <= n && found) {
        const qsizetype pos = d.isEmpty() ? -1 : rest.indexOf(d);
        if (pos >= 0) {
            token = rest.left(pos);
            // Only the first character of the delimiter is consumed with the token;
            // for the one-character delimiter the system uses this is the whole of it.
            rest.remove(0, pos + 1);
            ++i;
        } else {
            token = rest;
            found = false;
        }
    }
    if (n < 1 || n > i)
        return QString();
    return token;
}

QString sqlQuote(const QString& text)
{
    QString doubled = text;
    doubled.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + doubled + QLatin1Char('\'');
}

QString JoinDistinct(const StringList& list, bool quote)
{
    QString acc;
    for (const QString& entry : list.items()) {
        const QString v = quote ? sqlQuote(entry) : entry;
        const QString wrapped = QLatin1Char(',') + v + QLatin1Char(',');
        if (!(QLatin1Char(',') + acc + QLatin1Char(',')).contains(wrapped))
            acc += v + QLatin1Char(',');
    }
    acc.chop(1);
    return acc;
}

}  // namespace util
