// Opening a database file by its real format, running statements, closing cleanly.
#include "db/DbConnection.h"
#include "db/AccessDialect.h"
#include "db/ConnectionString.h"
#include "db/DbError.h"
#include "db/RecordCursor.h"
#include "db/SqliteAccess.h"
#include "db/SqliteErrors.h"
#include "db/jet/JetFormat.h"
#include "db/jet/JetSqlite.h"
#include "util/SystemError.h"

#include <QFile>
#include <QDir>
#include <QFileInfo>

#include <sqlite3.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/file.h>
#include <unistd.h>

namespace db {

namespace {

// SQLite targets: the page cache of a run (KiB, negative as SQLite takes it), and the
// smaller one the scrub's VACUUM works with.
constexpr const char* kRunCache = "PRAGMA cache_size=-32768";
constexpr const char* kScrubCache = "PRAGMA cache_size=-4096";

enum class Sharing { Exclusive, DenyWrite, DenyNone };

struct OpenMode {
    bool writable = true;
    Sharing sharing = Sharing::Exclusive;
};

// ADO's Mode property: access and sharing words joined by "|". Without a Mode the
// file is opened for reading and writing and kept from every other program, so that
// no second run can work on the same target at the same time.
OpenMode parseMode(const QString& text)
{
    OpenMode mode;
    bool accessGiven = false;
    for (const QString& part : text.split(QLatin1Char('|'), Qt::SkipEmptyParts)) {
        const QString word = part.simplified().toLower();
        if (word == QLatin1String("read")) {
            mode.writable = false;
            accessGiven = true;
        } else if (word == QLatin1String("write") || word == QLatin1String("readwrite")) {
            mode.writable = true;
            accessGiven = true;
        } else if (word == QLatin1String("share deny write")) {
            mode.sharing = Sharing::DenyWrite;
            if (!accessGiven)
                mode.writable = false;
        } else if (word == QLatin1String("share deny none")) {
            mode.sharing = Sharing::DenyNone;
        } else if (word == QLatin1String("share exclusive") || word == QLatin1String("share deny read")) {
            mode.sharing = Sharing::Exclusive;
        } else {
            throw DbError(QStringLiteral("Die Verbindungszeichenfolge ist ungültig: Der Modus '%1' ist unbekannt.")
                              .arg(part.trimmed()));
        }
    }
    if (mode.writable && mode.sharing == Sharing::DenyWrite)
        mode.sharing = Sharing::Exclusive;  // a writer that denies others writing excludes them all
    return mode;
}

enum class FileKind { SQLite, Access, Unknown };

// How often (in engine steps) a running statement looks at the interrupt flag: often
// enough to stop within milliseconds, rarely enough to cost nothing measurable.
constexpr int kInterruptCheckSteps = 1000;

int progressCheck(void* connection)
{
    return static_cast<const DbConnection*>(connection)->interruptRequested() ? 1 : 0;
}

// The one savepoint name of the layer's units; savepoints of one name nest.
constexpr const char* kBeginUnit = "SAVEPOINT edvara_unit";
constexpr const char* kCommitUnit = "RELEASE edvara_unit";
constexpr const char* kRollbackUnit = "ROLLBACK TO edvara_unit";

QString lockedMessage(const QString& shown)
{
    return QStringLiteral("Die Datei %1 ist gesperrt: Sie wird bereits von einem anderen Programm verwendet.")
        .arg(shown);
}

FileKind detectFormat(const char* head, ssize_t n)
{
    if (n >= 16 && std::memcmp(head, "SQLite format 3\0", 16) == 0)
        return FileKind::SQLite;
    if (n > 0 && jet::accessSignature(head, static_cast<size_t>(n)) != jet::AccessSignature::None)
        return FileKind::Access;
    return FileKind::Unknown;
}

}  // namespace

struct DbConnection::Backing {
    int lockFd = -1;
    std::unique_ptr<jet::AttachedDatabase> access;
    ~Backing()
    {
        access.reset();
        if (lockFd >= 0)
            ::close(lockFd);
    }
};

void sqlite3_stmt_deleter::operator()(sqlite3_stmt* s) const
{
    sqlite3_finalize(s);
}

Value QueryResult::Column(int i) const
{
    if (i < 0 || i >= static_cast<int>(firstRow.size()))
        return Value();
    return firstRow[i];
}

DbConnection::DbConnection(const QString& name) : m_name(name) {}

DbConnection::~DbConnection()
{
    close();
    for (RecordCursor* c : std::as_const(m_cursors))
        c->connectionDestroyed();
}

void DbConnection::SetConnectionString(const QString& text)
{
    if (Connected())
        throw DbError(QStringLiteral("Die Verbindungszeichenfolge kann nur bei geschlossener Verbindung "
                                     "geändert werden."));
    m_connectionString = text;
}

void DbConnection::SetConnected(bool connected)
{
    if (connected && !Connected())
        open();
    else if (!connected)
        close();
}

sqlite3* DbConnection::handle()
{
    // SQLite looks at the flag only now and then while a statement runs; a short
    // statement after Ctrl+C must not slip through before that.
    if (interruptRequested())
        throw Interrupted();
    if (!m_db)
        open();
    // SQLite gives up a whole transaction on a full disk or an I/O error. The unit's
    // next statements must not then run on their own, each final at once.
    if (m_unitDepth > 0 && sqlite3_get_autocommit(m_db))
        throw DbError(QStringLiteral("Die Änderungen wurden zurückgenommen, weil eine Anweisung abgebrochen wurde."));
    return m_db;
}

void DbConnection::open()
{
    const db::ConnectionString cs = db::ConnectionString::parse(m_connectionString);
    const QString path = cs.value(QStringLiteral("Data Source"));
    if (path.isEmpty())
        throw DbError(QStringLiteral("Es wurde keine Datenbankdatei angegeben."));
    const OpenMode mode = parseMode(cs.value(QStringLiteral("Mode")));
    const QFileInfo info(path);
    const QString shown = QDir::toNativeSeparators(info.absoluteFilePath());
    if (!info.exists()) {
        // A name whose bytes are not UTF-8 reaches the program with those bytes replaced;
        // the file may well be there, but not under the name the program was given.
        if (path.contains(QChar::ReplacementCharacter))
            throw DbError(QStringLiteral("Die Datei %1 wurde nicht gefunden. Ihr Name enthält wohl Zeichen, die nicht in "
                                         "UTF-8 geschrieben sind (hier als \uFFFD gezeigt); unter einem solchen Namen "
                                         "kann das Programm die Datei nicht öffnen. Bitte die Datei (oder ihren Ordner) "
                                         "so umbenennen, dass der Name nur UTF-8-Zeichen enthält.")
                              .arg(shown));
        throw DbError(QStringLiteral("Die Datei %1 wurde nicht gefunden.").arg(shown));
    }
    if (info.isDir())
        throw DbError(QStringLiteral("%1 ist ein Ordner und keine Datenbankdatei.").arg(shown));

    // The name is resolved once: behind a link the real file is opened and written, and its
    // journal lies beside it, wherever the file is opened from next.
    const QString real = info.canonicalFilePath().isEmpty() ? info.absoluteFilePath() : info.canonicalFilePath();
    const QByteArray native = QFile::encodeName(real);
    const int fd = ::open(native.constData(), (mode.writable ? O_RDWR : O_RDONLY) | O_CLOEXEC);
    if (fd < 0) {
        const int err = errno;
        if (mode.writable && (err == EACCES || err == EROFS || err == EPERM))
            throw DbError(QStringLiteral("Die Datei %1 kann nicht zum Schreiben geöffnet werden: %2")
                              .arg(shown, util::systemErrorText(err)));
        throw DbError(QStringLiteral("Die Datei %1 kann nicht geöffnet werden: %2").arg(shown, util::systemErrorText(err)));
    }
    auto backing = std::make_unique<Backing>();
    backing->lockFd = fd;

    char head[32] = {};
    const ssize_t got = ::pread(fd, head, sizeof head, 0);
    if (got < 0)
        throw DbError(QStringLiteral("Die Datei %1 kann nicht gelesen werden: %2").arg(shown, util::systemErrorText(errno)));
    const FileKind kind = detectFormat(head, got);
    if (kind == FileKind::Unknown)
        throw DbError(QStringLiteral("Die Datei %1 ist keine Datenbank (weder eine Access- noch eine "
                                     "SQLite-Datenbank).").arg(shown));

    sqlite3* db = nullptr;
    auto failOpen = [&](const QString& message) -> DbError {
        if (db)
            sqlite3_close_v2(db);
        return DbError(message);
    };

    if (kind == FileKind::SQLite) {
        if (mode.sharing != Sharing::DenyNone) {
            const int op = mode.sharing == Sharing::Exclusive ? LOCK_EX : LOCK_SH;
            if (::flock(fd, op | LOCK_NB) != 0)
                throw DbError(lockedMessage(shown));
        }
        const int flags = (mode.writable ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY) | SQLITE_OPEN_NOMUTEX;
        int rc = sqlite3_open_v2(native.constData(), &db, flags, nullptr);
        if (rc != SQLITE_OK)
            throw failOpen(QStringLiteral("Die Datei %1 kann nicht geöffnet werden: %2").arg(shown, lastSqliteError(db, rc)));
        sqlite3_extended_result_codes(db, 0);
        sqlite3_busy_timeout(db, 2000);
        installAccessSemantics(db);
        // Deleted personal data must not linger in free pages of the file.
        sqlite3_exec(db, "PRAGMA secure_delete=ON", nullptr, nullptr, nullptr);
        // A run rewrites the big tables many times over, one unit after the other: with
        // SQLite's default cache (2 MB) each unit reads its pages back from the file and
        // spills changed ones into the log before its end. Up to 32 MB are kept instead
        // (as much as they need; the scrub's VACUUM gets a small one, kScrubCache); the
        // file's content does not depend on it.
        sqlite3_exec(db, kRunCache, nullptr, nullptr, nullptr);
        rc = sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
        // Another program's lock (SQLite's own, taken by any other SQLite tool) is no
        // damage: the file is fine and can be used once that program lets go.
        if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED)
            throw failOpen(lockedMessage(shown));
        if (rc != SQLITE_OK)
            throw failOpen(QStringLiteral("Die Datei %1 ist beschädigt oder keine lesbare Datenbank: %2")
                               .arg(shown, lastSqliteError(db, rc)));
        m_walCandidate = mode.writable && mode.sharing == Sharing::Exclusive;
        m_format = DatabaseFormat::SQLite;
    } else {
        // The engine takes over the descriptor opened above and locks it: nothing can slip
        // in between the check of the file and the run.
        int rc = sqlite3_open_v2(":memory:", &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
        if (rc != SQLITE_OK)
            throw failOpen(lastSqliteError(db, rc));
        installAccessSemantics(db);
        const int engineFd = backing->lockFd;
        backing->lockFd = -1;
        try {
            backing->access = jet::attachAccessFile(
                db, native.toStdString(), cs.value(QStringLiteral("Jet OLEDB:Database Password")).toStdString(),
                mode.writable ? jet::AccessMode::ReadWriteExclusive : jet::AccessMode::ReadShared, engineFd);
        } catch (const std::exception& e) {
            throw failOpen(QString::fromUtf8(e.what()));
        }
        if (m_syncEachStatement)
            backing->access->setDurability(jet::Durability::EveryUnit);
        m_format = DatabaseFormat::Access;
    }
    m_db = db;
    m_backing = std::move(backing);
    m_filePath = real;
    installInterruptCheck();
}

void DbConnection::FinishWrites()
{
    if (!m_db || !m_backing)
        return;
    if (m_backing->access) {
        try {
            m_backing->access->finishWrites();
        } catch (const std::exception& e) {
            throw DbError(QString::fromUtf8(e.what()));
        }
        return;
    }
    struct stat mine {};
    struct stat named {};
    const QString shown = QDir::toNativeSeparators(m_filePath);
    if (m_backing->lockFd < 0 || ::fstat(m_backing->lockFd, &mine) != 0 || mine.st_nlink == 0
        || ::stat(QFile::encodeName(m_filePath).constData(), &named) != 0 || named.st_ino != mine.st_ino
        || named.st_dev != mine.st_dev)
        throw DbError(QStringLiteral("Die Datei %1 wurde während der Arbeit an ihr umbenannt, ersetzt oder gelöscht. "
                                     "Unter diesem Namen liegt nicht die bearbeitete Datei.").arg(shown));
}

void DbConnection::SetInterruptFlag(const std::atomic<bool>* flag)
{
    m_interruptFlag = flag;
    installInterruptCheck();
}

void DbConnection::installInterruptCheck()
{
    if (m_db)
        sqlite3_progress_handler(m_db, m_interruptFlag ? kInterruptCheckSteps : 0,
                                 m_interruptFlag ? progressCheck : nullptr, this);
}

bool DbConnection::interruptRequested() const
{
    return m_interruptHeld == 0 && m_interruptFlag && m_interruptFlag->load(std::memory_order_relaxed);
}

int DbConnection::execUninterrupted(const char* sql)
{
    ++m_interruptHeld;
    const int rc = sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr);
    --m_interruptHeld;
    return rc;
}

