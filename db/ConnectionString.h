// Provider connection strings: parsing "key=value;..." with the quoting rules of OLE DB
// and building the two connection strings of the system.
// Layer: database access; no file or engine access here.
#pragma once

#include "db/TargetPassword.h"

#include <QList>
#include <QPair>
#include <QString>

namespace db {

class ConnectionString {
public:
    // Fails with a DbError on an unterminated quoted value.
    static ConnectionString parse(const QString& text);
    // The value of a key (keys ignore letter case and surrounding blanks); empty when absent.
    QString value(const QString& key) const;
    bool contains(const QString& key) const;

private:
    QList<QPair<QString, QString>> m_pairs;
};

// A value as it must stand in a connection string: quoted when it holds ";", a quote,
// or blanks at either end, so that a file path can never end the value early or add
// options of its own.
QString connectionValue(const QString& value);

// The target's connection string for a database file path.
QString TargetConnectionString(const QString& path);
// The school directory's connection string for its file (normally the program folder
// followed by "Schulver.mdb"): read only, others may read but not write it.
QString DirectoryConnectionString(const QString& directoryFile);

}  // namespace db
