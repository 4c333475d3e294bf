// StringList and the case-insensitive text comparison that the whole system shares.
#include "util/StringList.h"
#include "util/Error.h"

namespace util {

namespace {
bool isAscii(const QString& s)
{
    for (QChar c : s)
        if (c.unicode() >= 0x80)
            return false;
    return true;
}

QString fullyFolded(const QString& s)
{
    QString folded = s.toCaseFolded();  // also takes capital ẞ to ß
    folded.replace(QChar(0x00DF), QLatin1String("ss"));
    return folded;
}
}  // namespace

bool equalsIgnoreCase(const QString& a, const QString& b)
{
    if (isAscii(a) && isAscii(b))
        return a.compare(b, Qt::CaseInsensitive) == 0;
    // Full case folding maps "ß" to "ss", so "STRASSE" and "Straße" are one word, as
    // the locale-aware comparison of the original platform treats them (and as an Access
    // index does: "HESS" and "HEß" are one key there). Qt folds one character to one,
    // which leaves "ß" alone, so that mapping is added here.
    return fullyFolded(a) == fullyFolded(b);
}

void StringList::indexError(int index)
{
    throw Error(QStringLiteral("Listenindex überschreitet das Maximum (%1)").arg(index));
}

const QString& StringList::Get(int index) const
{
    if (index < 0 || index >= Count())
        indexError(index);
    return m_items.at(index);
}

void StringList::Set(int index, const QString& text)
{
    if (index < 0 || index >= Count())
        indexError(index);
    m_items[index] = text;
}

void StringList::Delete(int index)
{
    if (index < 0 || index >= Count())
        indexError(index);
    m_items.removeAt(index);
}

int StringList::IndexOf(const QString& text) const
{
    for (int i = 0; i < Count(); ++i)
        if (equalsIgnoreCase(m_items.at(i), text))
            return i;
    return -1;
}

}  // namespace util
