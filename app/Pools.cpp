// The random source and the generators of substitute values.
#include "app/Pools.h"
#include "util/TextFile.h"

#include <chrono>

namespace app {

RandomSource& RandomSource::instance()
{
    static RandomSource source;
    return source;
}

std::int32_t RandomSource::below(std::int32_t n)
{
    // A 32-bit linear congruential generator; the draw takes the high part of the
    // product of the new state and n, so every value below n is reachable.
    m_state = m_state * 0x08088405u + 1u;
    if (n <= 0)
        return 0;
    return static_cast<std::int32_t>((static_cast<std::uint64_t>(m_state) * static_cast<std::uint32_t>(n)) >> 32);
}

std::uint32_t RandomSource::clockSeed()
{
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(ticks));
}

std::int32_t RandomInRange(std::int32_t low, std::int32_t high)
{
    if (low > high)
        return RandomSource::instance().below(low - high) + high;
    return RandomSource::instance().below(high - low) + low;
}

int PickIndex(const util::StringList& list)
{
    if (list.Count() == 0)
        return -1;
    return RandomSource::instance().below(list.Count());
}

QString PickEntry(const util::StringList& list)
{
    return list.Get(PickIndex(list));
}

QString MakeStreet(const util::StringList& streets)
{
    const QString street = PickEntry(streets);
    return street + QLatin1Char(' ') + QString::number(RandomInRange(1, 500));
}

QString MakePhone(const QString& prefix)
{
    return prefix + QString::number(RandomInRange(100000, 999999));
}

QString MakeMailAddress(MailForm form, const QString& first, const QString& second, const QString& domain)
{
    QString local;
    switch (form) {
    case MailForm::Initial:
        local = first.left(1) + QLatin1Char('.') + second;
        break;
    case MailForm::Surname:
        local = first;
        break;
    case MailForm::Pair:
        local = first + QLatin1Char('.') + second;
        break;
    }
    return local + QLatin1Char('@') + domain;
}

double ShiftDate(double dateTime, std::int32_t bound)
{
    return dateTime + RandomInRange(1, bound);
}

void LoadNameFile(const QString& path, util::StringList& list)
{
    const QStringList lines = util::splitLines(util::readTextFile(path));
    list.Clear();
    for (const QString& line : lines) {
        // A blank line is no name: drawn as a surname it would give a teacher the empty
        // abbreviation, which names nobody, and its references would be lost to it.
        if (!line.trimmed().isEmpty())
            list.Add(line);
    }
}

}  // namespace app
