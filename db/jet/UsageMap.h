// Usage maps: which pages a table (or an index, or a long-value column) owns.
// Layer: space; knows map rows and bitmap pages, not what the pages hold.
#pragma once

#include "db/jet/PageFile.h"

#include <cstdint>
#include <vector>

namespace db::jet {

struct Format;

// The pages marked in the usage map that `pointer` (row in the low byte, page above)
// names, ascending. Pages past the end of the file are left out: Access marks pages it
// has reserved but not yet written.
std::vector<uint32_t> readUsageMap(PageFile& file, const Format& format, uint32_t pointer);

}  // namespace db::jet
