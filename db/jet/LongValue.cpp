// Following, writing and freeing long-value pointers.
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

namespace {

uint32_t placeLongValueRow(PageFile& file, const Format& format, LongValueSpace& space,
                           const std::vector<uint8_t>& row)
{
    const PageEdit page = space.pageFor(row.size());
    DataPageWriter writer(page, format);
    if (writer.owner() != kLongValueOwner)
        JET_CORRUPT(page->number, "Besitzer", "Seite für lange Werte (LVAL) erwartet");
    const int slot = writer.addRow(ByteView(row.data(), row.size()));
    if (slot < 0)
        throw JetError("Interner Fehler: Auf Seite " + std::to_string(page->number)
                       + " ist kein Platz für einen langen Wert.");
    (void)file;
    return RowPointer{page->number, static_cast<uint8_t>(slot)}.toU32();
}

// The rows a long value occupies, checked before anything is freed.
std::vector<RowPointer> longValueRows(PageFile& file, const Format& format, ByteView field)
{
    const uint32_t head = field.u32(0, "langer Wert: Länge");
    std::vector<RowPointer> rows;
    if (head & kLongValueInline)
        return rows;
    RowPointer ptr = RowPointer::fromU32(field.u32(4, "langer Wert: Verweis"));
    DataPage* holder = nullptr;
    std::unique_ptr<DataPage> keep;
    if (head & kLongValueSinglePage) {
        longValueRow(file, format, ptr, holder, keep);
        rows.push_back(ptr);
        return rows;
    }
    const uint32_t length = head & kLongValueLengthMask;
    std::set<std::pair<uint32_t, uint8_t>> seen;
    size_t covered = 0;
    while (covered < length) {
        if (ptr.page == 0)
            JET_CORRUPT(kNoPage, "langer Wert", "Kette endet nach " + std::to_string(covered) + " von "
                                                     + std::to_string(length) + " Bytes");
        if (!seen.insert({ptr.page, ptr.row}).second)
            JET_CORRUPT(ptr.page, "langer Wert", "die Kette der Seiten bildet eine Schleife");
        const ByteView row = longValueRow(file, format, ptr, holder, keep);
        rows.push_back(ptr);
        covered += row.size() - std::min<size_t>(row.size(), kLongValueChainPointer);
        ptr = RowPointer::fromU32(row.u32(0, "langer Wert: nächster Teil"));
    }
    return rows;
}

}  // namespace

std::vector<uint8_t> writeLongValue(PageFile& file, const Format& format, LongValueSpace& space,
                                    const std::string& data, bool mayInline)
{
    if (data.size() > kLongValueLengthMask)
        throw JetError("Der lange Wert ist mit " + std::to_string(data.size()) + " Bytes zu lang.");
    ByteBuilder field;
    const uint32_t length = static_cast<uint32_t>(data.size());
    const auto* bytes = reinterpret_cast<const uint8_t*>(data.data());
    if (mayInline && data.size() <= kLongValueInlineLimit) {
        field.u32(length | kLongValueInline);
        field.zeros(kLongValueHeaderSize - 4);
        field.append(bytes, data.size());
        return field.bytes();
    }
    if (data.size() <= format.maxRowSize()) {
        const std::vector<uint8_t> row(bytes, bytes + data.size());
        field.u32(length | kLongValueSinglePage);
        field.u32(placeLongValueRow(file, format, space, row));
        field.u32(0);
        return field.bytes();
    }
    const size_t piece = format.maxLongValueRow;
    const size_t pieces = (data.size() + piece - 1) / piece;
    uint32_t next = 0;
    for (size_t k = pieces; k-- > 0;) {
        ByteBuilder row;
        row.u32(next);
        const size_t from = k * piece;
        row.append(bytes + from, std::min(data.size(), from + piece) - from);
        next = placeLongValueRow(file, format, space, row.bytes());
    }
    field.u32(length);
    field.u32(next);
    field.u32(0);
    return field.bytes();
}

void freeLongValue(PageFile& file, const Format& format, ByteView field)
{
    for (const RowPointer& ptr : longValueRows(file, format, field)) {
        DataPageWriter writer(file.edit(ptr.page, "Verweis auf langen Wert"), format);
        writer.removeRow(ptr.row);
    }
}

}  // namespace db::jet
