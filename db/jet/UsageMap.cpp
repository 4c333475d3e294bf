// Decoding inline and reference usage maps.
#include "db/jet/UsageMap.h"

#include "db/jet/DataPage.h"

#include <algorithm>

namespace db::jet {

namespace {

void addBits(ByteView bits, uint64_t firstPage, uint32_t pageCount, std::vector<uint32_t>& out)
{
    for (size_t i = 0; i < bits.size(); ++i) {
        const uint8_t b = bits.data()[i];
        if (b == 0)
            continue;
        for (unsigned bit = 0; bit < 8; ++bit) {
            if (!(b & (1u << bit)))
                continue;
            const uint64_t page = firstPage + i * 8 + bit;
            if (page < pageCount)
                out.push_back(static_cast<uint32_t>(page));
        }
    }
}

}  // namespace

std::vector<uint32_t> readUsageMap(PageFile& file, const Format& format, uint32_t pointer)
{
    const RowPointer ptr = RowPointer::fromU32(pointer);
    const DataPage holder(file.page(ptr.page, "Verweis auf Belegungsliste"), format);
    const ByteView row = holder.rowBytes(ptr.row);
    std::vector<uint32_t> pages;
    const uint8_t type = row.u8(0, "Belegungsliste: Typ");
    if (type == kUsageMapInline) {
        const uint32_t start = row.u32(1, "Belegungsliste: erste Seite");
        addBits(row.sub(5, row.size() - 5, "Belegungsliste"), start, file.pageCount(), pages);
    } else if (type == kUsageMapReference) {
        const uint64_t pagesPerBitmap = static_cast<uint64_t>(format.pageSize - kUsageBitmapPageData) * 8;
        for (size_t k = 0; 1 + 4 * (k + 1) <= row.size(); ++k) {
            const uint32_t bitmapPage = row.u32(1 + 4 * k, "Belegungsliste: Verweis");
            if (bitmapPage == 0)
                continue;
            const PageRef bitmap = file.page(bitmapPage, "Belegungsliste: Verweis");
            if (bitmap->type() != kPageUsageBitmap)
                JET_CORRUPT(bitmapPage, "Seitentyp",
                            "Belegungsseite erwartet, gefunden Typ " + std::to_string(bitmap->type()));
            const ByteView v = bitmap->view();
            addBits(v.sub(kUsageBitmapPageData, v.size() - kUsageBitmapPageData, "Belegungsseite"),
                    k * pagesPerBitmap, file.pageCount(), pages);
        }
    } else {
        JET_CORRUPT(ptr.page, "Belegungsliste: Typ", "unbekannter Typ " + std::to_string(type));
    }
    // Two references to one bitmap page would otherwise list its pages twice.
    std::sort(pages.begin(), pages.end());
    pages.erase(std::unique(pages.begin(), pages.end()), pages.end());
    return pages;
}

}  // namespace db::jet
