// Placeholder until the native engine can read Access files.
#include "db/jet/JetSqlite.h"

namespace db::jet {

std::unique_ptr<AttachedDatabase> attachAccessFile(sqlite3*, const std::string& path,
                                                   const std::string&, AccessMode)
{
    throw JetError("Die Datei " + path
                   + " ist eine Access-Datenbank. Access-Dateien werden noch nicht unterstützt.");
}

}  // namespace db::jet
