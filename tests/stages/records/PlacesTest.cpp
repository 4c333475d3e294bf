// The place filter, the postal-code pool, visibility for every place and the purge of
// short postal codes.
#include "RecordsFixture.h"

using namespace testsupport;

namespace {

class Places : public RecordsTest {
protected:
    void SetUp() override
    {
        RecordsTest::SetUp();
        sql(QStringLiteral("DELETE FROM K_Ort;"
                           "INSERT INTO K_Ort (ID, PLZ, Bezeichnung, Sichtbar) VALUES "
                           "(1, '53111', 'Bonn', '-'), (2, '50667', 'Köln ', '-'), (3, '5011', 'Köln', '-'),"
                           "(4, '501 ', 'Köln', NULL), (5, NULL, 'Bonn', '-'), (6, '12345', '', '-'),"
                           "(7, '1234 ', 'Bonn', '-'), (8, '40210', 'Düsseldorf', '-');"));
    }

    QStringList poolFor(const QString& filter)
    {
        app::TForm1& f = form();
        f.edOrte->setText(filter);
        app::TForm1Access::startRun(f);
        f.BuildPostalCodePool();
        QStringList pairs;
        for (int i = 0; i < f.pool("slPLZ")->Count(); ++i)
            pairs << f.pool("slPLZ")->Get(i) + QLatin1Char('|') + f.pool("slOrte")->Get(i);
        f.con.SetConnected(false);
        m_form.reset();
        return pairs;
    }
};

TEST_F(Places, PoolTakesPostalCodesOfFiveOrMoreCharactersInPostalCodeOrder)
{
    EXPECT_EQ(poolFor(QString()),
              QStringList({"1234 |Bonn", "12345|", "40210|Düsseldorf", "50667|Köln ", "53111|Bonn"}));
}

TEST_F(Places, FilterEntriesAreTrimmedAndMatchedIgnoringCaseButStoredNamesAreNot)
{
    // "Köln " with its blank is not "Köln"; "bonn" finds "Bonn".
    EXPECT_EQ(poolFor(QStringLiteral("  Köln ,\tbonn  ")), QStringList({"1234 |Bonn", "53111|Bonn"}));
    // A trailing comma adds the empty name, and so does a field of blanks: only the
    // place without a name matches it.
    EXPECT_EQ(poolFor(QStringLiteral("Düsseldorf,")), QStringList({"12345|", "40210|Düsseldorf"}));
    EXPECT_EQ(poolFor(QStringLiteral("   ")), QStringList({"12345|"}));
}

TEST_F(Places, EveryPlaceBecomesVisibleAndShortPostalCodesAreDeleted)
{
    app::TForm1& f = form();
    buildPool(f);
    f.MarkPlacesVisible();
    f.PurgeShortPostalCodes();
    finish();
    EXPECT_EQ(value(QStringLiteral("SELECT group_concat(ID) FROM (SELECT ID FROM K_Ort ORDER BY ID)")),
              QStringLiteral("1,2,6,7,8"));
    EXPECT_EQ(value(QStringLiteral("SELECT count(*) FROM K_Ort WHERE Sichtbar IS NOT '+'")), QStringLiteral("0"));
}

}  // namespace
