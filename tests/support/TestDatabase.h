// Small SQLite databases built inside a temporary folder for the tests of the layers
// above the engine. Each test gets its own folder, removed when the test ends.
#pragma once

#include "db/SqliteAccess.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sqlite3.h>

namespace testsupport {

// Runs SQL on a file with the system's collation installed, outside the layer under test.
inline void runSql(const QString& path, const QString& sql)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(QFile::encodeName(path).constData(), &db,
                              SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr), SQLITE_OK);
    db::installAccessSemantics(db);
    char* err = nullptr;
    const int rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &err);
    const QString message = QString::fromUtf8(err ? err : "");
    sqlite3_free(err);
    sqlite3_close(db);
    ASSERT_EQ(rc, SQLITE_OK) << message.toStdString();
}

// One value of a one-row query, as text (NULL as "<NULL>").
inline QString queryText(const QString& path, const QString& sql)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    db::installAccessSemantics(db);
    sqlite3_stmt* stmt = nullptr;
    QString out = QStringLiteral("<ERROR>");
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &stmt, nullptr) == SQLITE_OK) {
        if (sqlite3_step(stmt) == SQLITE_ROW)
            out = sqlite3_column_type(stmt, 0) == SQLITE_NULL
                ? QStringLiteral("<NULL>")
                : QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
        else
            out = QStringLiteral("<NOROW>");
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return out;
}

inline QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

class TempFolder {
public:
    TempFolder() { EXPECT_TRUE(m_dir.isValid()); }
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QString root() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
};

}  // namespace testsupport
