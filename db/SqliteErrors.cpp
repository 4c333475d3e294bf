// Mapping of SQLite's English failure texts onto German messages.
#include "db/SqliteErrors.h"
#include "db/DbError.h"

#include <QRegularExpression>

#include <sqlite3.h>

#include <cstring>

namespace db {

namespace {

struct Rule {
    const char* pattern;
    const char* german;  // %1, %2 take the captures
};

const Rule kRules[] = {
    {R"re(^no such table: (?:main\.)?(.+)$)re", "Die Tabelle oder Abfrage '%1' wurde nicht gefunden."},
    {R"re(^no such column: (.+)$)re", "Unbekannter Feldname: '%1'."},
    {R"re(^table (\S+) has no column named (.+)$)re", "Die Tabelle '%1' hat kein Feld '%2'."},
    {R"re(^near "(.*)": syntax error$)re", "Syntaxfehler in der SQL-Anweisung bei '%1'."},
    {R"re(^unrecognized token: "(.*)"$)re", "Syntaxfehler in der SQL-Anweisung: unbekanntes Zeichen '%1'."},
    {R"re(^incomplete input$)re", "Die SQL-Anweisung ist unvollständig."},
    {R"re(^UNIQUE constraint failed: (.+)$)re",
     "Die Änderung wurde nicht durchgeführt, weil sie doppelte Werte in einem eindeutigen Index (%1) "
     "erzeugen würde."},
    {R"re(^NOT NULL constraint failed: (.+)$)re", "Das Feld '%1' darf nicht leer sein."},
    {R"re(^CHECK constraint failed: length\((\w+)\)\s*<=\s*(\d+)$)re",
     "Der Wert ist zu lang für das Feld '%1' (höchstens %2 Zeichen)."},
    {R"re(^CHECK constraint failed: (.+)$)re", "Der Wert verletzt die Gültigkeitsregel '%1'."},
    {R"re(^no such function: (.+)$)re", "Unbekannte Funktion '%1' im Ausdruck."},
    {R"re(^wrong number of arguments to function (.+)\(\)$)re", "Falsche Anzahl von Argumenten für die Funktion '%1'."},
    {R"re(^ambiguous column name: (.+)$)re", "Der Feldname '%1' ist nicht eindeutig."},
    {R"re(^(\d+) values for (\d+) columns$)re", "Die Anzahl der Werte (%1) passt nicht zur Anzahl der Felder (%2)."},
    {R"re(^datatype mismatch$)re", "Datentypen im Ausdruck sind unverträglich."},
    {R"re(^attempt to write a readonly database$)re", "Die Datenbank ist schreibgeschützt."},
    {R"re(^database is locked$)re", "Die Datenbank ist von einem anderen Prozess gesperrt."},
    {R"re(^database table is locked.*$)re", "Die Tabelle ist gesperrt."},
    {R"re(^file is not a database$)re", "Die Datei ist keine Datenbank."},
    {R"re(^database disk image is malformed$)re", "Die Datenbankdatei ist beschädigt."},
    {R"re(^database or disk is full$)re", "Der Datenträger ist voll."},
    {R"re(^disk I/O error$)re", "Ein-/Ausgabefehler beim Zugriff auf die Datenbankdatei."},
    {R"re(^unable to open database file$)re", "Die Datenbankdatei kann nicht geöffnet werden."},
    {R"re(^table (.+) already exists$)re", "Die Tabelle '%1' ist bereits vorhanden."},
    {R"re(^table (.+) may not be dropped$)re", "Die Tabelle '%1' kann nicht gelöscht werden."},
    {R"re(^table (.+) may not be altered$)re", "Die Tabelle '%1' kann nicht geändert werden."},
    {R"re(^virtual tables may not be altered$)re", "Tabellen einer Access-Datei können nicht geändert werden."},
    {R"re(^not authorized$)re",
     "Tabellen, Sichten und Indizes einer Access-Datei können nicht angelegt, geändert oder gelöscht werden."},
    {R"re(^virtual tables may not be indexed$)re", "Für Tabellen einer Access-Datei kann kein Index angelegt werden."},
    {R"re(^index (.+) already exists$)re", "Der Index '%1' ist bereits vorhanden."},
    {R"re(^too many SQL variables$)re", "Die SQL-Anweisung enthält zu viele Parameter."},
    {R"re(^interrupted$)re", "Die Operation wurde abgebrochen."},
    {R"re(^out of memory$)re", "Nicht genügend Arbeitsspeicher."},
};

}  // namespace

QString germanSqliteMessage(const QString& message, int resultCode)
{
    for (const Rule& rule : kRules) {
        const QRegularExpression re(QString::fromUtf8(rule.pattern));
        const auto m = re.match(message);
        if (m.hasMatch()) {
            QString text = QString::fromUtf8(rule.german);
            for (int k = 1; k <= m.lastCapturedIndex(); ++k)
                text = text.arg(m.captured(k));
            return text;
        }
    }
    // Our own functions and the Access engine speak German and end with a full stop;
    // any other text is SQLite's own, which we pass on with a German lead-in.
    if (message.endsWith(QLatin1Char('.')))
        return message;
    if (message.isEmpty())
        return QStringLiteral("Die Datenbank meldet den Fehler %1.").arg(resultCode);
    return QStringLiteral("Die Datenbank meldet einen Fehler: %1.").arg(message);
}

QString lastSqliteError(sqlite3* db, int resultCode)
{
    const char* msg = db ? sqlite3_errmsg(db) : sqlite3_errstr(resultCode);
    return germanSqliteMessage(QString::fromUtf8(msg ? msg : ""), resultCode);
}

void throwSqliteError(sqlite3* db, int resultCode)
{
    if ((resultCode & 0xff) == SQLITE_INTERRUPT)
        throw Interrupted();
    DbError::Kind kind = DbError::Kind::Other;
    if ((resultCode & 0xff) == SQLITE_ERROR && db) {
        const char* raw = sqlite3_errmsg(db);
        if (std::strncmp(raw, "no such table: ", 15) == 0)
            kind = DbError::Kind::MissingTable;
        else if (std::strncmp(raw, "no such column: ", 16) == 0 || std::strstr(raw, " has no column named "))
            kind = DbError::Kind::MissingColumn;
    }
    throw DbError(lastSqliteError(db, resultCode), kind);
}

}  // namespace db