void DbConnection::BeginUnit()
{
    handle();
    // The switch to the write-ahead log cannot happen inside a transaction, so it
    // happens here, before the unit's first write.
    prepareWrite();
    const int rc = execUninterrupted(kBeginUnit);
    if (rc != SQLITE_OK)
        throwSqliteError(m_db, rc);
    ++m_unitDepth;
}

void DbConnection::CommitUnit()
{
    if (m_unitDepth == 0 || !m_db)
        throw DbError(QStringLiteral("Es ist keine Einheit von Änderungen offen."));
    if (sqlite3_get_autocommit(m_db)) {
        // SQLite has already rolled the whole transaction back (an interrupted or
        // failed statement); nothing of the unit reached the file.
        m_unitDepth = 0;
        for (RecordCursor* c : std::as_const(m_cursors))
            c->unitRolledBack();
        throw DbError(QStringLiteral("Die Änderungen wurden zurückgenommen, weil eine Anweisung abgebrochen wurde."));
    }
    const int rc = execUninterrupted(kCommitUnit);
    if (rc != SQLITE_OK)
        throwSqliteError(m_db, rc);  // still open: the caller rolls it back
    --m_unitDepth;
}

void DbConnection::RollbackUnit()
{
    if (m_unitDepth == 0 || !m_db)
        return;
    if (sqlite3_get_autocommit(m_db)) {
        m_unitDepth = 0;
    } else if (execUninterrupted(kRollbackUnit) == SQLITE_OK && execUninterrupted(kCommitUnit) == SQLITE_OK) {
        --m_unitDepth;
    } else {
        // The savepoint cannot be reached: give up the whole transaction rather than
        // let any part of the unit reach the file.
        execUninterrupted("ROLLBACK");
        m_unitDepth = 0;
    }
    for (RecordCursor* c : std::as_const(m_cursors))
        c->unitRolledBack();
}

