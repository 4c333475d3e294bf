// Handing out and taking back pages through the free-page map.
#include "db/jet/Space.h"

namespace db::jet {

FreePageMap& Space::map()
{
    if (!m_map || m_generation != m_file.generation()) {
        m_map.reset();
        m_map.emplace(m_file, m_format);
        m_generation = m_file.generation();
    }
    return *m_map;
}

PageEdit Space::allocate()
{
    return map().allocate([this](uint32_t page) { return m_released.count(page) == 0; });
}

void Space::release(uint32_t page)
{
    map().release(page);
    m_released.insert(page);
}

}  // namespace db::jet
