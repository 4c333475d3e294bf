// The error every database operation raises: a German message text, from the engine
// or from the layer itself; and the one stop that is not a refusal: a statement ended
// because the user asked the run to end.
// Layer: database access.
#pragma once

#include "util/Error.h"

namespace db {

class DbError : public util::Error {
public:
    using util::Error::Error;
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
