// The general address book: every entry becomes a made-up couple with a street, a
// telephone number, a mail address and a postal code, whatever the options say.
// Layer: anonymisation stage (operations of the main window). Catches nothing.
#include "app/Pools.h"
#include "app/Unit1.h"

namespace app {

void TForm1::AnonymizeGeneralAddresses()
{
    qryA.Close();
    qryA.SetCommandText(QStringLiteral("select * from K_AllgAdresse order by ID"));
    qryA.Open();
    while (!qryA.Eof()) {
        const QString firstSurname = PickEntry(*slNachnamen);
        const QString secondSurname = PickEntry(*slNachnamen);
        for (const char* column : {"AllgAdrName1", "AllgAdrName2", "AllgAdrStrasse", "AllgAdrTelefon1",
                                   "AllgAdrTelefon2", "AllgAdrFax", "AllgAdrEmail"})
            recordReplaced(qryA, QStringLiteral("K_AllgAdresse"), QLatin1String(column));
        qryA.Edit();
        qryA.FieldByName(QStringLiteral("AllgAdrName1")).SetText(firstSurname + QStringLiteral(" und ") + secondSurname);
        qryA.FieldByName(QStringLiteral("AllgAdrName2")).SetNull();
        qryA.FieldByName(QStringLiteral("AllgAdrStrasse")).SetText(MakeStreet());
        qryA.FieldByName(QStringLiteral("AllgAdrTelefon1")).SetText(MakePhone(QStringLiteral("01234-")));
        qryA.FieldByName(QStringLiteral("AllgAdrTelefon2")).SetNull();
        qryA.FieldByName(QStringLiteral("AllgAdrFax")).SetNull();
        qryA.FieldByName(QStringLiteral("AllgAdrEmail"))
            .SetText(MakeMailAddress(MailForm::Pair, firstSurname, secondSurname, AddressMailDomain));
        qryA.FieldByName(QStringLiteral("AllgAdrPLZ")).SetText(PickPostalCode().postalCode);
        qryA.Post();
        qryA.Next();
    }
    qryA.Close();
}

}  // namespace app
