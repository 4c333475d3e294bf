// The place table: the user's place filter, the postal-code pool every written postal
// code and place comes from, the visibility of every place, and the removal of places
// whose postal code is too short.
// Layer: anonymisation stage (operations of the main window).
#include "app/Unit1.h"
#include "stages/StageText.h"
#include "util/ListHelpers.h"

#include <QLineEdit>

namespace app {

namespace {

constexpr qsizetype kMinPostalCodeLength = 5;

}  // namespace

void TForm1::ReadPlaceFilter()
{
    const QString text = edOrte->text();
    if (text.isEmpty())
        return;
    const QString comma = QStringLiteral(",");
    const int n = util::TokenCount(text, comma);
    for (int i = 1; i <= n; ++i)
        slOrtsfilter->Add(trimBlanks(util::GetToken(text, comma, i)));
}

void TForm1::BuildPostalCodePool()
{
    slPLZ->Clear();
    slOrte->Clear();
    qryPLZ.SetCommandText(QStringLiteral("select * from K_Ort order by PLZ"));
    qryPLZ.Open();
    while (!qryPLZ.Eof()) {
        const QString plz = qryPLZ.FieldByName(QStringLiteral("PLZ")).GetText();
        if (plz.size() >= kMinPostalCodeLength) {
            const QString place = qryPLZ.FieldByName(QStringLiteral("Bezeichnung")).GetText();
            if (!slOrtsfilter || slOrtsfilter->Count() == 0 || slOrtsfilter->Contains(place)) {
                slPLZ->Add(plz);
                slOrte->Add(place);
            }
        }
        qryPLZ.Next();
    }
    qryPLZ.Close();
}

void TForm1::MarkPlacesVisible()
{
    con.Execute(QStringLiteral("update K_Ort set Sichtbar=") + util::sqlQuote(QStringLiteral("+")));
}

void TForm1::PurgeShortPostalCodes()
{
    qryPLZ.SetCommandText(QStringLiteral("select * from K_Ort order by PLZ"));
    qryPLZ.Open();
    while (!qryPLZ.Eof()) {
        if (qryPLZ.FieldByName(QStringLiteral("PLZ")).GetText().size() >= kMinPostalCodeLength)
            qryPLZ.Next();
        else
            qryPLZ.Delete();
    }
    qryPLZ.Close();
}

}  // namespace app
