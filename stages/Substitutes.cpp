// Consistent substitutes of the original's kind.
#include "stages/Substitutes.h"

#include "app/Pools.h"

#include <QDate>

namespace app {

namespace {

// Enough draws that a pool with a few originals among many names still yields one that
// is not; a pool of originals only gives its last draw.
constexpr int kDraws = 25;

}  // namespace

Substitutes::Key Substitutes::key(ValueKind kind, const QString& original)
{
    return {static_cast<int>(kind), original.trimmed().toCaseFolded()};
}

const QString* Substitutes::given(ValueKind kind, const QString& original) const
{
    const auto it = m_given.find(key(kind, original));
    return it == m_given.end() ? nullptr : &it->second;
}

const QString& Substitutes::remember(ValueKind kind, const QString& original, const QString& substitute)
{
    return m_given.emplace(key(kind, original), substitute).first->second;
}

void Substitutes::known(ValueKind kind, const QString& original, const QString& substitute)
{
    if (!original.trimmed().isEmpty())
        remember(kind, original, substitute);
}

QString Substitutes::drawn(const std::function<QString()>& draw) const
{
    QString value;
    for (int i = 0; i < kDraws; ++i) {
        value = draw();
        if (!m_refused || !m_refused(value))
            break;
    }
    return value;
}

QString Substitutes::firstName(const QString& original, Gender gender)
{
    const util::StringList& male = *m_pools.male;
    const util::StringList& female = *m_pools.female;
    const auto fits = [&](const QString& name) {
        return gender == Gender::Unknown || (gender == Gender::Male ? male : female).Contains(name);
    };
    if (const QString* known = given(ValueKind::FirstName, original); known && fits(*known))
        return *known;
    if (gender == Gender::Unknown) {
        if (male.Contains(original) != female.Contains(original))
            gender = male.Contains(original) ? Gender::Male : Gender::Female;
        else
            gender = RandomInRange(0, 2) == 0 ? Gender::Male : Gender::Female;
    }
    const util::StringList& pool = gender == Gender::Male ? male : female;
    const QString name = drawn([&] { return PickEntry(pool); });
    // A first name given before for a person of the other gender stays with that person.
    if (!given(ValueKind::FirstName, original))
        remember(ValueKind::FirstName, original, name);
    return name;
}

QString Substitutes::surname(const QString& original)
{
    if (const QString* known = given(ValueKind::Surname, original))
        return *known;
    return remember(ValueKind::Surname, original, drawn([&] { return PickEntry(*m_pools.surnames); }));
}

QString Substitutes::fullName(const QString& original, Gender gender)
{
    if (const QString* known = given(ValueKind::FullName, original))
        return *known;
    const util::StringList& pool = gender == Gender::Female ? *m_pools.female
        : gender == Gender::Male                            ? *m_pools.male
        : RandomInRange(0, 2) == 0                          ? *m_pools.male
                                                            : *m_pools.female;
    const QString first = drawn([&] { return PickEntry(pool); });
    const QString last = drawn([&] { return PickEntry(*m_pools.surnames); });
    return remember(ValueKind::FullName, original, first + QLatin1Char(' ') + last);
}

QString Substitutes::mail(const QString& original, const QString& first, const QString& second, const QString& domain)
{
    if (const QString* known = given(ValueKind::Mail, original))
        return *known;
    QString f = first, s = second;
    if (s.trimmed().isEmpty()) {
        f = drawn([&] { return PickEntry(RandomInRange(0, 2) == 0 ? *m_pools.male : *m_pools.female); });
        s = drawn([&] { return PickEntry(*m_pools.surnames); });
    }
    // A mail address holds no blanks: "van Dyk" becomes "vanDyk", as a school would write it.
    f.remove(QLatin1Char(' '));
    s.remove(QLatin1Char(' '));
    return remember(ValueKind::Mail, original, MakeMailAddress(MailForm::Initial, f, s, domain));
}

QString Substitutes::phone(const QString& original)
{
    if (const QString* known = given(ValueKind::Phone, original))
        return *known;
    return remember(ValueKind::Phone, original, drawn([] { return MakePhone(QStringLiteral("01234-")); }));
}

QString Substitutes::street(const QString& original)
{
    if (const QString* known = given(ValueKind::Street, original))
        return *known;
    return remember(ValueKind::Street, original, drawn([&] { return MakeStreet(*m_pools.streets); }));
}

QString Substitutes::schoolNumber(const QString& original)
{
    if (const QString* known = given(ValueKind::SchoolNumber, original))
        return *known;
    QString number;
    if (m_drawSchoolNumber)
        number = drawn(m_drawSchoolNumber);
    if (number.isEmpty())
        number = QStringLiteral("123456");  // the own school's made-up number
    return remember(ValueKind::SchoolNumber, original, number);
}

QString Substitutes::date(const QString& original)
{
    if (const QString* known = given(ValueKind::Date, original))
        return *known;
    const QDate day = QDate::fromString(original.trimmed(), QStringLiteral("dd.MM.yyyy"));
    if (!day.isValid())
        return surname(original);
    return remember(ValueKind::Date, original,
                    day.addDays(RandomInRange(1, 133)).toString(QStringLiteral("dd.MM.yyyy")));
}

QString Substitutes::forKind(ValueKind kind, const QString& original)
{
    switch (kind) {
    case ValueKind::FirstName: return firstName(original, Gender::Unknown);
    case ValueKind::FullName: return fullName(original, Gender::Unknown);
    case ValueKind::Mail: return mail(original, QString(), QString(), SchoolMailDomain);
    case ValueKind::Phone: return phone(original);
    case ValueKind::Street: return street(original);
    case ValueKind::SchoolNumber: return schoolNumber(original);
    case ValueKind::Date: return date(original);
    case ValueKind::Surname:
    case ValueKind::Other: break;
    }
    // A surname is a plausible word for anything else that named a person or a school.
    return surname(original);
}

}  // namespace app
