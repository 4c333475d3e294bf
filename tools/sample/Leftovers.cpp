// Planting leftovers: byte copies within and beyond the file, checked against the file's
// own free-page map so that nothing is planted where Access would never leave it.
#include "tools/sample/Leftovers.h"

#include "db/TargetPassword.h"
#include "db/jet/Database.h"
#include "db/jet/JetFormat.h"
#include "db/jet/UsageMap.h"
#include "util/Error.h"

#include <QDir>
#include <QFile>

#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace sample {

namespace {

QByteArray readAll(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw util::Error(QStringLiteral("Die Datei %1 kann nicht gelesen werden: %2")
                              .arg(QDir::toNativeSeparators(path), f.errorString()));
    return f.readAll();
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size() || !f.flush())
        throw util::Error(QStringLiteral("Die Datei %1 kann nicht geschrieben werden: %2")
                              .arg(QDir::toNativeSeparators(path), f.errorString()));
}

unsigned u16At(const QByteArray& b, qsizetype at)
{
    return static_cast<unsigned>(static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8);
}

bool isPersonal(const std::string& table)
{
    for (const char* name : {"Schueler", "SchuelerErzAdr", "K_Lehrer", "K_AllgAdresse", "SchuelerTelefone",
                             "EigeneSchule"})
        if (table == name)
            return true;
    return false;
}

LeftoverSummary plantAccess(const QString& path)
{
    std::vector<uint32_t> personal, quiet;
    qsizetype freeBeyondEnd = 0;
    db::jet::Format format{};
    try {
        auto file = db::jet::Database::open(QFile::encodeName(path).toStdString(), db::kTargetPassword,
                                            db::jet::AccessMode::ReadShared);
        format = file->format();
        for (const db::jet::CatalogEntry& e : file->userTables())
            for (uint32_t p : file->table(e).dataPages())
                (isPersonal(e.name) ? personal : quiet).push_back(p);
        const db::jet::FreePageMap map(file->file(), format);
        for (uint32_t p = file->file().pageCount(); map.isFree(p); ++p)
            ++freeBeyondEnd;
    } catch (const std::exception& e) {
        throw util::Error(QString::fromUtf8(e.what()));
    }
    const qsizetype page = format.pageSize;
    QByteArray bytes = readAll(path);
    // The free gap of a data page: from the end of its slot table to its lowest row.
    const auto gapOf = [&](uint32_t number) {
        const qsizetype at = number * page;
        const unsigned count = u16At(bytes, at + format.dataRowCount);
        qsizetype lowest = page;
        for (unsigned i = 0; i < count; ++i)
            lowest = std::min<qsizetype>(lowest, u16At(bytes, at + format.dataRowTable + 2 * i) & db::jet::kRowOffsetMask);
        return std::pair<qsizetype, qsizetype>(format.dataRowTable + 2 * count, lowest);
    };
    QByteArray rows;
    for (uint32_t number : personal) {
        const qsizetype at = number * page;
        const auto [tableEnd, lowest] = gapOf(number);
        rows += bytes.mid(at + lowest, page - lowest);
        const qsizetype n = std::min(lowest - tableEnd, page - lowest);
        if (n > 0)
            std::memmove(bytes.data() + at + lowest - n, bytes.constData() + at + lowest, static_cast<size_t>(n));
    }
    LeftoverSummary planted;
    for (uint32_t number : quiet) {
        const auto [tableEnd, lowest] = gapOf(number);
        const qsizetype n = std::min<qsizetype>(lowest - tableEnd, rows.size() - planted.gapBytes);
        if (n <= 0)
            continue;
        std::memcpy(bytes.data() + number * page + lowest - n, rows.constData() + planted.gapBytes,
                    static_cast<size_t>(n));
        planted.gapBytes += n;
    }
    for (size_t i = 0; i < personal.size() && static_cast<qsizetype>(i) < freeBeyondEnd; ++i) {
        bytes += bytes.mid(personal[i] * page, page);
        ++planted.pagesGivenBack;
    }
    writeAll(path, bytes);
    return planted;
}

LeftoverSummary plantSqlite(const QString& path)
{
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    const auto fail = [&](int code) {
        const QString detail = QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(code));
        sqlite3_close(db);
        throw util::Error(QStringLiteral("In der Datei %1 können keine Reste angelegt werden: %2")
                              .arg(QDir::toNativeSeparators(path), detail));
    };
    if (rc != SQLITE_OK)
        fail(rc);
    rc = sqlite3_exec(db,
                      "PRAGMA secure_delete=OFF; CREATE TABLE Alt AS SELECT * FROM Schueler; "
                      "CREATE TABLE Alt2 AS SELECT * FROM K_Lehrer; DROP TABLE Alt; DROP TABLE Alt2;",
                      nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        fail(rc);
    LeftoverSummary planted;
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, "PRAGMA freelist_count", -1, &stmt, nullptr) == SQLITE_OK && sqlite3_step(stmt) == SQLITE_ROW)
        planted.freeListPages = sqlite3_column_int(stmt, 0);
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return planted;
}

}  // namespace

LeftoverSummary plantLeftovers(const QString& targetPath, bool access)
{
    return access ? plantAccess(targetPath) : plantSqlite(targetPath);
}

}  // namespace sample
