// Following long-value pointers.
#include "db/jet/LongValue.h"

#include "db/jet/DataPage.h"
#include "db/jet/JetFormat.h"

#include <algorithm>
#include <memory>
#include <set>

namespace db::jet {

namespace {

ByteView longValueRow(PageFile& file, const Format& format, RowPointer ptr, DataPage*& holder,
                      std::unique_ptr<DataPage>& keep)
{
    keep = std::make_unique<DataPage>(file.page(ptr.page, "Verweis auf langen Wert"), format);
    holder = keep.get();
    if (!holder->isLongValuePage())
        JET_CORRUPT(ptr.page, "Besitzer", "Seite für lange Werte (LVAL) erwartet");
    const RowSlot s = holder->slot(ptr.row);
    if (s.deleted)
        JET_CORRUPT(ptr.page, "langer Wert", "Zeile " + std::to_string(ptr.row) + " ist gelöscht");
    return holder->rowBytes(ptr.row);
}

}  // namespace

std::string readLongValue(PageFile& file, const Format& format, ByteView field)
{
    const uint32_t head = field.u32(0, "langer Wert: Länge");
    const uint32_t length = head & kLongValueLengthMask;
    if (head & kLongValueInline) {
        const ByteView data = field.sub(kLongValueHeaderSize, length, "langer Wert");
        return std::string(reinterpret_cast<const char*>(data.data()), data.size());
    }
    RowPointer ptr = RowPointer::fromU32(field.u32(4, "langer Wert: Verweis"));
    DataPage* holder = nullptr;
    std::unique_ptr<DataPage> keep;
    if (head & kLongValueSinglePage) {
        const ByteView row = longValueRow(file, format, ptr, holder, keep);
        const ByteView data = row.sub(0, length, "langer Wert");
        return std::string(reinterpret_cast<const char*>(data.data()), data.size());
    }
    // A chain can never hold more than the file: do not trust the stated length for memory.
    std::string out;
    out.reserve(length < file.fileSize() ? length : static_cast<size_t>(file.fileSize()));
    std::set<std::pair<uint32_t, uint8_t>> seen;
    while (out.size() < length) {
        if (ptr.page == 0)
            JET_CORRUPT(kNoPage, "langer Wert",
                        "Kette endet nach " + std::to_string(out.size()) + " von " + std::to_string(length)
                            + " Bytes");
        if (!seen.insert({ptr.page, ptr.row}).second)
            JET_CORRUPT(ptr.page, "langer Wert", "die Kette der Seiten bildet eine Schleife");
        const ByteView row = longValueRow(file, format, ptr, holder, keep);
        const uint32_t next = row.u32(0, "langer Wert: nächster Teil");
        const size_t take = std::min<size_t>(row.size() - 4, length - out.size());
        out.append(reinterpret_cast<const char*>(row.data()) + 4, take);
        ptr = RowPointer::fromU32(next);
    }
    return out;
}

}  // namespace db::jet
