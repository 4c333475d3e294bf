// Teachers, their abbreviations and every reference to them. Seven columns of other
// tables name a teacher by abbreviation; the references of one teacher are parked on
// a placeholder row while that teacher's row is rewritten, then moved on to the new
// abbreviation, so that a reference always names an abbreviation some row carries.
// Layer: anonymisation stage (operations of the main window). A teacher's three steps
// form one unit of the database layer: whatever goes wrong for one teacher, a crash or
// Ctrl+C included, no reference is ever left on the placeholder or handed to another.
#include "app/Pools.h"
#include "app/Unit1.h"
#include "stages/StageText.h"
#include "db/DbError.h"
#include "db/unit_PrimaryKeyManager.h"
#include "util/Error.h"
#include "util/ListHelpers.h"

#include <QCheckBox>
#include <QDateTime>

namespace app {

namespace {

const QString kPlaceholder = QStringLiteral("DUMMY");
constexpr std::int32_t kBirthDateShiftBound = 2000;

// Every column that names a teacher by abbreviation, in the order each cascade
// updates them: the new value first, the old one second.
constexpr const char* kReferenceUpdates[] = {
    "update SchuelerLeistungsdaten set Fachlehrer=%1 where Fachlehrer=%2",
    "update SchuelerLeistungsdaten set Zusatzkraft=%1 where Zusatzkraft=%2",
    "update SchuelerLernabschnittsdaten set Klassenlehrer=%1 where Klassenlehrer=%2",
    "update EigeneSchule_Abteilungen set Abteilungsleiter=%1 where Abteilungsleiter=%2",
    "update Kurse set LehrerKrz=%1 where LehrerKrz=%2",
    "update Versetzung set KlassenlehrerKrz=%1 where KlassenlehrerKrz=%2",
    "update Versetzung set StvKlassenlehrerKrz=%1 where StvKlassenlehrerKrz=%2",
};

QString referenceUpdate(const char* statement, const QString& oldAbbreviation, const QString& newAbbreviation)
{
    return QString::fromLatin1(statement).arg(util::sqlQuote(newAbbreviation), util::sqlQuote(oldAbbreviation));
}

// Upper case character by character: umlauts become capital umlauts, but "ß" stays one
// character, so an abbreviation never grows beyond the characters it was cut from.
QString toUpperKeepingLength(const QString& s)
{
    QList<uint> points = s.toUcs4();
    for (uint& c : points)
        c = QChar::toUpper(c);
    return QString::fromUcs4(reinterpret_cast<const char32_t*>(points.constData()), points.size());
}

double placeholderBirthDate()
{
    return db::dateTimeToDays(QDateTime(QDate(1963, 10, 5), QTime(0, 0), Qt::UTC));
}

// The placeholder row as stage step 4 inserts it: only a row with all these marks is
// removed as left over, never a teacher who happens to be called DUMMY.
const QString kLeftoverPlaceholder = QStringLiteral(
    "delete from K_Lehrer where Kuerzel='DUMMY' and LIDKrz='?\?\?\?' and Nachname='DUMMY' and Vorname='DUMMY'");

// The new values of one teacher row, drawn in the order of the per-teacher sequence, so
// that they can be written again (without the abbreviation) after a failed move.
struct TeacherValues {
    struct Entry {
        QString column;
        QString text;
        double days = 0;
        bool isDate = false;
    };
    std::vector<Entry> entries;
    QString newAbbreviation;
    void text(const QString& column, const QString& value) { entries.push_back({column, value, 0, false}); }
    void date(const QString& column, double value) { entries.push_back({column, QString(), value, true}); }
};

bool isAbbreviationColumn(const QString& column)
{
    return column == QLatin1String("Kuerzel") || column == QLatin1String("LIDKrz");
}

// Puts the values into the current row of the cursor, which is then editing; Post
// writes them.
void editTeacher(db::RecordCursor& cursor, const TeacherValues& values, bool withAbbreviation)
{
    cursor.Edit();
    try {
        for (const TeacherValues::Entry& e : values.entries) {
            if (!withAbbreviation && isAbbreviationColumn(e.column))
                continue;
            db::Field& field = cursor.FieldByName(e.column);
            if (e.isDate)
                field.SetDateTime(e.days);
            else
                field.SetText(e.text);
        }
    } catch (...) {
        cursor.Cancel();
        throw;
    }
}

}  // namespace

void TForm1::ReplaceTeacherAbbreviation(const QString& oldAbbreviation, const QString& newAbbreviation)
{
    for (const char* statement : kReferenceUpdates)
        con.Execute(referenceUpdate(statement, oldAbbreviation, newAbbreviation));
}

QString TForm1::MakeTeacherAbbreviation(const QString& surname)
{
    QString abbreviation = trimBlanks(toUpperKeepingLength(trimBlanks(surname.left(4))));
    if (slKuerzel->Contains(abbreviation)) {
        const QString stem = trimBlanks(surname.left(3));
        for (int n = 1;; ++n) {
            abbreviation = trimBlanks(toUpperKeepingLength(stem + QString::number(n)));
            if (!slKuerzel->Contains(abbreviation))
                break;
        }
    }
    slKuerzel->Add(abbreviation);
    return abbreviation;
}

void TForm1::requirePlaceholderFree()
{
    // The placeholder's abbreviation must belong to nobody: a teacher who carries it, or
    // references that name it, would be mixed up with the references parked on it.
    const db::QueryResult teacher = con.Execute(QStringLiteral("select ID from K_Lehrer where Kuerzel=")
                                                + util::sqlQuote(kPlaceholder));
    if (teacher.HasRow()) {
        const db::Value value = teacher.Column(0);
        const auto* number = std::get_if<qint64>(&value);
        const QString id = number ? QString::number(*number) : QStringLiteral("?");
        throw util::Error(QStringLiteral("Die Lehrkraft mit der ID %1 hat das Kürzel \"DUMMY\". Dieses Kürzel braucht "
                                         "die Anonymisierung als Platzhalter, während sie die Verweise einer Lehrkraft "
                                         "umstellt; die Lehrkräfte wurden daher nicht bearbeitet. Bitte der Lehrkraft "
                                         "ein anderes Kürzel geben und den Lauf wiederholen.")
                              .arg(id));
    }
    qint64 references = 0;
    for (const char* statement : kReferenceUpdates) {
        // "update T set C=%1 where C=%2": the table and the column of the reference.
        const QStringList words = QString::fromLatin1(statement).split(QLatin1Char(' '));
        const QString table = words.value(1);
        const QString column = words.value(3).section(QLatin1Char('='), 0, 0);
        const db::QueryResult n = con.Execute(QStringLiteral("select count(*) from %1 where %2=%3")
                                                  .arg(table, column, util::sqlQuote(kPlaceholder)));
        const db::Value count = n.Column(0);
        if (const auto* c = std::get_if<qint64>(&count))
            references += *c;
    }
    if (references > 0)
        throw util::Error(QStringLiteral("%1 Verweise auf Lehrkräfte nennen das Kürzel \"DUMMY\", das ein abgebrochener "
                                         "früherer Lauf zurückgelassen hat. Welcher Lehrkraft sie gehörten, lässt sich "
                                         "nicht mehr feststellen; die Lehrkräfte wurden daher nicht bearbeitet.")
                              .arg(references));
}

void TForm1::AnonymizeTeachers()
{
    SetStatus(QStringLiteral("Lehrer bearbeiten"));
    m_placeholderTeacherId = -1;
    try {
        con.Execute(kLeftoverPlaceholder);
    } catch (const util::Error&) {
        // Nothing left over from an earlier run, or nothing that can be removed now.
    }
    if (!chbxLehrerAnonym->isChecked())
        return;
    requirePlaceholderFree();

    const qint64 placeholderId = db::GetNewID(con, QStringLiteral("K_Lehrer"), QStringLiteral("ID"));
    try {
        con.Execute(QStringLiteral("insert into K_Lehrer (ID, Kuerzel, LIDKrz, Nachname, Vorname) values( %1, %2, %3, "
                                   "%4, %5)")
                        .arg(QString::number(placeholderId), util::sqlQuote(kPlaceholder),
                             util::sqlQuote(QStringLiteral("????")), util::sqlQuote(kPlaceholder),
                             util::sqlQuote(kPlaceholder)));
        m_placeholderTeacherId = placeholderId;
    } catch (const util::Error&) {
        // Without a placeholder the references are parked on an abbreviation no row
        // carries, inside the teacher's unit only; the run goes on.
    }

    qryL.Close();
    qryL.SetCommandText(QStringLiteral("select * from K_Lehrer order by ID"));
    qryL.Open();
    while (!qryL.Eof()) {
        slKuerzel->Add(trimBlanks(toUpperKeepingLength(qryL.FieldByName(QStringLiteral("Kuerzel")).GetText())));
        qryL.Next();
    }
    qryL.First();
    SetProgress(0, qryL.RecordCount());
    qryL.First();

    while (!qryL.Eof()) {
        ProgressStep();
        const bool placeholderRow = m_placeholderTeacherId >= 0
            && qryL.FieldByName(QStringLiteral("ID")).GetInteger() == m_placeholderTeacherId;
        if (!placeholderRow)
            anonymizeTeacher();
        qryL.Next();
        ProcessMessages();
    }

    if (m_placeholderTeacherId >= 0)
        con.Execute(QStringLiteral("delete from K_Lehrer where ID=%1").arg(m_placeholderTeacherId));
}

void TForm1::anonymizeTeacher()
{
    const QString oldAbbreviation = qryL.FieldByName(QStringLiteral("Kuerzel")).GetText();
    const QString id = qryL.FieldByName(QStringLiteral("ID")).GetText();
    // An empty abbreviation names no teacher: the rows that hold an empty text belong
    // to nobody and must not be handed to this teacher.
    const bool hasReferences = !oldAbbreviation.isEmpty();

    // Park, write, move on: one unit. Any way out before its end (an error that ends
    // the run, an interrupt, a crash) leaves row and references as they were.
    db::DbUnit unit(con);
    if (hasReferences)
        ReplaceTeacherAbbreviation(oldAbbreviation, kPlaceholder);

    // The values about to go, kept for the search after the run.
    const QString table = QStringLiteral("K_Lehrer");
    if (chbxNamen->isChecked()) {
        recordReplaced(qryL, table, QStringLiteral("Nachname"));
        recordReplaced(qryL, table, QStringLiteral("Vorname"));
    }
    if (chbxStrassen->isChecked())
        recordReplaced(qryL, table, QStringLiteral("Strasse"));
    for (const char* column : {"Tel", "Email", "EMailDienstlich", "Handy", "IdentNr1", "SerNr"})
        recordReplaced(qryL, table, QLatin1String(column));
    if (!qryL.FieldByName(QStringLiteral("Geburtsdatum")).IsNull())
        m_originals.recordDate(qryL.FieldByName(QStringLiteral("Geburtsdatum")).GetDateTime());

    TeacherValues values;
    QString firstName;
    if (qryL.FieldByName(QStringLiteral("Anrede")).GetText() == QLatin1String("Frau")) {
        firstName = PickEntry(*slVornamenW);
        values.text(QStringLiteral("Geschlecht"), QStringLiteral("4"));
    } else {
        firstName = PickEntry(*slVornamenM);
        values.text(QStringLiteral("Geschlecht"), QStringLiteral("3"));
    }
    const QString gender = values.entries.back().text;
    // Drawn whatever the options say: the mail addresses are always made from them.
    const QString surname = PickEntry(*slNachnamen);
    if (chbxNamen->isChecked()) {
        // Where the same person is named elsewhere, the same new name follows.
        m_substitutes.known(ValueKind::Surname, qryL.FieldByName(QStringLiteral("Nachname")).GetText(), surname);
        m_substitutes.known(ValueKind::FirstName, qryL.FieldByName(QStringLiteral("Vorname")).GetText(), firstName);
        values.text(QStringLiteral("Nachname"), surname);
        values.text(QStringLiteral("Vorname"), firstName);
        values.newAbbreviation = MakeTeacherAbbreviation(surname);
        values.text(QStringLiteral("Kuerzel"), values.newAbbreviation);
        values.text(QStringLiteral("LIDKrz"), values.newAbbreviation);
    }
    if (chbxStrassen->isChecked())
        values.text(QStringLiteral("Strasse"), MakeStreet());
    if (chbxOrte->isChecked())
        values.text(QStringLiteral("PLZ"), PickPostalCode().postalCode);
    values.text(QStringLiteral("Tel"), MakePhone(QStringLiteral("01234-")));
    values.text(QStringLiteral("Email"), MakeMailAddress(MailForm::Initial, firstName, surname, TeacherMailDomain));
    values.text(QStringLiteral("EMailDienstlich"),
                MakeMailAddress(MailForm::Initial, firstName, surname, SchoolMailDomain));
    values.text(QStringLiteral("Handy"), MakePhone(QStringLiteral("0197-")));
    db::Field& birth = qryL.FieldByName(QStringLiteral("Geburtsdatum"));
    const double birthDate = ShiftDate(birth.IsNull() ? placeholderBirthDate() : birth.GetDateTime(),
                                       kBirthDateShiftBound);
    values.date(QStringLiteral("Geburtsdatum"), birthDate);
    values.text(QStringLiteral("IdentNr1"), db::daysToDateTime(birthDate).toString(QStringLiteral("ddMMyy")) + gender);
    values.text(QStringLiteral("SerNr"),
                QStringLiteral("0") + QString::number(RandomInRange(100, 999)) + QStringLiteral("X"));

    // An error while the values are put in ends the run; the unit puts back the references.
    editTeacher(qryL, values, true);
    try {
        qryL.Post();
    } catch (const util::Error& e) {
        // The row keeps every stored value, its old abbreviation included, and so do
        // its references: the unit is undone.
        qryL.Cancel();
        unit.Rollback();
        host().diagnostic(values.newAbbreviation + QStringLiteral(" Post error: ") + e.message());
        reportNotAnonymised(QStringLiteral("K_Lehrer"), QStringLiteral("ID ") + id, e.message());
        return;
    }

    const int oldIndex = slKuerzel->IndexOf(oldAbbreviation);
    if (oldIndex >= 0)
        slKuerzel->Delete(oldIndex);

    if (hasReferences) {
        try {
            ReplaceTeacherAbbreviation(kPlaceholder, qryL.FieldByName(QStringLiteral("Kuerzel")).GetText());
        } catch (const util::Error& e) {
            host().diagnostic(values.newAbbreviation + QStringLiteral(" Verknüpfung ändern: ") + e.message());
            // Some references cannot take the new abbreviation: the teacher keeps the
            // old one, and so does every reference; a teacher split over two
            // abbreviations would leave references on one that nobody carries. The
            // other personal data is still replaced.
            unit.Rollback();
            slKuerzel->Add(trimBlanks(toUpperKeepingLength(oldAbbreviation)));
            QString reason = QStringLiteral("Kürzel nicht geändert: ") + e.message();
            try {
                editTeacher(qryL, values, false);
                qryL.Post();
            } catch (const util::Error& refused) {
                qryL.Cancel();
                host().diagnostic(oldAbbreviation + QStringLiteral(" Post error: ") + refused.message());
                reason = refused.message();
            }
            reportNotAnonymised(QStringLiteral("K_Lehrer"), QStringLiteral("ID ") + id, reason);
            return;
        }
    }
    unit.Commit();
}

}  // namespace app
