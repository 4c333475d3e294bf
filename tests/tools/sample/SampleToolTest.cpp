// The command line of edvara-sample: determinism, sizes, and what a user sees when
// the folder or an option is wrong.
#include "SampleReader.h"

#include "tools/sample/SamplePlan.h"
#include "tools/sample/SampleTool.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <sstream>

using sampletest::SampleReader;

namespace {

struct ToolRun {
    int code;
    std::string out;
    std::string err;
};

ToolRun runTool(const QStringList& args)
{
    std::ostringstream out, err;
    const int code = sample::runSampleTool(args, out, err);
    return {code, out.str(), err.str()};
}

QByteArray fileHash(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

std::vector<std::string> people(const QString& path)
{
    SampleReader db(path);
    return db.texts("SELECT Name || ',' || Vorname FROM Schueler ORDER BY ID");
}

// One line on stderr, prefixed with the tool's name.
void expectOneDiagnostic(const ToolRun& r, const std::string& part)
{
    EXPECT_EQ(r.err.rfind("edvara-sample: ", 0), 0u) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_NE(r.err.find(part), std::string::npos) << r.err;
    EXPECT_TRUE(r.out.empty()) << r.out;
}

}  // namespace

TEST(SampleTool, SameSeedGivesTheSameFilesAndAnotherSeedOtherContent)
{
    QTemporaryDir a, b, c;
    ASSERT_EQ(runTool({"--out", a.path()}).code, sample::kExitOk);
    ASSERT_EQ(runTool({"--out", b.path(), "--seed", "20250315"}).code, sample::kExitOk);
    ASSERT_EQ(runTool({"--out", c.path(), "--seed=7"}).code, sample::kExitOk);
    for (const char* name : {"Edvara.sqlite", "Schulver.mdb"}) {
        const QByteArray h = fileHash(QDir(a.path()).filePath(name));
        ASSERT_FALSE(h.isEmpty()) << name;
        EXPECT_EQ(h, fileHash(QDir(b.path()).filePath(name))) << name;
        EXPECT_NE(h, fileHash(QDir(c.path()).filePath(name))) << name;
    }
    EXPECT_NE(people(QDir(a.path()).filePath("Edvara.sqlite")), people(QDir(c.path()).filePath("Edvara.sqlite")));
}

TEST(SampleTool, LargeReachesTheBenchmarkSizes)
{
    QTemporaryDir dir;
    const ToolRun r = runTool({"--out", dir.path(), "--large", "--seed", "99"});
    ASSERT_EQ(r.code, sample::kExitOk) << r.err;
    SampleReader db(dir.filePath("Edvara.sqlite"));
    EXPECT_GE(db.count("SELECT count(*) FROM Schueler"), 2000);
    EXPECT_GE(db.count("SELECT count(*) FROM SchuelerErzAdr"), 6000);
    EXPECT_GE(db.count("SELECT count(*) FROM K_Lehrer"), 150);
    EXPECT_GE(db.count("SELECT count(*) FROM SchuelerLeistungsdaten"), 100000);
    // The summary on stdout reports what was written.
    EXPECT_NE(r.out.find("2000 Schüler"), std::string::npos) << r.out;
}

TEST(SampleTool, SizeScalesPeopleAndClassesAndSizeOneChangesNothing)
{
    QTemporaryDir plain, one, three;
    ASSERT_EQ(runTool({"--out", plain.path()}).code, sample::kExitOk);
    ASSERT_EQ(runTool({"--out", one.path(), "--size", "1"}).code, sample::kExitOk);
    const ToolRun r = runTool({"--out", three.path(), "--size=3"});
    ASSERT_EQ(r.code, sample::kExitOk) << r.err;
    // Size 1 is the sample as it always was, byte for byte.
    for (const char* name : {"Edvara.sqlite", "Schulver.mdb"})
        EXPECT_EQ(fileHash(QDir(plain.path()).filePath(name)), fileHash(QDir(one.path()).filePath(name))) << name;

    SampleReader base(plain.filePath("Edvara.sqlite"));
    SampleReader big(three.filePath("Edvara.sqlite"));
    for (const char* table : {"Schueler", "K_Lehrer", "K_AllgAdresse"})
        EXPECT_EQ(big.count(std::string("SELECT count(*) FROM ") + table),
                  3 * base.count(std::string("SELECT count(*) FROM ") + table))
            << table;
    // Rows that follow the students grow with them (drawn, so only roughly threefold).
    for (const char* table : {"SchuelerErzAdr", "SchuelerLernabschnittsdaten", "SchuelerLeistungsdaten"}) {
        const auto small = base.count(std::string("SELECT count(*) FROM ") + table);
        const auto large = big.count(std::string("SELECT count(*) FROM ") + table);
        EXPECT_GT(large, 2 * small) << table;
        EXPECT_LT(large, 4 * small) << table;
    }
    EXPECT_EQ(big.count("SELECT count(*) FROM Versetzung WHERE Klasse LIKE '5_'"), 6);
    // Every abbreviation is still unique and fits its column; every class teacher exists.
    EXPECT_EQ(big.count("SELECT count(DISTINCT upper(trim(Kuerzel))) FROM K_Lehrer"),
              big.count("SELECT count(*) FROM K_Lehrer"));
    EXPECT_EQ(big.count("SELECT count(*) FROM Versetzung WHERE KlassenlehrerKrz NOT IN (SELECT Kuerzel FROM K_Lehrer)"),
              0);
    // The same seed and size give the same files.
    QTemporaryDir again;
    ASSERT_EQ(runTool({"--out", again.path(), "--size", "3"}).code, sample::kExitOk);
    EXPECT_EQ(fileHash(three.filePath("Edvara.sqlite")), fileHash(again.filePath("Edvara.sqlite")));
}

TEST(SampleTool, ClassesStopAtTheLastLetter)
{
    const sample::SampleSize size = sample::sampleSize(true, 4);
    EXPECT_EQ(size.students, 8000);
    EXPECT_EQ(size.teachers, 640);
    EXPECT_EQ(size.classesPerGrade, sample::kMaxClassesPerGrade);
    EXPECT_EQ(sample::sampleSize(true, 1).classesPerGrade, 8);
}

TEST(SampleTool, ReplacesEarlierFilesAndLeavesNoTemporaryFiles)
{
    QTemporaryDir dir;
    QFile old(dir.filePath("Edvara.sqlite"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("kein SQLite");
    old.close();
    ASSERT_EQ(runTool({"--out", dir.path()}).code, sample::kExitOk);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              (QStringList{"Edvara.sqlite", "Schulver.mdb"}));
    for (const char* name : {"Edvara.sqlite", "Schulver.mdb"}) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.read(16), QByteArray("SQLite format 3\0", 16)) << name;
    }
}

