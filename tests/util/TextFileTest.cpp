#include "util/Error.h"
#include "util/TextFile.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace util;

TEST(TextFile, ByteOrderMarkSelectsEncoding)
{
    const QString expected = QStringLiteral("Müller");
    EXPECT_EQ(decodeText(QByteArray("\xEF\xBB\xBFM\xC3\xBCller")), expected);
    EXPECT_EQ(decodeText(QByteArray("\xFF\xFEM\0\xFC\0l\0l\0e\0r\0", 14)), expected);
    EXPECT_EQ(decodeText(QByteArray("\xFE\xFF\0M\0\xFC\0l\0l\0e\0r", 14)), expected);
    // Without a mark the bytes are Windows-1252: UTF-8 umlauts become two characters,
    // and the euro sign lives at 0x80.
    EXPECT_EQ(decodeText(QByteArray("M\xFCller")), expected);
    EXPECT_EQ(decodeText(QByteArray("M\xC3\xBCller")), QStringLiteral("MÃ¼ller"));
    EXPECT_EQ(decodeText(QByteArray("\x80")), QStringLiteral("€"));
}

TEST(TextFile, NulEndsTheText)
{
    EXPECT_EQ(decodeText(QByteArray("ab\0cd", 5)), QStringLiteral("ab"));
}

TEST(TextFile, LineBreaksOfEveryKind)
{
    EXPECT_EQ(splitLines(QStringLiteral("a\r\nb\nc\rd")), QStringList({"a", "b", "c", "d"}));
    EXPECT_EQ(splitLines(QStringLiteral("a\n")), QStringList({"a"}));
    EXPECT_EQ(splitLines(QStringLiteral("a\n\n")), QStringList({"a", ""}));
    EXPECT_EQ(splitLines(QStringLiteral("a\r\n\r\nb ")), QStringList({"a", "", "b "}));
    EXPECT_EQ(splitLines(QString()), QStringList());
}

TEST(TextFile, MissingFileGivesGermanMessageWithFullPath)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("fehlt.txt"));
    try {
        readTextFile(path);
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_TRUE(e.message().startsWith(QStringLiteral("Datei %1 kann nicht geöffnet werden. ").arg(path)))
            << e.what();
    }
}
