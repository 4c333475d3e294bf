#include "db/unit_EdvaraTabellen.h"

namespace db {

void GetTableCatalog(util::StringList&, util::StringList*, bool, util::StringList*, bool)
{
}

}  // namespace db