DbUnit::~DbUnit()
{
    if (m_open) {
        m_open = false;
        m_connection.RollbackUnit();
    }
}

void DbUnit::Commit()
{
    m_connection.CommitUnit();
    m_open = false;
}

void DbUnit::Rollback()
{
    m_open = false;
    m_connection.RollbackUnit();
}

void DbConnection::close()
{
    const auto cursors = m_cursors;
    for (RecordCursor* c : cursors) {
        c->Close();
        c->releaseStatements();
    }
    if (m_db) {
        // A unit still open at closing never reached its end: none of it may stay.
        if (m_unitDepth > 0 && !sqlite3_get_autocommit(m_db))
            execUninterrupted("ROLLBACK");
        m_unitDepth = 0;
        // Back to a single self-contained file: the log is written into the database
        // and removed, also after an interrupt.
        if (m_walMode)
            execUninterrupted("PRAGMA journal_mode=DELETE");
        m_walMode = false;
        m_walCandidate = false;
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
    m_backing.reset();
    m_format = DatabaseFormat::None;
    m_filePath.clear();
}

StatementPtr prepareStatement(sqlite3* db, const QString& sqliteSql)
{
    const QByteArray utf8 = sqliteSql.toUtf8();
    sqlite3_stmt* raw = nullptr;
    const char* tail = nullptr;
    const int rc = sqlite3_prepare_v2(db, utf8.constData(), static_cast<int>(utf8.size()), &raw, &tail);
    StatementPtr stmt(raw);
    if (rc != SQLITE_OK)
        throwSqliteError(db, rc);
    if (!stmt)
        throw DbError(QStringLiteral("Ungültige SQL-Anweisung; 'DELETE', 'INSERT', 'PROCEDURE', 'SELECT' oder "
                                     "'UPDATE' erwartet."));
    for (const char* p = tail; p && p < utf8.constData() + utf8.size(); ++p)
        if (!std::isspace(static_cast<unsigned char>(*p)) && *p != ';')
            throw DbError(QStringLiteral("Zeichen am Ende der SQL-Anweisung gefunden."));
    return stmt;
}

Value columnValue(sqlite3_stmt* stmt, int column)
{
    switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_INTEGER:
        return Value(static_cast<qint64>(sqlite3_column_int64(stmt, column)));
    case SQLITE_FLOAT:
        return Value(sqlite3_column_double(stmt, column));
    case SQLITE_TEXT:
        return Value(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, column)),
                                       sqlite3_column_bytes(stmt, column)));
    case SQLITE_BLOB: {
        const void* data = sqlite3_column_blob(stmt, column);
        return Value(QByteArray(static_cast<const char*>(data), sqlite3_column_bytes(stmt, column)));
    }
    default:
        return Value();
    }
}

