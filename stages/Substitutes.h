// Substitutes of the same kind as the originals they replace, given out consistently: the
// same original (of one kind, letter case ignored) always gets the same substitute, so that
// rows that named the same person still name one person. Drawn from the name pools and the
// one random source, after the run's own replacements where a stage made one.
// Layer: anonymisation stages; pure values, no database access.
#pragma once

#include "stages/Residue.h"
#include "util/StringList.h"

#include <QString>

#include <functional>
#include <map>
#include <utility>

namespace app {

enum class Gender { Unknown, Male, Female };

struct NamePools {
    const util::StringList* male = nullptr;
    const util::StringList* female = nullptr;
    const util::StringList* surnames = nullptr;
    const util::StringList* streets = nullptr;
};

class Substitutes {
public:
    void clear() { m_given.clear(); }
    void setPools(const NamePools& pools) { m_pools = pools; }
    // A substitute that must not be handed out (it is itself an original): drawn again.
    void setRefused(std::function<bool(const QString&)> refused) { m_refused = std::move(refused); }
    // Draws a number of the school directory (empty when there is none to draw).
    void setSchoolNumberSource(std::function<QString()> draw) { m_drawSchoolNumber = std::move(draw); }

    // What a stage gave for an original: handed out for it from now on (the first wins).
    void known(ValueKind kind, const QString& original, const QString& substitute);

    // A first name of the pool of `gender` (Unknown: the pool the original is in, else
    // either); a substitute known for the original is kept only where it fits the gender.
    QString firstName(const QString& original, Gender gender);
    QString surname(const QString& original);
    // "first name, blank, surname".
    QString fullName(const QString& original, Gender gender);
    // The initial of `first`, ".", `second`, "@", domain, as the stages build addresses.
    QString mail(const QString& original, const QString& first, const QString& second, const QString& domain);
    QString phone(const QString& original);
    QString street(const QString& original);
    // The run's own number for the original, else one of the directory's.
    QString schoolNumber(const QString& original);
    // "dd.mm.yyyy" moved 1 to 132 days later; a text that is no such date gets a surname.
    QString date(const QString& original);
    // Whatever fits the kind, for a word of a free text.
    QString forKind(ValueKind kind, const QString& original);

private:
    using Key = std::pair<int, QString>;
    static Key key(ValueKind kind, const QString& original);
    const QString* given(ValueKind kind, const QString& original) const;
    // Draws until `draw` yields a value that is not refused (a bounded number of times).
    QString drawn(const std::function<QString()>& draw) const;
    const QString& remember(ValueKind kind, const QString& original, const QString& substitute);

    NamePools m_pools;
    std::function<bool(const QString&)> m_refused;
    std::function<QString()> m_drawSchoolNumber;
    std::map<Key, QString> m_given;
};

}  // namespace app
