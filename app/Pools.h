// The substitute values: the one random source of the process, the name files, and the
// generators the stages draw from (streets, phone numbers, mail addresses, dates,
// postal codes).
// Layer: application shell. Knows the pools' lists, nothing of databases.
#pragma once

#include "util/StringList.h"

#include <QString>
#include <cstdint>

namespace app {

// One pseudo-random source for the whole process: a 32-bit state, 0 until seeded, so
// an unseeded process always draws the same sequence.
class RandomSource {
public:
    static RandomSource& instance();
    void seed(std::uint32_t value) { m_state = value; }
    std::uint32_t state() const { return m_state; }
    // Each value from 0 to n-1 equally likely; 0 for n <= 0.
    std::int32_t below(std::int32_t n);
    // The low 32 bits of the monotonic high-resolution clock.
    static std::uint32_t clockSeed();

private:
    std::uint32_t m_state = 0;
};

// The five mail domains, one per role; all under the reserved example domain so that
// no generated address can reach a real mailbox.
inline const QString StudentMailDomain = QStringLiteral("schueler.example.org");
inline const QString SchoolMailDomain = QStringLiteral("schule.example.org");
inline const QString GuardianMailDomain = QStringLiteral("eltern.example.org");
inline const QString AddressMailDomain = QStringLiteral("adressen.example.org");
inline const QString TeacherMailDomain = QStringLiteral("lehrer.example.org");

enum class MailForm {
    Initial,  // first character of the first name, ".", surname
    Surname,  // surname alone
    Pair,     // first name passed, ".", second name passed
};

// An integer from low to high-1 (the bounds swap roles when low > high); low when equal.
std::int32_t RandomInRange(std::int32_t low, std::int32_t high);
// A uniformly random index of the list, -1 for an empty list.
int PickIndex(const util::StringList& list);
// The entry at PickIndex; an empty list fails with the list-index error.
QString PickEntry(const util::StringList& list);
// A street of the list, a blank, a house number from 1 to 499.
QString MakeStreet(const util::StringList& streets);
// The prefix and six digits from 100000 to 999998.
QString MakePhone(const QString& prefix);
// The local part in the given form, "@", the domain; no change of case or characters.
QString MakeMailAddress(MailForm form, const QString& first, const QString& second, const QString& domain);
// The date-time moved 1 to bound-1 whole days later, time of day unchanged.
double ShiftDate(double dateTime, std::int32_t bound);

// Loads one name file into list (emptied first): byte-order mark or Windows-1252, one
// entry per line as written; blank and whitespace-only lines are left out. Fails with
// "Datei %s kann nicht geöffnet werden. %s".
void LoadNameFile(const QString& path, util::StringList& list);

}  // namespace app
