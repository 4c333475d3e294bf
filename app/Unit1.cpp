// The window, start-up, the run sequence and shutdown.
#include "app/Unit1.h"
#include "app/FileNameEdit.h"
#include "app/Pools.h"
#include "app/WindowHost.h"
#include "db/ConnectionString.h"
#include "db/DbError.h"
#include "util/Error.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFontMetrics>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>

namespace app {

namespace {

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// The students' school: Schueler.LSSchulnr names a K_Schule.SchulNr. The school stage keeps
// such references whole (it rebuilds K_Schule in place and moves the students itself).
bool isStudentsSchool(const db::EnforcedRelationship& r)
{
    return sameName(r.parent, QStringLiteral("K_Schule")) && sameName(r.child, QStringLiteral("Schueler"))
        && r.parentColumns.size() == 1 && sameName(r.parentColumns.front(), QStringLiteral("SchulNr"))
        && r.childColumns.size() == 1 && sameName(r.childColumns.front(), QStringLiteral("LSSchulnr"));
}

// The run deletes rows of these tables: all of them; Users keeps its administrator. A
// relationship that passes a deletion on from one of them to a table the run does not empty
// would take rows the run is not meant to take, where Access enforces it: such a run stops
// before it writes. With the schools option K_Schule is rebuilt; the students' references
// follow their schools, any other reference to K_Schule would be left naming schools that
// are gone (or stop the rebuild), so that too stops the run before it writes.
void refuseCascadesTheRunWouldTrigger(db::DbConnection& con, bool schools)
{
    QStringList emptied{QStringLiteral("LehrerFotos"), QStringLiteral("SchuelerFotos"),
                        QStringLiteral("SchuelerWiedervorlage"), QStringLiteral("SchuelerReportvorlagen"),
                        QStringLiteral("Logins")};
    QStringList deleting = emptied;
    deleting << QStringLiteral("Users");
    if (schools) {
        emptied << QStringLiteral("EigeneSchule_Teilstandorte") << QStringLiteral("SchuelerDatenschutz")
                << QStringLiteral("K_Datenschutz");
        deleting << QStringLiteral("EigeneSchule_Teilstandorte") << QStringLiteral("SchuelerDatenschutz")
                 << QStringLiteral("K_Datenschutz");
    }
    for (const db::EnforcedRelationship& r : con.Relationships()) {
        if (schools && sameName(r.parent, QStringLiteral("K_Schule")) && !isStudentsSchool(r))
            throw util::Error(
                QStringLiteral("Die Beziehung \"%1\" verbindet die Tabelle \"K_Schule\" (%2) mit der Tabelle \"%3\" (%4). "
                               "Der Lauf ersetzt die Schulen in \"K_Schule\" und führt dabei nur die Verweise der Schüler "
                               "(Schueler.LSSchulnr) nach; die Verweise in \"%3\" blieben auf Schulen, die es nicht mehr "
                               "gibt. Die Datenbank wurde nicht verändert; bitte die Beziehung in Access entfernen oder den "
                               "Lauf ohne \"Schulen anonymisieren\" (--no-schools) wiederholen.")
                    .arg(r.name, r.parentColumns.join(QStringLiteral(", ")), r.child,
                         r.childColumns.join(QStringLiteral(", "))));
        if (!(r.cascadeDeletes || r.cascadeSetNull) || !deleting.contains(r.parent, Qt::CaseInsensitive)
            || emptied.contains(r.child, Qt::CaseInsensitive))
            continue;
        throw util::Error(
            QStringLiteral("Die Beziehung \"%1\" gibt das Löschen von Datensätzen der Tabelle \"%2\" an die Tabelle \"%3\" "
                           "weiter (%4). Der Lauf löscht Datensätze aus \"%2\" und würde so Datensätze in \"%3\" %5, die "
                           "erhalten bleiben sollen. Die Datenbank wurde nicht verändert; bitte die Weitergabe in Access "
                           "ausschalten und den Lauf wiederholen.")
                .arg(r.name, r.parent, r.child,
                     r.cascadeDeletes ? QStringLiteral("Löschweitergabe") : QStringLiteral("Felder auf Null setzen"),
                     r.cascadeDeletes ? QStringLiteral("löschen") : QStringLiteral("leeren")));
    }
}

// Thrown at a message-processing point when the window was closed during a run.
struct RunCancelled {};

QCheckBox* makeCheckBox(QWidget* parent, const char* name, const QString& caption, int x, int y, int w, int h)
{
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(x, y, w, h);
    box->setChecked(true);
    return box;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& caption, int x, int y, int w, int h)
{
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(x, y, w, h);
    return label;
}

// Tahoma 8 pt (11 pixels high) where it exists, else the closest sans-serif face; the
// control sizes were made for Tahoma, so a wider face shrinks until the longest
// caption fits its box.
QFont formFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans Condensed"),
                      QStringLiteral("Liberation Sans Narrow"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("DejaVu Sans")});
    font.setPixelSize(11);
    const QString widest = QStringLiteral("Schüler-Namen anonymisieren");
    constexpr int kCaptionRoom = 161 - 20;  // the check box less its indicator
    while (font.pixelSize() > 8 && QFontMetrics(font).horizontalAdvance(widest) > kCaptionRoom)
        font.setPixelSize(font.pixelSize() - 1);
    return font;
}