void bindValue(sqlite3_stmt* stmt, int index, const Value& value)
{
    if (const auto* i = std::get_if<qint64>(&value)) {
        sqlite3_bind_int64(stmt, index, *i);
    } else if (const auto* d = std::get_if<double>(&value)) {
        sqlite3_bind_double(stmt, index, *d);
    } else if (const auto* s = std::get_if<QString>(&value)) {
        const QByteArray u = s->toUtf8();
        sqlite3_bind_text(stmt, index, u.constData(), static_cast<int>(u.size()), SQLITE_TRANSIENT);
    } else if (const auto* b = std::get_if<QByteArray>(&value)) {
        sqlite3_bind_blob(stmt, index, b->constData(), static_cast<int>(b->size()), SQLITE_TRANSIENT);
    } else {
        sqlite3_bind_null(stmt, index);
    }
}

namespace {

ResultColumns resultColumns(sqlite3_stmt* stmt)
{
    ResultColumns cols;
    const int n = sqlite3_column_count(stmt);
    for (int i = 0; i < n; ++i) {
        cols.names.append(QString::fromUtf8(sqlite3_column_name(stmt, i)));
        const char* decl = sqlite3_column_decltype(stmt, i);
        cols.kinds.push_back(columnKindFromDeclaredType(decl ? QString::fromUtf8(decl) : QString()));
    }
    return cols;
}

StatementPtr prepareForExecute(sqlite3* db, const QString& accessSql)
{
    StatementPtr stmt = prepareStatement(db, translateAccessSql(accessSql).sql);
    if (sqlite3_bind_parameter_count(stmt.get()) > 0)
        throw DbError(QStringLiteral("Für mindestens einen erforderlichen Parameter wurden keine Werte angegeben."));
    return stmt;
}

std::vector<Value> rowValues(sqlite3_stmt* stmt)
{
    std::vector<Value> row;
    const int n = sqlite3_column_count(stmt);
    row.reserve(n);
    for (int i = 0; i < n; ++i)
        row.push_back(columnValue(stmt, i));
    return row;
}

}  // namespace

