#include "util/SystemError.h"

#include <cerrno>
#include <cstring>

namespace util {

QString systemErrorText(int errnum)
{
    switch (errnum) {
    case ENOENT: return QStringLiteral("Das System kann die angegebene Datei nicht finden.");
    case EACCES:
    case EPERM: return QStringLiteral("Zugriff verweigert.");
    case EROFS: return QStringLiteral("Der Datenträger ist schreibgeschützt.");
    case EISDIR: return QStringLiteral("Der Pfad bezeichnet einen Ordner.");
    case ENOTDIR: return QStringLiteral("Ein Teil des Pfades ist kein Ordner.");
    case EBUSY:
    case ETXTBSY:
    case EWOULDBLOCK: return QStringLiteral("Die Datei wird von einem anderen Prozess verwendet.");
    case ENOSPC: return QStringLiteral("Auf dem Datenträger ist nicht genügend Speicherplatz verfügbar.");
    case EIO: return QStringLiteral("E/A-Gerätefehler.");
    case ENAMETOOLONG: return QStringLiteral("Der Dateiname ist zu lang.");
    case EMFILE:
    case ENFILE: return QStringLiteral("Es sind zu viele Dateien geöffnet.");
    default: return QStringLiteral("Systemfehler %1 (%2).").arg(errnum).arg(QString::fromLocal8Bit(std::strerror(errnum)));
    }
}

}  // namespace util
