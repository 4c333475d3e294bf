// School-shaped Access targets made by the independent judge (edvara-judge-target, Jackcess
// from Access's empty database): they hold every row of the SQLite sample with its keys,
// indexes of every type and enforced relationships; a full run with every option on them
// ends as the same run on the SQLite sample ends, and both engines accept the file after it
// and after Jackcess has written to it. Runs the built programs; skips without the judge.
#include "db/DbConnection.h"
#include "db/TargetPassword.h"
#include "db/jet/Database.h"
#include "tests/support/Judge.h"
#include "tools/sample/SampleGenerator.h"
#include "tools/sample/TargetSchema.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>
#include <memory>

namespace {

const QString kBin = QStringLiteral(EDVARA_BIN_DIR);
const QString kTool = kBin + QStringLiteral("/edvara-judge-target");
constexpr int kRunSeed = 7;

struct ProgramResult {
    int exitCode = -1;
    QString out;
    QString err;
};

ProgramResult runProgram(const QString& program, const QStringList& arguments)
{
    QProcess p;
    p.start(program, arguments);
    ProgramResult r;
    if (!p.waitForStarted(20000) || !p.waitForFinished(900000)) {
        p.kill();
        p.waitForFinished(10000);
        r.err = QStringLiteral("did not start or end: ") + program;
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

// The first lines of a long report (our check names every wrong key).
std::string firstLines(const QString& text, int lines = 8)
{
    const QStringList all = text.split(QLatin1Char('\n'));
    return (all.mid(0, lines).join(QLatin1Char('\n'))
            + (all.size() > lines ? QStringLiteral("\n  ... (%1 lines)").arg(all.size()) : QString()))
        .toStdString();
}

QString connectionString(const QString& path)
{
    return QStringLiteral("Data Source=%1;Jet OLEDB:Database Password=%2")
        .arg(path, QString::fromStdString(db::kTargetPassword));
}

// Every row of every sample table, through the database layer, in the sample's columns only
// (a target's extra Yes/No columns are not the sample's): table -> sorted lines.
std::map<QString, QStringList> content(const QString& path)
{
    std::map<QString, QStringList> out;
    db::DbConnection con;
    con.SetConnectionString(connectionString(path));
    for (const sample::TableDef& t : sample::targetTables()) {
        QStringList columns;
        for (const std::string& c : sample::columnNames(t))
            columns << QStringLiteral("[%1]").arg(QString::fromStdString(c));
        QStringList& lines = out[QString::fromStdString(t.name)];
        con.Query(QStringLiteral("select %1 from [%2]").arg(columns.join(QLatin1Char(',')), QString::fromStdString(t.name)),
                  [&](const db::ResultColumns&, const std::vector<db::Value>& row) {
                      QStringList cells;
                      for (const db::Value& v : row) {
                          if (db::isNull(v))
                              cells << QStringLiteral("<NULL>");
                          else if (const auto* i = std::get_if<qint64>(&v))
                              cells << QString::number(*i);
                          else if (const auto* d = std::get_if<double>(&v))
                              cells << QString::number(*d, 'g', 15);
                          else if (const auto* s = std::get_if<QString>(&v))
                              cells << *s;
                          else
                              cells << QString::fromLatin1(std::get<QByteArray>(v).toHex());
                      }
                      lines << cells.join(QLatin1Char('|'));
                  });
        lines.sort();
    }
    return out;
}

// Table by table, so that a difference names its table.
void expectSameContent(const std::map<QString, QStringList>& actual, const std::map<QString, QStringList>& expected,
                       const char* what)
{
    ASSERT_EQ(actual.size(), expected.size()) << what;
    for (const auto& [table, rows] : expected) {
        const QStringList& got = actual.at(table);
        EXPECT_EQ(got.size(), rows.size()) << what << ": " << table.toStdString();
        for (qsizetype i = 0; i < std::min(got.size(), rows.size()); ++i)
            if (got[i] != rows[i]) {
                ADD_FAILURE() << what << ": " << table.toStdString() << ", first differing row:\n  got      "
                              << got[i].toStdString() << "\n  expected " << rows[i].toStdString();
                break;
            }
    }
}

const db::jet::TableDef& definitionOf(db::jet::Database& db, const std::string& table)
{
    for (const db::jet::CatalogEntry& e : db.userTables())
        if (e.name == table)
            return db.table(e).def();
    throw std::runtime_error("no table " + table);
}

const db::jet::IndexDef* indexNamed(const db::jet::TableDef& def, const std::string& name)
{
    for (const db::jet::IndexDef& x : def.indexes)
        if (x.name == name)
            return &x;
    return nullptr;
}

// The sample, the targets made from it and the run on it, shared by every test of the
// program and removed at its end.
class Shared : public ::testing::Environment {
public:
    void TearDown() override
    {
        delete s_dir;
        s_dir = nullptr;
    }
    static QTemporaryDir* s_dir;
};
QTemporaryDir* Shared::s_dir = nullptr;
const auto* const kShared = ::testing::AddGlobalTestEnvironment(new Shared);

class JudgeTarget : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!QCoreApplication::instance()) {
            static int argc = 1;
            static char name[] = "judge_target_tests";
            static char* argv[] = {name, nullptr};
            new QCoreApplication(argc, argv);  // never destroyed, as in the other test programs
        }
        if (Shared::s_dir)
            return;
        Shared::s_dir = new QTemporaryDir;
        sample::SampleOptions options;
        options.outDir = Shared::s_dir->path() + QStringLiteral("/sample");
        const sample::SampleSummary summary = sample::writeSampleDatabases(options);
        s_sqlite = summary.targetPath;
        s_directory = summary.directoryPath;
    }

