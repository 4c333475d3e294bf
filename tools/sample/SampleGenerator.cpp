// Orchestrates one generation: plan, target file, directory file, renames.
#include "tools/sample/SampleGenerator.h"

#include "db/ConnectionString.h"
#include "tools/sample/AccessExport.h"
#include "tools/sample/SampleContent.h"
#include "tools/sample/SamplePlan.h"
#include "tools/sample/SqliteFile.h"
#include "tools/sample/TargetSchema.h"
#include "util/Error.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>

namespace sample {

namespace {

QString quoted(const QString& path) { return QStringLiteral("„%1“").arg(QDir::toNativeSeparators(path)); }

// A temporary file that is removed unless it was moved to its final name.
class PendingFile {
public:
    PendingFile(const QString& dir, const QString& finalName)
        : m_final(QDir(dir).filePath(finalName)),
          m_temp(QDir(dir).filePath(QStringLiteral(".%1.%2.tmp").arg(finalName).arg(QCoreApplication::applicationPid())))
    {
        QFile::remove(m_temp);
    }
    ~PendingFile()
    {
        if (!m_done)
            QFile::remove(m_temp);
    }
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    const QString& temp() const { return m_temp; }
    const QString& finalPath() const { return m_final; }

    // rename() replaces an existing file in one step; QFile::rename would refuse.
    void commit()
    {
        if (std::rename(QFile::encodeName(m_temp).constData(), QFile::encodeName(m_final).constData()) != 0)
            throw util::Error(QStringLiteral("Die Datei %1 kann nicht geschrieben werden: %2")
                                  .arg(quoted(m_final), QString::fromLocal8Bit(std::strerror(errno))));
        m_done = true;
    }

private:
    QString m_final;
    QString m_temp;
    bool m_done = false;
};

void prepareFolder(const QString& dir, const QStringList& names)
{
    if (dir.isEmpty())
        throw util::Error(QStringLiteral("Der Zielordner ist leer."));
    const QFileInfo info(dir);
    if (info.exists() && !info.isDir())
        throw util::Error(QStringLiteral("%1 ist kein Ordner.").arg(quoted(dir)));
    if (!info.exists() && !QDir().mkpath(dir))
        throw util::Error(QStringLiteral("Der Zielordner %1 kann nicht angelegt werden.").arg(quoted(dir)));
    if (!QFileInfo(dir).isWritable())
        throw util::Error(QStringLiteral("In den Zielordner %1 kann nicht geschrieben werden.").arg(quoted(dir)));
    // Checked before writing, so that the second rename cannot fail after the first
    // has already replaced its file.
    for (const QString& name : names) {
        const QFileInfo target(QDir(dir).filePath(name));
        if (target.exists() && !target.isFile())
            throw util::Error(QStringLiteral("%1 ist keine Datei und kann nicht ersetzt werden.")
                                  .arg(quoted(target.filePath())));
    }
}

void createSchema(SqliteFile& file, const TableDef& table) { file.exec(createTableSql(table)); }

void createIndexes(SqliteFile& file, const TableDef& table)
{
    for (const std::string& sql : createIndexSql(table))
        file.exec(sql);
}

}  // namespace

SampleSummary writeSampleDatabases(const SampleOptions& options)
{
    const QString targetName = QString::fromLatin1(options.access ? kAccessTargetFileName : kTargetFileName);
    const QString directoryName = QString::fromLatin1(kDirectoryFileName);
    prepareFolder(options.outDir, {targetName, directoryName});
    const SampleSize size = sampleSize(options.large, options.size);
    SampleRandom root(options.seed);
    SampleRandom planRng = root.fork(1);
    const SampleRandom targetRng = root.fork(2);
    const SamplePlan plan = makePlan(size, planRng);

    SampleSummary summary;
    PendingFile target(options.outDir, targetName);
    PendingFile directory(options.outDir, directoryName);
    // Access files are copied from SQLite files made first, which are then dropped.
    std::optional<PendingFile> targetStep, directoryStep;
    if (options.access) {
        targetStep.emplace(options.outDir, QString::fromLatin1(kTargetFileName));
        directoryStep.emplace(options.outDir, QStringLiteral("Schulver.sqlite"));
    }
    {
        SqliteFile file(options.access ? targetStep->temp() : target.temp());
        file.exec("BEGIN");
        for (const TableDef& t : targetTables())
            createSchema(file, t);
        writeTarget(file, plan, size, targetRng);
        // Indexes after the rows: one sort per index instead of a tree insert per row.
        for (const TableDef& t : targetTables())
            createIndexes(file, t);
        file.exec("COMMIT");
        for (const char* t : {"Schueler", "SchuelerErzAdr", "SchuelerTelefone", "K_Lehrer", "SchuelerLernabschnittsdaten",
                              "SchuelerLeistungsdaten", "K_Schule", "K_Ort", "K_AllgAdresse"})
            summary.targetRows[t] = file.scalar(std::string("SELECT count(*) FROM ") + t);
        summary.targetTables = static_cast<int>(targetTables().size());
        if (options.access)
            exportToAccess(file, targetTables(), target.temp(), db::kTargetPassword);
        file.close();
    }
    {
        SqliteFile file(options.access ? directoryStep->temp() : directory.temp());
        file.exec("BEGIN");
        createSchema(file, directoryTable());
        writeDirectory(file, plan);
        createIndexes(file, directoryTable());
        file.exec("COMMIT");
        summary.directorySchools = file.scalar("SELECT count(*) FROM DBS");
        if (options.access)
            exportToAccess(file, {directoryTable()}, directory.temp(), std::string());
        file.close();
    }
    target.commit();
    directory.commit();
    summary.targetPath = target.finalPath();
    summary.directoryPath = directory.finalPath();
    return summary;
}

}  // namespace sample
