// TForm1: the tool's only window and the spine of a run. It holds the user's choices,
// owns the two database connections with their cursors and the pools of substitute
// values, and runs every stage synchronously when Start is pressed. The stages are its
// operations (stages/); whatever shows the run goes through RunHost, so the same run
// works in the window, on the command line and in tests.
// Layer: application shell.
#pragma once

#include "app/RunHost.h"
#include "db/DbConnection.h"
#include "db/RecordCursor.h"
#include "stages/Residue.h"
#include "stages/Substitutes.h"
#include "util/StringList.h"

#include <QDialog>
#include <QString>

#include <memory>
#include <vector>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace app {

class TFileNameEdit;

// One row of the school mapping table: the school of K_Schule being replaced and the
// directory number drawn for it. Fields are cut to their stored lengths.
struct TSchoolMapEntry {
    QString NewSchulnr;     // at most 6
    QString SchulformKrz;   // at most 2
    QString SchulformNr;    // at most 2
    QString SchulformBez;   // at most 50
    QString OldSchulnr;     // at most 6
};

// How the last run ended. CompletedWithFailures: "Fertig", but some rows could not be
// anonymised (listed after "Fertig").
enum class RunOutcome { None, Completed, CompletedWithFailures, Stopped, Failed, Cancelled };

// A row the run could not anonymise: where it is (a table and its key, or the extra SQL
// file and a line) and why.
struct NotAnonymised {
    QString table;
    QString key;     // "ID 3", "Schulnr 110002", "Zeile 2"
    QString reason;
};

class TForm1 : public QDialog {
    Q_OBJECT

public:
    // Creates the window and runs start-up (FormCreate). host may be null: the window
    // then shows everything itself. Name files are read from namesFolder (empty: the
    // current working directory).
    explicit TForm1(RunHost* host = nullptr, const QString& namesFolder = QString(), QWidget* parent = nullptr);
    ~TForm1() override;

    // The controls, named as the stages and tests know them.
    QPushButton* Button1 = nullptr;
    TFileNameEdit* edDB = nullptr;
    QLabel* Label1 = nullptr;
    db::DbConnection con{QStringLiteral("con")};
    db::RecordCursor qryS{&con, QStringLiteral("qryS")};
    db::RecordCursor qryE{&con, QStringLiteral("qryE")};
    QProgressBar* Progress = nullptr;
    db::RecordCursor qryT{&con, QStringLiteral("qryT")};
    db::RecordCursor qryA{&con, QStringLiteral("qryA")};
    db::RecordCursor qryL{&con, QStringLiteral("qryL")};
    db::RecordCursor qryPLZ{&con, QStringLiteral("qryPLZ")};
    db::DbConnection conSchulver{QStringLiteral("conSchulver")};
    db::RecordCursor qryDBS{&conSchulver, QStringLiteral("qryDBS"), db::clUseClient};
    QLabel* Label2 = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QCheckBox* chbxNamen = nullptr;
    QCheckBox* chbxStrassen = nullptr;
    QCheckBox* chbxOrte = nullptr;
    QCheckBox* chbxSchulen = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* edOrte = nullptr;
    QCheckBox* chbxSNRAnonym = nullptr;
    QCheckBox* chbxGebDat = nullptr;
    QCheckBox* chbxLehrerAnonym = nullptr;
    // Beyond the fixed stages, off by default: the columns that still hold originals after
    // them get substitutes of their own kind.
    QCheckBox* chbxUebrigeSpalten = nullptr;

    // Event handlers.
    void FormCreate();
    void FormClose();
    void Button1Click();
    void edDBAfterDialog(const QString& name, bool accepted);

    // The stages, in the order of a run.
    void ReadPlaceFilter();
    void BuildPostalCodePool();
    void MarkPlacesVisible();
    void AnonymizeStudents();
    void AnonymizeGeneralAddresses();
    void AnonymizeTeachers();
    void PurgeShortPostalCodes();
    void AssignSchools(const util::StringList& slOrtsfilter);
    void AnonymizeOwnSchool();
    void DoResidualCleanup();
    void RunExtraSqlFile(const QString& path);
    // With chbxUebrigeSpalten: every column the residue search finds holding originals
    // gets substitutes (stages/RemainingColumns.cpp).
    void ReplaceRemainingColumns();
    // After every run that reached its end: the bytes of the file no live data uses become
    // zeros, then the tables are searched for originals the run replaced.
    void ScrubFreeSpace();
    void FindResidue();
    QString MakeTeacherAbbreviation(const QString& surname);
    void ReplaceTeacherAbbreviation(const QString& oldAbbreviation, const QString& newAbbreviation);

    // Generators bound to this window's pools.
    QString MakeStreet();
    struct PostalCodePick {
        int index = -1;
        QString postalCode;
        QString place;
    };
    PostalCodePick PickPostalCode();