QString withoutQuotes(QString path)
{
    if (path.size() >= 2 && path.startsWith(QLatin1Char('"')) && path.endsWith(QLatin1Char('"')))
        path = path.mid(1, path.size() - 2);
    return path;
}

}  // namespace

TForm1::TForm1(RunHost* host, const QString& namesFolder, QWidget* parent)
    : QDialog(parent), m_namesFolder(namesFolder)
{
    buildControls();
    if (host) {
        m_host = host;
    } else {
        m_ownHost = std::make_unique<WindowHost>(this);
        m_host = m_ownHost.get();
    }
    setProgramFolder(QCoreApplication::applicationDirPath());
    // Ctrl+C stops a running statement at once, not only at the next pause of the run.
    con.SetInterruptFlag(m_host->interruptFlag());
    conSchulver.SetInterruptFlag(m_host->interruptFlag());
    // The statements the cursors carry from the start; the stages set them again
    // before they open a cursor, since the school stage points qryS at its own.
    qryS.SetCommandText(QStringLiteral("select * from Schueler order by ID"));
    qryE.SetCommandText(QStringLiteral("select * from SchuelerErzAdr where Schueler_ID=:ID"));
    qryT.SetCommandText(QStringLiteral("select * from SchuelerTelefone where Schueler_ID=:ID"));
    qryA.SetCommandText(QStringLiteral("select * from K_AllgAdresse order by ID"));
    qryL.SetCommandText(QStringLiteral("select * from K_Lehrer order by ID"));
    qryPLZ.SetCommandText(QStringLiteral("select * from K_Ort order by PLZ"));
    FormCreate();
}

TForm1::~TForm1()
{
    FormClose();
}

