// The row codec: where each column's bytes lie in a row, for the Jet 3 and Jet 4 layouts
// (null mask, fixed data, variable offsets with Jet 3's jump table).
// Layer: row codec; knows columns and row bytes, not pages.
#pragma once

#include "db/jet/ByteView.h"
#include "db/jet/TableDef.h"

#include <vector>

namespace db::jet {

struct FieldSpan {
    bool present = false;  // not NULL (for Boolean: the value)
    uint32_t offset = 0;   // into the row
    uint32_t length = 0;
};

class RowCodec {
public:
    RowCodec(const TableDef& def, const Format& format);

    // One span per column of the definition, in its order. Throws CorruptError when the
    // row's own structure (counts, offsets) does not fit inside it.
    void crack(ByteView row, std::vector<FieldSpan>& out) const;

private:
    void variableOffsets(ByteView row, uint32_t nullMaskSize, std::vector<uint32_t>& offsets) const;

    const TableDef& m_def;
    const Format& m_format;
    bool m_hasVariable = false;
    mutable std::vector<uint32_t> m_offsets;
};

}  // namespace db::jet