    // Where the run finds its files; by default the folder of the program file.
    void setProgramFolder(const QString& folder);
    QString programFolder() const { return m_programFolder; }
    void setDirectoryFile(const QString& path) { m_directoryFile = path; }
    QString directoryFile() const;
    void setExtraSqlFile(const QString& path) { m_extraSqlFile = path; }
    QString extraSqlFile() const;
    // Where a name list is read from: the names folder if one was given, else the working
    // directory, else the folder the installation put the lists in. Raises util::Error
    // naming both places when neither holds the file.
    QString nameFilePath(const QString& file) const;
    QString installedNamesFolder() const;

    RunHost& host() { return *m_host; }
    bool running() const { return m_running; }
    RunOutcome lastOutcome() const { return m_lastOutcome; }
    // The rows the last run could not anonymise, in the order met.
    const std::vector<NotAnonymised>& notAnonymised() const { return m_notAnonymised; }
    int progressPosition() const { return m_progressPosition; }
    int progressMaximum() const { return m_progressMaximum; }
    // The originals the last run replaced, and the columns that still hold some of them.
    const OriginalValues& originals() const { return m_originals; }
    const std::vector<ResidueEntry>& residue() const { return m_residue; }
    // What ReplaceRemainingColumns replaced: per column, the number of values.
    const std::vector<ResidueEntry>& completed() const { return m_completed; }
    // With a raw scan the file's bytes are searched for the originals before and after the
    // scrub: how many of them are still anywhere in the file (-1: not searched).
    struct RawScanCounts {
        int searched = -1;
        int beforeScrub = -1;
        int afterScrub = -1;
        // Of those after the scrub: how many a live cell still holds (the columns the run
        // leaves as they are); the rest would be leftovers no reader shows.
        int afterScrubLive = -1;
    };
    void setRawScan(bool on) { m_rawScanWanted = on; }
    const RawScanCounts& rawScan() const { return m_rawScan; }
    // The pools, for reading (tests, the command line's summary).
    const util::StringList* pool(const char* name) const;

    // Esc ends a dialog without a close event; here it takes the close box's way
    // instead, so that a run in progress ends first and the pools go after it.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    friend struct TForm1Access;

    void buildControls();
    void runSequence();
    void SetStatus(const QString& text);
    void SetProgress(int position, int maximum);
    void ProgressStep();
    // A point where the window processes pending input; a close asked for meanwhile,
    // or an interrupt, ends the run here.
    void ProcessMessages();
    bool interruptRequested() const;
    void reportNotAnonymised(const QString& table, const QString& key, const QString& reason);
    // Keeps the value the cursor's current row holds in `column` as an original that the
    // stage is about to replace there (in every row of `table`).
    void recordReplaced(db::RecordCursor& cursor, const QString& table, const QString& column);
    int rawScanCount(bool countLive = false);
    void recordOwnSchool(bool ownNumber);
    // Every name pool holds a name; else the run stops naming the file.
    bool namePoolsFilled();

    // Private steps of the school-directory stage, sharing its mapping table.
    void AddInsertValue(const QString& column, const QString& value);
    bool IsSchulnrAssigned(const QString& number) const;
    QString PickSchoolNumber();

    std::unique_ptr<util::StringList> slNachnamen;
    std::unique_ptr<util::StringList> slVornamenM;
    std::unique_ptr<util::StringList> slVornamenW;
    std::unique_ptr<util::StringList> slStrassen;
    std::unique_ptr<util::StringList> slPLZ;
    std::unique_ptr<util::StringList> slOrte;
    std::unique_ptr<util::StringList> slKuerzel;
    // The run's place filter: created when a run starts, released when it ends.
    std::unique_ptr<util::StringList> slOrtsfilter;

    std::unique_ptr<RunHost> m_ownHost;
    RunHost* m_host = nullptr;
    QString m_namesFolder;
    QString m_nameFiles[4];  // where slNachnamen, slVornamenM, slVornamenW, slStrassen came from
    std::vector<NotAnonymised> m_notAnonymised;
    OriginalValues m_originals;
    std::vector<ResidueEntry> m_residue;
    std::vector<ResidueEntry> m_completed;
    Substitutes m_substitutes;
    QString m_ownSchoolNumber;  // as it was before the own-school stage
    void prepareSubstitutes();
    bool m_rawScanWanted = false;
    RawScanCounts m_rawScan;
    QString m_programFolder;
    QString m_directoryFile;
    QString m_extraSqlFile;
    bool m_running = false;
    bool m_closeRequested = false;
    RunOutcome m_lastOutcome = RunOutcome::None;
    int m_progressPosition = 0;
    int m_progressMaximum = 100;

    // Teacher stage: the ID given to the placeholder row of this run, -1 when none.
    qint64 m_placeholderTeacherId = -1;
    void requirePlaceholderFree();
    void anonymizeTeacher();
    // School-directory stage: the mapping table and the pending INSERT lists.
    std::vector<TSchoolMapEntry> m_schoolMap;
    QString m_insertColumns;
    QString m_insertValues;
    std::vector<std::pair<QString, QString>> m_insertPairs;  // the same, column by column
};

// The lines of the final box that say what ReplaceRemainingColumns replaced (empty: nothing).
QString completedReportText(const std::vector<ResidueEntry>& entries);

}  // namespace app