void DbConnection::prepareWrite()
{
    if (!m_walCandidate || m_walMode || !m_db)
        return;
    // Switched on at the first write only, so that a run that writes nothing leaves
    // the file byte for byte as it was. Nobody else may use the file, so the
    // write-ahead log needs no shared memory. Every statement is still committed on its
    // own and survives a crash of the program; only a crash of the operating system
    // could lose the last commits, never the file's consistency. A journal synced for
    // each statement would cost milliseconds for each of a run's many thousand writes.
    sqlite3_exec(m_db, "PRAGMA locking_mode=EXCLUSIVE", nullptr, nullptr, nullptr);
    if (sqlite3_exec(m_db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr) == SQLITE_OK) {
        sqlite3_exec(m_db, m_syncEachStatement ? "PRAGMA synchronous=FULL" : "PRAGMA synchronous=NORMAL", nullptr,
                     nullptr, nullptr);
        // Fewer, larger checkpoints: each one waits for the disk, and a run rewrites
        // the same pages many times over. The log may grow to some 40 MB meanwhile.
        sqlite3_exec(m_db, "PRAGMA wal_autocheckpoint=10000", nullptr, nullptr, nullptr);
    }
    m_walMode = true;
}

QueryResult DbConnection::Execute(const QString& sql)
{
    sqlite3* db = handle();
    StatementPtr stmt = prepareForExecute(db, sql);
    if (!sqlite3_stmt_readonly(stmt.get()))
        prepareWrite();
    QueryResult result;
    result.columns = resultColumns(stmt.get()).names;
    const int rc = sqlite3_step(stmt.get());
    if (rc == SQLITE_ROW)
        result.firstRow = rowValues(stmt.get());
    else if (rc != SQLITE_DONE)
        throwSqliteError(db, rc);
    return result;
}

