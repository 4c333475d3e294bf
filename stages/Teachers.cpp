// Teachers, their abbreviations and every reference to them. Seven columns of other
// tables name a teacher by abbreviation; the references of one teacher are parked on
// a placeholder row while that teacher's row is rewritten, then moved on to the new
// abbreviation, so that a reference always names an abbreviation some row carries.
// Layer: anonymisation stage (operations of the main window). Whatever goes wrong for
// one teacher, that teacher's references are never left on the placeholder.
#include "app/Pools.h"
#include "app/Unit1.h"
#include "stages/StageText.h"
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

// Moves references column by column, going on past a column that refuses: used to undo
// a teacher's cascade, where every column that can be put right must be.
void TForm1::moveReferencesBestEffort(const QString& from, const QString& to)
{
    for (const char* statement : kReferenceUpdates) {
        try {
            con.Execute(referenceUpdate(statement, from, to));
        } catch (const util::Error& e) {
            host().diagnostic(to + QStringLiteral(" Verknüpfung zurücksetzen: ") + e.message());
        }
    }
}

void TForm1::AnonymizeTeachers()
{
    SetStatus(QStringLiteral("Lehrer bearbeiten"));
    m_placeholderTeacherId = -1;
    try {
        con.Execute(QStringLiteral("delete from K_Lehrer where Kuerzel=") + util::sqlQuote(kPlaceholder));
    } catch (const util::Error&) {
        // Nothing left over from an earlier run, or nothing that can be removed now.
    }
    if (!chbxLehrerAnonym->isChecked())
        return;

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
        // carries for the moment of one teacher's write; the run goes on.
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

    con.Execute(QStringLiteral("delete from K_Lehrer where Kuerzel=") + util::sqlQuote(kPlaceholder));
}

void TForm1::anonymizeTeacher()
{
    const QString oldAbbreviation = qryL.FieldByName(QStringLiteral("Kuerzel")).GetText();
    const db::Value oldSecondAbbreviation = qryL.FieldByName(QStringLiteral("LIDKrz")).value();
    // An empty abbreviation names no teacher: the rows that hold an empty text belong
    // to nobody and must not be handed to this teacher.
    const bool hasReferences = !oldAbbreviation.isEmpty();

    if (hasReferences) {
        try {
            ReplaceTeacherAbbreviation(oldAbbreviation, kPlaceholder);
        } catch (...) {
            moveReferencesBestEffort(kPlaceholder, oldAbbreviation);
            throw;
        }
    }

    QString newAbbreviation;
    try {
        qryL.Edit();
        QString firstName;
        if (qryL.FieldByName(QStringLiteral("Anrede")).GetText() == QLatin1String("Frau")) {
            firstName = PickEntry(*slVornamenW);
            qryL.FieldByName(QStringLiteral("Geschlecht")).SetText(QStringLiteral("4"));
        } else {
            firstName = PickEntry(*slVornamenM);
            qryL.FieldByName(QStringLiteral("Geschlecht")).SetText(QStringLiteral("3"));
        }
        // Drawn whatever the options say: the mail addresses are always made from them.
        const QString surname = PickEntry(*slNachnamen);
        if (chbxNamen->isChecked()) {
            qryL.FieldByName(QStringLiteral("Nachname")).SetText(surname);
            qryL.FieldByName(QStringLiteral("Vorname")).SetText(firstName);
            newAbbreviation = MakeTeacherAbbreviation(surname);
            qryL.FieldByName(QStringLiteral("Kuerzel")).SetText(newAbbreviation);
            qryL.FieldByName(QStringLiteral("LIDKrz")).SetText(newAbbreviation);
        }
        if (chbxStrassen->isChecked())
            qryL.FieldByName(QStringLiteral("Strasse")).SetText(MakeStreet());
        if (chbxOrte->isChecked())
            qryL.FieldByName(QStringLiteral("PLZ")).SetText(PickPostalCode().postalCode);
        qryL.FieldByName(QStringLiteral("Tel")).SetText(MakePhone(QStringLiteral("01234-")));
        qryL.FieldByName(QStringLiteral("Email"))
            .SetText(MakeMailAddress(MailForm::Initial, firstName, surname, TeacherMailDomain));
        qryL.FieldByName(QStringLiteral("EMailDienstlich"))
            .SetText(MakeMailAddress(MailForm::Initial, firstName, surname, SchoolMailDomain));
        qryL.FieldByName(QStringLiteral("Handy")).SetText(MakePhone(QStringLiteral("0197-")));

        db::Field& birth = qryL.FieldByName(QStringLiteral("Geburtsdatum"));
        if (birth.IsNull())
            birth.SetDateTime(placeholderBirthDate());
        const double birthDate = ShiftDate(birth.GetDateTime(), kBirthDateShiftBound);
        birth.SetDateTime(birthDate);
        qryL.FieldByName(QStringLiteral("IdentNr1"))
            .SetText(db::daysToDateTime(birthDate).toString(QStringLiteral("ddMMyy"))
                     + qryL.FieldByName(QStringLiteral("Geschlecht")).GetText());
        qryL.FieldByName(QStringLiteral("SerNr"))
            .SetText(QStringLiteral("0") + QString::number(RandomInRange(100, 999)) + QStringLiteral("X"));
    } catch (...) {
        // The run ends here; the references go back to the teacher who still carries them.
        qryL.Cancel();
        if (hasReferences)
            moveReferencesBestEffort(kPlaceholder, oldAbbreviation);
        throw;
    }

    try {
        qryL.Post();
    } catch (const util::Error& e) {
        // The row keeps every stored value, its old abbreviation included, and so do
        // its references.
        qryL.Cancel();
        host().diagnostic(newAbbreviation + QStringLiteral(" Post error: ") + e.message());
        if (hasReferences)
            moveReferencesBestEffort(kPlaceholder, oldAbbreviation);
        return;
    }

    const int oldIndex = slKuerzel->IndexOf(oldAbbreviation);
    if (oldIndex >= 0)
        slKuerzel->Delete(oldIndex);

    if (!hasReferences)
        return;
    QString writtenAbbreviation;
    try {
        writtenAbbreviation = qryL.FieldByName(QStringLiteral("Kuerzel")).GetText();
        ReplaceTeacherAbbreviation(kPlaceholder, writtenAbbreviation);
    } catch (const util::Error& e) {
        host().diagnostic(newAbbreviation + QStringLiteral(" Verknüpfung ändern: ") + e.message());
        restoreOldAbbreviation(oldAbbreviation, oldSecondAbbreviation, writtenAbbreviation);
    }
}

