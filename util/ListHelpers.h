// Helpers for comma-separated lists of names: splitting the user's place list and
// joining a list back into the value list of an SQL IN condition.
// Layer: utilities. Every comparison here is exact (ordinal, case-sensitive).
#pragma once

#include <QString>

namespace util {

class StringList;

// Number of tokens of s separated by d; 0 for an empty s.
int TokenCount(const QString& s, const QString& d);
// Token n (1-based) of s separated by d, blanks kept; empty for any other n.
QString GetToken(const QString& s, const QString& d, int n);
// The entries joined by ",", each once, first occurrence first; with quote each
// entry becomes an SQL text literal.
QString JoinDistinct(const StringList& list, bool quote);

// An SQL text literal: the text in single quotes, inner single quotes doubled.
QString sqlQuote(const QString& text);

}  // namespace util
