// The general address book: every row rewritten whatever the options, nothing beside
// the named columns touched.
#include "RecordsFixture.h"

using namespace testsupport;

namespace {

class GeneralAddresses : public RecordsTest {
protected:
    void SetUp() override
    {
        RecordsTest::SetUp();
        sql(QStringLiteral(
            "INSERT INTO K_AllgAdresse (ID, AllgAdrName1, AllgAdrName2, AllgAdrStrasse, AllgAdrPLZ, AllgAdrOrt_ID,"
            "  AllgAdrTelefon1, AllgAdrTelefon2, AllgAdrFax, AllgAdrEmail, AllgAdrBemerkungen) VALUES "
            "(1, 'Stadtwerke', 'Abteilung 3', 'Ring 1', '99999', 7, '0221-1', '0221-2', '0221-3', 'a@b.de', 'bleibt'),"
            "(2, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL);"));
    }

    void run(app::TForm1& f)
    {
        buildPool(f);
        f.AnonymizeGeneralAddresses();
        finish();
    }
};

TEST_F(GeneralAddresses, EveryRowIsRewrittenEvenWithoutOptions)
{
    NameLists names;
    names.surnames = QStringList({"Zander", "Öztürk"});
    app::TForm1& f = form(names);
    setOptions(f, false, false, false, false);
    f.chbxLehrerAnonym->setChecked(false);
    run(f);

    for (int id : {1, 2}) {
        SCOPED_TRACE(id);
        const QString row = QStringLiteral(" FROM K_AllgAdresse WHERE ID=%1").arg(id);
        const QString name1 = value(QStringLiteral("SELECT AllgAdrName1") + row);
        const QStringList pair = name1.split(QStringLiteral(" und "));
        ASSERT_EQ(pair.size(), 2) << name1.toStdString();
        EXPECT_TRUE(names.surnames.contains(pair[0]) && names.surnames.contains(pair[1]));
        EXPECT_EQ(value(QStringLiteral("SELECT AllgAdrEmail") + row),
                  pair[0] + QLatin1Char('.') + pair[1] + QStringLiteral("@adressen.example.org"));
        EXPECT_EQ(value(QStringLiteral("SELECT AllgAdrStrasse GLOB 'Hauptstraße [1-9]*'") + row), QStringLiteral("1"));
        EXPECT_EQ(value(QStringLiteral("SELECT AllgAdrTelefon1 GLOB '01234-[1-9][0-9][0-9][0-9][0-9][0-9]'") + row),
                  QStringLiteral("1"));
        EXPECT_EQ(value(QStringLiteral("SELECT AllgAdrPLZ IN ('50667', '53111')") + row), QStringLiteral("1"));
        EXPECT_EQ(value(QStringLiteral("SELECT coalesce(AllgAdrName2, AllgAdrTelefon2, AllgAdrFax)") + row),
                  QStringLiteral("<NULL>"));
    }
    // The place reference and the remarks are not the stage's.
    EXPECT_EQ(value(QStringLiteral("SELECT AllgAdrOrt_ID || AllgAdrBemerkungen FROM K_AllgAdresse WHERE ID=1")),
              QStringLiteral("7bleibt"));
    // Neither progress nor message processing belongs to this stage.
    EXPECT_EQ(m_host.pumps, 0);
}

TEST_F(GeneralAddresses, EmptyTableWritesNothing)
{
    sql(QStringLiteral("DELETE FROM K_AllgAdresse;"));
    run(form());
    EXPECT_EQ(value(QStringLiteral("SELECT count(*) FROM K_AllgAdresse")), QStringLiteral("0"));
}

}  // namespace