    void SetUp() override
    {
        if (!testsupport::judgeMissing().empty())
            GTEST_SKIP() << testsupport::judgeMissing();
        ASSERT_TRUE(QFileInfo(kTool).isExecutable()) << "edvara-judge-target is not built";
    }

    static QString path(const QString& name) { return Shared::s_dir->path() + QLatin1Char('/') + name; }

    // A target made by the tool with `options`, once per set of options; tests get copies.
    static QString target(const QStringList& options)
    {
        static std::map<QString, QString> made;
        const QString key = options.join(QLatin1Char(' '));
        if (!made.count(key)) {
            const QString file = path(QStringLiteral("target%1.mdb").arg(made.size()));
            const ProgramResult r =
                runProgram(kTool, QStringList{QStringLiteral("--out"), file, QStringLiteral("--from"), s_sqlite} + options);
            EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
            if (r.exitCode != 0)
                return QString();
            made[key] = file;
        }
        return made[key];
    }

    static QString copyOf(const QString& file, const QString& name)
    {
        const QString to = path(name);
        QFile::remove(to);
        EXPECT_TRUE(QFile::copy(file, to));
        QFile(to).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
        return to;
    }

    // edvara-anon with every option (the default), the test's name lists and seed.
    static ProgramResult anonymise(const QString& file)
    {
        return runProgram(kBin + QStringLiteral("/edvara-anon"),
                          {QStringLiteral("--names-dir"), kBin, QStringLiteral("--directory"), s_directory,
                           QStringLiteral("--seed"), QString::number(kRunSeed), file});
    }

    // What the same run leaves of the SQLite sample: the content every Access run must end with.
    static const std::map<QString, QStringList>& sqliteRun()
    {
        static const std::map<QString, QStringList> after = [] {
            const QString file = copyOf(s_sqlite, QStringLiteral("lauf.sqlite"));
            const ProgramResult r = anonymise(file);
            EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
            return content(file);
        }();
        return after;
    }

    static QString s_sqlite;
    static QString s_directory;
};

QString JudgeTarget::s_sqlite;
QString JudgeTarget::s_directory;

const QStringList kIndexedWithRelationships = {QStringLiteral("--extra-indexes"), QStringLiteral("--relationships"),
                                               QStringLiteral("plain")};

}  // namespace

