// Text makers of the sample generator. Layer: sample tool. Every draw goes through the
// caller's SampleRandom, one draw per statement, so the order of draws is fixed.
#include "tools/sample/SampleText.h"

#include <QDate>
#include <QString>

#include <cstdio>

namespace sample {

std::string dateTime(int year, int month, int day, int hour, int minute, int second)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", year, month, day, hour, minute, second);
    return buf;
}

std::string randomDate(SampleRandom& rng, int fromYear, int toYear)
{
    const QDate from(fromYear, 1, 1);
    const QDate to(toYear, 12, 31);
    const QDate d = from.addDays(static_cast<qint64>(rng.below(static_cast<std::uint64_t>(from.daysTo(to)) + 1)));
    return dateTime(d.year(), d.month(), d.day());
}

std::string dayAfter(int year, int month, int day, int days)
{
    const QDate d = QDate(year, month, day).addDays(days);
    return dateTime(d.year(), d.month(), d.day());
}

std::string guid(SampleRandom& rng)
{
    static const char* hex = "0123456789ABCDEF";
    std::string g = "{";
    for (int i = 0; i < 32; ++i) {
        if (i == 8 || i == 12 || i == 16 || i == 20)
            g += '-';
        g += hex[rng.below(16)];
    }
    return g + "}";
}

std::string digits(SampleRandom& rng, int count)
{
    std::string s;
    for (int i = 0; i < count; ++i)
        s += static_cast<char>('0' + (i == 0 ? 1 + rng.below(9) : rng.below(10)));
    return s;
}

std::string landline(SampleRandom& rng)
{
    static const std::vector<std::string> codes = {"0251", "0251", "0251", "02571", "02504", "02581",
                                                   "02541", "02594", "02551", "02572", "02536"};
    const std::string code = rng.pick(codes);
    return code + " " + digits(rng, 4 + static_cast<int>(rng.below(3)));
}

std::string mobile(SampleRandom& rng)
{
    static const std::vector<std::string> codes = {"0151", "0160", "0170", "0171", "0172", "0176", "0157"};
    const std::string code = rng.pick(codes);
    return code + " " + digits(rng, 7 + static_cast<int>(rng.below(2)));
}

std::string leftChars(const std::string& text, int n)
{
    return QString::fromStdString(text).left(n).toStdString();
}

std::string upper(const std::string& text) { return QString::fromStdString(text).toUpper().toStdString(); }

std::string lower(const std::string& text) { return QString::fromStdString(text).toLower().toStdString(); }

std::string trim(const std::string& text) { return QString::fromStdString(text).trimmed().toStdString(); }

std::string mailPart(const std::string& text)
{
    QString s = QString::fromStdString(text).toLower();
    s.replace(QStringLiteral("ä"), QStringLiteral("ae"));
    s.replace(QStringLiteral("ö"), QStringLiteral("oe"));
    s.replace(QStringLiteral("ü"), QStringLiteral("ue"));
    s.replace(QStringLiteral("ß"), QStringLiteral("ss"));
    s.remove(QLatin1Char(' '));
    return s.toStdString();
}

}  // namespace sample