ResultColumns DbConnection::Query(const QString& sql, const RowHandler& onRow)
{
    return Query(sql, onRow, ColumnFilter());
}

ResultColumns DbConnection::Query(const QString& sql, const RowHandler& onRow, const ColumnFilter& wanted)
{
    sqlite3* db = handle();
    StatementPtr stmt = prepareForExecute(db, sql);
    if (!sqlite3_stmt_readonly(stmt.get()))
        prepareWrite();
    const ResultColumns cols = resultColumns(stmt.get());
    std::vector<int> picked;
    if (wanted)
        for (int i : wanted(cols))
            if (i >= 0 && i < static_cast<int>(cols.names.size()))
                picked.push_back(i);
    std::vector<Value> row;
    for (;;) {
        const int rc = sqlite3_step(stmt.get());
        if (rc == SQLITE_DONE)
            break;
        if (rc != SQLITE_ROW)
            throwSqliteError(db, rc);
        if (!wanted) {
            onRow(cols, rowValues(stmt.get()));
            continue;
        }
        row.assign(static_cast<size_t>(cols.names.size()), Value());
        for (int i : picked)
            row[static_cast<size_t>(i)] = columnValue(stmt.get(), i);
        onRow(cols, row);
    }
    return cols;
}

QStringList DbConnection::CheckFile(QStringList* notes)
{
    sqlite3* db = handle();
    QStringList findings;
    if (m_format == DatabaseFormat::Access) {
        for (const jet::CheckFinding& f : m_backing->access->check()) {
            if (f.error)
                findings.append(QString::fromStdString(f.text));
            else if (notes)
                notes->append(QString::fromStdString(f.text));
        }
        return findings;
    }
    Query(QStringLiteral("PRAGMA integrity_check"), [&](const ResultColumns&, const std::vector<Value>& row) {
        const QString text = row.empty() ? QString() : std::get_if<QString>(&row[0]) ? std::get<QString>(row[0]) : QString();
        if (text != QLatin1String("ok"))
            findings.append(text);
    });
    (void)db;
    return findings;
}