TEST_F(JudgeTarget, HoldsEveryRowOfTheSampleWithItsTypesKeysIndexesAndRelationships)
{
    const QString file = target(kIndexedWithRelationships);
    ASSERT_FALSE(file.isEmpty());
    expectSameContent(content(file), content(s_sqlite), "the new target");

    using namespace db::jet;
    auto db = Database::open(file.toStdString(), db::kTargetPassword, AccessMode::ReadShared);
    EXPECT_THROW(Database::open(file.toStdString(), "falsch", AccessMode::ReadShared), JetError);
    const TableDef& teachers = definitionOf(*db, "K_Lehrer");
    const auto typeOf = [](const TableDef& def, const std::string& column) {
        for (const ColumnDef& c : def.columns)
            if (c.name == column)
                return c.type;
        return ColumnType::Complex;  // (not one of the sample's)
    };
    EXPECT_EQ(typeOf(teachers, "Geschlecht"), ColumnType::Integer);
    EXPECT_EQ(typeOf(teachers, "Referendar"), ColumnType::Boolean);
    EXPECT_EQ(typeOf(definitionOf(*db, "K_Schule"), "Partnerschule"), ColumnType::Boolean);
    EXPECT_TRUE(teachers.columns.front().isAutoNumber());
    const TableDef& periods = definitionOf(*db, "SchuelerLernabschnittsdaten");
    EXPECT_EQ(typeOf(periods, "WechselNr"), ColumnType::Integer);
    // The sample's IDs (with their gaps) are kept, and the counter goes on after the highest.
    const TableDef& students = definitionOf(*db, "Schueler");
    EXPECT_EQ(students.lastAutoNumber, 61u);

    struct Expected {
        const char* table;
        const char* index;
        size_t columns;
        bool unique;
        bool ignoreNulls;
        bool firstAscending;
    };
    for (const Expected& e : std::vector<Expected>{
             {"SchuelerLernabschnittsdaten", "Schueler_Jahr_Abschnitt_WechselNr", 4, true, false, true},
             {"SchuelerLernabschnittsdaten", "SchulnrEigner_Schulbesuchsjahre", 2, false, false, true},
             {"SchuelerLeistungsdaten", "Abschnitt_Wochenstunden", 2, false, false, true},
             {"Schueler", "Geburtsdatum", 1, false, false, false},
             {"Schueler", "Entlassdatum", 1, false, true, true},
             {"K_Lehrer", "Kuerzel", 1, true, false, true},
             {"K_Lehrer", "Geschlecht", 1, false, false, true},
             {"K_Lehrer", "Referendar", 1, false, false, true},
             {"K_Schule", "Partnerschule", 1, false, false, true},
             {"SchuelerErzFunktion", "Person", 1, false, false, true},
             {"Users", "US_Aktiv", 1, false, false, true},
             {"KursLehrer", "Anteil", 1, false, false, false},
             {"Schueler", "PrimaryKey", 1, true, false, true},
         }) {
        const IndexDef* x = indexNamed(definitionOf(*db, e.table), e.index);
        ASSERT_NE(x, nullptr) << e.table << "." << e.index;
        EXPECT_EQ(x->columns.size(), e.columns) << e.index;
        EXPECT_EQ(x->isUnique(), e.unique) << e.index;
        EXPECT_EQ(x->ignoresNulls(), e.ignoreNulls) << e.index;
        EXPECT_EQ(x->columns.front().ascending, e.firstAscending) << e.index;
    }
    // Enforced relationships, without cascades: the seven teacher references and every
    // student table, each a foreign-key index on the referencing side.
    int references = 0;
    for (const CatalogEntry& e : db->userTables())
        for (const IndexDef& x : db->table(e).def().indexes)
            if (x.isReferencing()) {
                ++references;
                EXPECT_FALSE(x.cascadeUpdates || x.cascadeDeletes) << e.name << "." << x.name;
                EXPECT_TRUE(x.relatedTablePage == teachers.page || x.relatedTablePage == students.page)
                    << e.name << "." << x.name;
            }
    EXPECT_EQ(references, 7 + 22);
    db.reset();
    // Jackcess accepts what it made, of course; our check must as well.
    EXPECT_TRUE(testsupport::judgeAccepts(file.toStdString()));
    const ProgramResult checked = runProgram(kBin + QStringLiteral("/edvara-sql"), {QStringLiteral("--check"), file});
    EXPECT_EQ(checked.exitCode, 0) << firstLines(checked.out + checked.err);
}