TEST(SampleTool, BadFolderGivesAGermanMessageAndChangesNothing)
{
    QTemporaryDir dir;
    QFile plain(dir.filePath("datei.txt"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.write("x");
    plain.close();

    ToolRun r = runTool({"--out", dir.filePath("datei.txt")});
    EXPECT_EQ(r.code, sample::kExitFailure);
    expectOneDiagnostic(r, "ist kein Ordner");

    r = runTool({"--out", dir.filePath("datei.txt/unter")});
    EXPECT_EQ(r.code, sample::kExitFailure);
    expectOneDiagnostic(r, "kann nicht angelegt werden");

    // A folder where the directory file should go: the target written before stays as it was.
    QDir(dir.path()).mkpath("ziel/Schulver.mdb");
    QFile earlier(dir.filePath("ziel/Edvara.sqlite"));
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
    earlier.write("alt");
    earlier.close();
    r = runTool({"--out", dir.filePath("ziel")});
    EXPECT_EQ(r.code, sample::kExitFailure);
    expectOneDiagnostic(r, "kann nicht ersetzt werden");
    QFile check(dir.filePath("ziel/Edvara.sqlite"));
    ASSERT_TRUE(check.open(QIODevice::ReadOnly));
    EXPECT_EQ(check.readAll(), QByteArray("alt"));
    EXPECT_EQ(QDir(dir.filePath("ziel")).entryList(QDir::Files | QDir::Hidden), QStringList{"Edvara.sqlite"});
}

TEST(SampleTool, MissingFolderIsCreated)
{
    QTemporaryDir dir;
    ASSERT_EQ(runTool({"--out", dir.filePath("neu/tiefer")}).code, sample::kExitOk);
    EXPECT_TRUE(QFile::exists(dir.filePath("neu/tiefer/Schulver.mdb")));
}

TEST(SampleTool, BadCommandLinesAreRejectedWithAHint)
{
    QTemporaryDir dir;
    const struct {
        QStringList args;
        std::string message;
    } cases[] = {
        {{}, "Die Option --out mit dem Zielordner fehlt."},
        {{"--large"}, "Die Option --out mit dem Zielordner fehlt."},
        {{"--out"}, "Die Option --out braucht einen Wert (ORDNER)."},
        {{"--out", ""}, "Der Zielordner bei --out ist leer."},
        {{"--out", dir.path(), "--seed", "abc"}, "Ungültiger Startwert „abc“ bei --seed"},
        {{"--out", dir.path(), "--seed", "-1"}, "Ungültiger Startwert „-1“ bei --seed"},
        {{"--out", dir.path(), "--seed", "18446744073709551616"}, "Ungültiger Startwert"},
        {{"--out", dir.path(), "--seed"}, "Die Option --seed braucht einen Wert (N)."},
        {{"--out", dir.path(), "--groß"}, "Unbekannte Option „--groß“."},
        {{"--out", dir.path(), "--out", dir.path()}, "Die Option --out ist mehrfach angegeben."},
        {{"--out", dir.path(), "--large=ja"}, "Die Option --large nimmt keinen Wert."},
        {{"--out", dir.path(), "extra"}, "Unerwartetes Argument „extra“."},
        {{"--out", dir.path(), "--size", "0"}, "Ungültige Größe „0“ bei --size: erwartet wird eine ganze Zahl von 1 bis 20."},
        {{"--out", dir.path(), "--size", "21"}, "Ungültige Größe „21“ bei --size"},
        {{"--out", dir.path(), "--size", "zwei"}, "Ungültige Größe „zwei“ bei --size"},
        {{"--out", dir.path(), "--size=-2"}, "Ungültige Größe „-2“ bei --size"},
        {{"--out", dir.path(), "--size"}, "Die Option --size braucht einen Wert (N)."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const ToolRun r = runTool(c.args);
        EXPECT_EQ(r.code, sample::kExitUsage);
        expectOneDiagnostic(r, c.message);
        EXPECT_NE(r.err.find("--help"), std::string::npos);
    }
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

TEST(SampleTool, HelpNamesEveryOptionAndTheDefaultSeed)
{
    const ToolRun r = runTool({"--help"});
    EXPECT_EQ(r.code, sample::kExitOk);
    for (const char* part : {"--out ORDNER", "--large", "--size N", "--seed N", "--help", "20250315", "Schulver.mdb"})
        EXPECT_NE(r.out.find(part), std::string::npos) << part;
    EXPECT_TRUE(r.err.empty());
}

TEST(SampleTool, ProgramWritesBothFilesAndReportsErrorsOnStderr)
{
    QTemporaryDir dir;
    const QString program = QStringLiteral(EDVARA_BIN_DIR "/edvara-sample");
    QProcess p;
    p.start(program, {"--out", dir.filePath("beispiel")});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), sample::kExitOk) << p.readAllStandardError().toStdString();
    EXPECT_TRUE(QFile::exists(dir.filePath("beispiel/Edvara.sqlite")));
    EXPECT_TRUE(QFile::exists(dir.filePath("beispiel/Schulver.mdb")));

    p.start(program, {"--out", dir.filePath("beispiel/Edvara.sqlite/x")});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), sample::kExitFailure);
    const QString err = QString::fromUtf8(p.readAllStandardError());
    EXPECT_TRUE(err.startsWith(QStringLiteral("edvara-sample: Der Zielordner „"))) << err.toStdString();
    EXPECT_TRUE(p.readAllStandardOutput().isEmpty());
}
