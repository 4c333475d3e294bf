// The error every database operation raises: a German message text, from the engine
// or from the layer itself.
// Layer: database access.
#pragma once

#include "util/Error.h"

namespace db {

class DbError : public util::Error {
public:
    using util::Error::Error;
};

}  // namespace db
