#include "util/ListHelpers.h"
#include "util/StringList.h"

#include <gtest/gtest.h>

using namespace util;

namespace {
StringList listOf(std::initializer_list<const char*> items)
{
    StringList l;
    for (const char* s : items)
        l.Add(QString::fromUtf8(s));
    return l;
}
}  // namespace

TEST(TokenCount, CountsPiecesBetweenDelimiters)
{
    struct Case { const char* text; const char* delim; int count; };
    const Case cases[] = {
        {"", ",", 0}, {"Köln", ",", 1}, {"Köln,", ",", 2}, {",", ",", 2},
        {"a,,b", ",", 3}, {"#,#", ",", 2}, {"a#b", "#", 2}, {"a##b", "##", 2},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TokenCount(QString::fromUtf8(c.text), QString::fromUtf8(c.delim)), c.count) << c.text;
}

TEST(GetToken, ReturnsPieceNOrEmpty)
{
    struct Case { const char* text; int n; const char* token; };
    const Case cases[] = {
        {"a,b,c", 1, "a"}, {"a,b,c", 2, "b"}, {"a,b,c", 3, "c"}, {"a,b,c", 4, ""}, {"a,b,c", 0, ""},
        {"a,b,c", -1, ""}, {"a,", 2, ""}, {",a", 1, ""}, {",a", 2, "a"}, {"abc", 1, "abc"},
        {"abc", 2, ""}, {"", 1, ""}, {" Bonn , Köln", 2, " Köln"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GetToken(QString::fromUtf8(c.text), QStringLiteral(","), c.n), QString::fromUtf8(c.token))
            << c.text << " #" << c.n;
}

TEST(GetToken, LongerDelimiterTerminates)
{
    EXPECT_EQ(GetToken(QStringLiteral("a::b"), QStringLiteral("::"), 1), QStringLiteral("a"));
    EXPECT_EQ(TokenCount(QStringLiteral("a::b::c"), QStringLiteral("::")), 3);
}

TEST(JoinDistinct, KeepsFirstOccurrenceAndQuotes)
{
    EXPECT_EQ(JoinDistinct(listOf({"Köln", "Bonn", "Köln"}), true), QStringLiteral("'Köln','Bonn'"));
    EXPECT_EQ(JoinDistinct(listOf({}), true), QString());
    EXPECT_EQ(JoinDistinct(listOf({}), false), QString());
    EXPECT_EQ(JoinDistinct(listOf({"a", "", "b"}), false), QStringLiteral("a,b"));
    EXPECT_EQ(JoinDistinct(listOf({""}), true), QStringLiteral("''"));
    EXPECT_EQ(JoinDistinct(listOf({"O'Hara"}), true), QStringLiteral("'O''Hara'"));
    EXPECT_EQ(JoinDistinct(listOf({"köln", "Köln"}), true), QStringLiteral("'köln','Köln'"));
    EXPECT_EQ(JoinDistinct(listOf({"a", "b", "a,b"}), false), QStringLiteral("a,b"));
}
