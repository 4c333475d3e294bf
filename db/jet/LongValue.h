// Long values (memo, OLE): stored inline after their 12-byte header, as one row of a
// long-value page, or as a chain of such rows.
// Layer: long values; reads pages through the page file, knows nothing of tables.
#pragma once

#include "db/jet/ByteView.h"
#include "db/jet/PageFile.h"

#include <string>

namespace db::jet {

struct Format;

// The whole value that `field` (the column's bytes in the row) describes. Throws
// CorruptError for pointers to pages that are not long-value pages, loops, or chains that
// end before the stated length.
std::string readLongValue(PageFile& file, const Format& format, ByteView field);

}  // namespace db::jet
