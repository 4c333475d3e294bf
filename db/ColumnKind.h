// The kinds of columns the database layer tells apart, found from a column's declared
// type. Kept free of Qt so that programs which only read an Access table (the quick read
// of edvara-sql) share the one mapping with the database layer.
// Layer: database access; pure text work, no database calls.
#pragma once

#include <string_view>

namespace db {

enum class ColumnKind { Text, Integer, Float, DateTime, Boolean, Binary, Other };

// As both SQLite files and the Access virtual tables declare them (VARCHAR(n), LONGTEXT,
// INTEGER, COUNTER, DATETIME, ...); letter case does not matter.
inline ColumnKind columnKindFromDeclaredType(std::string_view declared)
{
    auto has = [&](std::string_view word) {
        if (word.size() > declared.size())
            return false;
        for (size_t at = 0; at + word.size() <= declared.size(); ++at) {
            size_t k = 0;
            while (k < word.size()) {
                char c = declared[at + k];
                if (c >= 'a' && c <= 'z')
                    c = static_cast<char>(c - 'a' + 'A');
                if (c != word[k])
                    break;
                ++k;
            }
            if (k == word.size())
                return true;
        }
        return false;
    };
    if (declared.empty())
        return ColumnKind::Other;
    if (has("CHAR") || has("TEXT") || has("CLOB") || has("MEMO") || has("GUID"))
        return ColumnKind::Text;
    if (has("BOOL") || (declared.size() == 3 && has("BIT")) || has("YESNO"))
        return ColumnKind::Boolean;
    if (has("DATE") || has("TIME"))
        return ColumnKind::DateTime;
    if (has("INT") || has("COUNTER") || has("BYTE") || (has("LONG") && !has("BINARY")))
        return ColumnKind::Integer;
    if (has("REAL") || has("FLOA") || has("DOUB") || has("CURRENCY") || has("DECIMAL") || has("NUMERIC")
        || has("SINGLE") || has("MONEY"))
        return ColumnKind::Float;
    if (has("BLOB") || has("BINARY") || has("OLE") || has("IMAGE"))
        return ColumnKind::Binary;
    return ColumnKind::Other;
}

}  // namespace db
