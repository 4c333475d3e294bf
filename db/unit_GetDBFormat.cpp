#include "db/unit_GetDBFormat.h"

namespace db {

QString GetDBFormat(const QString&)
{
    return QString();
}

}  // namespace db
