// StringList: an ordered, never sorted list of texts indexed from 0, repeats allowed.
// Layer: utilities. The search ignores letter case by Unicode rules; every other
// comparison of the system is made by the caller.
#pragma once

#include <QString>
#include <QStringList>

namespace util {

class StringList {
public:
    StringList() = default;

    int Count() const { return static_cast<int>(m_items.size()); }
    // Entry at an index; outside 0..Count()-1 fails with the list-index error.
    const QString& Get(int index) const;
    void Set(int index, const QString& text);
    void Add(const QString& text) { m_items.append(text); }
    void Delete(int index);
    void Clear() { m_items.clear(); }
    // First index whose entry equals text without regard to letter case, or -1.
    int IndexOf(const QString& text) const;
    bool Contains(const QString& text) const { return IndexOf(text) >= 0; }

    const QStringList& items() const { return m_items; }

private:
    [[noreturn]] static void indexError(int index);
    QStringList m_items;
};

// Case-insensitive equality by Unicode case folding ("Ä" equals "ä", "ß" equals "SS").
bool equalsIgnoreCase(const QString& a, const QString& b);

}  // namespace util
