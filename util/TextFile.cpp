// Text decoding and line splitting for the plain-text inputs.
#include "util/TextFile.h"
#include "util/Error.h"
#include "util/SystemError.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace util {

namespace {

// Windows-1252 differs from ISO 8859-1 only in 0x80..0x9F; the five unassigned
// bytes there map to the C1 control characters, as Windows' own decoder does.
const char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

QString decodeCp1252(const char* data, qsizetype size)
{
    QString out;
    out.reserve(size);
    for (qsizetype i = 0; i < size; ++i) {
        const auto b = static_cast<unsigned char>(data[i]);
        out.append(QChar(b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : char16_t(b)));
    }
    return out;
}

}  // namespace

bool encodeCp1252(const QString& text, QByteArray& out)
{
    out.clear();
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            out.append(static_cast<char>(u));
            continue;
        }
        const char16_t* hit = std::find(std::begin(kCp1252High), std::end(kCp1252High), u);
        if (hit == std::end(kCp1252High))
            return false;
        out.append(static_cast<char>(0x80 + (hit - kCp1252High)));
    }
    return true;
}

namespace {

bool startsWith(const QByteArray& bytes, std::initializer_list<unsigned char> mark)
{
    if (bytes.size() < static_cast<qsizetype>(mark.size()))
        return false;
    qsizetype i = 0;
    for (unsigned char m : mark)
        if (static_cast<unsigned char>(bytes[i++]) != m)
            return false;
    return true;
}

}  // namespace

QString decodeText(const QByteArray& bytes)
{
    QString text;
    if (startsWith(bytes, {0xFF, 0xFE}))
        text = QStringDecoder(QStringDecoder::Utf16LE).decode(bytes.mid(2));
    else if (startsWith(bytes, {0xFE, 0xFF}))
        text = QStringDecoder(QStringDecoder::Utf16BE).decode(bytes.mid(2));
    else if (startsWith(bytes, {0xEF, 0xBB, 0xBF}))
        text = QStringDecoder(QStringDecoder::Utf8).decode(bytes.mid(3));
    else
        text = decodeCp1252(bytes.constData(), bytes.size());
    const qsizetype nul = text.indexOf(QChar(0));
    if (nul >= 0)
        text.truncate(nul);
    return text;
}

QStringList splitLines(const QString& text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            lines.append(text.mid(start, i - start));
            if (c == QLatin1Char('\r') && i + 1 < n && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            start = i + 1;
        }
    }
    if (start < n)
        lines.append(text.mid(start));
    return lines;
}

QString readTextFile(const QString& path)
{
    const QString full = QFileInfo(path).absoluteFilePath();
    auto fail = [&](const QString& reason) -> Error {
        return Error(QStringLiteral("Datei %1 kann nicht geöffnet werden. %2").arg(full, reason));
    };
    const QByteArray native = QFile::encodeName(full);
    const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw fail(systemErrorText(errno));
    // Others may read the file meanwhile but should not write it: a shared lock
    // keeps away writers that lock, and a writer holding the lock makes us fail.
    if (::flock(fd, LOCK_SH | LOCK_NB) != 0) {
        const int err = errno;
        ::close(fd);
        throw fail(err == EWOULDBLOCK ? QStringLiteral("Die Datei wird von einem anderen Prozess verwendet.")
                                      : systemErrorText(err));
    }
    QByteArray bytes;
    char buf[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buf, sizeof buf);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            const int err = errno;
            ::close(fd);
            throw fail(systemErrorText(err));
        }
        if (got == 0)
            break;
        bytes.append(buf, got);
    }
    ::close(fd);
    return decodeText(bytes);
}

}  // namespace util
