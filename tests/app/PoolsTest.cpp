// The random source and the generators: every value in range, both ends reachable.
#include "app/Pools.h"
#include "util/Error.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace app;

TEST(RandomSource, UnseededSequenceIsAlwaysTheSame)
{
    RandomSource::instance().seed(0);
    const int a = RandomInRange(0, 1000000);
    const int b = RandomInRange(0, 1000000);
    RandomSource::instance().seed(0);
    EXPECT_EQ(RandomInRange(0, 1000000), a);
    EXPECT_EQ(RandomInRange(0, 1000000), b);
    EXPECT_NE(a, b);
}

TEST(RandomInRange, BoundsAndSwappedBounds)
{
    RandomSource::instance().seed(12345);
    EXPECT_EQ(RandomInRange(1, 1), 1);
    int lo = 1000, hi = -1000;
    for (int i = 0; i < 5000; ++i) {
        const int v = RandomInRange(10, 3);  // swapped: 3..9
        lo = std::min(lo, v);
        hi = std::max(hi, v);
    }
    EXPECT_EQ(lo, 3);
    EXPECT_EQ(hi, 9);
}

TEST(Generators, NeverReachTheUpperBound)
{
    RandomSource::instance().seed(777);
    util::StringList streets;
    streets.Add(QStringLiteral("Hauptstraße"));
    int minHouse = 1000, maxHouse = 0;
    int minPhone = 9999999, maxPhone = 0;
    double minShift = 1e9, maxShift = -1;
    const double born = 40000.25;  // a date with a time of day
    for (int i = 0; i < 200000; ++i) {
        const QString street = MakeStreet(streets);
        const int house = street.mid(QStringLiteral("Hauptstraße ").size()).toInt();
        minHouse = std::min(minHouse, house);
        maxHouse = std::max(maxHouse, house);
        const QString phone = MakePhone(QStringLiteral("01234-"));
        ASSERT_TRUE(phone.startsWith(QStringLiteral("01234-")));
        const int digits = phone.mid(6).toInt();
        minPhone = std::min(minPhone, digits);
        maxPhone = std::max(maxPhone, digits);
        const double shifted = ShiftDate(born, 133) - born;
        minShift = std::min(minShift, shifted);
        maxShift = std::max(maxShift, shifted);
    }
    EXPECT_EQ(minHouse, 1);
    EXPECT_EQ(maxHouse, 499);
    EXPECT_GE(minPhone, 100000);
    EXPECT_LE(maxPhone, 999998);
    EXPECT_EQ(minShift, 1.0);
    EXPECT_EQ(maxShift, 132.0);
}

TEST(Generators, PicksFromListsOfOneAndTwo)
{
    util::StringList one;
    one.Add(QStringLiteral("Einzig"));
    EXPECT_EQ(PickEntry(one), QStringLiteral("Einzig"));
    util::StringList two;
    two.Add(QStringLiteral("a"));
    two.Add(QStringLiteral("b"));
    bool sawA = false, sawB = false;
    for (int i = 0; i < 100; ++i)
        (PickEntry(two) == QLatin1String("a") ? sawA : sawB) = true;
    EXPECT_TRUE(sawA && sawB);
    util::StringList empty;
    EXPECT_EQ(PickIndex(empty), -1);
    try {
        PickEntry(empty);
        FAIL() << "no error";
    } catch (const util::Error& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Listenindex überschreitet das Maximum (-1)"));
    }
}

TEST(Generators, MailAddressForms)
{
    EXPECT_EQ(MakeMailAddress(MailForm::Initial, QStringLiteral("Jörg"), QStringLiteral("Groß Meier"), SchoolMailDomain),
              QStringLiteral("J.Groß Meier@schule.example.org"));
    EXPECT_EQ(MakeMailAddress(MailForm::Initial, QString(), QStringLiteral("Roth"), StudentMailDomain),
              QStringLiteral(".Roth@schueler.example.org"));
    EXPECT_EQ(MakeMailAddress(MailForm::Surname, QStringLiteral("Roth"), QString(), GuardianMailDomain),
              QStringLiteral("Roth@eltern.example.org"));
    EXPECT_EQ(MakeMailAddress(MailForm::Pair, QStringLiteral("Roth"), QStringLiteral("Koch"), AddressMailDomain),
              QStringLiteral("Roth.Koch@adressen.example.org"));
    const QStringList domains = {StudentMailDomain, SchoolMailDomain, GuardianMailDomain, AddressMailDomain,
                                 TeacherMailDomain};
    EXPECT_EQ(QSet<QString>(domains.begin(), domains.end()).size(), 5);
    for (const QString& d : domains)
        EXPECT_TRUE(d.endsWith(QStringLiteral(".example.org")));
}

TEST(NameFile, BlankLinesAreNoNamesAndOtherLinesStayAsWritten)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("nachnamen.txt"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("\xEF\xBB\xBF\r\nAnna\r\n\r\n   \r\n\t\r\n\tB\xC3\xA4r \nCarl\r\n\r\n");
    f.close();
    util::StringList list;
    list.Add(QStringLiteral("alt"));
    LoadNameFile(path, list);
    EXPECT_EQ(list.items(), QStringList({"Anna", "\tBär ", "Carl"}));
}
