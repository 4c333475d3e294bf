// Handing out and taking back pages through the free-page map.
#include "db/jet/Space.h"

#include "db/jet/JetError.h"

namespace db::jet {

FreePageMap& Space::map()
{
    if (!m_map || m_generation != m_file.generation() || !m_map->current()) {
        m_map.reset();
        m_map.emplace(m_file, m_format);
        m_generation = m_file.generation();
    }
    return *m_map;
}

PageEdit Space::allocate()
{
    return map().allocate(
        [this](uint32_t page) {
            if (m_walk && !m_used)
                m_used = m_walk();
            if (m_used && page < m_used->size() && (*m_used)[page])
                JET_CORRUPT(page, "Freiseitenliste",
                            "die Seite ist als frei markiert, wird aber noch verwendet; die Änderung wird nicht "
                            "ausgeführt");
            return true;
        },
        &m_released);
}

void Space::release(uint32_t page)
{
    map().release(page);
    setBit(m_released, page, true);
}

}  // namespace db::jet