// Some references could not take the new abbreviation. The teacher goes back to the
// old one, and so does every reference, those already moved on included; a teacher
// split over two abbreviations would leave references on one that nobody carries.
void TForm1::restoreOldAbbreviation(const QString& oldAbbreviation, const db::Value& oldSecondAbbreviation,
                                    const QString& writtenAbbreviation)
{
    bool rowRestored = writtenAbbreviation == oldAbbreviation;
    if (!rowRestored) {
        try {
            qryL.Edit();
            qryL.FieldByName(QStringLiteral("Kuerzel")).SetText(oldAbbreviation);
            qryL.FieldByName(QStringLiteral("LIDKrz")).setValue(oldSecondAbbreviation);
            qryL.Post();
            rowRestored = true;
        } catch (const util::Error& e) {
            qryL.Cancel();
            host().diagnostic(oldAbbreviation + QStringLiteral(" Post error: ") + e.message());
        }
    }
    if (rowRestored) {
        moveReferencesBestEffort(kPlaceholder, oldAbbreviation);
        if (!writtenAbbreviation.isEmpty() && writtenAbbreviation != oldAbbreviation)
            moveReferencesBestEffort(writtenAbbreviation, oldAbbreviation);
        // Carried again: no later teacher may be given it.
        slKuerzel->Add(trimBlanks(toUpperKeepingLength(oldAbbreviation)));
        return;
    }
    // The row keeps the new abbreviation: whatever can follow it does; a column that
    // refuses it gets the old one back rather than keep the placeholder's.
    for (const char* statement : kReferenceUpdates) {
        try {
            con.Execute(referenceUpdate(statement, kPlaceholder, writtenAbbreviation));
        } catch (const util::Error&) {
            try {
                con.Execute(referenceUpdate(statement, kPlaceholder, oldAbbreviation));
            } catch (const util::Error& e) {
                host().diagnostic(oldAbbreviation + QStringLiteral(" Verknüpfung zurücksetzen: ") + e.message());
            }
        }
    }
}

}  // namespace app
