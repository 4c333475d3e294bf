// Students with their guardians and telephone numbers: every personal column of a
// student is replaced, and the student's guardian rows follow the student's new
// surname, street and postal code.
// Layer: anonymisation stage (operations of the main window). Catches nothing: a
// failing row ends the run, rows written before stay written.
#include "app/Pools.h"
#include "app/Unit1.h"

#include <QCheckBox>

namespace app {

namespace {

constexpr int kMale = 3;
constexpr std::int32_t kBirthDateShiftBound = 133;

void rewriteGuardians(TForm1& form, const QString& oldSurname, const QString& oldFirstName, OriginalValues& originals)
{
    const QString table = QStringLiteral("SchuelerErzAdr");
    // The student's values as just written: the guardians copy them.
    const QString surname = form.qryS.FieldByName(QStringLiteral("Name")).GetText();
    const QString firstName = form.qryS.FieldByName(QStringLiteral("Vorname")).GetText();
    const QString street = form.qryS.FieldByName(QStringLiteral("Strasse")).GetText();
    const QString postalCode = form.qryS.FieldByName(QStringLiteral("PLZ")).GetText();

    form.qryE.SetParam(form.qryS.FieldByName(QStringLiteral("ID")).GetInteger());
    form.qryE.Open();
    while (!form.qryE.Eof()) {
        form.qryE.Edit();
        db::Field& name1 = form.qryE.FieldByName(QStringLiteral("Name1"));
        // The row that names the student as its own first person takes both new names;
        // every other guardian keeps a first name of its own. Exact comparison.
        const bool ownEntry = name1.GetText() == oldSurname
            && form.qryE.FieldByName(QStringLiteral("Vorname1")).GetText() == oldFirstName;
        const bool names = form.chbxNamen->isChecked();
        const auto keep = [&](const char* column) {
            originals.replaced(table, QLatin1String(column), form.qryE.FieldByName(QLatin1String(column)).GetText());
        };
        if (names) {
            keep("Name1");
            if (ownEntry)
                originals.record(oldFirstName, ValueKind::FirstName);
            if (!form.qryE.FieldByName(QStringLiteral("Name2")).GetText().isEmpty())
                keep("Name2");
        }
        if (form.chbxStrassen->isChecked())
            keep("ErzStrasse");
        keep("ErzEMail");
        keep("ErzEMail2");
        if (names) {
            name1.SetText(surname);
            if (ownEntry)
                form.qryE.FieldByName(QStringLiteral("Vorname1")).SetText(firstName);
        }
        if (form.chbxStrassen->isChecked())
            form.qryE.FieldByName(QStringLiteral("ErzStrasse")).SetText(street);
        if (form.chbxOrte->isChecked())
            form.qryE.FieldByName(QStringLiteral("ErzPLZ")).SetText(postalCode);
        if (names) {
            db::Field& name2 = form.qryE.FieldByName(QStringLiteral("Name2"));
            if (!name2.GetText().isEmpty())
                name2.SetText(surname);
        }
        form.qryE.FieldByName(QStringLiteral("ErzEMail"))
            .SetText(MakeMailAddress(MailForm::Surname, name1.GetText(), QString(), GuardianMailDomain));
        form.qryE.FieldByName(QStringLiteral("ErzEMail2")).SetNull();
        form.qryE.Post();
        form.qryE.Next();
    }
    form.qryE.Close();
}

void rewriteTelephones(TForm1& form, OriginalValues& originals)
{
    form.qryT.SetParam(form.qryS.FieldByName(QStringLiteral("ID")).GetInteger());
    form.qryT.Open();
    while (!form.qryT.Eof()) {
        originals.replaced(QStringLiteral("SchuelerTelefone"), QStringLiteral("Telefonnummer"),
                           form.qryT.FieldByName(QStringLiteral("Telefonnummer")).GetText());
        form.qryT.Edit();
        form.qryT.FieldByName(QStringLiteral("Telefonnummer")).SetText(MakePhone(QStringLiteral("01234-")));
        form.qryT.Post();
        form.qryT.Next();
    }
    form.qryT.Close();
}

}  // namespace

void TForm1::AnonymizeStudents()
{
    qryS.Close();
    qryS.SetCommandText(QStringLiteral("select * from Schueler order by ID"));
    qryE.Close();
    qryE.SetCommandText(QStringLiteral("select * from SchuelerErzAdr where Schueler_ID=:ID"));
    qryT.Close();
    qryT.SetCommandText(QStringLiteral("select * from SchuelerTelefone where Schueler_ID=:ID"));
    qryS.Open();
    SetProgress(m_progressPosition, qryS.RecordCount());

    while (!qryS.Eof()) {
        ProgressStep();
        const QString oldFirstName = qryS.FieldByName(QStringLiteral("Vorname")).GetText();
        const QString oldSurname = qryS.FieldByName(QStringLiteral("Name")).GetText();
        // The values about to go, kept for the search after the run.
        const QString table = QStringLiteral("Schueler");
        if (chbxNamen->isChecked()) {
            m_originals.replaced(table, QStringLiteral("Vorname"), oldFirstName);
            m_originals.replaced(table, QStringLiteral("Name"), oldSurname);
        }
        if (chbxStrassen->isChecked())
            recordReplaced(qryS, table, QStringLiteral("Strasse"));
        for (const char* column : {"Telefon", "Email", "SchulEmail", "Fax", "Zusatz", "Geburtsname"})
            recordReplaced(qryS, table, QLatin1String(column));
        if (chbxGebDat->isChecked() && !qryS.FieldByName(QStringLiteral("Geburtsdatum")).IsNull())
            m_originals.recordDate(qryS.FieldByName(QStringLiteral("Geburtsdatum")).GetDateTime());
        qryS.Edit();

        // Options are read per row: a box changed at a message-processing point
        // applies to the students after it.
        if (chbxNamen->isChecked()) {
            const bool male = qryS.FieldByName(QStringLiteral("Geschlecht")).GetInteger() == kMale;
            qryS.FieldByName(QStringLiteral("Vorname")).SetText(PickEntry(male ? *slVornamenM : *slVornamenW));
            qryS.FieldByName(QStringLiteral("Name")).SetText(PickEntry(*slNachnamen));
        }
        if (chbxStrassen->isChecked())
            qryS.FieldByName(QStringLiteral("Strasse")).SetText(MakeStreet());
        qryS.FieldByName(QStringLiteral("Telefon")).SetText(MakePhone(QStringLiteral("01234-")));

        const QString firstName = qryS.FieldByName(QStringLiteral("Vorname")).GetText();
        const QString surname = qryS.FieldByName(QStringLiteral("Name")).GetText();
        if (chbxNamen->isChecked()) {
            // Where the same person is named elsewhere, the same new name follows.
            m_substitutes.known(ValueKind::FirstName, oldFirstName, firstName);
            m_substitutes.known(ValueKind::Surname, oldSurname, surname);
        }
        qryS.FieldByName(QStringLiteral("Email"))
            .SetText(MakeMailAddress(MailForm::Initial, firstName, surname, StudentMailDomain));
        qryS.FieldByName(QStringLiteral("SchulEmail"))
            .SetText(MakeMailAddress(MailForm::Initial, firstName, surname, SchoolMailDomain));
        qryS.FieldByName(QStringLiteral("Fax")).SetText(MakePhone(QStringLiteral("0189-")));
        qryS.FieldByName(QStringLiteral("Zusatz")).SetNull();
        qryS.FieldByName(QStringLiteral("Geburtsname")).SetNull();

        if (chbxGebDat->isChecked()) {
            // A missing birth date stays missing: shifting the engine's zero date would
            // invent a birth in 1899 or 1900.
            db::Field& birth = qryS.FieldByName(QStringLiteral("Geburtsdatum"));
            if (!birth.IsNull())
                birth.SetDateTime(ShiftDate(birth.GetDateTime(), kBirthDateShiftBound));
        }
        if (chbxOrte->isChecked()) {
            const PostalCodePick home = PickPostalCode();
            qryS.FieldByName(QStringLiteral("PLZ")).SetText(home.postalCode);
            qryS.FieldByName(QStringLiteral("OrtAbk")).SetText(home.place);
        }
        qryS.FieldByName(QStringLiteral("Geburtsort")).SetText(PickPostalCode().place);
        qryS.Post();

        rewriteGuardians(*this, oldSurname, oldFirstName, m_originals);
        rewriteTelephones(*this, m_originals);

        ProcessMessages();
        qryS.Next();
    }
}

}  // namespace app
