// Which columns the text of an INSERT statement names. SQLite hands a virtual table a NULL
// both for a column the statement leaves out and for one it sets to NULL; Access fills in
// a default only for the first, so the statement's own text has to tell them apart.
// Layer: helper of the virtual table; reads SQL text only, knows no table or page.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace db::jet {

struct InsertColumns {
    bool all = false;                // no column list: VALUES or SELECT give every column
    std::vector<std::string> names;  // the column list as written (unquoted), or none
};

// The columns of `sql` when it is a plain INSERT (or REPLACE) INTO `table` (a schema in
// front is allowed; names compare without regard to ASCII letter case): its column list,
// every column, or none for DEFAULT VALUES. Nothing for any other text, including a
// statement that begins with WITH or names another table: the caller cannot tell then.
std::optional<InsertColumns> insertColumns(const std::string& sql, const std::string& table);

}  // namespace db::jet
