// The four name lists in the file format the program reads: UTF-8 with byte-order
// mark, CR LF line ends, one entry per line, no empty entry.
#include "SampleReader.h"

#include "util/TextFile.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>

namespace {

const char* const kLists[] = {"nachnamen.txt", "vornamen_m.txt", "vornamen_w.txt", "strassennamen.txt"};

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

TEST(NameLists, DecodeToSeveralHundredCleanEntriesWithUmlauts)
{
    for (const char* name : kLists) {
        SCOPED_TRACE(name);
        const QByteArray bytes = readAll(QStringLiteral(EDVARA_SOURCE_DIR "/data/") + QLatin1String(name));
        ASSERT_TRUE(bytes.startsWith("\xEF\xBB\xBF"));
        ASSERT_TRUE(bytes.endsWith("\r\n"));
        // Every line break is CR LF: no lone LF or CR.
        EXPECT_EQ(bytes.count("\r\n"), bytes.count('\n'));
        EXPECT_EQ(bytes.count("\r\n"), bytes.count('\r'));

        QStringList entries = util::splitLines(util::decodeText(bytes));
        EXPECT_GE(entries.size(), 300);
        bool umlaut = false;
        for (const QString& e : entries) {
            EXPECT_FALSE(e.isEmpty());
            EXPECT_EQ(e, e.trimmed()) << e.toStdString();
            EXPECT_FALSE(e.contains(QChar(0xFEFF)));
            umlaut = umlaut || e.contains(QRegularExpression(QStringLiteral("[äöüÄÖÜß]")));
        }
        EXPECT_TRUE(umlaut);
        EXPECT_EQ(entries.removeDuplicates(), 0);
    }
}

TEST(NameLists, StreetsCarryNoHouseNumbers)
{
    for (const QString& s : sampletest::nameList(QStringLiteral("strassennamen.txt")))
        EXPECT_FALSE(s.contains(QRegularExpression(QStringLiteral("\\d")))) << s.toStdString();
}

TEST(NameLists, CopiesNextToTheProgramsEqualTheSources)
{
    for (const char* name : kLists) {
        const QByteArray source = readAll(QStringLiteral(EDVARA_SOURCE_DIR "/data/") + QLatin1String(name));
        EXPECT_FALSE(source.isEmpty()) << name;
        EXPECT_EQ(readAll(QStringLiteral(EDVARA_BIN_DIR "/") + QLatin1String(name)), source) << name;
    }
}