void TForm1::buildControls()
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Edvara-Datenbank anonymisieren"));
    // A fixed dialog frame with a close box only.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setSizeGripEnabled(false);
    setFont(formFont());
    setFixedSize(442, 299);

    Label1 = makeLabel(this, "Label1", QStringLiteral("Datenbank"), 5, 15, 52, 13);
    edDB = new TFileNameEdit(this);
    edDB->setObjectName(QStringLiteral("edDB"));
    edDB->setGeometry(5, 30, 346, 21);
    Button1 = new QPushButton(QStringLiteral("Start"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(360, 25, 75, 25);
    Button1->setEnabled(false);
    Button1->setAutoDefault(false);

    GroupBox1 = new QGroupBox(QStringLiteral("Optionen"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(3, 65, 436, 202);
    // The caption sits on the frame's top line, so the options keep their places.
    GroupBox1->setStyleSheet(QStringLiteral(
        "QGroupBox#GroupBox1 { border: 1px solid palette(mid); border-radius: 2px; margin-top: 6px; }"
        "QGroupBox#GroupBox1::title { subcontrol-origin: margin; subcontrol-position: top left;"
        " left: 7px; padding: 0 2px; }"));
    chbxNamen = makeCheckBox(GroupBox1, "chbxNamen", QStringLiteral("Schüler-Namen anonymisieren"), 10, 15, 161, 17);
    chbxGebDat = makeCheckBox(GroupBox1, "chbxGebDat", QStringLiteral("Geburtsdatum anonymisieren"), 10, 35, 411, 17);
    chbxStrassen = makeCheckBox(GroupBox1, "chbxStrassen", QStringLiteral("Straßen anonymisieren"), 10, 55, 161, 17);
    chbxOrte = makeCheckBox(GroupBox1, "chbxOrte", QStringLiteral("Orte anonymisieren"), 10, 75, 161, 17);
    chbxSchulen = makeCheckBox(GroupBox1, "chbxSchulen", QStringLiteral("Schulen anonymisieren"), 10, 95, 161, 17);
    chbxSNRAnonym =
        makeCheckBox(GroupBox1, "chbxSNRAnonym", QStringLiteral("Eigene Schulnummer anonymisieren"), 10, 115, 401, 17);
    chbxLehrerAnonym =
        makeCheckBox(GroupBox1, "chbxLehrerAnonym", QStringLiteral("Lehrkräfte anonymisieren"), 10, 135, 401, 17);
    // Beside the other options, where the frame has room; off unless asked for.
    chbxUebrigeSpalten = makeCheckBox(GroupBox1, "chbxUebrigeSpalten",
                                      QStringLiteral("Auch übrige personenbezogene Spalten ersetzen"), 176, 55, 256, 17);
    chbxUebrigeSpalten->setChecked(false);
    Label3 = makeLabel(GroupBox1, "Label3", QStringLiteral("Nur folgende Orte verwenden (mit Komma getrennt)"), 10, 160,
                       251, 13);
    edOrte = new QLineEdit(GroupBox1);
    edOrte->setObjectName(QStringLiteral("edOrte"));
    edOrte->setGeometry(10, 175, 416, 21);

    Label2 = makeLabel(this, "Label2", QString(), 0, 270, 442, 13);
    Progress = new QProgressBar(this);
    Progress->setObjectName(QStringLiteral("Progress"));
    Progress->setGeometry(0, 283, 442, 16);
    Progress->setRange(0, 100);
    Progress->setValue(0);
    Progress->setTextVisible(false);

    // A style sheet cuts the font's inheritance: give every control the form's font.
    for (QWidget* child : findChildren<QWidget*>())
        child->setFont(font());

    // Tab order: Start, the file field, then the options frame in its own order.
    setTabOrder(Button1, edDB);
    setTabOrder(edDB, chbxNamen);
    setTabOrder(chbxNamen, chbxStrassen);
    setTabOrder(chbxStrassen, chbxOrte);
    setTabOrder(chbxOrte, chbxSchulen);
    setTabOrder(chbxSchulen, edOrte);
    setTabOrder(edOrte, chbxSNRAnonym);
    setTabOrder(chbxSNRAnonym, chbxGebDat);
    setTabOrder(chbxGebDat, chbxLehrerAnonym);
    setTabOrder(chbxLehrerAnonym, chbxUebrigeSpalten);

    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(edDB, &TFileNameEdit::afterDialog, this, &TForm1::edDBAfterDialog);

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TForm1::setProgramFolder(const QString& folder)
{
    m_programFolder = QDir(folder).absolutePath();
    if (!m_programFolder.endsWith(QLatin1Char('/')))
        m_programFolder += QLatin1Char('/');
}

QString TForm1::directoryFile() const
{
    return m_directoryFile.isEmpty() ? m_programFolder + QStringLiteral("Schulver.mdb") : m_directoryFile;
}

QString TForm1::extraSqlFile() const
{
    return m_extraSqlFile.isEmpty() ? m_programFolder + QStringLiteral("Weitere_SQL_Befehle.txt") : m_extraSqlFile;
}

const util::StringList* TForm1::pool(const char* name) const
{
    const QString n = QLatin1String(name);
    if (n == QLatin1String("slNachnamen")) return slNachnamen.get();
    if (n == QLatin1String("slVornamenM")) return slVornamenM.get();
    if (n == QLatin1String("slVornamenW")) return slVornamenW.get();
    if (n == QLatin1String("slStrassen")) return slStrassen.get();
    if (n == QLatin1String("slPLZ")) return slPLZ.get();
    if (n == QLatin1String("slOrte")) return slOrte.get();
    if (n == QLatin1String("slKuerzel")) return slKuerzel.get();
    return nullptr;
}

void TForm1::FormCreate()
{
    slNachnamen = std::make_unique<util::StringList>();
    slVornamenM = std::make_unique<util::StringList>();
    slVornamenW = std::make_unique<util::StringList>();
    slStrassen = std::make_unique<util::StringList>();
    slPLZ = std::make_unique<util::StringList>();
    slOrte = std::make_unique<util::StringList>();
    slKuerzel = std::make_unique<util::StringList>();
    const char* const files[] = {"nachnamen.txt", "vornamen_m.txt", "vornamen_w.txt", "strassennamen.txt"};
    for (int i = 0; i < 4; ++i)
        m_nameFiles[i] = QLatin1String(files[i]);  // until found
    try {
        for (int i = 0; i < 4; ++i)
            m_nameFiles[i] = nameFilePath(QLatin1String(files[i]));
        LoadNameFile(m_nameFiles[0], *slNachnamen);
        LoadNameFile(m_nameFiles[1], *slVornamenM);
        LoadNameFile(m_nameFiles[2], *slVornamenW);
        LoadNameFile(m_nameFiles[3], *slStrassen);
        RandomSource::instance().seed(RandomSource::clockSeed());
        Label2->setText(QString());
    } catch (const util::Error& e) {
        // Start-up ends at the failing step; the window opens all the same.
        host().showUnhandledError(e.message(), Label2->text());
    }
}

QString TForm1::installedNamesFolder() const
{
    // The installed programs live in <prefix>/lib/edvara-anonymisieren, the lists in
    // <prefix>/share/edvara-anonymisieren (EDVARA_NAMES_FROM_PROGRAM: the one seen from the other).
    return QDir::cleanPath(m_programFolder + QStringLiteral(EDVARA_NAMES_FROM_PROGRAM));
}

QString TForm1::nameFilePath(const QString& file) const
{
    // A folder given on the command line is the only place looked at.
    if (!m_namesFolder.isEmpty())
        return QDir(m_namesFolder).filePath(file);
    const QString here = QDir(QDir::currentPath()).filePath(file);
    if (QFileInfo(here).isFile())
        return here;
    const QString installed = QDir(installedNamesFolder()).filePath(file);
    if (QFileInfo(installed).isFile())
        return installed;
    throw util::Error(QStringLiteral("Datei %1 kann nicht geöffnet werden. Die Namensliste steht weder im aktuellen "
                                     "Ordner (%2) noch im Ordner der installierten Namenslisten (%3).")
                          .arg(file, QDir::toNativeSeparators(QDir::currentPath()),
                               QDir::toNativeSeparators(installedNamesFolder())));
}

void TForm1::FormClose()
{
    slNachnamen.reset();
    slVornamenM.reset();
    slVornamenW.reset();
    slStrassen.reset();
    slPLZ.reset();
    slOrte.reset();
    slKuerzel.reset();
}

void TForm1::closeEvent(QCloseEvent* event)
{
    if (m_running) {
        // The pools are still in use: the run ends at its next message-processing
        // point and closes the window then.
        m_closeRequested = true;
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

void TForm1::reject()
{
    close();
}

void TForm1::edDBAfterDialog(const QString& name, bool accepted)
{
    (void)accepted;  // a cancelled dialog with text in the field enables Start as well
    Button1->setEnabled(!name.isEmpty());
}

void TForm1::SetStatus(const QString& text)
{
    // A new phase is shown only once the last one is in the file: the engine holds finished
    // units back for a moment, and a crash must not find the file behind the status shown.
    con.FinishWrites();
    Label2->setText(text);
    host().statusChanged(text);
}

void TForm1::SetProgress(int position, int maximum)
{
    m_progressMaximum = maximum;
    m_progressPosition = qBound(0, position, qMax(0, maximum));
    // A bar with maximum 0 would turn into a busy indicator: show it empty instead.
    Progress->setRange(0, qMax(1, m_progressMaximum));
    Progress->setValue(m_progressPosition);
    host().progressChanged(m_progressPosition, m_progressMaximum);
}

void TForm1::ProgressStep()
{
    SetProgress(m_progressPosition + 1, m_progressMaximum);
}

void TForm1::ProcessMessages()
{
    host().processPendingMessages();
    if (m_closeRequested || interruptRequested())
        throw RunCancelled{};
}

bool TForm1::interruptRequested() const
{
    const std::atomic<bool>* flag = m_host->interruptFlag();
    return flag && flag->load();
}

void TForm1::reportNotAnonymised(const QString& table, const QString& key, const QString& reason)
{
    m_notAnonymised.push_back({table, key, reason});
}

void TForm1::recordReplaced(db::RecordCursor& cursor, const QString& table, const QString& column)
{
    m_originals.replaced(table, column, cursor.FieldByName(column).GetText());
}

bool TForm1::namePoolsFilled()
{
    const util::StringList* pools[] = {slNachnamen.get(), slVornamenM.get(), slVornamenW.get(), slStrassen.get()};
    for (int i = 0; i < 4; ++i) {
        if (pools[i]->Count() == 0) {
            host().showMessage(MessageKind::Error,
                               QStringLiteral("Die Namensliste %1 enthält keinen Namen (sie ist leer, hat nur leere "
                                              "Zeilen oder konnte nicht gelesen werden). Die Datenbank wurde nicht "
                                              "verändert.")
                                   .arg(QDir::toNativeSeparators(m_nameFiles[i])));
            return false;
        }
    }
    return true;
}

QString TForm1::MakeStreet()
{
    return app::MakeStreet(*slStrassen);
}

TForm1::PostalCodePick TForm1::PickPostalCode()
{
    PostalCodePick pick;
    pick.index = PickIndex(*slPLZ);
    pick.postalCode = slPLZ->Get(pick.index);
    pick.place = slOrte->Get(pick.index);
    return pick;
}

void TForm1::Button1Click()
{
    // A second press during a run arrives at a message-processing point: ignore it.
    if (m_running || !slKuerzel)
        return;
    m_running = true;
    m_lastOutcome = RunOutcome::Stopped;
    QString failure;
    bool failed = false;
    try {
        runSequence();
    } catch (const RunCancelled&) {
        m_lastOutcome = RunOutcome::Cancelled;
    } catch (const db::Interrupted&) {
        // A statement stopped by Ctrl+C: whatever unit it belonged to is rolled back.
        m_lastOutcome = RunOutcome::Cancelled;
    } catch (const util::Error& e) {
        failed = true;
        failure = e.message();
    } catch (const std::exception& e) {
        failed = true;
        failure = QString::fromUtf8(e.what());
    }
    // End of the run, on every path.
    const QString statusAtError = Label2->text();
    slOrtsfilter.reset();
    con.SetConnected(false);
    m_running = false;
    if (failed) {
        m_lastOutcome = RunOutcome::Failed;
        host().showUnhandledError(failure, statusAtError);
    }
    if (m_closeRequested) {
        m_closeRequested = false;
        close();
    }
}

void TForm1::runSequence()
{
    slKuerzel->Clear();
    m_notAnonymised.clear();
    m_originals.clear();
    m_residue.clear();
    m_completed.clear();
    m_ownSchoolNumber.clear();
    prepareSubstitutes();
    m_rawScan = RawScanCounts();
    slOrtsfilter = std::make_unique<util::StringList>();
    ReadPlaceFilter();
    if (!namePoolsFilled())
        return;

    conSchulver.SetConnected(false);
    conSchulver.SetConnectionString(db::DirectoryConnectionString(directoryFile()));
    try {
        conSchulver.SetConnected(true);
    } catch (const util::Error& e) {
        host().diagnostic(e.message());
        host().showMessage(MessageKind::Error,
                           QStringLiteral("Im Programmverzeichnis muss die Datei \"Schulver.mdb\" vorhanden sein"));
        return;
    }

    con.SetConnected(false);
    con.SetConnectionString(db::TargetConnectionString(withoutQuotes(edDB->text())));
    refuseCascadesTheRunWouldTrigger(con, chbxSchulen->isChecked());

    SetStatus(QStringLiteral("Schüler bearbeiten"));
    BuildPostalCodePool();
    if (slPLZ->Count() == 0) {
        host().showMessage(MessageKind::Error, QStringLiteral("Keine Orte gefunden"));
        return;
    }
    MarkPlacesVisible();
    AnonymizeStudents();
    AnonymizeGeneralAddresses();
    AnonymizeTeachers();
    PurgeShortPostalCodes();
    if (chbxSchulen->isChecked())
        AssignSchools(*slOrtsfilter);
    DoResidualCleanup();
    if (QFileInfo(extraSqlFile()).isFile())
        RunExtraSqlFile(extraSqlFile());
    // Before the scrub, so that the originals these columns held are zeroed with the rest.
    if (chbxUebrigeSpalten->isChecked())
        ReplaceRemainingColumns();
    ScrubFreeSpace();
    FindResidue();
    SetProgress(0, m_progressMaximum);
    // Everything is in the file, and the file is still the one under the chosen name.
    con.FinishWrites();
    // Ctrl+C after the last pause of the run: the user asked to stop, not for "Fertig".
    if (interruptRequested())
        throw RunCancelled{};
    host().showMessage(MessageKind::Information, QStringLiteral("Fertig"));
    m_lastOutcome = RunOutcome::Completed;
    // One last box after "Fertig" says what the run did not cover: rows it could not
    // change (a warning), then the columns that still hold originals.
    QString text;
    if (!m_notAnonymised.empty()) {
        text = QStringLiteral("Folgende Datensätze konnten nicht anonymisiert werden:");
        for (const NotAnonymised& row : m_notAnonymised)
            text += QStringLiteral("\n%1, %2: %3").arg(row.table, row.key, row.reason);
        m_lastOutcome = RunOutcome::CompletedWithFailures;
    }
    const QString completed = completedReportText(m_completed);
    if (!completed.isEmpty())
        text += (text.isEmpty() ? QString() : QStringLiteral("\n\n")) + completed;
    const QString residue = residueReportText(m_residue);
    if (!residue.isEmpty())
        text += (text.isEmpty() ? QString() : QStringLiteral("\n\n")) + residue;
    if (!text.isEmpty())
        host().showMessage(m_notAnonymised.empty() ? MessageKind::Information : MessageKind::Warning, text);
}

}  // namespace app