// A full run with every option on the judge's copy of the sample (its own indexes only),
// and on the indexed target with enforced relationships without and with cascades:
// "Fertig", the content of the same run on the SQLite sample, a file both engines accept,
// and still one after Jackcess has written to it.
struct RunCase {
    const char* name;
    std::vector<const char*> options;
};

void PrintTo(const RunCase& c, std::ostream* os) { *os << c.name; }

class JudgeTargetRun : public JudgeTarget, public ::testing::WithParamInterface<RunCase> {};

TEST_P(JudgeTargetRun, AFullRunEndsAsOnTheSqliteSampleAndBothEnginesAcceptTheFile)
{
    QStringList options;
    for (const char* o : GetParam().options)
        options << QLatin1String(o);
    const QString made = target(options);
    ASSERT_FALSE(made.isEmpty());
    const QString file = copyOf(made, QStringLiteral("lauf-%1.mdb").arg(QLatin1String(GetParam().name)));
    const ProgramResult run = anonymise(file);
    const bool finished = run.exitCode == 0 && run.out.split(QLatin1Char('\n')).contains(QStringLiteral("Fertig"));
    EXPECT_TRUE(finished) << "exit status " << run.exitCode << ": " << run.err.toStdString() << "last lines:\n"
                          << run.out.right(300).toStdString();
    EXPECT_FALSE(QFile::exists(file + QStringLiteral("-journal")));
    if (finished)
        expectSameContent(content(file), sqliteRun(), "after the run");

    // A run that ended, or one that stopped, leaves a file both engines accept.
    const auto ourCheck = [&](const char* when) {
        const ProgramResult r = runProgram(kBin + QStringLiteral("/edvara-sql"), {QStringLiteral("--check"), file});
        EXPECT_EQ(r.exitCode, 0) << when << ":\n" << firstLines(r.out + r.err);
    };
    ourCheck("after the run");
    EXPECT_TRUE(testsupport::judgeAccepts(file.toStdString()));
    if (!finished)
        return;
    EXPECT_TRUE(testsupport::judgeMutates(file.toStdString()));
    EXPECT_TRUE(testsupport::judgeAccepts(file.toStdString()));
    ourCheck("after Jackcess wrote");
}

INSTANTIATE_TEST_SUITE_P(Targets, JudgeTargetRun,
                         ::testing::Values(RunCase{"Beispiel", {}},
                                           RunCase{"Beziehungen", {"--extra-indexes", "--relationships", "plain"}},
                                           RunCase{"Weitergabe", {"--extra-indexes", "--relationships", "cascade"}}),
                         [](const ::testing::TestParamInfo<RunCase>& info) { return std::string(info.param.name); });

TEST_F(JudgeTarget, SchoolRelationshipsMakeTheOrphansNullInTheTargetAndItsSqliteTwin)
{
    // The sample names schools K_Schule does not list, on purpose; Access lets no such
    // reference exist under an enforced relationship, so target and twin both lose them.
    const QString twin = path(QStringLiteral("zwilling.sqlite"));
    const QString file = path(QStringLiteral("schulen.mdb"));
    const ProgramResult r = runProgram(kTool, {QStringLiteral("--out"), file, QStringLiteral("--from"), s_sqlite,
                                               QStringLiteral("--school-relationships"), QStringLiteral("cascade"),
                                               QStringLiteral("--sqlite-out"), twin});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("Beziehung K_SchuleSchueler: 4 Verweise ohne Gegenstück sind NULL")))
        << r.out.toStdString();
    const auto ours = content(file), twins = content(twin), plain = content(s_sqlite);
    expectSameContent(ours, twins, "target against its twin");
    EXPECT_NE(twins.at(QStringLiteral("Schueler")), plain.at(QStringLiteral("Schueler")));
    EXPECT_EQ(twins.at(QStringLiteral("Logins")), plain.at(QStringLiteral("Logins")));  // every login has its user

    using namespace db::jet;
    auto db = Database::open(file.toStdString(), db::kTargetPassword, AccessMode::ReadShared);
    EXPECT_TRUE(indexNamed(definitionOf(*db, "K_Schule"), "SchulNr")->isUnique());
    int cascading = 0;
    for (const char* child : {"Schueler", "Logins"})
        for (const IndexDef& x : definitionOf(*db, child).indexes)
            cascading += x.isReferencing() && x.cascadeUpdates && x.cascadeDeletes;
    EXPECT_EQ(cascading, 2);
}

