// A map from page numbers to values, for the maps the engine consults with every page it
// reads or changes (the page file's cache, the pages a unit or a group changed).
// Layer: below everything; a container, knows nothing of what the pages hold.
//
// Open addressing with linear probing in one array whose size is a power of two: a lookup
// costs a multiplication and mostly one cache line, where a node-based map costs a
// division and a chain of allocations. Unlike std::unordered_map, every insertion and every
// erasure may move the entries: no reference, pointer or iterator into the map survives
// either. Iteration order is that of the array, not of insertion.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <utility>
#include <vector>

namespace db::jet {

template <class T>
class PageMap {
public:
    // Page numbers are below 2^24; this one marks an unused slot.
    static constexpr uint32_t kUnused = 0xFFFFFFFF;
    struct Entry {
        uint32_t first = kUnused;
        T second{};
    };

    template <class E>
    class Iter {
    public:
        Iter(E* at, E* end) : m_at(at), m_end(end) { skip(); }
        E& operator*() const { return *m_at; }
        E* operator->() const { return m_at; }
        Iter& operator++()
        {
            ++m_at;
            skip();
            return *this;
        }
        bool operator==(const Iter& other) const { return m_at == other.m_at; }

    private:
        void skip()
        {
            while (m_at != m_end && m_at->first == kUnused)
                ++m_at;
        }
        E* m_at;
        E* m_end;
        friend class PageMap;
    };
    using iterator = Iter<Entry>;
    using const_iterator = Iter<const Entry>;

    size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }

    iterator begin() { return iterator(m_slots.data(), m_slots.data() + m_slots.size()); }
    iterator end() { return iterator(m_slots.data() + m_slots.size(), m_slots.data() + m_slots.size()); }
    const_iterator begin() const { return const_iterator(m_slots.data(), m_slots.data() + m_slots.size()); }
    const_iterator end() const
    {
        return const_iterator(m_slots.data() + m_slots.size(), m_slots.data() + m_slots.size());
    }

    iterator find(uint32_t key)
    {
        const size_t at = position(key);
        return at == kNone ? end() : iterator(m_slots.data() + at, m_slots.data() + m_slots.size());
    }
    const_iterator find(uint32_t key) const
    {
        const size_t at = position(key);
        return at == kNone ? end() : const_iterator(m_slots.data() + at, m_slots.data() + m_slots.size());
    }
    size_t count(uint32_t key) const { return position(key) == kNone ? 0 : 1; }

    T& at(uint32_t key)
    {
        const size_t at = position(key);
        if (at == kNone)
            throw std::out_of_range("PageMap::at");
        return m_slots[at].second;
    }
    const T& at(uint32_t key) const { return const_cast<PageMap*>(this)->at(key); }

    T& operator[](uint32_t key) { return try_emplace(key).first->second; }

    // Inserts `value` unless the key is there already; the value is moved only when
    // inserted.
    template <class... Args>
    std::pair<iterator, bool> try_emplace(uint32_t key, Args&&... args)
    {
        if (const size_t found = position(key); found != kNone)
            return {iterator(m_slots.data() + found, m_slots.data() + m_slots.size()), false};
        if ((m_size + 1) * 4 > m_slots.size() * 3)
            grow();
        size_t at = home(key);
        while (m_slots[at].first != kUnused)
            at = (at + 1) & m_mask;
        m_slots[at].first = key;
        m_slots[at].second = T(std::forward<Args>(args)...);
        ++m_size;
        return {iterator(m_slots.data() + at, m_slots.data() + m_slots.size()), true};
    }
    template <class V>
    std::pair<iterator, bool> emplace(uint32_t key, V&& value)
    {
        return try_emplace(key, std::forward<V>(value));
    }
    template <class V>
    void insert_or_assign(uint32_t key, V&& value)
    {
        auto [it, inserted] = try_emplace(key);
        it->second = std::forward<V>(value);
    }

    size_t erase(uint32_t key)
    {
        const size_t at = position(key);
        if (at == kNone)
            return 0;
        removeAt(at);
        return 1;
    }
    void erase(iterator it) { removeAt(static_cast<size_t>(it.m_at - m_slots.data())); }

    template <class Predicate>
    size_t eraseIf(Predicate predicate)
    {
        // Removing one entry may move a later one to an earlier slot: the walk goes on from
        // the same slot after each removal, and starts from a slot that no run of entries
        // wraps across.
        size_t removed = 0;
        if (m_size == 0)
            return 0;
        size_t start = 0;
        while (m_slots[start].first != kUnused)
            ++start;
        for (size_t n = 0, at = start; n < m_slots.size(); ++n, at = (at + 1) & m_mask) {
            while (m_slots[at].first != kUnused && predicate(static_cast<const Entry&>(m_slots[at]))) {
                removeAt(at);
                ++removed;
            }
        }
        return removed;
    }

    // Keeps a small array for the next entries; a large one goes back, so that maps
    // emptied after a large unit or statement do not hold their peak for the run.
    void clear()
    {
        if (m_size == 0)
            return;
        if (m_slots.size() > 256) {
            std::vector<Entry>().swap(m_slots);
            m_mask = 0;
        } else {
            for (Entry& e : m_slots)
                if (e.first != kUnused)
                    e = Entry{};
        }
        m_size = 0;
    }

private:
    static constexpr size_t kNone = ~size_t{0};

    size_t home(uint32_t key) const
    {
        // Fibonacci hashing: neighbouring page numbers land far apart.
        return static_cast<size_t>((static_cast<uint64_t>(key) * 0x9E3779B97F4A7C15ull) >> 32) & m_mask;
    }

    size_t position(uint32_t key) const
    {
        if (m_size == 0)
            return kNone;
        for (size_t at = home(key);; at = (at + 1) & m_mask) {
            if (m_slots[at].first == key)
                return at;
            if (m_slots[at].first == kUnused)
                return kNone;
        }
    }

    // Backward-shift deletion: the entries after the hole that belong at or before it move
    // up, so that no lookup stops early and no tombstones pile up.
    void removeAt(size_t hole)
    {
        m_slots[hole] = Entry{};
        --m_size;
        for (size_t at = (hole + 1) & m_mask; m_slots[at].first != kUnused; at = (at + 1) & m_mask) {
            const size_t want = home(m_slots[at].first);
            // The entry may fill the hole when its home is not within (hole, at].
            const bool between = hole < at ? (want > hole && want <= at) : (want > hole || want <= at);
            if (between)
                continue;
            m_slots[hole] = std::move(m_slots[at]);
            m_slots[at] = Entry{};
            hole = at;
        }
    }

    void grow()
    {
        std::vector<Entry> old(m_slots.size() < 16 ? 16 : m_slots.size() * 2);
        old.swap(m_slots);
        m_mask = m_slots.size() - 1;
        for (Entry& e : old)
            if (e.first != kUnused) {
                size_t at = home(e.first);
                while (m_slots[at].first != kUnused)
                    at = (at + 1) & m_mask;
                m_slots[at] = std::move(e);
            }
    }

    std::vector<Entry> m_slots;
    size_t m_mask = 0;
    size_t m_size = 0;
};

}  // namespace db::jet
