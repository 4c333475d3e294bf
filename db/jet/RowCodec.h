// The row codec: where each column's bytes lie in a row, for the Jet 3 and Jet 4 layouts
// (null mask, fixed data, variable offsets with Jet 3's jump table), and the layout of a
// new Jet 4 row from its columns' bytes.
// Layer: row codec; knows columns and row bytes, not pages.
#pragma once

#include "db/jet/ByteView.h"
#include "db/jet/TableDef.h"
#include "db/jet/ValueCodec.h"

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

    // A Jet 4 row from one value per column of the definition, in its order: the column
    // count is the definition's highest column number + 1, fixed data up to the end of the
    // last fixed column, the variable part whenever the table has variable columns. Memo
    // and OLE values come as their column bytes (header and inline data).
    std::vector<uint8_t> encode(const std::vector<EncodedValue>& values) const;
    // The size encode() gives for values whose variable parts have these sizes.
    size_t encodedSize(const std::vector<EncodedValue>& values) const;
    // What every row takes whatever its values: column count, fixed data, offsets, null mask.
    size_t baseSize() const;

private:
    void variableOffsets(ByteView row, uint32_t nullMaskSize, std::vector<uint32_t>& offsets) const;

    const TableDef& m_def;
    const Format& m_format;
    bool m_hasVariable = false;
    mutable std::vector<uint32_t> m_offsets;
    mutable std::vector<const std::vector<uint8_t>*> m_variable;
};

}  // namespace db::jet