// K_Schule's rows protected by enforced relationships to the students (and Users' to the
// logins), without and with cascades: the run rebuilds K_Schule in place and loses no row.
// It ends as the same run on the target's SQLite twin, but for the keys of K_Schule's rows
// (the rows it rewrites keep theirs).
class SchoolRelationshipsRun : public JudgeTarget, public ::testing::WithParamInterface<const char*> {};

TEST_P(SchoolRelationshipsRun, KSchuleIsRebuiltInPlaceAndEveryStudentKeepsHisSchool)
{
    const QString kind = QLatin1String(GetParam());
    const QString twin = path(QStringLiteral("zwilling-%1.sqlite").arg(kind));
    const QString file = path(QStringLiteral("schulen-%1.mdb").arg(kind));
    const ProgramResult made =
        runProgram(kTool, {QStringLiteral("--out"), file, QStringLiteral("--from"), s_sqlite, QStringLiteral("--extra-indexes"),
                           QStringLiteral("--relationships"), kind, QStringLiteral("--school-relationships"), kind,
                           QStringLiteral("--sqlite-out"), twin});
    ASSERT_EQ(made.exitCode, 0) << made.err.toStdString();
    const ProgramResult twinRun = anonymise(twin);
    ASSERT_EQ(twinRun.exitCode, 0) << twinRun.err.toStdString();

    // The sample's students from schools outside the drawn range keep them: Access lets the
    // run delete those rows (as it does on the twin) no more than it lets the students name
    // none. They stay and are listed; everything else is the twin's.
    const ProgramResult run = anonymise(file);
    EXPECT_EQ(run.exitCode, 3) << run.err.toStdString() << run.out.right(400).toStdString();
    EXPECT_TRUE(run.out.split(QLatin1Char('\n')).contains(QStringLiteral("Fertig")));
    const auto withoutSchoolKeys = [](std::map<QString, QStringList> c) {
        QStringList& schools = c.at(QStringLiteral("K_Schule"));
        for (QString& line : schools)
            line = line.section(QLatin1Char('|'), 1);  // the ID is the first column
        schools.sort();
        return c;
    };
    auto ours = withoutSchoolKeys(content(file));
    const auto twins = withoutSchoolKeys(content(twin));
    QStringList kept;
    for (const QString& line : ours.at(QStringLiteral("K_Schule")))
        if (!twins.at(QStringLiteral("K_Schule")).contains(line))
            kept << line.section(QLatin1Char('|'), 0, 0);
    EXPECT_EQ(kept, (QStringList{QStringLiteral("052233"), QStringLiteral("099871")}));
    for (const QString& number : kept) {
        EXPECT_TRUE(run.err.contains(QStringLiteral("K_Schule, Schulnr %1: Schule nicht ersetzt").arg(number)))
            << run.err.toStdString();
        ours.at(QStringLiteral("K_Schule")).removeIf([&](const QString& l) { return l.startsWith(number + QLatin1Char('|')); });
    }
    expectSameContent(ours, twins, "against the twin's run");

    const ProgramResult checked = runProgram(kBin + QStringLiteral("/edvara-sql"), {QStringLiteral("--check"), file});
    EXPECT_EQ(checked.exitCode, 0) << firstLines(checked.out + checked.err);
    EXPECT_TRUE(testsupport::judgeAccepts(file.toStdString()));
}

