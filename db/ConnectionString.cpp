// Connection strings in the OLE DB form: pairs separated by ";", values optionally
// enclosed in double or single quotes, a quote inside doubled.
#include "db/ConnectionString.h"
#include "db/DbError.h"

namespace db {

ConnectionString ConnectionString::parse(const QString& text)
{
    ConnectionString cs;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        const qsizetype eq = text.indexOf(QLatin1Char('='), i);
        const qsizetype semi = text.indexOf(QLatin1Char(';'), i);
        if (eq < 0 || (semi >= 0 && semi < eq)) {
            // A part without "=" (or an empty part) carries no option.
            if (semi < 0)
                break;
            i = semi + 1;
            continue;
        }
        const QString key = text.mid(i, eq - i).trimmed();
        i = eq + 1;
        while (i < n && text[i] == QLatin1Char(' '))
            ++i;
        QString value;
        if (i < n && (text[i] == QLatin1Char('"') || text[i] == QLatin1Char('\''))) {
            const QChar quote = text[i++];
            bool closed = false;
            while (i < n) {
                if (text[i] == quote) {
                    if (i + 1 < n && text[i + 1] == quote) {
                        value += quote;
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                value += text[i++];
            }
            if (!closed)
                throw DbError(QStringLiteral("Die Verbindungszeichenfolge ist ungültig: Ein Wert in "
                                             "Anführungszeichen wird nicht geschlossen."));
            while (i < n && text[i] == QLatin1Char(' '))
                ++i;
            if (i < n && text[i] != QLatin1Char(';'))
                throw DbError(QStringLiteral("Die Verbindungszeichenfolge ist ungültig: Nach dem Wert "
                                             "von '%1' folgt kein Semikolon.").arg(key));
            ++i;
        } else {
            const qsizetype end = semi < 0 ? n : semi;
            value = text.mid(i, end - i).trimmed();
            i = end + 1;
        }
        if (!key.isEmpty())
            cs.m_pairs.append({key, value});
    }
    return cs;
}

QString ConnectionString::value(const QString& key) const
{
    // The last occurrence wins, as with the OLE DB providers.
    for (qsizetype k = m_pairs.size() - 1; k >= 0; --k)
        if (m_pairs[k].first.compare(key.trimmed(), Qt::CaseInsensitive) == 0)
            return m_pairs[k].second;
    return QString();
}

bool ConnectionString::contains(const QString& key) const
{
    for (const auto& p : m_pairs)
        if (p.first.compare(key.trimmed(), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

QString connectionValue(const QString& value)
{
    const bool needsQuotes = value.contains(QLatin1Char(';')) || value.contains(QLatin1Char('"'))
        || value.contains(QLatin1Char('\'')) || value.contains(QLatin1Char('='))
        || value.startsWith(QLatin1Char(' ')) || value.endsWith(QLatin1Char(' '));
    if (!needsQuotes)
        return value;
    QString doubled = value;
    doubled.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + doubled + QLatin1Char('"');
}

QString TargetConnectionString(const QString& path)
{
    return QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + connectionValue(path)
        + QStringLiteral(";Persist Security Info=False;Jet OLEDB:Database Password=")
        + QLatin1String(kTargetPassword);
}

QString DirectoryConnectionString(const QString& directoryFile)
{
    return QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + connectionValue(directoryFile)
        + QStringLiteral(";Persist Security Info=False;Mode=Share Deny Write");
}

}  // namespace db