QList<EnforcedRelationship> DbConnection::Relationships()
{
    handle();
    QList<EnforcedRelationship> out;
    if (m_format != DatabaseFormat::Access)
        return out;
    try {
        const auto names = [](const std::vector<std::string>& columns) {
            QStringList out;
            for (const std::string& c : columns)
                out << QString::fromStdString(c);
            return out;
        };
        for (const jet::Relationship& r : m_backing->access->relationships())
            out.append({QString::fromStdString(r.name), QString::fromStdString(r.parent),
                        QString::fromStdString(r.child), names(r.parentColumns), names(r.childColumns),
                        r.cascadeUpdates, r.cascadeDeletes, r.cascadeSetNull});
    } catch (const jet::JetError& e) {
        throw util::Error(QString::fromUtf8(e.what()));
    }
    return out;
}

ScrubResult DbConnection::Scrub(const ScrubProgressHandler& progress)
{
    sqlite3* db = handle();
    if (m_unitDepth > 0)
        throw DbError(QStringLiteral("Der freie Speicher kann nicht überschrieben werden, solange eine Einheit von "
                                     "Änderungen offen ist."));
    // No statement may hold the file while it is rewritten.
    const auto cursors = m_cursors;
    for (RecordCursor* c : cursors) {
        c->Close();
        c->releaseStatements();
    }
    ScrubResult result;
    if (m_format == DatabaseFormat::Access) {
        // The units held back go out first: the scrub's own unit, stopped or not, then
        // leaves the file exactly as the statements before it left it.
        FinishWrites();
        try {
            const jet::ScrubReport r = m_backing->access->scrub([&](uint64_t done, uint64_t total) {
                if (progress)
                    progress(done, total);
                return !interruptRequested();
            });
            result.bytesZeroed = r.bytesZeroed;
            result.pagesChanged = r.pagesChanged;
            result.freePagesZeroed = r.freePagesZeroed;
            result.pagesLeft = r.pagesLeft;
            for (const std::string& n : r.notes)
                result.notes.append(QString::fromStdString(n));
        } catch (const jet::ScrubStopped&) {
            throw Interrupted();
        } catch (const std::exception& e) {
            throw DbError(QString::fromUtf8(e.what()));
        }
        return result;
    }
    if (progress)
        progress(0, 1);
    prepareWrite();
    // A rebuilt file has no free pages and no unused bytes in its pages; the log that held
    // the old pages meanwhile is emptied at once. VACUUM gives its copy a cache as large
    // as the file's: both get a small one for the while, so that the rebuild does not
    // double the memory the run's cache took (the rebuilt file does not depend on it).
    sqlite3_exec(db, kScrubCache, nullptr, nullptr, nullptr);
    const int rc = sqlite3_exec(db, "VACUUM", nullptr, nullptr, nullptr);
    sqlite3_exec(db, kRunCache, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        throwSqliteError(db, rc);
    if (m_walMode)
        execUninterrupted("PRAGMA wal_checkpoint(TRUNCATE)");
    if (progress)
        progress(1, 1);
    return result;
}

QStringList DbConnection::TableNames()
{
    sqlite3* db = handle();
    QStringList names;
    if (m_format == DatabaseFormat::Access) {
        for (const std::string& n : m_backing->access->tableNames())
            names.append(QString::fromStdString(n));
        return names;
    }
    StatementPtr stmt = prepareStatement(
        db, QStringLiteral("SELECT name FROM sqlite_master WHERE type='table' AND name NOT LIKE 'sqlite*' "
                           "ORDER BY rowid"));
    int rc;
    while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW)
        names.append(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt.get(), 0))));
    if (rc != SQLITE_DONE)
        throwSqliteError(db, rc);
    return names;
}

}  // namespace db