INSTANTIATE_TEST_SUITE_P(Kinds, SchoolRelationshipsRun, ::testing::Values("plain", "cascade"),
                         [](const ::testing::TestParamInfo<const char*>& info) { return std::string(info.param); });

// A teacher's home school (K_Lehrer.StammschulNr) tied to K_Schule: the rebuild would leave
// those references naming schools that are gone. The run stops before its first write and
// names the relationship; without the schools option it runs to the end.
TEST_F(JudgeTarget, AReferenceToKSchuleTheRunCannotCarryOnStopsItBeforeItWrites)
{
    const QString made = target({QStringLiteral("--teacher-school-relationships"), QStringLiteral("plain")});
    ASSERT_FALSE(made.isEmpty());
    const QString file = copyOf(made, QStringLiteral("stammschule.mdb"));
    const auto bytes = [](const QString& f) {
        QFile in(f);
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
    };
    const QByteArray before = bytes(file);
    const ProgramResult run = anonymise(file);
    EXPECT_EQ(run.exitCode, 2) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral("Die Beziehung \"K_SchuleK_Lehrer\" verbindet die Tabelle \"K_Schule\" "
                                                "(SchulNr) mit der Tabelle \"K_Lehrer\" (StammschulNr)")))
        << run.err.toStdString();
    EXPECT_FALSE(run.out.contains(QStringLiteral("Fertig")));
    EXPECT_EQ(bytes(file), before);

    const ProgramResult without = runProgram(kBin + QStringLiteral("/edvara-anon"),
                                             {QStringLiteral("--names-dir"), kBin, QStringLiteral("--directory"),
                                              s_directory, QStringLiteral("--no-schools"), file});
    EXPECT_EQ(without.exitCode, 0) << without.err.toStdString();
    EXPECT_TRUE(testsupport::judgeAccepts(file.toStdString()));
}

TEST_F(JudgeTarget, BadCallsAndFilesThatAreNoSampleAreRefusedWithoutATarget)
{
    const QString file = path(QStringLiteral("nie.mdb"));
    struct Case {
        QStringList arguments;
        int exitCode;
        const char* message;
    };
    const QString notASample = path(QStringLiteral("leer.sqlite"));
    {
        QFile f(notASample);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));  // an empty file is an empty SQLite database
    }
    for (const Case& c : std::vector<Case>{
             {{QStringLiteral("--from"), s_sqlite}, 2, "Die Option --out mit der Zieldatei fehlt."},
             {{QStringLiteral("--out"), file, QStringLiteral("--from"), s_sqlite, QStringLiteral("--relationships"),
               QStringLiteral("alle")},
              2,
              "Ungültige Art „alle“ bei --relationships"},
             {{QStringLiteral("--out"), file, QStringLiteral("--from"), path(QStringLiteral("fehlt.sqlite"))},
              1,
              "gibt es nicht"},
             {{QStringLiteral("--out"), file, QStringLiteral("--from"), notASample}, 1, "passt nicht zum Beispiel"},
             {{QStringLiteral("--out"), file, QStringLiteral("--from"), s_sqlite, QStringLiteral("--judge"),
               path(QStringLiteral("kein-pruefer"))},
              1,
              "Den Prüfer"},
         }) {
        const ProgramResult r = runProgram(kTool, c.arguments);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.arguments.join(QLatin1Char(' ')).toStdString();
        EXPECT_TRUE(r.err.startsWith(QStringLiteral("edvara-judge-target: ")) && r.err.contains(QString::fromUtf8(c.message)))
            << r.err.toStdString();
        EXPECT_FALSE(QFile::exists(file));
    }
    EXPECT_EQ(QDir(Shared::s_dir->path()).entryList({QStringLiteral(".judge-target-*"), QStringLiteral("*.part")},
                                            QDir::AllEntries | QDir::Hidden),
              QStringList());
}
