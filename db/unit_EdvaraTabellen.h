// The fixed, ordered catalog of the tables of an Edvara database: table name, category
// code and filter condition of each row, with a reduced mode and the competence rows.
// Layer: database access; compiled-in data, no database access.
#pragma once

#include "util/StringList.h"

namespace db {

// Appends the catalog to the given lists (Filters and Categories may be null); the
// lists are never cleared, sorted or de-duplicated.
void GetTableCatalog(util::StringList& TableNames, util::StringList* Filters, bool IncludeCompetences,
                     util::StringList* Categories, bool Reduced);

}  // namespace db
