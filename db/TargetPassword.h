// The fixed database password of every target database, in a header of its own and
// without Qt, so that the quick read of edvara-sql uses the same default.
// Layer: database access; a constant only.
#pragma once

namespace db {

inline constexpr const char* kTargetPassword = "tulvan";

}  // namespace db
