#include "util/Error.h"
#include "util/StringList.h"

#include <gtest/gtest.h>

using namespace util;

TEST(StringList, SearchIgnoresCaseBeyondAscii)
{
    StringList l;
    l.Add(QStringLiteral("Köln"));
    l.Add(QStringLiteral("ÄRZTE"));
    l.Add(QStringLiteral("ärzte"));
    EXPECT_EQ(l.IndexOf(QStringLiteral("KÖLN")), 0);
    EXPECT_EQ(l.IndexOf(QStringLiteral("ärzte")), 1);  // first match wins
    EXPECT_EQ(l.IndexOf(QStringLiteral("Koln")), -1);
    EXPECT_EQ(l.IndexOf(QStringLiteral("Köln ")), -1);  // blanks count
    // ß is ss: a teacher abbreviation "HEß" beside "HESS" would be a duplicate key in Access.
    l.Add(QStringLiteral("HESS"));
    l.Add(QStringLiteral("Straße"));
    EXPECT_EQ(l.IndexOf(QStringLiteral("HEß")), 3);
    EXPECT_EQ(l.IndexOf(QStringLiteral("HEẞ")), 3);
    EXPECT_EQ(l.IndexOf(QStringLiteral("STRASSE")), 4);
    EXPECT_EQ(l.IndexOf(QStringLiteral("Strase")), -1);
}

TEST(StringList, IndexOutsideRangeFailsWithListIndexMessage)
{
    StringList l;
    try {
        l.Get(-1);
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Listenindex überschreitet das Maximum (-1)"));
    }
    l.Add(QStringLiteral("x"));
    EXPECT_THROW(l.Get(1), Error);
    EXPECT_THROW(l.Delete(1), Error);
    l.Delete(0);
    EXPECT_EQ(l.Count(), 0);
}

TEST(StringList, KeepsOrderAndRepeats)
{
    StringList l;
    for (const char* s : {"b", "a", "b"})
        l.Add(QString::fromLatin1(s));
    EXPECT_EQ(l.items(), QStringList({"b", "a", "b"}));
}
