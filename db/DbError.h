// The error every database operation raises: a German message text, from the engine
// or from the layer itself; and the one stop that is not a refusal: a statement ended
// because the user asked the run to end.
// Layer: database access.
#pragma once

#include "util/Error.h"

namespace db {

class DbError : public util::Error {
public:
    // What a caller may tell apart: a statement naming a table or a column the database
    // does not have (refused before anything is read or written), and everything else.
    enum class Kind { Other, MissingTable, MissingColumn };
    explicit DbError(QString message, Kind kind = Kind::Other) : util::Error(std::move(message)), m_kind(kind) {}
    Kind kind() const { return m_kind; }

private:
    Kind m_kind;
};

// A statement stopped by the connection's interrupt flag (Ctrl+C). Deliberately not a
// util::Error: the stages pass over statements the database refuses, but an interrupted
// run must end, so no handler of refused statements may catch this.
class Interrupted : public std::exception {
public:
    const char* what() const noexcept override { return "Die Operation wurde abgebrochen."; }
    static QString message() { return QStringLiteral("Die Operation wurde abgebrochen."); }
};

}  // namespace db
