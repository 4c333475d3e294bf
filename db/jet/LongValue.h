// Long values (memo, OLE): stored inline after their 12-byte header, as one row of a
// long-value page, or as a chain of such rows; reading, writing and freeing them.
// Layer: long values; reads and changes pages through the page file, knows nothing of
// tables: where new long-value rows may go is the caller's LongValueSpace.
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

// Long-value pages with room for new rows: the caller knows which pages a column may use.
class LongValueSpace {
public:
    virtual ~LongValueSpace() = default;
    // A long-value page on which a row of `length` bytes fits (a new one if need be).
    virtual PageEdit pageFor(size_t length) = 0;
};

// The column bytes (header, and the data when inline) for a new long value. Values up to
// kLongValueInlineLimit bytes stay in the row when `mayInline`; longer ones become one row
// of a long-value page, or a chain of rows written last piece first, so that every piece
// knows its successor.
std::vector<uint8_t> writeLongValue(PageFile& file, const Format& format, LongValueSpace& space,
                                    const std::string& data, bool mayInline);

// Gives back the rows of the long value that `field` describes (zeroed, flagged removed).
// Throws CorruptError, before any change, when a pointer does not lead to a live row of a
// long-value page or the chain loops.
void freeLongValue(PageFile& file, const Format& format, ByteView field);

}  // namespace db::jet
