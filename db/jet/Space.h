// Page allocation for the writer: new pages come from the file's free-page map (page 1)
// before the file grows, and pages given back are zeroed and marked free there. A page the
// map marks free is handed out only when a walk of the file finds nothing that uses it.
// Layer: space; knows which pages are free, not what pages hold.
#pragma once

#include "db/jet/UsageMap.h"

#include <functional>
#include <optional>
#include <vector>

namespace db::jet {

class Space {
public:
    Space(PageFile& file, const Format& format) : m_file(file), m_format(format) {}

    // A page of zeros for new use, inside the current unit. Pages given back during this
    // opening of the file are not handed out again, so that no row id a cursor still holds
    // can name a new row.
    PageEdit allocate();
    // Gives `page` back: its bytes become zeros and the free-page map marks it free.
    void release(uint32_t page);

    // The pages some structure of the file uses (index = page number), as a walk of the
    // whole file finds them. Asked once, when the map first offers a page inside the file:
    // later pages in use come from here, and pages given back are not handed out again.
    using UsedPages = std::function<std::vector<bool>()>;
    void setUsedPages(UsedPages walk) { m_walk = std::move(walk); }

private:
    FreePageMap& map();

    PageFile& m_file;
    const Format& m_format;
    std::optional<FreePageMap> m_map;
    uint64_t m_generation = 0;
    std::vector<uint8_t> m_released;  // bit page % 8 of byte page / 8: given back during this opening
    UsedPages m_walk;
    std::optional<std::vector<bool>> m_used;
};

}  // namespace db::jet
