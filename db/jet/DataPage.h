// One data page: its owner, the row offset table with its flags, and the bytes of a row.
// Layer: data page; knows row slots, not columns.
#pragma once

#include "db/jet/JetFormat.h"
#include "db/jet/PageFile.h"

namespace db::jet {

struct RowSlot {
    uint16_t start = 0;  // offset of the row's first byte in the page
    uint16_t end = 0;    // one past its last byte
    bool deleted = false;
    bool overflow = false;  // the row holds a pointer to where its bytes live now
};

class DataPage {
public:
    // Throws CorruptError when the page is not a data page or its slot table does not fit.
    DataPage(PageRef page, const Format& format);

    uint32_t number() const { return m_page->number; }
    uint32_t owner() const { return m_owner; }
    bool isLongValuePage() const { return m_owner == kLongValueOwner; }
    unsigned rowCount() const { return m_rowCount; }

    RowSlot slot(unsigned index) const;
    ByteView rowBytes(unsigned index) const;
    const PageRef& page() const { return m_page; }

private:
    uint16_t rawOffset(unsigned index) const;

    PageRef m_page;
    const Format& m_format;
    uint32_t m_owner = 0;
    unsigned m_rowCount = 0;
};

// A 4-byte row pointer as the format stores it: row in the low byte, page above.
struct RowPointer {
    uint32_t page = 0;
    uint8_t row = 0;
    static RowPointer fromU32(uint32_t v) { return {v >> 8, static_cast<uint8_t>(v & 0xFF)}; }
};

}  // namespace db::jet
